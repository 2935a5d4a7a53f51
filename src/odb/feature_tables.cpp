#include "odb/feature_tables.h"

#include <cstring>

#include "output/text.h"

namespace kelpie {

namespace {

const std::string kBlank = " ";
const std::string kGeometry = "geometry";
const std::string kPadUsage = "pad_usage";
const std::string kDrill = "drill";

// Kinds that PadTypeToName knows; any other kind reports an error each time
// its name is asked for, so its number is never kept.
bool HasStandardName(const PadShape* shape) {
  return shape != nullptr && shape->kind >= PadKind::kRound && shape->kind <= PadKind::kPolygon;
}

// The key under which widthSymbols keeps a width: equal bits give equal names.
std::uint64_t WidthKey(double width) {
  std::uint64_t key;
  std::memcpy(&key, &width, sizeof key);
  return key;
}

void CollectShapeSymbol(FeatureTables& tables, const PadShape* shape, const Messages& messages) {
  if (HasStandardName(shape) && tables.shapeSymbols.Has(shape)) return;
  const int number = AddUnique(tables.symbols, PadTypeToName(shape, messages));
  if (HasStandardName(shape)) tables.shapeSymbols.Keep(shape, number);
}

void CollectWidthSymbol(FeatureTables& tables, double width) {
  const std::uint64_t key = WidthKey(width);
  if (tables.widthSymbols.Has(key)) return;
  tables.widthSymbols.Keep(key, AddUnique(tables.symbols, RoundSymbolName(width)));
}

int CollectPinTypeText(FeatureTables& tables, const PinType* pinType) {
  const int kept = tables.pinTypeTexts.Find(pinType);
  if (kept >= 0) return kept;
  const int number = AddUnique(tables.texts, pinType->name);
  tables.pinTypeTexts.Keep(pinType, number);
  return number;
}

void WriteNameTable(FileWriter& writer, const NameList& list, const char* prefix,
                    const char* namePrefix) {
  std::string line;
  for (size_t i = 0; i < list.entries.size(); ++i) {
    line = prefix;
    AppendIntText(line, static_cast<std::int32_t>(i));
    line += ' ';
    line += namePrefix;
    line += list.entries[i];
    writer.WriteLine(line);
  }
}

// Adds the number of a symbol name to the pending line after a blank. An
// unlisted name is reported; false then.
bool WriteSymbolIndex(FileWriter& writer, const NameList& symbols, const std::string& name,
                      const Messages& messages) {
  const int number = symbols.Find(name);
  if (number >= 0) {
    writer.AddInt(number);
    return true;
  }
  std::string message = "Attribute not listed: " + name + " - have ";
  for (const std::string& entry : symbols.entries) {
    message += entry;
    message += ' ';
  }
  messages.Error(message);
  return false;
}

// Value of the .pad_usage attribute: toeprint, via, or global/local fiducial.
char PadUsageValue(const PadFeature& pad) {
  const Pin* pin = pad.pin;
  if (pin == nullptr) return '0';    // toeprint
  if (IsVia(pin->kind)) return '1';  // via
  if (pin->kind == PinKind::kFiducial) return pin->component != nullptr ? '3' : '2';
  return '0';
}

// Value of the .drill attribute of a pad on a drill layer.
char DrillValue(const PadFeature& pad) {
  if (pad.pin != nullptr && IsVia(pad.pin->kind)) return '2';  // via
  if (pad.shape == nullptr || !pad.shape->plated) return '1';  // non-plated
  return '0';                                                  // plated
}

}  // namespace

int NameList::Find(const std::string& text) const {
  auto found = positions.find(text);
  return found == positions.end() ? -1 : found->second;
}

std::string PadTypeToName(const PadShape* shape, const Messages& messages) {
  std::string name;
  switch (shape != nullptr ? shape->kind : PadKind{0}) {
    case PadKind::kRound:
      return RoundSymbolName(shape->width);
    case PadKind::kRectangle:
    case PadKind::kOtherRectangle:
      name = "rect";
      AppendNumberText(name, shape->width * 1000);
      name += 'x';
      AppendNumberText(name, shape->height * 1000);
      return name;
    case PadKind::kPolygon:
      return shape->name;  // the symbol written under the job's symbols directory
    default:
      messages.Error("PadTypeToName: type not yet implemented");
      return name;
  }
}

std::string RoundSymbolName(double width) {
  std::string name = "r";
  AppendNumberText(name, width * 1000);
  return name;
}

int AddUnique(NameList& list, const std::string& text) {
  auto [at, added] = list.positions.emplace(text, static_cast<int>(list.entries.size()));
  if (added) list.entries.push_back(text);
  return at->second;
}

void CollectFeatureNames(FeatureTables& tables, const Layer& layer, const LayerLines& lines,
                         const Messages& messages) {
  const int blankText = AddUnique(tables.texts, kBlank);
  tables.padAttributes.reserve(layer.pads.size());
  for (const PadFeature& pad : layer.pads) {
    CollectShapeSymbol(tables, pad.shape, messages);
    const PinType* pinType = pad.pin != nullptr ? pad.pin->pinType : nullptr;
    int geometryText = blankText;
    if (pinType != nullptr) {
      // An empty name is listed all the same; its pad's record reports it.
      const int text = CollectPinTypeText(tables, pinType);
      geometryText = pinType->name.empty() ? -1 : text;
    }
    tables.padAttributes.push_back({geometryText, PadUsageValue(pad), DrillValue(pad)});
  }
  for (const LineFeature& line : lines.own) CollectWidthSymbol(tables, line.width);
  for (int copy = 0; copy < lines.outlineCopies; ++copy) {
    for (const LineFeature& line : lines.outlines) CollectWidthSymbol(tables, line.width);
  }
  for (const ArcFeature& arc : layer.arcs) CollectWidthSymbol(tables, arc.width);
  // Every contour, filled or not: the lines drawn from its outline need the
  // symbol of its width.
  for (const Contour& contour : layer.contours) CollectWidthSymbol(tables, contour.width);
  tables.geometryAttribute = AddUnique(tables.attributes, kGeometry);
  tables.drillAttribute = AddUnique(tables.attributes, kDrill);
  tables.padUsageAttribute = AddUnique(tables.attributes, kPadUsage);
}

void WriteFeatureTables(FileWriter& writer, const FeatureTables& tables) {
  WriteNameTable(writer, tables.symbols, "$", "");
  WriteNameTable(writer, tables.attributes, "@", ".");
  WriteNameTable(writer, tables.texts, "&", "");
}

bool WriteShapeSymbol(FileWriter& writer, const FeatureTables& tables, const PadShape* shape,
                      const Messages& messages) {
  const int number = tables.shapeSymbols.Find(shape);
  if (number < 0)
    return WriteSymbolIndex(writer, tables.symbols, PadTypeToName(shape, messages), messages);
  writer.AddInt(number);
  return true;
}

bool WriteWidthSymbol(FileWriter& writer, const FeatureTables& tables, double width,
                      const Messages& messages) {
  const int number = tables.widthSymbols.Find(WidthKey(width));
  if (number < 0) return WriteSymbolIndex(writer, tables.symbols, RoundSymbolName(width), messages);
  writer.AddInt(number);
  return true;
}

bool WritePadAttributes(FileWriter& writer, const FeatureTables& tables, const PadAttributes& pad,
                        bool onDrillLayer, const Messages& messages) {
  if (pad.geometryText < 0) {
    messages.Error("Attribute value cannot be blank");
    return false;
  }
  writer.AppendInt(tables.geometryAttribute);
  writer.Append("=");
  writer.AppendInt(pad.geometryText);
  writer.Append(",");
  writer.AppendInt(tables.padUsageAttribute);
  writer.Append("=");
  writer.Append(std::string_view(&pad.usage, 1));
  if (onDrillLayer) {
    writer.Append(",");
    writer.AppendInt(tables.drillAttribute);
    writer.Append("=");
    writer.Append(std::string_view(&pad.drill, 1));
  }
  return true;
}

}  // namespace kelpie
