// The components file of a component layer: one CMP record per component
// placed on the layer, each followed by one TOP record per pin. It quotes the
// package numbers and the pins' subnet numbers that the EDA data gave, so it
// is written after the EDA data.
#include <memory>

#include "odb/odb_writers.h"
#include "output/text.h"
#include "server/host_services.h"

namespace kelpie {

namespace {

// The placement of a component as the file writes it. A bottom component is
// seen from below: its rotation runs the other way and it is mirrored;
// mirroring in y adds half a turn and undoes the mirror.
struct Placement {
  double angle;
  bool mirrored;
};

Placement PlacementOf(const Component& component) {
  const bool mirrorX = component.mirrorMode == 1 || component.mirrorMode == 3;
  const bool mirrorY = component.mirrorMode == 2 || component.mirrorMode == 3;
  const bool bottom = component.layer->type == kLayerComponentBottom;
  Placement placement{bottom ? component.rotation : -component.rotation, mirrorX};
  if (mirrorY) placement.angle += 180;
  if (bottom) placement.mirrored = !placement.mirrored;
  if (mirrorY) placement.mirrored = !placement.mirrored;
  return placement;
}

void WriteComponentRecord(cFileWriter& writer, const Component& component) {
  const PackageType& package = *component.packageType;
  const Placement placement = PlacementOf(component);
  writer.BeginLine("CMP");
  writer.AddNumber(package.index);
  writer.AddNumber(component.x);
  writer.AddNumber(component.y);
  writer.AddNumber(placement.angle);
  writer.AddField(placement.mirrored ? "M" : "N");
  writer.AddField(component.reference);
  writer.EndLine(package.partName.empty() ? "PartName" : package.partName);
  int i = 0;
  for (const Pin* pin : component.pins) {
    writer.BeginLine("TOP");
    writer.AddNumber(i);
    writer.AddNumber(pin->x);
    writer.AddNumber(pin->y);
    writer.AddNumber(pin->angle);
    writer.AddField("N");
    // The export gives every pin a net before any file is written.
    writer.AddField(IntToText(pin->net != nullptr ? pin->net->index : -1));
    writer.AddField(IntToText(pin->subnetIndex));
    writer.EndLine(IntToText(i + 1));
    ++i;
  }
}

}  // namespace

bool WriteComponents(const std::string& layerDirectory, Step* step, Layer* layer) {
  // Every layer of the stack comes through here. A layer counts the
  // components of all steps placed on it, so the layers without any (all but
  // the component layers) are passed over without looking at the step's
  // components; the few component layers each walk them once.
  if (layer->componentCount == 0) return false;
  std::unique_ptr<cFileWriter> writer;  // made for the first component: no components, no file
  bool failed = false;
  for (const Component& component : step->components) {
    if (component.layer != layer) continue;
    if (!writer) writer = std::make_unique<cFileWriter>(layerDirectory, "components", false);
    const size_t pins = component.pins.size();
    const size_t packagePins = component.packageType->pins.size();
    if (pins > packagePins) {
      SendError("Component " + component.reference + " has more pins than component type " +
                component.packageType->name);
      failed = true;
      break;
    }
    if (pins < packagePins) {
      SendWarning("Component " + component.reference + " has less pins than component type " +
                  component.packageType->name);
    }
    WriteComponentRecord(*writer, component);
  }
  if (writer) writer->Close();
  return failed;
}

}  // namespace kelpie
