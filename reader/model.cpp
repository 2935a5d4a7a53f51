// Look-ups of the model and the problem list.
#include <algorithm>

#include "features_file.h"
#include "idf.h"
#include "job.h"
#include "problems.h"

namespace kelpie::reader {

const KeyValue* KeyValueFile::Find(const std::string& key) const {
  for (const KeyValue& entry : entries) {
    if (entry.key == key) return &entry;
  }
  return nullptr;
}

const char* FeatureKindName(FeatureKind kind) {
  switch (kind) {
    case FeatureKind::kPad:
      return "pad";
    case FeatureKind::kLine:
      return "line";
    case FeatureKind::kArc:
      return "arc";
    case FeatureKind::kSurface:
      return "surface";
  }
  return "feature";
}

const TableEntry* FindEntry(const std::vector<TableEntry>& table, int number) {
  if (number < 0) return nullptr;
  const auto position = static_cast<std::size_t>(number);
  if (position < table.size() && table[position].number == number) return &table[position];
  const auto found = std::lower_bound(table.begin(), table.end(), number,
                                      [](const TableEntry& entry, int wanted) { return entry.number < wanted; });
  return found != table.end() && found->number == number ? &*found : nullptr;
}

const std::string& Features::SymbolName(int number) const {
  static const std::string kNone;
  const TableEntry* entry = Symbol(number);
  return entry != nullptr ? entry->name : kNone;
}

namespace {

template <typename T>
std::span<const T> Range(const std::vector<T>& pool, PoolRange range) {
  return std::span<const T>(pool).subspan(static_cast<std::size_t>(range.first), static_cast<std::size_t>(range.count));
}

}  // namespace

std::span<const Contour> Features::ContoursOf(const Feature& feature) const {
  return Range(contourPool, feature.contours);
}

std::span<const FeatureAttribute> Features::AttributesOf(const Feature& feature) const {
  return Range(attributePool, feature.attributes);
}

std::string_view Features::Value(const FeatureAttribute& attribute) const {
  if (attribute.valueLength < 0) return {};
  return std::string_view(attributeText).substr(static_cast<std::size_t>(attribute.valueStart),
                                                static_cast<std::size_t>(attribute.valueLength));
}

const Layer* Step::FindLayer(const std::string& name) const {
  for (const Layer& layer : layers) {
    if (layer.name == name) return &layer;
  }
  return nullptr;
}

const Step* Job::FindStep(const std::string& name) const {
  for (const Step& step : steps) {
    if (step.name == name) return &step;
  }
  return nullptr;
}

const UserSymbol* Job::FindSymbol(const std::string& name) const {
  const auto found = std::lower_bound(symbols.begin(), symbols.end(), name,
                                      [](const UserSymbol& symbol, const std::string& wanted) { return symbol.name < wanted; });
  return found != symbols.end() && found->name == name ? &*found : nullptr;
}

const IdfPackage* IdfLibrary::Find(const std::string& geometry, const std::string& partNumber) const {
  for (const IdfPackage& package : packages) {
    if (package.geometry == geometry && package.partNumber == partNumber) return &package;
  }
  return nullptr;
}

void Problems::Add(std::string path, int line, std::string message) {
  list_.push_back(Problem{std::move(path), line, std::move(message)});
}

std::string Show(const Problem& problem) {
  if (problem.line <= 0) return problem.path + ": " + problem.message;
  return problem.path + ":" + std::to_string(problem.line) + ": " + problem.message;
}

}  // namespace kelpie::reader
