#include "odb/eda_data.h"

#include <cmath>
#include <memory>

#include "model/layer_stack.h"
#include "odb/odb_writers.h"
#include "output/text.h"
#include "server/host_services.h"
#include "server/server.h"

namespace kelpie {

namespace {

// "FID C", the layer number and the feature index.
bool WriteFeatureId(cFileWriter& writer, const FeatureRef& feature) {
  if (writer.BeginLine("FID C")) return true;
  writer.AddField(IntToText(feature.layerNumber));
  return writer.EndLine(IntToText(feature.featureIndex));
}

// Pin types are classified the first time a package pin of theirs is
// written, and keep that kind for later exports.
void ClassifyPinType(PinType& pinType) {
  if (pinType.pinLayerKind == 0) pinType.pinLayerKind = pinType.drillSize == 0.0 ? 3 : 1;
}

// "T" through, "B" blind, "S" surface; empty for any other kind.
const char* PinLayerLetter(int pinLayerKind) {
  switch (pinLayerKind) {
    case 1:
      return "T";
    case 2:
      return "B";
    case 3:
      return "S";
    default:
      return "";
  }
}

std::string PointText(double x, double y) { return NumberToText(x) + "," + NumberToText(y); }

// The outline of one package pin, from the pin type's pad on the outer
// signal layer of the package's side.
bool WritePinOutline(cFileWriter& writer, PackageType& package, PackagePin& pin, int pinNumber,
                     const std::string& packageCentre) {
  PinTypePad* pad = FindPinTypePad(currentServer->layers, *pin.pinType, package.usedOnTop);
  if (pad == nullptr) {
    SendWarning("Could not find surface pad: " + package.name + " pin " + IntToText(pinNumber) +
                " at " + PointText(pin.x, pin.y) + " Package at " + packageCentre + " (inches)");
    PadShape standIn;
    standIn.width = 0.01;
    standIn.height = 0.01;
    return WriteRectPinOutline(writer, &standIn, &pin);
  }
  PadShape& shape = *pad->shape;
  switch (shape.kind) {
    case 1:
      return writer.WriteCircleRecord(shape.width / 2, pin.x, pin.y);
    case 2:
    case 3:
      return WriteRectPinOutline(writer, &shape, &pin);
    case 4:
      return WriteContourOutline(writer, &shape.outline, pin.x, pin.y, pin.angle);
    default:
      SendError("Pin shape " + IntToText(shape.kind) + " not yet implemented");
      return true;
  }
}

}  // namespace

EdaNetIndex::EdaNetIndex(const Step& step, const std::deque<Layer>& layers) {
  const int netCount = static_cast<int>(step.nets.size());
  size_t lineCount = 0;
  size_t padCount = 0;
  for (const Layer& layer : layers) {
    lineCount += layer.lines.size();
    padCount += layer.pads.size();
  }
  traces.Reserve(lineCount);
  pads.Reserve(padCount);
  pins.Reserve(step.pins.size());
  // Only pins of one of this step's nets are listed, so only their pads are
  // gathered.
  AddressIndex netPins(step.pins.size());
  int position = 0;
  for (const Pin& pin : step.pins) {
    const int net = StepNetNumber(step, pin.net);
    if (net >= 0) {
      pins.Add(net, position);
      netPins.Insert(&pin, position);
    }
    ++position;
  }
  int layerNumber = 0;
  for (const Layer& layer : layers) {
    for (const LineFeature& line : layer.lines) {
      const int net = StepNetNumber(step, line.net);
      if (net >= 0) traces.Add(net, {layerNumber, line.featureIndex});
    }
    for (const PadFeature& pad : layer.pads) {
      const int pin = netPins.Find(pad.pin);
      if (pin >= 0) pads.Add(pin, {layerNumber, pad.featureIndex});
    }
    for (const Surface& surface : layer.surfaces) {
      const int net = StepNetNumber(step, surface.net);
      if (net >= 0) planes.Add(net, {layerNumber, surface.featureIndex});
    }
    ++layerNumber;
  }
  traces.Build(netCount);
  pins.Build(netCount);
  pads.Build(position);
  planes.Build(netCount);
}

bool WriteEdaData(const std::string& stepDirectory, Step* step) {
  auto writer = std::make_unique<cFileWriter>(stepDirectory + "\\eda", "data", false);
  bool failed = WriteEdaHeader(*writer, step);
  if (!failed) {
    for (PackageType& package : step->packageTypes) {
      failed = WritePackageRecord(*writer, &package);
      if (failed) break;
    }
  }
  writer->Close();
  return failed;
}

bool WriteEdaHeader(cFileWriter& writer, Step* step) {
  const std::deque<Layer>& layers = currentServer->layers.layers;
  if (writer.WriteLine("HDR Valor")) return true;
  if (writer.BeginLine("LYR")) return true;
  for (const Layer& layer : layers) writer.AddField(layer.name);
  if (writer.EndLine("")) return true;
  const EdaNetIndex index(*step, layers);
  // A net that fails to write does not stop the nets after it.
  for (Net& net : step->nets) WriteNetRecord(writer, step, &net, index);
  return false;
}

bool WriteNetRecord(cFileWriter& writer, Step* step, Net* net, const EdaNetIndex& index) {
  const int netNumber = StepNetNumber(*step, net);
  if (writer.BeginLine("NET")) return true;
  writer.EndLine(net->name);
  int subnet = 0;
  // Every trace is a subnet of its own.
  for (const FeatureRef& trace : index.traces.Of(netNumber)) {
    writer.WriteLine("SNT TRC");
    if (WriteFeatureId(writer, trace)) return true;
    ++subnet;
  }
  // Every pin is one subnet with the pads that flash it on any layer. The
  // components files quote the subnet numbers of component pins.
  for (const int position : index.pins.Of(netNumber)) {
    Pin& pin = step->pins[static_cast<size_t>(position)];
    if (pin.component != nullptr) {
      pin.subnetIndex = subnet;
      if (writer.BeginLine("SNT TOP")) return true;
      writer.AddField(pin.component->layer->row == 1 ? "T" : "B");
      writer.AddField(IntToText(pin.component->indexOnLayer));
      writer.EndLine(IntToText(pin.indexInComponent));
    } else {
      writer.WriteLine("SNT VIA");
    }
    for (const FeatureRef& pad : index.pads.Of(position)) {
      if (WriteFeatureId(writer, pad)) return true;
    }
    ++subnet;
  }
  for (const FeatureRef& plane : index.planes.Of(netNumber)) {
    writer.WriteLine("SNT PLN S E 0");
    if (WriteFeatureId(writer, plane)) return true;
    ++subnet;
  }
  return false;
}

bool WritePackageRecord(cFileWriter& writer, PackageType* package) {
  const std::string centre =
      PointText((package->xMin + package->xMax) / 2, (package->yMin + package->yMax) / 2);
  if (writer.BeginLine("PKG")) return true;
  writer.AddField(package->name);
  writer.AddNumber(package->pitch);
  writer.AddNumber(package->xMin);
  writer.AddNumber(package->yMin);
  writer.AddNumber(package->xMax);
  writer.EndLine(NumberToText(package->yMax));
  // The package body is always written as its box; the outline contour is
  // the IDF library's business.
  if (writer.WriteRectangleRecord(package->xMin, package->yMin, package->xMax, package->yMax, 0,
                                  0))
    return true;
  if (package->usedOnTop && package->usedOnBottom) {
    SendError("Package " + package->name + " cannot be used on both sides");
    return true;
  }
  int pinNumber = 0;
  for (PackagePin& pin : package->pins) {
    // Pins are named by their position from 1 here, whatever the host called them.
    if (writer.BeginLine("PIN")) return true;
    writer.AddNumber(pinNumber + 1);
    PinType& pinType = *pin.pinType;
    ClassifyPinType(pinType);
    const std::string letter = PinLayerLetter(pinType.pinLayerKind);
    if (letter.empty()) {
      SendError("Invalid pinlayer");
      return true;
    }
    writer.AddField(letter);
    writer.AddNumber(pin.x);
    writer.AddNumber(pin.y);
    writer.AddNumber(0);       // finished hole size
    writer.AddField("U");      // electrical type
    writer.EndLine("U");       // mount type
    if (pinType.pads.empty()) {
      SendError("Pintype '" + pinType.name + "' at " + PointText(pin.x, pin.y) + " Package at " +
                centre + " (inches) has no pads");
      return true;
    }
    if (WritePinOutline(writer, *package, pin, pinNumber, centre)) return true;
    ++pinNumber;
  }
  return false;
}

bool WriteRectPinOutline(cFileWriter& writer, PadShape* shape, PackagePin* pin) {
  double angle = pin->angle;
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
    const double w = swapped ? shape->height : shape->width;
    const double h = swapped ? shape->width : shape->height;
    return writer.WriteRectangleRecord(-w / 2, -h / 2, w / 2, h / 2, pin->x, pin->y);
  }
  const double w = shape->width / 2;
  const double h = shape->height / 2;
  const double xs[] = {-w, w, w, -w};
  const double ys[] = {-h, -h, h, h};
  Contour contour;
  BuildClosedContour(contour, xs, ys, 4);
  contour.width = 0;
  contour.flagA = true;
  contour.flagB = true;
  return WriteContourOutline(writer, &contour, pin->x, pin->y, angle);
}

bool WriteContourOutline(cFileWriter& writer, Contour* contour, double x, double y, double angle) {
  if (writer.WriteLine("CT")) return true;
  // No layer in the context: a pin outline is never stroked as lines.
  FeatureContext context;
  int counter = 0;
  if (WriteContourFeature(context, writer, contour, false, &counter, x, y, -angle)) return true;
  return writer.WriteLine("CE");
}

}  // namespace kelpie
