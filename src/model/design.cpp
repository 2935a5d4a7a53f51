#include "model/design.h"

namespace kelpie {

Step* Design::AddStep(const std::string& name, const double* xs, const double* ys, int count,
                      const Messages& messages) {
  if (stepNames.count(name) != 0) {
    messages.Error("Step " + name + " already defined.");
    return nullptr;
  }
  Step& step = steps.emplace_back();
  step.name = name;
  stepNames.insert(name);
  BuildClosedContour(step.profile, xs, ys, count);
  return &step;
}

MatrixStep& Design::AddMatrixStep(Step& step) {
  MatrixStep& entry = matrixSteps.emplace_back();
  entry.column = static_cast<int>(matrixSteps.size());
  entry.name = step.name;
  entry.step = &step;
  return entry;
}

Layer* Design::AddLayer(const std::string& name, int row, LayerKind kind, Polarity polarity,
                        MatrixContext context, const Messages& messages) {
  if (layers.HasLayer(name)) {
    messages.Error("Layer " + name + " already defined.");
    return nullptr;
  }
  return &layers.Append(name, row, kind, polarity, context);
}

void Design::RebuildNameIndexes() {
  layers.RebuildNameIndex();
  stepNames.clear();
  for (Step& step : steps) {
    stepNames.insert(step.name);
    step.packageTypeNames.clear();
    for (const PackageType& package : step.packageTypes) step.packageTypeNames.insert(package.name);
  }
}

PadShape* AddPadShape(Step& step, const std::string& name, PadKind kind, double width,
                      double height, bool plated) {
  PadShape& shape = step.padShapes.emplace_back();
  shape.name = name;
  shape.kind = kind;
  shape.width = width;
  shape.height = height;
  shape.plated = plated;
  return &shape;
}

PadShape* AddPolygonPadShape(Step& step, const std::string& name, const double* xs,
                             const double* ys, int count) {
  PadShape* shape = AddPadShape(step, name, PadKind::kPolygon, 0, 0, false);
  BuildClosedContour(shape->outline, xs, ys, count);
  return shape;
}

PinType* AddPinType(Step& step, const std::string& name, const Messages& messages) {
  if (!step.pinTypeNames.insert(name).second) {
    messages.Error("Pin type name " + name + " already defined");
    return nullptr;
  }
  PinType& pinType = step.pinTypes.emplace_back();
  pinType.name = name;
  return &pinType;
}

void AddPinTypePad(PinType& pinType, PadShape* shape, Layer* layer) {
  pinType.pads.push_back(PinTypePad{shape, layer});
}

PackageType* AddPackageType(Step& step, const std::string& name, double xMin, double xMax,
                            double yMin, double yMax, const Messages& messages) {
  if (!step.packageTypeNames.insert(name).second) {
    messages.Error("Package type " + name + " already defined.");
    return nullptr;
  }
  PackageType& package = step.packageTypes.emplace_back();
  package.name = name;
  package.xMin = xMin;
  package.xMax = xMax;
  package.yMin = yMin;
  package.yMax = yMax;
  package.index = static_cast<int>(step.packageTypes.size()) - 1;
  return &package;
}

void SetPackageOutline(PackageType& package, const double* xs, const double* ys, int count,
                       double height) {
  auto outline = std::make_unique<Contour>();
  BuildClosedContour(*outline, xs, ys, count);
  package.outline = std::move(outline);
  package.height = height;
}

void AddPackagePin(PackageType& package, PinType* pinType, const std::string& name, double x,
                   double y, double angle, int number) {
  PackagePin& pin = package.pins.emplace_back();
  pin.pinType = pinType;
  pin.x = x;
  pin.y = y;
  pin.angle = angle;
  pin.number = number;
  pin.index = static_cast<int>(package.pins.size()) - 1;
  pin.name = name;
}

Net* AddNet(Step& step, const std::string& name) {
  Net& net = step.nets.emplace_back();
  net.name = name;
  net.index = static_cast<int>(step.nets.size()) - 1;
  return &net;
}

Component* AddComponent(Step& step, Layer& layer, PackageType& package,
                        const std::string& reference, const std::string& partName, double x,
                        double y, double rotation, MirrorMode mirrorMode,
                        const Messages& messages) {
  if (!IsComponentLayer(layer.kind)) {
    messages.Error("Component " + reference + " is not on a component layer");
    return nullptr;
  }
  // The side mark comes before the duplicate check: a refused duplicate still
  // marks its package type.
  if (layer.kind == LayerKind::kComponentTop) package.usedOnTop = true;
  if (layer.kind == LayerKind::kComponentBottom) package.usedOnBottom = true;
  if (!step.references.insert(reference).second) {
    messages.Error("Reference " + reference + " already defined.");
    return nullptr;
  }
  Component& component = step.components.emplace_back();
  component.layer = &layer;
  component.packageType = &package;
  component.partName = partName;
  component.x = x;
  component.y = y;
  component.rotation = rotation;
  component.reference = reference;
  component.mirrorMode = mirrorMode;
  component.indexOnLayer = layer.componentCount++;
  return &component;
}

Pin* AddPin(Step& step, PinType* pinType, double x, double y, double angle, int value, PinKind kind,
            Net* net) {
  Pin& pin = step.pins.emplace_back();
  pin.indexInStep = static_cast<int>(step.pins.size()) - 1;
  pin.pinType = pinType;
  pin.x = x;
  pin.y = y;
  pin.angle = angle;
  pin.value = value;
  pin.kind = kind;
  pin.net = net;
  return &pin;
}

Pin* AddComponentPin(Step& step, Component& component, PinType* pinType, double x, double y,
                     double angle, int value, PinKind kind, Net* net) {
  Pin* pin = AddPin(step, pinType, x, y, angle, value, kind, net);
  pin->component = &component;
  pin->indexInComponent = static_cast<int>(component.pins.size());
  component.pins.push_back(pin);
  return pin;
}

LineFeature* AddLineFeature(Layer& layer, double xs, double ys, double xe, double ye, double width,
                            Net* net) {
  LineFeature& line = layer.lines.emplace_back();
  line.xs = xs;
  line.ys = ys;
  line.xe = xe;
  line.ye = ye;
  line.width = width;
  line.net = net;
  return &line;
}

ArcFeature* AddArcFeature(Layer& layer, double xs, double ys, double xe, double ye, double xc,
                          double yc, bool clockwise, double width, Net* net) {
  ArcFeature& arc = layer.arcs.emplace_back();
  arc.xs = xs;
  arc.ys = ys;
  arc.xe = xe;
  arc.ye = ye;
  arc.xc = xc;
  arc.yc = yc;
  arc.clockwise = clockwise;
  arc.width = width;
  arc.net = net;
  return &arc;
}

ArcFeature* AddCircleFeature(Layer& layer, double cx, double cy, double r, double width) {
  return AddArcFeature(layer, cx - r, cy, cx - r, cy, cx, cy, true, width, nullptr);
}

Contour* AddContourFeature(Layer& layer, const double* xs, const double* ys, int count,
                           double width, bool filled, Surface* surface) {
  Contour& contour = layer.contours.emplace_back();
  BuildClosedContour(contour, xs, ys, count);
  contour.width = width;
  contour.filled = filled;
  contour.surface = surface;
  return &contour;
}

Surface* AddSurfaceFeature(Layer& layer, Net* net) {
  Surface& surface = layer.surfaces.emplace_back();
  surface.net = net;
  surface.layer = &layer;
  return &surface;
}

PadFeature* AddPadFeature(Layer& layer, PadShape* shape, double x, double y, Pin* pin) {
  PadFeature& pad = layer.pads.emplace_back();
  pad.x = x;
  pad.y = y;
  pad.shape = shape;
  pad.pin = pin;
  pad.net = pin != nullptr ? pin->net : nullptr;
  return &pad;
}

}  // namespace kelpie
