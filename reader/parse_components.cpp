// A component layer's components file.
//
//   CMP <package> <x> <y> <rotation> N|M <reference> <part>[;attributes]
//   TOP <pin> <x> <y> <rotation> N|M <net> <subnet> <name>     (its toeprints)
//   PRP <name> '<value>'                                        (properties)
#include <string>

#include "contour_records.h"
#include "parse.h"

namespace kelpie::reader {
namespace {

bool Mirror(Record& record, bool& mirrored) {
  char letter = 'N';
  if (!record.Letter(letter, "NM", "mirror")) return false;
  mirrored = letter == 'M';
  return true;
}

void EndOfRecord(Record& record) {
  if (record.ok() && !record.AtEnd())
    record.Fail("unexpected fields at the end: '" + std::string(Trim(record.Rest())) + "'");
}

}  // namespace

ComponentsFile ParseComponents(std::string_view text, const std::string& path, Problems& problems) {
  ComponentsFile result;
  result.path = path;
  double scale = 1;
  LineReader lines(text);
  while (lines.Next()) {
    const std::string_view line = Trim(lines.line());
    if (line.empty() || line[0] == '#') continue;
    Record record(line.substr(0, line.find(';')), lines.number(), path, problems);
    std::string_view word;
    if (!record.Word(word, "record") || TakeUnitLine(line, record, scale)) continue;
    if (word == "CMP") {
      Component& component = result.components.emplace_back();
      component.line = lines.number();
      std::string_view field;
      record.Integer(component.package, "package number");
      ReadPoint(record, scale, component.at, "component");
      record.Number(component.rotation, "rotation");
      Mirror(record, component.mirrored);
      if (record.Word(field, "reference")) component.reference = std::string(field);
      if (record.Word(field, "part name")) component.part = std::string(field);
      EndOfRecord(record);
    } else if (word == "TOP") {
      if (result.components.empty()) {
        record.Fail("TOP before any CMP");
        continue;
      }
      Toeprint& toeprint = result.components.back().toeprints.emplace_back();
      toeprint.line = lines.number();
      std::string_view field;
      record.Integer(toeprint.pin, "pin number");
      ReadPoint(record, scale, toeprint.at, "toeprint");
      record.Number(toeprint.rotation, "rotation");
      Mirror(record, toeprint.mirrored);
      record.Integer(toeprint.net, "net number");
      record.Integer(toeprint.subnet, "subnet number");
      if (record.Word(field, "toeprint name")) toeprint.name = std::string(field);
      EndOfRecord(record);
    } else if (word != "PRP" && !word.starts_with("ID=")) {
      record.Fail("unknown record '" + std::string(word) + "'");
    }
  }
  return result;
}

}  // namespace kelpie::reader
