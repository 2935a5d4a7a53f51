#include "odb/eda_data.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "odb/contour_records.h"
#include "output/text.h"

namespace kelpie {

namespace {

// "RC" with a rectangle's corner (x1, y1) moved by (dx, dy), its width and
// its height.
void WriteRectangleRecord(FileWriter& writer, double x1, double y1, double x2, double y2, double dx,
                          double dy) {
  writer.BeginLine("RC");
  writer.AddNumber(x1 + dx);
  writer.AddNumber(y1 + dy);
  writer.AddNumber(x2 - x1);
  writer.EndLine(NumberToText(y2 - y1));
}

// "CR" with the centre and the radius.
void WriteCircleRecord(FileWriter& writer, double radius, double xc, double yc) {
  writer.BeginLine("CR");
  writer.AddNumber(xc);
  writer.AddNumber(yc);
  writer.EndLine(NumberToText(radius));
}

// "FID C", the layer number and the feature number.
void WriteFeatureId(FileWriter& writer, const FeatureRef& feature) {
  writer.BeginLine("FID C");
  writer.AddInt(feature.layerNumber);
  writer.AddInt(feature.featureNumber);
  writer.EndLine();
}

// What a pin's subnet line quotes of its component, kept by the pin's
// position in a small list made in one pass over the pins: the nets visit
// their pins in no useful order, and on a large board reading these eight
// bytes stays in cache where the pins and their components would not.
struct PinOwner {
  int componentOnLayer;  // -1: the pin belongs to no component
  std::uint32_t pinInComponent : 31;
  std::uint32_t onTop : 1;
};

std::vector<PinOwner> PinOwners(const Step& step) {
  std::vector<PinOwner> owners;
  owners.reserve(step.pins.size());
  for (const Pin& pin : step.pins) {
    const Component* component = pin.component;
    if (component == nullptr) {
      owners.push_back({-1, 0, 0});
    } else {
      owners.push_back({component->indexOnLayer, static_cast<std::uint32_t>(pin.indexInComponent),
                        component->layer->row == 1 ? 1U : 0U});
    }
  }
  return owners;
}

void WriteNetRecord(FileWriter& writer, const StepPlan& plan, const std::vector<PinOwner>& owners,
                    const Net& net, int netNumber) {
  writer.BeginLine("NET");
  writer.EndLine(net.name);
  // Every trace is a subnet of its own.
  for (const std::uint32_t trace : plan.traces.Of(netNumber)) {
    writer.WriteLine("SNT TRC");
    WriteFeatureId(writer, plan.Feature(trace));
  }
  // Every pin is one subnet with the pads that flash it on any layer.
  for (const int position : plan.pins.Of(netNumber)) {
    const PinOwner& owner = owners[static_cast<size_t>(position)];
    if (owner.componentOnLayer >= 0) {
      writer.BeginLine("SNT TOP");
      writer.AddField(owner.onTop ? "T" : "B");
      writer.AddInt(owner.componentOnLayer);
      writer.AddInt(static_cast<std::int32_t>(owner.pinInComponent));
      writer.EndLine();
    } else {
      writer.WriteLine("SNT VIA");
    }
    for (const std::uint32_t pad : plan.pads.Of(position))
      WriteFeatureId(writer, plan.Feature(pad));
  }
  for (const std::uint32_t plane : plan.planes.Of(netNumber)) {
    writer.WriteLine("SNT PLN S E 0");
    WriteFeatureId(writer, plan.Feature(plane));
  }
}

// "T" through, "B" blind, "S" surface; empty for any other kind.
const char* PinLayerLetter(PinLayerKind kind) {
  switch (kind) {
    case PinLayerKind::kThrough:
      return "T";
    case PinLayerKind::kBlind:
      return "B";
    case PinLayerKind::kSurface:
      return "S";
    default:
      return "";
  }
}

std::string PointText(double x, double y) { return NumberToText(x) + "," + NumberToText(y); }

// "CT", the contour turned counter-clockwise by angle and moved to (x, y), "CE".
void WriteContourOutline(FileWriter& writer, const Contour& contour, double x, double y,
                         double angle) {
  writer.WriteLine("CT");
  WriteContourRecords(writer, contour, ContourPlacement{x, y, -angle});
  writer.WriteLine("CE");
}

// A rectangular pin pad: "RC" when it lies along the axes, else its corners
// turned by the pin's angle.
void WriteRectPinOutline(FileWriter& writer, double width, double height, const PackagePin& pin) {
  double angle = pin.angle;
  // Whole turns first, so that a huge angle cannot keep the loops below
  // busy; for ordinary angles this changes nothing.
  if (std::fabs(angle) > 720) angle = std::fmod(angle, 360.0);
  while (angle < 0) angle += 360;
  while (angle > 360) angle -= 360;
  bool alongAxes = false;
  for (const double right : {0.0, 90.0, 180.0, 270.0, 360.0}) {
    if (std::fabs(angle - right) < 1e-7) alongAxes = true;
  }
  if (alongAxes) {
    // Only an exact quarter turn swaps the sides.
    const bool swapped = angle == 90 || angle == 270;
    const double w = swapped ? height : width;
    const double h = swapped ? width : height;
    WriteRectangleRecord(writer, -w / 2, -h / 2, w / 2, h / 2, pin.x, pin.y);
    return;
  }
  const double xs[] = {-width / 2, width / 2, width / 2, -width / 2};
  const double ys[] = {-height / 2, -height / 2, height / 2, height / 2};
  Contour corners;
  BuildClosedContour(corners, xs, ys, 4);
  WriteContourOutline(writer, corners, pin.x, pin.y, angle);
}

// The outline of one package pin, from the pin type's pad on the outer
// signal layer of the package's side. False for a pad shape of an unknown
// kind.
[[nodiscard]] bool WritePinOutline(FileWriter& writer, const PackageType& package,
                                   const PackagePin& pin, int pinNumber,
                                   const std::string& packageCentre, OuterLayers& outerLayers,
                                   const Messages& messages) {
  const PinTypePad* pad = FindPinTypePad(*pin.pinType, outerLayers.Side(package.usedOnTop));
  if (pad == nullptr) {
    messages.Warning("Could not find surface pad: " + package.name + " pin " +
                     IntToText(pinNumber) + " at " + PointText(pin.x, pin.y) + " Package at " +
                     packageCentre + " (inches)");
    WriteRectPinOutline(writer, 0.01, 0.01, pin);
    return true;
  }
  const PadShape& shape = *pad->shape;
  switch (shape.kind) {
    case PadKind::kRound:
      WriteCircleRecord(writer, shape.width / 2, pin.x, pin.y);
      return true;
    case PadKind::kRectangle:
    case PadKind::kOtherRectangle:
      WriteRectPinOutline(writer, shape.width, shape.height, pin);
      return true;
    case PadKind::kPolygon:
      WriteContourOutline(writer, shape.outline, pin.x, pin.y, pin.angle);
      return true;
    default:
      messages.Error("Pin shape " + IntToText(static_cast<int>(shape.kind)) +
                     " not yet implemented");
      return false;
  }
}

[[nodiscard]] bool WritePackageRecord(FileWriter& writer, const PackageType& package,
                                      OuterLayers& outerLayers, const Messages& messages) {
  const std::string centre =
      PointText((package.xMin + package.xMax) / 2, (package.yMin + package.yMax) / 2);
  writer.BeginLine("PKG");
  writer.AddField(package.name);
  writer.AddNumber(package.pitch);
  writer.AddNumber(package.xMin);
  writer.AddNumber(package.yMin);
  writer.AddNumber(package.xMax);
  writer.EndLine(NumberToText(package.yMax));
  // The package body is always written as its box; the outline contour is
  // the IDF library's business.
  WriteRectangleRecord(writer, package.xMin, package.yMin, package.xMax, package.yMax, 0, 0);
  if (package.usedOnTop && package.usedOnBottom) {
    messages.Error("Package " + package.name + " cannot be used on both sides");
    return false;
  }
  int pinNumber = 0;
  for (const PackagePin& pin : package.pins) {
    // Pins are named by their position from 1 here, whatever the host called them.
    writer.BeginLine("PIN");
    writer.AddNumber(pinNumber + 1);
    const PinType& pinType = *pin.pinType;
    const std::string letter = PinLayerLetter(pinType.layerKind);
    if (letter.empty()) {
      messages.Error("Invalid pinlayer");
      return false;
    }
    writer.AddField(letter);
    writer.AddNumber(pin.x);
    writer.AddNumber(pin.y);
    writer.AddNumber(0);   // finished hole size
    writer.AddField("U");  // electrical type
    writer.EndLine("U");   // mount type
    if (pinType.pads.empty()) {
      messages.Error("Pintype '" + pinType.name + "' at " + PointText(pin.x, pin.y) +
                     " Package at " + centre + " (inches) has no pads");
      return false;
    }
    if (!WritePinOutline(writer, package, pin, pinNumber, centre, outerLayers, messages))
      return false;
    ++pinNumber;
  }
  return true;
}

}  // namespace

bool WriteEdaData(const OutputTarget& target, const Design& design, const StepPlan& plan,
                  OuterLayers& outerLayers, const std::string& stepDirectory) {
  FileWriter writer(target, stepDirectory + "\\eda", "data", false);
  writer.WriteLine("HDR Valor");
  writer.BeginLine("LYR");
  for (const Layer& layer : design.layers.layers) writer.AddField(layer.name);
  writer.EndLine("");
  {
    const std::vector<PinOwner> owners = PinOwners(plan.step);
    int netNumber = 0;
    for (const Net& net : plan.step.nets) WriteNetRecord(writer, plan, owners, net, netNumber++);
  }
  bool written = true;
  for (const PackageType& package : plan.step.packageTypes) {
    written = WritePackageRecord(writer, package, outerLayers, target.messages);
    if (!written) break;
  }
  writer.Close();
  return written;
}

}  // namespace kelpie
