// Replays a design through the plug-in's interface table: job properties,
// layers, then each step with its library records, instances and features,
// then the matrix. The records arrive in the order the interface requires
// (a record before every operation that takes its handle).
#include <vector>

#include "design.h"

namespace kelpie::host {

namespace {

struct Coordinates {
  std::vector<double> xs;
  std::vector<double> ys;
  explicit Coordinates(const Points& points) {
    xs.reserve(points.size());
    ys.reserve(points.size());
    for (const Point& point : points) {
      xs.push_back(point.x);
      ys.push_back(point.y);
    }
  }
  int Count() const { return static_cast<int>(xs.size()); }
};

class Builder {
 public:
  Builder(IKELPIE& server, const Design& design, std::string& error)
      : server_(server), design_(design), error_(error) {}

  bool Run() {
    if (design_.jobName) server_.SetJobName(design_.jobName->c_str());
    if (design_.customer) server_.SetCustomerName(design_.customer->c_str());
    if (design_.comment) server_.SetComment(design_.comment->c_str());
    if (design_.thickness) server_.SetBoardThickness(*design_.thickness);
    if (!AddLayers()) return false;
    std::vector<Step*> steps;
    for (const StepRecord& step : design_.steps) {
      Step* handle = AddStep(step);
      if (handle == nullptr) return false;
      steps.push_back(handle);
    }
    for (int step : design_.matrix) server_.AddMatrixStep(steps[step], 0, 0);
    return true;
  }

 private:
  bool Refused(const std::string& what) {
    error_ = "the plug-in refused " + what;
    return false;
  }

  bool AddLayers() {
    for (const LayerRecord& record : design_.layers) {
      Layer* layer;
      if (record.isDrill) {
        layer = server_.AddDrillLayer(record.name.c_str(), record.row, LayerAt(record.drillFrom),
                                      LayerAt(record.drillTo));
      } else {
        layer = server_.AddLayer(record.name.c_str(), record.row, record.type, record.polarity,
                                 record.context);
      }
      if (layer == nullptr) return Refused("the layer \"" + record.name + "\"");
      layers_.push_back(layer);
    }
    return true;
  }

  Layer* LayerAt(int index) const { return index >= 0 ? layers_[index] : nullptr; }

