#include "odb/feature_tables.h"

#include <cstring>

#include "odb/layer_features.h"
#include "output/text.h"
#include "server/host_services.h"

namespace kelpie {

namespace {

// Kinds that PadTypeToName knows; any other kind reports an error each time
// its name is asked for, so its number is never kept.
bool HasStandardName(const PadShape* shape) {
  return shape != nullptr && shape->kind >= 1 && shape->kind <= 4;
}

void CollectShapeSymbol(FeatureTables& tables, const PadShape* shape) {
  if (HasStandardName(shape) && tables.shapeSymbols.count(shape) != 0) return;
  const int number = AddUnique(tables.symbols, PadTypeToName(shape));
  if (HasStandardName(shape)) tables.shapeSymbols.emplace(shape, number);
}

void CollectWidthSymbol(FeatureTables& tables, double width) {
  const std::uint64_t key = WidthKey(width);
  if (tables.widthSymbols.count(key) != 0) return;
  tables.widthSymbols.emplace(key, AddUnique(tables.symbols, RoundSymbolName(width)));
}

}  // namespace

int NameList::Find(const std::string& text) const {
  auto found = positions.find(text);
  return found == positions.end() ? -1 : found->second;
}

int AddUnique(NameList& list, const std::string& text) {
  auto [at, added] = list.positions.emplace(text, static_cast<int>(list.entries.size()));
  if (added) list.entries.push_back(text);
  return at->second;
}

std::uint64_t WidthKey(double width) {
  std::uint64_t key;
  std::memcpy(&key, &width, sizeof key);
  return key;
}

bool CollectFeatureNames(FeatureTables& tables, Layer* layer) {
  AddUnique(tables.texts, " ");
  for (const PadFeature& pad : layer->pads) {
    CollectShapeSymbol(tables, pad.shape);
    if (pad.pin != nullptr && pad.pin->pinType != nullptr)
      AddUnique(tables.texts, pad.pin->pinType->name);
  }
  for (const LineFeature& line : layer->lines) CollectWidthSymbol(tables, line.width);
  for (const ArcFeature& arc : layer->arcs) CollectWidthSymbol(tables, arc.width);
  // Every contour, filled or not: the lines stroked from its outline later
  // need the symbol of its width.
  for (const Contour& contour : layer->contours) CollectWidthSymbol(tables, contour.width);
  AddUnique(tables.attributes, "geometry");
  AddUnique(tables.attributes, "drill");
  AddUnique(tables.attributes, "pad_usage");
  return false;
}

bool WriteFeatureTables(FeatureTables& tables, cFileWriter& writer) {
  return WriteNameTable(writer, tables.symbols, "$", "") ||
         WriteNameTable(writer, tables.attributes, "@", ".") ||
         WriteNameTable(writer, tables.texts, "&", "");
}

bool WriteNameTable(cFileWriter& writer, const NameList& list, const std::string& prefix,
                    const std::string& namePrefix) {
  std::string line;
  for (size_t i = 0; i < list.entries.size(); ++i) {
    line = prefix;
    line += IntToText(static_cast<std::int32_t>(i));
    line += ' ';
    line += namePrefix;
    line += list.entries[i];
    if (writer.WriteLine(line)) return true;
  }
  return false;
}

bool WriteTableNumber(cFileWriter& writer, int number, bool withBlank) {
  const std::string text = IntToText(number);
  return withBlank ? writer.AddField(text) : writer.Append(text);
}

bool WriteNameIndex(cFileWriter& writer, const NameList& list, bool withBlank,
                    const std::string& name) {
  const int number = list.Find(name);
  if (number >= 0) return WriteTableNumber(writer, number, withBlank);
  std::string message = "Attribute not listed: " + name + " - have ";
  for (const std::string& entry : list.entries) {
    message += entry;
    message += ' ';
  }
  SendError(message);
  return true;
}

bool WriteTextAttribute(FeatureTables& tables, cFileWriter& writer,
                        const std::string& attributeName, const std::string& value) {
  if (value.empty()) {
    SendError("Attribute value cannot be blank");
    return true;
  }
  return WriteNameIndex(writer, tables.attributes, false, attributeName) || writer.Append("=") ||
         WriteNameIndex(writer, tables.texts, false, value);
}

std::string PadUsageValue(const PadFeature* pad) {
  const Pin* pin = pad->pin;
  if (pin == nullptr) return "0";                   // toeprint
  if (IsViaKind(pin->kind)) return "1";             // via
  if (pin->kind == 6) return pin->component != nullptr ? "3" : "2";  // local / global fiducial
  return "0";
}

std::string DrillValue(const PadFeature* pad) {
  if (pad->pin != nullptr && IsViaKind(pad->pin->kind)) return "2";  // via
  if (pad->shape == nullptr || !pad->shape->plated) return "1";       // non-plated
  return "0";                                                         // plated
}

}  // namespace kelpie
