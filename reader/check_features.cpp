// One features file: every symbol, attribute name and text that a record
// quotes is in its table, lines and arcs are drawn with round or square
// symbols, user symbols exist under symbols/, contours close.
#include <cmath>
#include <string>

#include "check_parts.h"
#include "symbol_name.h"
#include "text.h"

namespace kelpie::reader {
namespace {

// Attributes whose value is a number of the "&" table.
bool IsTextAttribute(const std::string& name) { return name == ".geometry" || name == ".comment" || name == ".net_name"; }

bool Near(Point a, Point b) { return std::fabs(a.x - b.x) < 1e-9 && std::fabs(a.y - b.y) < 1e-9; }

bool DrawsLines(const std::string& symbol) {
  const SymbolShape shape = ParseSymbolName(symbol).shape;
  return shape == SymbolShape::kRound || shape == SymbolShape::kSquare;
}

void CheckAttributes(const Features& file, const Feature& feature, Problems& problems) {
  for (const FeatureAttribute& attribute : file.AttributesOf(feature)) {
    const TableEntry* entry = file.Attribute(attribute.number);
    if (entry == nullptr) {
      problems.Add(file.path, feature.line, "attribute " + std::to_string(attribute.number) +
                                                " is not in the attribute-name table (" +
                                                std::to_string(file.attributes.size()) + " names)");
      continue;
    }
    const std::string& name = entry->name;
    if (!IsTextAttribute(name)) continue;
    int text = -1;
    const std::string_view value = file.Value(attribute);
    if (!ParseInteger(value, text) || file.Text(text) == nullptr) {
      problems.Add(file.path, feature.line, "the value '" + std::string(value) + "' of " + name +
                                                " is not a number of the text table (" +
                                                std::to_string(file.texts.size()) + " texts)");
    }
  }
}

}  // namespace

void CheckFeatures(const Job& job, const Features& file, Problems& problems) {
  for (const TableEntry& entry : file.symbols) {
    if (ParseSymbolName(entry.name).shape != SymbolShape::kUser) continue;
    const UserSymbol* symbol = job.FindSymbol(entry.name);
    if (symbol == nullptr || !symbol->features)
      problems.Add(file.path, entry.line, "symbol " + entry.name + " is neither a standard symbol nor in symbols/" +
                                              entry.name + "/features");
  }
  for (const Feature& feature : file.features) {
    if (feature.kind != FeatureKind::kSurface) {
      const TableEntry* symbol = file.Symbol(feature.symbol);
      if (symbol == nullptr) {
        problems.Add(file.path, feature.line, "symbol " + std::to_string(feature.symbol) +
                                                  " is not in the symbol table (" +
                                                  std::to_string(file.symbols.size()) + " symbols)");
      } else if (feature.kind != FeatureKind::kPad && !DrawsLines(symbol->name)) {
        problems.Add(file.path, feature.line, std::string(FeatureKindName(feature.kind)) + " drawn with symbol " +
                                                  symbol->name + " (round or square needed)");
      }
    }
    for (const Contour& contour : file.ContoursOf(feature)) {
      if (!contour.segments.empty() && !Near(contour.segments.back().end, contour.start))
        problems.Add(file.path, contour.line, "contour does not end where it begins");
    }
    CheckAttributes(file, feature, problems);
  }
}

}  // namespace kelpie::reader
