// Design file reader: JSON (docs/design-format.md) into the records of
// design.h. Every check happens here, before the plug-in is called, so that a
// bad design ends with one message and nothing written.
#include <cmath>
#include <cstdint>
#include <fstream>
#include <limits>
#include <map>
#include <set>
#include <sstream>
#include <unordered_map>

#include <nlohmann/json.hpp>

#include "design.h"

namespace kelpie::host {

namespace {

using Json = nlohmann::json;

struct DesignError {
  std::string path;
  std::string message;
};

[[noreturn]] void Fail(const std::string& path, const std::string& message) {
  throw DesignError{path, message};
}

std::string Quote(const std::string& text) { return "\"" + text + "\""; }

std::string TypeName(const Json& value) {
  if (value.is_number()) return "a number";
  if (value.is_string()) return "a string";
  if (value.is_boolean()) return "a boolean";
  if (value.is_array()) return "an array";
  if (value.is_object()) return "an object";
  return "null";
}

// Names and ids of one kind of record, for references. A key that two
// records share is ambiguous and is refused where it is used.
class NameTable {
 public:
  explicit NameTable(std::string what) : what_(std::move(what)) {}

  void Add(const std::string& key, int index) {
    std::vector<int>& entries = keys_[key];
    if (entries.empty() || entries.back() != index) entries.push_back(index);
  }

  int Resolve(const Json& value, const std::string& path) const {
    if (!value.is_string()) Fail(path, "expected the name or id of a " + what_ + ", found " + TypeName(value));
    const std::string key = value.get<std::string>();
    auto found = keys_.find(key);
    if (found == keys_.end()) Fail(path, "unknown " + what_ + " " + Quote(key));
    if (found->second.size() > 1)
      Fail(path, "ambiguous reference " + Quote(key) + ": " + std::to_string(found->second.size()) + " " +
                     what_ + "s have this name or id");
    return found->second.front();
  }

 private:
  std::string what_;
  std::unordered_map<std::string, std::vector<int>> keys_;
};

// One JSON object being read: hands out its fields by name, checks their
// types and, when finished, refuses the fields that nobody asked for (a
// misspelt field is an error, not something silently ignored).
class Object {
 public:
  Object(const Json& value, std::string path, double lengthScale)
      : value_(value), path_(std::move(path)), scale_(lengthScale) {
    if (!value.is_object()) Fail(path_, "expected an object, found " + TypeName(value));
  }

  const std::string& Path() const { return path_; }
  std::string PathOf(const std::string& key) const { return path_ + "." + key; }
  bool Has(const std::string& key) const { return value_.contains(key); }

  const Json* Find(const std::string& key) {
    auto found = value_.find(key);
    if (found == value_.end()) return nullptr;
    used_.insert(key);
    return &*found;
  }

  const Json& Require(const std::string& key) {
    const Json* value = Find(key);
    if (value == nullptr) Fail(path_, "missing field " + Quote(key));
    return *value;
  }

  std::string Text(const std::string& key) { return AsText(Require(key), PathOf(key)); }
  std::string Text(const std::string& key, const std::string& fallback) {
    const Json* value = Find(key);
    return value != nullptr ? AsText(*value, PathOf(key)) : fallback;
  }

  double Length(const std::string& key) { return AsNumber(Require(key), PathOf(key)) * scale_; }
  double Length(const std::string& key, double fallback) {
    const Json* value = Find(key);
    return value != nullptr ? AsNumber(*value, PathOf(key)) * scale_ : fallback;
  }
  // Angles are optional everywhere and default to 0.
  double Angle(const std::string& key) {
    const Json* value = Find(key);
    return value != nullptr ? AsNumber(*value, PathOf(key)) : 0.0;
  }

  int Integer(const std::string& key, int fallback) {
    const Json* value = Find(key);
    return value != nullptr ? AsInteger(*value, PathOf(key)) : fallback;
  }
  int Count(const std::string& key, int fallback) {
    const Json* value = Find(key);
    if (value == nullptr) return fallback;
    const int count = AsInteger(*value, PathOf(key));
    if (count < 0) Fail(PathOf(key), "must not be negative, found " + std::to_string(count));
    return count;
  }

