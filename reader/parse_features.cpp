// Features files: a layer's graphics, a step profile, a user symbol.
//
//   $3 r10             symbol table        @0 .geometry   attribute names
//   &1 smd             attribute texts     UNITS=INCH     unit line
//   P x y sym P|N dcode orient[;attributes]
//   L xs ys xe ye sym P|N dcode[;attributes]
//   A xs ys xe ye xc yc sym P|N dcode Y|N[;attributes]
//   S P|N dcode[;attributes]   then contours (OB, OS, OC, OE), then SE
#include <algorithm>
#include <string>

#include "contour_records.h"
#include "parse.h"

namespace kelpie::reader {
namespace {

class FeaturesParser {
 public:
  // `lines` bounds the number of records, so the features are stored
  // without reallocation.
  FeaturesParser(const std::string& path, Problems& problems, std::size_t lines)
      : path_(path), problems_(problems) {
    result_.path = path;
    result_.features.reserve(lines);
  }

  void ParseLine(std::string_view line, int number) {
    const std::size_t semicolon = line.find(';');
    const std::string_view body = line.substr(0, semicolon);
    Record record(body, number, path_, problems_);
    std::string_view word;
    if (!record.Word(word, "record")) return;
    if (surface_ != nullptr) {
      if (contours_.Take(word, record, scale_, result_.contourPool)) return;
      if (word == "SE") {
        EndSurface();
        return;
      }
      problems_.Add(path_, surface_->line, "surface without SE");
      EndSurface();
    }
    if (TakeUnitLine(line, record, scale_)) {
      result_.millimetres = scale_ != 1;
      return;
    }
    const std::string_view attributes = semicolon == std::string_view::npos ? "" : line.substr(semicolon + 1);
    switch (word[0]) {
      case '$':
        TableEntry(word, record, result_.symbols, "symbol");
        return;
      case '@':
        TableEntry(word, record, result_.attributes, "attribute name");
        return;
      case '&':
        TableEntry(word, record, result_.texts, "text");
        return;
      default:
        break;
    }
    if (word == "P") {
      Pad(record, attributes);
    } else if (word == "L") {
      LineRecord(record, attributes);
    } else if (word == "A") {
      Arc(record, attributes);
    } else if (word == "S") {
      Surface(record, attributes);
    } else if (word.starts_with("ID=") || word == "F") {
      // A file identifier or a feature count: nothing to keep.
    } else {
      record.Fail("unknown record '" + std::string(word) + "'");
    }
  }

  Features Finish() {
    if (surface_ != nullptr) {
      problems_.Add(path_, surface_->line, "surface without SE");
      EndSurface();
    }
    return std::move(result_);
  }

 private:
  void TableEntry(std::string_view word, Record& record, std::vector<reader::TableEntry>& table, const char* what) {
    reader::TableEntry entry;
    entry.line = record.line();
    if (!ParseInteger(word.substr(1), entry.number) || entry.number < 0) {
      record.Fail(std::string(what) + " number is not a whole number: '" + std::string(word) + "'");
      return;
    }
    // A gap is a problem, but the entry counts; a number that goes back is
    // left out, so that the numbers of the table keep rising.
    const int expected = table.empty() ? 0 : table.back().number + 1;
    if (entry.number != expected) {
      problems_.Add(path_, record.line(), std::string(what) + " number " + std::to_string(entry.number) + " where " +
                                              std::to_string(expected) + " belongs (the numbers run 0, 1, ... in order)");
      if (entry.number < expected) return;
    }
    if (&table == &result_.texts) {
      entry.name = std::string(record.Rest());  // a text may be a blank
    } else {
      std::string_view name;
      if (!record.Word(name, "name")) return;
      entry.name = std::string(name);
      std::string_view unit;
      if (&table == &result_.symbols && !record.AtEnd() && record.Word(unit, "unit") && unit != "I" && unit != "M")
        record.Fail("symbol unit must be I or M, not '" + std::string(unit) + "'");
    }
    table.push_back(std::move(entry));
  }

  Feature& Begin(FeatureKind kind, Record& record) {
    Feature& feature = result_.features.emplace_back();
    feature.kind = kind;
    feature.line = record.line();
    return feature;
  }

  void Polarity(Record& record, Feature& feature) {
    char polarity = 'P';
    if (record.Letter(polarity, "PN", "polarity")) {
      feature.polarity = polarity == 'P' ? Polarity::kPositive : Polarity::kNegative;
    }
  }

