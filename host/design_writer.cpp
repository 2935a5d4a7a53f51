// Design writer: the records of design.h back into a design file
// (docs/design-format.md) that ReadDesign reads into the same records, so
// that exporting the file gives the same output as the design it came from.
// One record per line keeps large designs readable and diffable.
//
// References are written as names where the name is unique among the
// records of its kind; records that share a name get an id of their own.
// Numbers are written in their shortest exact form, so they read back
// bit for bit (inches, the file's units).
#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <unordered_map>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "design.h"

namespace kelpie::host {

namespace {

using Json = nlohmann::ordered_json;

// Keys by which the records of one kind are referred to.
class Keys {
 public:
  Keys(const std::vector<std::string>& names, const std::string& idPrefix) {
    std::unordered_map<std::string, int> uses;
    for (const std::string& name : names) ++uses[name];
    std::set<std::string> taken(names.begin(), names.end());
    for (size_t i = 0; i < names.size(); ++i) {
      if (uses[names[i]] == 1) {
        keys_.push_back(names[i]);
        ids_.push_back(false);
        continue;
      }
      std::string id = idPrefix + std::to_string(i);
      while (!taken.insert(id).second) id += "_";
      keys_.push_back(id);
      ids_.push_back(true);
    }
  }
  const std::string& operator[](int i) const { return keys_[i]; }
  bool NeedsId(int i) const { return ids_[i]; }

 private:
  std::vector<std::string> keys_;
  std::vector<bool> ids_;
};

template <typename Record>
std::vector<std::string> NamesOf(const std::vector<Record>& records) {
  std::vector<std::string> names;
  for (const Record& record : records) names.push_back(record.name);
  return names;
}

// A value that ReadDesign takes as its default can be left out; -0 cannot.
bool IsPlainZero(double value) { return value == 0 && !std::signbit(value); }

// Texts that are not UTF-8 (a design made in memory) cannot be told in JSON:
// their stray bytes become U+FFFD rather than stopping the writer.
std::string Dump(const Json& json) { return json.dump(-1, ' ', false, Json::error_handler_t::replace); }

Json PointJson(const Point& p) { return Json::array({p.x, p.y}); }

Json PointsJson(const Points& points) {
  Json list = Json::array();
  for (const Point& p : points) list.push_back(PointJson(p));
  return list;
}

const char* LayerTypeWord(int type) {
  static const std::map<int, const char*> words = {
      {kLayerSignal, "signal"},           {kLayerPowerGround, "power-ground"}, {kLayerMixed, "mixed"},
      {kLayerSolderMask, "solder-mask"},  {kLayerSolderPaste, "solder-paste"}, {kLayerSilkScreen, "silk-screen"},
      {kLayerDrill, "drill"},             {kLayerRout, "rout"},                {kLayerDocument, "document"},
      {kLayerComponentTop, "component-top"}, {kLayerComponentBottom, "component-bottom"}, {kLayerMask, "mask"}};
  const auto found = words.find(type);
  return found == words.end() ? nullptr : found->second;
}

Json EnumJson(int value, const char* word) { return word != nullptr ? Json(word) : Json(value); }

class Writer {
 public:
  explicit Writer(const Design& design) : design_(design), layers_(NamesOf(design.layers), "layer#") {}

  std::string Text() {
    out_ = "{\n  \"units\": \"inch\"";
    Json job = Json::object();
    if (design_.jobName) job["name"] = *design_.jobName;
    if (design_.customer) job["customer"] = *design_.customer;
    if (design_.comment) job["comment"] = *design_.comment;
    if (design_.thickness) job["thickness"] = *design_.thickness;
    if (!job.empty()) out_ += ",\n  \"job\": " + Dump(job);
    List(1, "layers", design_.layers.size(), [&](size_t i) { return LayerJson(static_cast<int>(i)); });
    out_ += ",\n  \"steps\": [";
    const Keys steps(NamesOf(design_.steps), "step#");
    for (size_t i = 0; i < design_.steps.size(); ++i) {
      out_ += i == 0 ? "\n" : ",\n";
      Step(design_.steps[i], steps, static_cast<int>(i));
    }
    out_ += "\n  ]";
    std::vector<int> everyStep;
    for (size_t i = 0; i < design_.steps.size(); ++i) everyStep.push_back(static_cast<int>(i));
    if (design_.matrix != everyStep) {
      Json matrix = Json::array();
      for (const int step : design_.matrix) matrix.push_back(steps[step]);
      out_ += ",\n  \"matrix\": " + Dump(matrix);
    }
    out_ += "\n}\n";
    return out_;
  }