  bool Flag(const std::string& key, bool fallback) {
    const Json* value = Find(key);
    if (value == nullptr) return fallback;
    if (!value->is_boolean()) Fail(PathOf(key), "expected true or false, found " + TypeName(*value));
    return value->get<bool>();
  }

  Point PointField(const std::string& key) { return AsPoint(Require(key), PathOf(key)); }

  Points PointList(const std::string& key) {
    const std::string path = PathOf(key);
    const Json& list = Require(key);
    if (!list.is_array()) Fail(path, "expected an array of [x, y] points, found " + TypeName(list));
    if (list.empty()) Fail(path, "needs at least one point");
    Points points;
    points.reserve(list.size());
    for (size_t i = 0; i < list.size(); ++i) points.push_back(AsPoint(list[i], Index(path, i)));
    return points;
  }

  // The array under key (an empty one when absent).
  const Json& Array(const std::string& key) {
    static const Json kEmpty = Json::array();
    const Json* value = Find(key);
    if (value == nullptr) return kEmpty;
    if (!value->is_array()) Fail(PathOf(key), "expected an array, found " + TypeName(*value));
    return *value;
  }

  Object Child(const std::string& key) { return Object(Require(key), PathOf(key), scale_); }

  void Finish() const {
    for (auto it = value_.begin(); it != value_.end(); ++it)
      if (used_.count(it.key()) == 0) Fail(PathOf(it.key()), "unknown field");
  }

  static std::string Index(const std::string& path, size_t i) { return path + "[" + std::to_string(i) + "]"; }

  static std::string AsText(const Json& value, const std::string& path) {
    if (!value.is_string()) Fail(path, "expected a string, found " + TypeName(value));
    return value.get<std::string>();
  }

  static double AsNumber(const Json& value, const std::string& path) {
    if (!value.is_number()) Fail(path, "expected a number, found " + TypeName(value));
    const double number = value.get<double>();
    if (!std::isfinite(number)) Fail(path, "the number is not finite");
    return number;
  }

  static int AsInteger(const Json& value, const std::string& path) {
    if (value.is_number_float()) {
      const double number = value.get<double>();
      if (!std::isfinite(number)) Fail(path, "the number is not finite");
      Fail(path, "expected a whole number, found " + value.dump());
    }
    if (!value.is_number()) Fail(path, "expected a whole number, found " + TypeName(value));
    if (value.is_number_unsigned()) {
      const std::uint64_t number = value.get<std::uint64_t>();
      if (number > static_cast<std::uint64_t>(std::numeric_limits<int>::max()))
        Fail(path, "the number " + value.dump() + " is too large");
      return static_cast<int>(number);
    }
    const std::int64_t number = value.get<std::int64_t>();
    if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
      Fail(path, "the number " + value.dump() + " is out of range");
    return static_cast<int>(number);
  }

  Point AsPoint(const Json& value, const std::string& path) const {
    if (!value.is_array() || value.size() != 2)
      Fail(path, "expected a point [x, y], found " + (value.is_array() ? "an array of " + std::to_string(value.size()) : TypeName(value)));
    return Point{AsNumber(value[0], Index(path, 0)) * scale_, AsNumber(value[1], Index(path, 1)) * scale_};
  }