  void SymbolPolarityDcode(Record& record, Feature& feature) {
    record.Integer(feature.symbol, "symbol number");
    Polarity(record, feature);
    record.Integer(feature.dcode, "dcode");
  }

  void Attributes(Record& record, Feature& feature, std::string_view text) {
    feature.attributes.first = static_cast<int>(result_.attributePool.size());
    const std::size_t second = text.find(';');  // ";ID=..." may follow
    text = Trim(text.substr(0, second));
    while (!text.empty()) {
      const std::size_t comma = text.find(',');
      const std::string_view item = Trim(text.substr(0, comma));
      text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
      const std::size_t equals = item.find('=');
      FeatureAttribute attribute;
      if (!ParseInteger(item.substr(0, equals), attribute.number) || attribute.number < 0) {
        record.Fail("attribute '" + std::string(item) + "' does not begin with an attribute number");
        continue;
      }
      if (equals != std::string_view::npos) {
        const std::string_view value = item.substr(equals + 1);
        attribute.valueStart = static_cast<int>(result_.attributeText.size());
        attribute.valueLength = static_cast<int>(value.size());
        result_.attributeText += value;
      }
      result_.attributePool.push_back(attribute);
      ++feature.attributes.count;
    }
  }

  void Pad(Record& record, std::string_view attributes) {
    Feature& feature = Begin(FeatureKind::kPad, record);
    ReadPoint(record, scale_, feature.start, "pad");
    SymbolPolarityDcode(record, feature);
    int orientation = 0;
    if (record.Integer(orientation, "orientation")) {
      if (orientation >= 0 && orientation <= 7) {
        feature.rotation = (orientation % 4) * 90.0;
        feature.mirrored = orientation >= 4;
      } else if (orientation == 8 || orientation == 9) {
        record.Number(feature.rotation, "rotation");
        feature.mirrored = orientation == 9;
      } else {
        record.Fail("orientation must be 0 to 9, not " + std::to_string(orientation));
      }
    }
    Attributes(record, feature, attributes);
    End(record);
  }

  void LineRecord(Record& record, std::string_view attributes) {
    Feature& feature = Begin(FeatureKind::kLine, record);
    ReadPoint(record, scale_, feature.start, "start");
    ReadPoint(record, scale_, feature.end, "end");
    SymbolPolarityDcode(record, feature);
    Attributes(record, feature, attributes);
    End(record);
  }

  void Arc(Record& record, std::string_view attributes) {
    Feature& feature = Begin(FeatureKind::kArc, record);
    ReadPoint(record, scale_, feature.start, "start");
    ReadPoint(record, scale_, feature.end, "end");
    ReadPoint(record, scale_, feature.center, "center");
    SymbolPolarityDcode(record, feature);
    record.YesNo(feature.clockwise, "clockwise");
    Attributes(record, feature, attributes);
    End(record);
  }

  void Surface(Record& record, std::string_view attributes) {
    Feature& feature = Begin(FeatureKind::kSurface, record);
    Polarity(record, feature);
    record.Integer(feature.dcode, "dcode");
    Attributes(record, feature, attributes);
    End(record);
    feature.contours.first = static_cast<int>(result_.contourPool.size());
    surface_ = &feature;
  }

  void EndSurface() {
    contours_.Finish(path_, problems_);
    surface_->contours.count = static_cast<int>(result_.contourPool.size()) - surface_->contours.first;
    if (surface_->contours.count == 0) problems_.Add(path_, surface_->line, "surface without contours");
    surface_ = nullptr;
  }

  static void End(Record& record) {
    if (record.ok() && !record.AtEnd()) record.Fail("unexpected fields at the end: '" + std::string(Trim(record.Rest())) + "'");
  }

  const std::string& path_;
  Problems& problems_;
  Features result_;
  double scale_ = 1;
  // The surface being read; stays valid because no other feature is added
  // before its SE.
  Feature* surface_ = nullptr;
  ContourRecords contours_;
};

}  // namespace

Features ParseFeatures(std::string_view text, const std::string& path, Problems& problems) {
  FeaturesParser parser(path, problems, std::count(text.begin(), text.end(), '\n'));
  LineReader lines(text);
  while (lines.Next()) {
    std::string_view line = lines.line();
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    if (line.empty() || line[0] == '#') continue;
    parser.ParseLine(line, lines.number());
  }
  return parser.Finish();
}

}  // namespace kelpie::reader