  Step* AddStep(const StepRecord& record) {
    const Coordinates profile(record.profile);
    Step* step = server_.AddStep(record.name.c_str(), profile.xs.data(), profile.ys.data(), profile.Count());
    if (step == nullptr) {
      Refused("the step \"" + record.name + "\"");
      return nullptr;
    }
    std::vector<PadShape*> shapes;
    for (const PadShapeRecord& shape : record.padShapes) {
      PadShape* handle = nullptr;
      switch (shape.form) {
        case PadShapeRecord::kRound:
          handle = server_.AddRoundPadShape(shape.name.c_str(), shape.width, shape.plated);
          break;
        case PadShapeRecord::kPolygon: {
          const Coordinates points(shape.points);
          handle = server_.AddPolygonPadShape(shape.name.c_str(), points.xs.data(), points.ys.data(),
                                              points.Count());
          break;
        }
        case PadShapeRecord::kSized:
          handle = server_.AddPadShape(shape.name.c_str(), shape.kind, shape.width, shape.height, 0, 0);
          break;
      }
      if (handle == nullptr) return Failed("the pad shape \"" + shape.name + "\"");
      shapes.push_back(handle);
    }

    std::vector<PinType*> pinTypes;
    for (const PinTypeRecord& pinType : record.pinTypes) {
      PinType* handle = server_.AddPinType(pinType.name.c_str());
      if (handle == nullptr) return Failed("the pin type \"" + pinType.name + "\"");
      for (const PinTypePadRecord& pad : pinType.pads)
        server_.AddPinTypePad(handle, shapes[pad.shape], layers_[pad.layer]);
      pinTypes.push_back(handle);
    }

    std::vector<PackageType*> packages;
    for (const PackageRecord& package : record.packages) {
      PackageType* handle = server_.AddPackageType(package.name.c_str(), package.xMin, package.xMax,
                                                   package.yMin, package.yMax);
      if (handle == nullptr) return Failed("the package \"" + package.name + "\"");
      if (!package.outline.empty()) {
        const Coordinates outline(package.outline);
        server_.SetPackageOutline(handle, outline.xs.data(), outline.ys.data(), outline.Count(),
                                  package.height);
      }
      for (const PackagePinRecord& pin : package.pins)
        server_.AddPackagePin(handle, pinTypes[pin.pinType], pin.name.c_str(), pin.x, pin.y, pin.angle,
                              pin.number);
      packages.push_back(handle);
    }

    std::vector<Net*> nets;
    for (const std::string& net : record.nets) {
      Net* handle = server_.AddNet(net.c_str());
      if (handle == nullptr) return Failed("the net \"" + net + "\"");
      nets.push_back(handle);
    }
    auto netAt = [&](int index) { return index >= 0 ? nets[index] : nullptr; };

    std::vector<Component*> components;
    for (const ComponentRecord& component : record.components) {
      Component* handle = server_.AddComponent(layers_[component.layer], packages[component.package],
                                               component.reference.c_str(), component.part.c_str(),
                                               component.x, component.y, component.rotation, component.mirror);
      if (handle == nullptr) return Failed("the component \"" + component.reference + "\"");
      components.push_back(handle);
    }

    std::vector<Pin*> pins;
    pins.reserve(record.pins.size());
    for (const PinRecord& pin : record.pins) {
      Pin* handle;
      if (pin.component >= 0) {
        handle = server_.AddComponentPin(components[pin.component], pinTypes[pin.pinType], pin.x, pin.y,
                                         pin.angle, pin.value, pin.kind, netAt(pin.net));
      } else {
        handle = server_.AddPin(pinTypes[pin.pinType], pin.x, pin.y, pin.angle, pin.value, pin.kind,
                                netAt(pin.net));
      }
      if (handle == nullptr) return Failed("a pin");
      for (const PinPadRecord& pad : pin.pads) server_.AddPinPad(layers_[pad.layer], shapes[pad.shape], handle);
      pins.push_back(handle);
    }

    for (const FeatureRecord& feature : record.features) {
      Layer* layer = layers_[feature.layer];
      switch (feature.kind) {
        case FeatureRecord::kPad:
          server_.AddPad(layer, shapes[feature.shape], feature.from.x, feature.from.y);
          break;
        case FeatureRecord::kPinPad:
          server_.AddPinPad(layer, shapes[feature.shape], pins[feature.pin]);
          break;
        case FeatureRecord::kLine:
          if (feature.net >= 0) {
            server_.AddLine(layer, feature.from.x, feature.from.y, feature.to.x, feature.to.y, feature.width,
                            nets[feature.net]);
          } else {
            server_.AddPlainLine(layer, feature.from.x, feature.from.y, feature.to.x, feature.to.y,
                                 feature.width);
          }
          break;
        case FeatureRecord::kArc:
          server_.AddArc(layer, feature.from.x, feature.from.y, feature.to.x, feature.to.y, feature.center.x,
                         feature.center.y, feature.clockwise, feature.width, netAt(feature.net));
          break;
        case FeatureRecord::kCircle:
          server_.AddCircle(layer, feature.center.x, feature.center.y, feature.radius, feature.width, 0);
          break;
        case FeatureRecord::kContour: {
          const Coordinates points(feature.points);
          server_.AddContour(layer, points.xs.data(), points.ys.data(), points.Count(), feature.width,
                             feature.filled);
          break;
        }
        case FeatureRecord::kSurface: {
          Surface* surface = server_.AddSurface(layer, netAt(feature.net));
          if (surface == nullptr) return Failed("a surface");
          for (const SurfaceContourRecord& contour : feature.contours) {
            const Coordinates points(contour.points);
            server_.AddSurfaceContour(surface, points.xs.data(), points.ys.data(), points.Count(),
                                      contour.filled);
          }
          break;
        }
        case FeatureRecord::kShapeLine:
          server_.AddShapeLine(layer, shapes[feature.shape], feature.from.x, feature.from.y, feature.to.x,
                               feature.to.y);
          break;
      }
    }
    return step;
  }

  Step* Failed(const std::string& what) {
    Refused(what);
    return nullptr;
  }

  IKELPIE& server_;
  const Design& design_;
  std::string& error_;
  std::vector<Layer*> layers_;
};

}  // namespace

bool DescribeDesign(IKELPIE& server, const Design& design, std::string& error) {
  return Builder(server, design, error).Run();
}

}  // namespace kelpie::host