 private:
  const Json& value_;
  std::string path_;
  double scale_;
  std::set<std::string> used_;
};

// An enumeration field: one of the given words, or the plug-in's number for
// it (so that every value the interface takes can be expressed).
int EnumField(Object& object, const std::string& key, const std::map<std::string, int>& words,
              std::optional<int> fallback) {
  const Json* value = fallback ? object.Find(key) : &object.Require(key);
  if (value == nullptr) return *fallback;
  const std::string path = object.PathOf(key);
  if (value->is_number()) return Object::AsInteger(*value, path);
  if (!value->is_string()) Fail(path, "expected a word or a number, found " + TypeName(*value));
  auto found = words.find(value->get<std::string>());
  if (found == words.end()) {
    std::string known;
    for (const auto& [word, number] : words) known += (known.empty() ? "" : ", ") + word;
    Fail(path, "unknown value " + Quote(value->get<std::string>()) + " (expected one of " + known + ")");
  }
  return found->second;
}

const std::map<std::string, int> kLayerTypes = {
    {"signal", kLayerSignal},          {"power-ground", kLayerPowerGround},
    {"mixed", kLayerMixed},            {"solder-mask", kLayerSolderMask},
    {"solder-paste", kLayerSolderPaste}, {"silk-screen", kLayerSilkScreen},
    {"drill", kLayerDrill},            {"rout", kLayerRout},
    {"document", kLayerDocument},      {"component-top", kLayerComponentTop},
    {"component-bottom", kLayerComponentBottom}, {"mask", kLayerMask},
};
const std::map<std::string, int> kPolarities = {{"positive", kPolarityPositive},
                                                {"negative", kPolarityNegative}};
const std::map<std::string, int> kContexts = {{"board", kContextBoard}, {"misc", kContextMisc}};

// Remembers where a name was first used, for the duplicate checks of the
// records that the plug-in refuses to hold twice.
class UniqueNames {
 public:
  explicit UniqueNames(std::string what) : what_(std::move(what)) {}
  void Add(const std::string& name, const std::string& path) {
    auto [it, inserted] = first_.emplace(name, path);
    if (!inserted) Fail(path, "duplicate " + what_ + " " + Quote(name) + " (first at " + it->second + ")");
  }

 private:
  std::string what_;
  std::unordered_map<std::string, std::string> first_;
};

// Registers a record's name and optional id for references.
void AddKeys(Object& object, const std::string& name, int index, NameTable& table) {
  table.Add(name, index);
  if (const Json* id = object.Find("id")) table.Add(Object::AsText(*id, object.PathOf("id")), index);
}

class Reader {
 public:
  explicit Reader(Design& design) : design_(design) {}

  void Read(const Json& root) {
    if (!root.is_object()) Fail("$", "expected an object, found " + TypeName(root));
    // The units come first: every length below is scaled on reading.
    const auto units = root.find("units");
    if (units != root.end()) {
      const std::string name = Object::AsText(*units, "$.units");
      if (name == "mm") {
        scale_ = 1.0 / 25.4;
      } else if (name != "inch") {
        Fail("$.units", "unknown units " + Quote(name) + " (expected \"inch\" or \"mm\")");
      }
    }
    Object top(root, "$", scale_);
    top.Find("units");
    top.Text("description", "");
    if (top.Has("job")) ReadJob(top.Child("job"));
    ReadLayers(top);
    ReadSteps(top);
    ReadMatrix(top);
    top.Finish();
  }

 private:
  void ReadJob(Object job) {
    if (job.Has("name")) design_.jobName = job.Text("name");
    if (job.Has("customer")) design_.customer = job.Text("customer");
    if (job.Has("comment")) design_.comment = job.Text("comment");
    if (job.Has("thickness")) design_.thickness = job.Length("thickness");
    job.Finish();
  }

  void ReadLayers(Object& top) {
    const Json& list = top.Array("layers");
    const std::string path = top.PathOf("layers");
    UniqueNames unique("layer name");
    // Drill spans may name layers further down the list: names first.
    for (size_t i = 0; i < list.size(); ++i) {
      Object object(list[i], Object::Index(path, i), scale_);
      const std::string name = object.Text("name");
      unique.Add(name, object.PathOf("name"));
      AddKeys(object, name, static_cast<int>(i), layerNames_);
    }
    for (size_t i = 0; i < list.size(); ++i) {
      Object object(list[i], Object::Index(path, i), scale_);
      LayerRecord layer;
      layer.name = object.Text("name");
      object.Find("id");
      layer.row = object.Count("row", 0);
      if (object.Has("drill")) {
        layer.isDrill = true;
        layer.type = kLayerDrill;
        Object drill = object.Child("drill");
        if (const Json* from = drill.Find("from")) layer.drillFrom = layerNames_.Resolve(*from, drill.PathOf("from"));
        if (const Json* to = drill.Find("to")) layer.drillTo = layerNames_.Resolve(*to, drill.PathOf("to"));
        drill.Finish();
      } else {
        layer.type = EnumField(object, "type", kLayerTypes, std::nullopt);
        layer.polarity = EnumField(object, "polarity", kPolarities, kPolarityPositive);
        layer.context = EnumField(object, "context", kContexts, kContextBoard);
      }
      object.Finish();
      design_.layers.push_back(std::move(layer));
    }
  }

