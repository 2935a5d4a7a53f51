#include "design_tables.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace kelpie::host::kicad {

namespace {

// Keys hold the exact bits of every number, so that only equal records
// share a key.
void Add(std::string& key, double value) {
  char bytes[sizeof value];
  std::memcpy(bytes, &value, sizeof value);
  key.append(bytes, sizeof value);
}

void Add(std::string& key, int value) {
  char bytes[sizeof value];
  std::memcpy(bytes, &value, sizeof value);
  key.append(bytes, sizeof value);
}

void Add(std::string& key, const std::string& text) {
  Add(key, static_cast<int>(text.size()));
  key += text;
}

void Add(std::string& key, const Points& points) {
  Add(key, static_cast<int>(points.size()));
  for (const Point& point : points) {
    Add(key, point.x);
    Add(key, point.y);
  }
}

// A length in inches as micrometres, for names: 0.0625 gives "1587.5".
std::string Microns(double inches) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", inches * 25400.0);
  std::string result = text;
  while (!result.empty() && result.back() == '0') result.pop_back();
  if (!result.empty() && result.back() == '.') result.pop_back();
  return result;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::string DesignTables::UniqueName(std::unordered_set<std::string>& taken, const std::string& base) {
  // Names are compared in lower case: the ODB++ export lowers them.
  std::string name = base;
  for (int n = 2; !taken.insert(Lower(name)).second; ++n) name = base + "_" + std::to_string(n);
  return name;
}

int DesignTables::PadShape(PadShapeRecord shape) {
  std::string key;
  Add(key, static_cast<int>(shape.form));
  Add(key, shape.kind);
  Add(key, shape.width);
  Add(key, shape.height);
  Add(key, shape.plated ? 1 : 0);
  Add(key, shape.points);
  const auto [it, added] = shapes_.emplace(std::move(key), static_cast<int>(step_.padShapes.size()));
  if (!added) return it->second;
  std::string base;
  switch (shape.form) {
    case PadShapeRecord::kRound:
      base = (shape.plated ? "hole_" : "round_") + Microns(shape.width);
      break;
    case PadShapeRecord::kSized:
      base = "rect_" + Microns(shape.width) + "x" + Microns(shape.height);
      break;
    case PadShapeRecord::kPolygon:
      base = "poly_" + std::to_string(shapes_.size());
      break;
  }
  shape.name = UniqueName(shapeNames_, base);
  step_.padShapes.push_back(std::move(shape));
  return it->second;
}

int DesignTables::PinType(const std::string& prefix, std::vector<PinTypePadRecord> pads) {
  std::string key;
  for (const PinTypePadRecord& pad : pads) {
    Add(key, pad.shape);
    Add(key, pad.layer);
  }
  const auto [it, added] = pinTypes_.emplace(std::move(key), static_cast<int>(step_.pinTypes.size()));
  if (!added) return it->second;
  PinTypeRecord pinType;
  pinType.name = UniqueName(pinTypeNames_, prefix + std::to_string(++pinTypeCounts_[prefix]));
  pinType.pads = std::move(pads);
  step_.pinTypes.push_back(std::move(pinType));
  return it->second;
}

int DesignTables::Package(PackageRecord package) {
  std::string key;
  Add(key, package.name);
  for (const double value : {package.xMin, package.xMax, package.yMin, package.yMax, package.height})
    Add(key, value);
  Add(key, package.outline);
  for (const PackagePinRecord& pin : package.pins) {
    Add(key, pin.name);
    Add(key, pin.pinType);
    Add(key, pin.x);
    Add(key, pin.y);
    Add(key, pin.angle);
    Add(key, pin.number);
  }
  const auto [it, added] = packages_.emplace(std::move(key), static_cast<int>(step_.packages.size()));
  if (!added) return it->second;
  package.name = UniqueName(packageNames_, package.name);
  step_.packages.push_back(std::move(package));
  return it->second;
}

}  // namespace kelpie::host::kicad