 private:
  // A list of records, one per line, at the given depth of indentation.
  template <typename Item>
  void List(int depth, const char* key, size_t count, Item item) {
    const std::string indent(2 * depth, ' ');
    out_ += ",\n" + indent + "\"" + key + "\": [";
    for (size_t i = 0; i < count; ++i) out_ += (i == 0 ? "\n" : ",\n") + indent + "  " + Dump(item(i));
    out_ += count == 0 ? "]" : "\n" + indent + "]";
  }

  Json LayerJson(int i) const {
    const LayerRecord& layer = design_.layers[i];
    Json json = {{"name", layer.name}};
    if (layers_.NeedsId(i)) json["id"] = layers_[i];
    if (layer.row != 0) json["row"] = layer.row;
    if (layer.isDrill) {
      Json drill = Json::object();
      if (layer.drillFrom >= 0) drill["from"] = layers_[layer.drillFrom];
      if (layer.drillTo >= 0) drill["to"] = layers_[layer.drillTo];
      json["drill"] = drill;
      return json;
    }
    json["type"] = EnumJson(layer.type, LayerTypeWord(layer.type));
    if (layer.polarity != kPolarityPositive)
      json["polarity"] = EnumJson(layer.polarity, layer.polarity == kPolarityNegative ? "negative" : nullptr);
    if (layer.context != kContextBoard)
      json["context"] = EnumJson(layer.context, layer.context == kContextMisc ? "misc" : nullptr);
    return json;
  }