  void ReadSteps(Object& top) {
    const Json& list = top.Array("steps");
    const std::string path = top.PathOf("steps");
    UniqueNames unique("step name");
    for (size_t i = 0; i < list.size(); ++i) {
      Object object(list[i], Object::Index(path, i), scale_);
      StepRecord step;
      step.name = object.Text("name");
      unique.Add(step.name, object.PathOf("name"));
      AddKeys(object, step.name, static_cast<int>(i), stepNames_);
      step.profile = object.PointList("profile");
      StepReader(step, scale_, layerNames_, design_.layers).Read(object);
      object.Finish();
      design_.steps.push_back(std::move(step));
    }
  }

  void ReadMatrix(Object& top) {
    if (!top.Has("matrix")) {
      for (size_t i = 0; i < design_.steps.size(); ++i) design_.matrix.push_back(static_cast<int>(i));
      return;
    }
    const Json& list = top.Array("matrix");
    for (size_t i = 0; i < list.size(); ++i)
      design_.matrix.push_back(stepNames_.Resolve(list[i], Object::Index(top.PathOf("matrix"), i)));
  }

  // The records of one step; their names are scoped to the step.
  class StepReader {
   public:
    StepReader(StepRecord& step, double scale, const NameTable& layers,
               const std::vector<LayerRecord>& layerRecords)
        : step_(step), scale_(scale), layers_(layers), layerRecords_(layerRecords) {}

    void Read(Object& object) {
      ReadPadShapes(object);
      ReadPinTypes(object);
      ReadPackages(object);
      ReadNets(object);
      ReadComponents(object);
      EachObject(object, "pins", [&](Object& pin, int) { ReadPin(pin, -1); });
      ReadFeatures(object);
    }

   private:
    template <typename Body>
    void EachObject(Object& parent, const std::string& key, Body&& body) {
      const Json& list = parent.Array(key);
      for (size_t i = 0; i < list.size(); ++i) {
        Object object(list[i], Object::Index(parent.PathOf(key), i), scale_);
        body(object, static_cast<int>(i));
        object.Finish();
      }
    }

    void ReadPadShapes(Object& step) {
      EachObject(step, "padShapes", [&](Object& object, int index) {
        PadShapeRecord shape;
        shape.name = object.Text("name");
        AddKeys(object, shape.name, index, shapes_);
        if (object.Has("shape") && object.Has("kind"))
          Fail(object.Path(), "give either \"shape\" or \"kind\", not both");
        if (object.Has("kind")) {
          shape.form = PadShapeRecord::kSized;
          shape.kind = object.Integer("kind", 0);
          shape.width = object.Length("width");
          shape.height = object.Length("height");
        } else {
          const std::string form = object.Text("shape");
          if (form == "round") {
            shape.form = PadShapeRecord::kRound;
            shape.kind = 1;
            shape.width = shape.height = object.Length("diameter");
            shape.plated = object.Flag("plated", false);
          } else if (form == "rectangle") {
            shape.form = PadShapeRecord::kSized;
            shape.kind = 2;
            shape.width = object.Length("width");
            shape.height = object.Length("height");
          } else if (form == "polygon") {
            shape.form = PadShapeRecord::kPolygon;
            shape.kind = 4;
            shape.points = object.PointList("points");
          } else {
            Fail(object.PathOf("shape"),
                 "unknown shape " + Quote(form) + " (expected \"round\", \"rectangle\" or \"polygon\")");
          }
        }
        step_.padShapes.push_back(std::move(shape));
      });
    }

