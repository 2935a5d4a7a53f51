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

void CollectPinTypeText(FeatureTables& tables, const PinType* pinType) {
  if (tables.pinTypeTexts.Has(pinType)) return;
  tables.pinTypeTexts.Keep(pinType, AddUnique(tables.texts, pinType->name));
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

void WriteTableNumber(FileWriter& writer, int number, bool withBlank) {
  if (withBlank) {
    writer.AddInt(number);
  } else {
    writer.AppendInt(number);
  }
}

// Value of the .pad_usage attribute: toeprint, via, or global/local fiducial.
const char* PadUsageValue(const PadFeature& pad) {
  const Pin* pin = pad.pin;
  if (pin == nullptr) return "0";    // toeprint
  if (IsVia(pin->kind)) return "1";  // via
  if (pin->kind == PinKind::kFiducial) return pin->component != nullptr ? "3" : "2";
  return "0";
}

// Value of the .drill attribute of a pad on a drill layer.
const char* DrillValue(const PadFeature& pad) {
  if (pad.pin != nullptr && IsVia(pad.pin->kind)) return "2";  // via
  if (pad.shape == nullptr || !pad.shape->plated) return "1";  // non-plated
  return "0";                                                  // plated
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
  AddUnique(tables.texts, kBlank);
  for (const PadFeature& pad : layer.pads) {
    CollectShapeSymbol(tables, pad.shape, messages);
    if (pad.pin != nullptr && pad.pin->pinType != nullptr)
      CollectPinTypeText(tables, pad.pin->pinType);
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

bool WriteNameIndex(FileWriter& writer, const NameList& list, bool withBlank,
                    const std::string& name, const Messages& messages) {
  const int number = list.Find(name);
  if (number >= 0) {
    WriteTableNumber(writer, number, withBlank);
    return true;
  }
  std::string message = "Attribute not listed: " + name + " - have ";
  for (const std::string& entry : list.entries) {
    message += entry;
    message += ' ';
  }
  messages.Error(message);
  return false;
}

bool WriteShapeSymbol(FileWriter& writer, const FeatureTables& tables, const PadShape* shape,
                      const Messages& messages) {
  const int number = tables.shapeSymbols.Find(shape);
  if (number < 0)
    return WriteNameIndex(writer, tables.symbols, true, PadTypeToName(shape, messages), messages);
  WriteTableNumber(writer, number, true);
  return true;
}

bool WriteWidthSymbol(FileWriter& writer, const FeatureTables& tables, double width,
                      const Messages& messages) {
  const int number = tables.widthSymbols.Find(WidthKey(width));
  if (number < 0)
    return WriteNameIndex(writer, tables.symbols, true, RoundSymbolName(width), messages);
  WriteTableNumber(writer, number, true);
  return true;
}

namespace {

// Appends a number kept in the tables, or, where none was kept (-1), the one
// the list gives the name.
bool WriteKeptIndex(FileWriter& writer, int kept, const NameList& list, const std::string& name,
                    const Messages& messages) {
  if (kept < 0) return WriteNameIndex(writer, list, false, name, messages);
  writer.AppendInt(kept);
  return true;
}

}  // namespace

bool WritePadAttributes(FileWriter& writer, const FeatureTables& tables, const PadFeature& pad,
                        bool onDrillLayer, const Messages& messages) {
  const Pin* pin = pad.pin;
  const std::string& geometry =
      pin != nullptr && pin->pinType != nullptr ? pin->pinType->name : kBlank;
  if (geometry.empty()) {
    messages.Error("Attribute value cannot be blank");
    return false;
  }
  if (!WriteKeptIndex(writer, tables.geometryAttribute, tables.attributes, kGeometry, messages))
    return false;
  writer.Append("=");
  int geometryText = -1;
  if (pin != nullptr && pin->pinType != nullptr)
    geometryText = tables.pinTypeTexts.Find(pin->pinType);
  if (!WriteKeptIndex(writer, geometryText, tables.texts, geometry, messages)) return false;
  writer.Append(",");
  if (!WriteKeptIndex(writer, tables.padUsageAttribute, tables.attributes, kPadUsage, messages))
    return false;
  writer.Append("=");
  writer.Append(PadUsageValue(pad));
  if (onDrillLayer) {
    writer.Append(",");
    if (!WriteKeptIndex(writer, tables.drillAttribute, tables.attributes, kDrill, messages))
      return false;
    writer.Append("=");
    writer.Append(DrillValue(pad));
  }
  return true;
}

}  // namespace kelpie