  void Step(const StepRecord& step, const Keys& steps, int index) {
    Json head = {{"name", step.name}};
    if (steps.NeedsId(index)) head["id"] = steps[index];
    head["profile"] = PointsJson(step.profile);
    std::string text = Dump(head);
    text.pop_back();  // the records follow inside the same object
    out_ += "    " + text;

    const Keys shapes(NamesOf(step.padShapes), "shape#");
    const Keys pinTypes(NamesOf(step.pinTypes), "pinType#");
    const Keys packages(NamesOf(step.packages), "package#");
    const Keys nets(step.nets, "net#");
    std::vector<bool> pinIds(step.pins.size(), false);
    for (const FeatureRecord& feature : step.features)
      if (feature.kind == FeatureRecord::kPinPad) pinIds[feature.pin] = true;
    auto pinKey = [](int pin) { return "pin#" + std::to_string(pin); };

    List(2, "padShapes", step.padShapes.size(), [&](size_t i) {
      const PadShapeRecord& shape = step.padShapes[i];
      Json json = {{"name", shape.name}};
      if (shapes.NeedsId(static_cast<int>(i))) json["id"] = shapes[static_cast<int>(i)];
      if (shape.form == PadShapeRecord::kRound) {
        json["shape"] = "round";
        json["diameter"] = shape.width;
        if (shape.plated) json["plated"] = true;
      } else if (shape.form == PadShapeRecord::kPolygon) {
        json["shape"] = "polygon";
        json["points"] = PointsJson(shape.points);
      } else if (shape.kind == 2) {
        json["shape"] = "rectangle";
        json["width"] = shape.width;
        json["height"] = shape.height;
      } else {
        json["kind"] = shape.kind;
        json["width"] = shape.width;
        json["height"] = shape.height;
      }
      return json;
    });
    List(2, "pinTypes", step.pinTypes.size(), [&](size_t i) {
      Json pads = Json::array();
      for (const PinTypePadRecord& pad : step.pinTypes[i].pads)
        pads.push_back({{"shape", shapes[pad.shape]}, {"layer", layers_[pad.layer]}});
      return Json{{"name", step.pinTypes[i].name}, {"pads", pads}};
    });
    List(2, "packages", step.packages.size(), [&](size_t i) {
      const PackageRecord& package = step.packages[i];
      Json json = {{"name", package.name},
                   {"box", {{"xMin", package.xMin}, {"xMax", package.xMax}, {"yMin", package.yMin}, {"yMax", package.yMax}}}};
      if (!package.outline.empty()) {
        json["outline"] = PointsJson(package.outline);
        if (!IsPlainZero(package.height)) json["height"] = package.height;
      }
      Json pins = Json::array();
      for (size_t p = 0; p < package.pins.size(); ++p) {
        const PackagePinRecord& pin = package.pins[p];
        Json entry = Json::object();
        if (pin.name != std::to_string(p + 1)) entry["name"] = pin.name;
        entry["pinType"] = pinTypes[pin.pinType];
        entry["x"] = pin.x;
        entry["y"] = pin.y;
        if (!IsPlainZero(pin.angle)) entry["angle"] = pin.angle;
        if (pin.number != static_cast<int>(p) + 1) entry["number"] = pin.number;
        pins.push_back(entry);
      }
      json["pins"] = pins;
      return json;
    });
    List(2, "nets", step.nets.size(), [&](size_t i) {
      if (!nets.NeedsId(static_cast<int>(i))) return Json(step.nets[i]);
      return Json{{"name", step.nets[i]}, {"id", nets[static_cast<int>(i)]}};
    });

    auto pinJson = [&](int index) {
      const PinRecord& pin = step.pins[index];
      Json json = Json::object();
      if (pinIds[index]) json["id"] = pinKey(index);
      json["pinType"] = pinTypes[pin.pinType];
      json["x"] = pin.x;
      json["y"] = pin.y;
      if (!IsPlainZero(pin.angle)) json["angle"] = pin.angle;
      if (pin.value != 0) json["value"] = pin.value;
      if (pin.kind != 0) json["kind"] = pin.kind;
      if (pin.net >= 0) json["net"] = nets[pin.net];
      if (!pin.pads.empty()) {
        Json pads = Json::array();
        for (const PinPadRecord& pad : pin.pads) pads.push_back({{"layer", layers_[pad.layer]}, {"shape", shapes[pad.shape]}});
        json["pads"] = pads;
      }
      return json;
    };
    // Pins follow their component; a component's pins come in a row.
    std::vector<std::vector<int>> componentPins(step.components.size());
    std::vector<int> freePins;
    for (size_t i = 0; i < step.pins.size(); ++i) {
      const int component = step.pins[i].component;
      (component >= 0 ? componentPins[component] : freePins).push_back(static_cast<int>(i));
    }
    List(2, "components", step.components.size(), [&](size_t i) {
      const ComponentRecord& component = step.components[i];
      Json json = {{"reference", component.reference},
                   {"package", packages[component.package]},
                   {"layer", layers_[component.layer]}};
      if (!component.part.empty()) json["part"] = component.part;
      json["x"] = component.x;
      json["y"] = component.y;
      if (!IsPlainZero(component.rotation)) json["rotation"] = component.rotation;
      if (component.mirror != 0) json["mirror"] = component.mirror;
      Json pins = Json::array();
      for (const int pin : componentPins[i]) pins.push_back(pinJson(pin));
      json["pins"] = pins;
      return json;
    });
    List(2, "pins", freePins.size(), [&](size_t i) { return pinJson(freePins[i]); });
    List(2, "features", step.features.size(), [&](size_t i) {
      const FeatureRecord& feature = step.features[i];
      Json json = Json::object();
      static const char* const types[] = {"pad", "pinPad", "line", "arc", "circle", "contour", "surface", "shapeLine"};
      json["type"] = types[feature.kind];
      json["layer"] = layers_[feature.layer];
      switch (feature.kind) {
        case FeatureRecord::kPad:
          json["shape"] = shapes[feature.shape];
          json["at"] = PointJson(feature.from);
          break;
        case FeatureRecord::kPinPad:
          json["shape"] = shapes[feature.shape];
          json["pin"] = pinKey(feature.pin);
          break;
        case FeatureRecord::kLine:
        case FeatureRecord::kArc:
          json["from"] = PointJson(feature.from);
          json["to"] = PointJson(feature.to);
          if (feature.kind == FeatureRecord::kArc) {
            json["center"] = PointJson(feature.center);
            if (feature.clockwise) json["clockwise"] = true;
          }
          json["width"] = feature.width;
          if (feature.net >= 0) json["net"] = nets[feature.net];
          break;
        case FeatureRecord::kCircle:
          json["center"] = PointJson(feature.center);
          json["radius"] = feature.radius;
          json["width"] = feature.width;
          break;
        case FeatureRecord::kContour:
          json["points"] = PointsJson(feature.points);
          if (!IsPlainZero(feature.width)) json["width"] = feature.width;
          if (!feature.filled) json["filled"] = false;
          break;
        case FeatureRecord::kSurface: {
          if (feature.net >= 0) json["net"] = nets[feature.net];
          Json contours = Json::array();
          for (const SurfaceContourRecord& contour : feature.contours) {
            Json entry = {{"points", PointsJson(contour.points)}};
            if (!contour.filled) entry["filled"] = false;
            contours.push_back(entry);
          }
          json["contours"] = contours;
          break;
        }
        case FeatureRecord::kShapeLine:
          json["shape"] = shapes[feature.shape];
          json["from"] = PointJson(feature.from);
          json["to"] = PointJson(feature.to);
          break;
      }
      return json;
    });
    out_ += "\n    }";
  }

  const Design& design_;
  Keys layers_;
  std::string out_;
};

}  // namespace

std::string DesignText(const Design& design) { return Writer(design).Text(); }

bool WriteDesignFile(const std::string& path, const Design& design, std::string& error) {
  // Written beside its final name and renamed into place when complete.
  const std::string temporary = path + ".partial-" + std::to_string(getpid());
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file << DesignText(design);
    file.close();
    if (!file) {
      std::remove(temporary.c_str());
      error = "cannot write the design file " + path;
      return false;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    error = "cannot write the design file " + path;
    return false;
  }
  return true;
}

}  // namespace kelpie::host