    void ReadPinTypes(Object& step) {
      UniqueNames unique("pin type name");
      EachObject(step, "pinTypes", [&](Object& object, int index) {
        PinTypeRecord pinType;
        pinType.name = object.Text("name");
        unique.Add(pinType.name, object.PathOf("name"));
        AddKeys(object, pinType.name, index, pinTypes_);
        EachObject(object, "pads", [&](Object& pad, int) {
          pinType.pads.push_back({shapes_.Resolve(pad.Require("shape"), pad.PathOf("shape")),
                                  layers_.Resolve(pad.Require("layer"), pad.PathOf("layer"))});
        });
        step_.pinTypes.push_back(std::move(pinType));
      });
    }

    void ReadPackages(Object& step) {
      UniqueNames unique("package name");
      EachObject(step, "packages", [&](Object& object, int index) {
        PackageRecord package;
        package.name = object.Text("name");
        unique.Add(package.name, object.PathOf("name"));
        AddKeys(object, package.name, index, packages_);
        Object box = object.Child("box");
        package.xMin = box.Length("xMin");
        package.xMax = box.Length("xMax");
        package.yMin = box.Length("yMin");
        package.yMax = box.Length("yMax");
        box.Finish();
        if (object.Has("outline")) package.outline = object.PointList("outline");
        if (object.Has("height")) {
          if (package.outline.empty()) Fail(object.PathOf("height"), "a height needs an \"outline\"");
          package.height = object.Length("height");
        }
        EachObject(object, "pins", [&](Object& pinObject, int pinIndex) {
          PackagePinRecord pin;
          pin.name = pinObject.Text("name", std::to_string(pinIndex + 1));
          pin.pinType = pinTypes_.Resolve(pinObject.Require("pinType"), pinObject.PathOf("pinType"));
          pin.x = pinObject.Length("x");
          pin.y = pinObject.Length("y");
          pin.angle = pinObject.Angle("angle");
          pin.number = pinObject.Integer("number", pinIndex + 1);
          package.pins.push_back(std::move(pin));
        });
        step_.packages.push_back(std::move(package));
      });
    }

    void ReadNets(Object& step) {
      const Json& list = step.Array("nets");
      for (size_t i = 0; i < list.size(); ++i) {
        const std::string path = Object::Index(step.PathOf("nets"), i);
        const int index = static_cast<int>(i);
        if (list[i].is_string()) {
          step_.nets.push_back(list[i].get<std::string>());
          nets_.Add(step_.nets.back(), index);
          continue;
        }
        Object object(list[i], path, scale_);
        step_.nets.push_back(object.Text("name"));
        AddKeys(object, step_.nets.back(), index, nets_);
        object.Finish();
      }
    }

    void ReadComponents(Object& step) {
      UniqueNames unique("component reference");
      EachObject(step, "components", [&](Object& object, int index) {
        ComponentRecord component;
        component.reference = object.Text("reference");
        unique.Add(component.reference, object.PathOf("reference"));
        component.package = packages_.Resolve(object.Require("package"), object.PathOf("package"));
        component.layer = layers_.Resolve(object.Require("layer"), object.PathOf("layer"));
        const int type = layerRecords_[component.layer].type;
        if (type != kLayerComponentTop && type != kLayerComponentBottom)
          Fail(object.PathOf("layer"),
               "layer " + Quote(layerRecords_[component.layer].name) + " is not a component layer");
        component.part = object.Text("part", "");
        component.x = object.Length("x");
        component.y = object.Length("y");
        component.rotation = object.Angle("rotation");
        component.mirror = object.Integer("mirror", 0);
        step_.components.push_back(std::move(component));
        EachObject(object, "pins", [&](Object& pin, int) { ReadPin(pin, index); });
      });
    }

    void ReadPin(Object& object, int component) {
      PinRecord pin;
      pin.component = component;
      const int index = static_cast<int>(step_.pins.size());
      if (const Json* id = object.Find("id")) pins_.Add(Object::AsText(*id, object.PathOf("id")), index);
      pin.pinType = pinTypes_.Resolve(object.Require("pinType"), object.PathOf("pinType"));
      pin.x = object.Length("x");
      pin.y = object.Length("y");
      pin.angle = object.Angle("angle");
      pin.value = object.Integer("value", 0);
      pin.kind = object.Integer("kind", 0);
      if (const Json* net = object.Find("net")) pin.net = nets_.Resolve(*net, object.PathOf("net"));
      EachObject(object, "pads", [&](Object& pad, int) {
        pin.pads.push_back({layers_.Resolve(pad.Require("layer"), pad.PathOf("layer")),
                            shapes_.Resolve(pad.Require("shape"), pad.PathOf("shape"))});
      });
      step_.pins.push_back(std::move(pin));
    }

    void ReadFeatures(Object& step) {
      EachObject(step, "features", [&](Object& object, int) {
        FeatureRecord feature;
        const std::string type = object.Text("type");
        feature.layer = layers_.Resolve(object.Require("layer"), object.PathOf("layer"));
        auto net = [&] {
          if (const Json* value = object.Find("net")) feature.net = nets_.Resolve(*value, object.PathOf("net"));
        };
        auto shape = [&] { feature.shape = shapes_.Resolve(object.Require("shape"), object.PathOf("shape")); };
        if (type == "pad") {
          feature.kind = FeatureRecord::kPad;
          shape();
          feature.from = object.PointField("at");
        } else if (type == "pinPad") {
          feature.kind = FeatureRecord::kPinPad;
          shape();
          feature.pin = pins_.Resolve(object.Require("pin"), object.PathOf("pin"));
        } else if (type == "line") {
          feature.kind = FeatureRecord::kLine;
          feature.from = object.PointField("from");
          feature.to = object.PointField("to");
          feature.width = object.Length("width");
          net();
        } else if (type == "arc") {
          feature.kind = FeatureRecord::kArc;
          feature.from = object.PointField("from");
          feature.to = object.PointField("to");
          feature.center = object.PointField("center");
          feature.clockwise = object.Flag("clockwise", false);
          feature.width = object.Length("width");
          net();
        } else if (type == "circle") {
          feature.kind = FeatureRecord::kCircle;
          feature.center = object.PointField("center");
          feature.radius = object.Length("radius");
          feature.width = object.Length("width");
        } else if (type == "contour") {
          feature.kind = FeatureRecord::kContour;
          feature.points = object.PointList("points");
          feature.width = object.Length("width", 0.0);
          feature.filled = object.Flag("filled", true);
        } else if (type == "surface") {
          feature.kind = FeatureRecord::kSurface;
          net();
          EachObject(object, "contours", [&](Object& contour, int) {
            feature.contours.push_back({contour.PointList("points"), contour.Flag("filled", true)});
          });
        } else if (type == "shapeLine") {
          feature.kind = FeatureRecord::kShapeLine;
          shape();
          feature.from = object.PointField("from");
          feature.to = object.PointField("to");
        } else {
          Fail(object.PathOf("type"), "unknown feature type " + Quote(type) +
                                          " (expected pad, pinPad, line, arc, circle, contour, surface or shapeLine)");
        }
        step_.features.push_back(std::move(feature));
      });
    }

    StepRecord& step_;
    double scale_;
    const NameTable& layers_;
    const std::vector<LayerRecord>& layerRecords_;
    NameTable shapes_{"pad shape"};
    NameTable pinTypes_{"pin type"};
    NameTable packages_{"package"};
    NameTable nets_{"net"};
    NameTable pins_{"pin"};
  };

  Design& design_;
  double scale_ = 1.0;
  NameTable layerNames_{"layer"};
  NameTable stepNames_{"step"};
};

// Follows the JSON path while the text is parsed, so that a syntax error,
// a number out of range or a key given twice can be reported at its place.
class PathTracker : public nlohmann::json_sax<Json> {
 public:
  std::string Path() const {
    std::string path = "$";
    for (const Level& level : levels_) {
      if (level.isArray) {
        if (level.index >= 0) path += "[" + std::to_string(level.index) + "]";
      } else if (level.hasKey) {
        path += "." + level.key;
      }
    }
    return path;
  }

  std::string error;
  size_t errorByte = 0;

  bool null() override { return Value(); }
  bool boolean(bool) override { return Value(); }
  bool number_integer(number_integer_t) override { return Value(); }
  bool number_unsigned(number_unsigned_t) override { return Value(); }
  bool number_float(number_float_t, const string_t&) override { return Value(); }
  bool string(string_t&) override { return Value(); }
  bool binary(binary_t&) override { return Value(); }
  bool start_object(std::size_t) override {
    Value();
    levels_.push_back(Level{});
    return true;
  }
  bool key(string_t& key) override {
    Level& level = levels_.back();
    level.key = key;
    level.hasKey = true;
    if (level.keys.insert(key).second) return true;
    error = "the field " + Quote(key) + " is given twice";
    return false;  // stops the parse
  }
  bool end_object() override {
    levels_.pop_back();
    return true;
  }
  bool start_array(std::size_t) override {
    Value();
    Level level;
    level.isArray = true;
    levels_.push_back(std::move(level));
    return true;
  }
  bool end_array() override {
    levels_.pop_back();
    return true;
  }
  bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& ex) override {
    errorByte = position;
    std::string what = ex.what();
    // Keep the reason, drop the library's "[json.exception...]" prefix and position.
    const size_t colon = what.find(": ", what.find("] "));
    if (what.find("number overflow") != std::string::npos) {
      const size_t quote = what.find('\'');
      error = "the number " + (quote != std::string::npos ? what.substr(quote) : std::string()) +
              " is not finite";
    } else {
      error = colon != std::string::npos ? what.substr(colon + 2) : what;
    }
    // While an array element is being read, point at that element.
    if (!levels_.empty() && levels_.back().isArray) ++levels_.back().index;
    return false;
  }

 private:
  struct Level {
    bool isArray = false;
    int index = -1;
    std::string key;
    bool hasKey = false;
    std::set<std::string> keys;
  };

  bool Value() {
    if (!levels_.empty() && levels_.back().isArray) ++levels_.back().index;
    return true;
  }

  std::vector<Level> levels_;
};

std::string LineAndColumn(const std::string& text, size_t byte) {
  size_t line = 1, column = 1;
  for (size_t i = 0; i + 1 < byte && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

}  // namespace

bool ReadDesign(const std::string& text, const std::string& source, Design& design, std::string& error) {
  PathTracker tracker;
  if (!Json::sax_parse(text, &tracker)) {
    error = source + ": " + tracker.Path() + ": " + tracker.error;
    if (tracker.errorByte > 0) error += " (" + LineAndColumn(text, tracker.errorByte) + ")";
    return false;
  }
  design = Design{};
  try {
    Reader(design).Read(Json::parse(text));
    return true;
  } catch (const DesignError& failure) {
    error = source + ": " + failure.path + ": " + failure.message;
  } catch (const std::exception& failure) {
    error = source + ": " + failure.what();
  }
  design = Design{};
  return false;
}

bool ReadInputFile(const std::string& path, std::string& text, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = path + ": cannot open the design file";
    return false;
  }
  auto tooLarge = [&](std::size_t size) {
    error = path + ":1:1: expected a design file or board of at most " + std::to_string(kMaxInputBytes >> 20) +
            " MB, found " + std::to_string(size) + " bytes or more";
    return false;
  };
  file.seekg(0, std::ios::end);
  const std::streamoff size = file.tellg();
  file.seekg(0, std::ios::beg);
  if (size >= 0) {
    // A file of known size is read in one piece: no copies of large boards.
    if (static_cast<std::size_t>(size) > kMaxInputBytes) return tooLarge(static_cast<std::size_t>(size));
    text.resize(static_cast<std::size_t>(size));
    file.read(text.data(), size);
    if (file.gcount() != size) {
      error = path + ": cannot read the design file";
      return false;
    }
    return true;
  }
  // A pipe: read until its end, but no further than the limit.
  file.clear();
  text.clear();
  char buffer[1 << 16];
  while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(file.gcount()));
    if (text.size() > kMaxInputBytes) return tooLarge(text.size());
  }
  if (file.bad()) {
    error = path + ": cannot read the design file";
    return false;
  }
  return true;
}

bool ReadDesignFile(const std::string& path, Design& design, std::string& error) {
  std::string text;
  return ReadInputFile(path, text, error) && ReadDesign(text, path, design, error);
}

}  // namespace kelpie::host
