#include "odb/components.h"

#include <memory>

#include "output/text.h"

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
  const MirrorMode mode = component.mirrorMode;
  const bool mirrorX = mode == MirrorMode::kMirrorX || mode == MirrorMode::kMirrorBoth;
  const bool mirrorY = mode == MirrorMode::kMirrorY || mode == MirrorMode::kMirrorBoth;
  const bool bottom = component.layer->kind == LayerKind::kComponentBottom;
  Placement placement{bottom ? component.rotation : -component.rotation, mirrorX};
  if (mirrorY) placement.angle += 180;
  if (bottom) placement.mirrored = !placement.mirrored;
  if (mirrorY) placement.mirrored = !placement.mirrored;
  return placement;
}

void WriteComponentRecord(FileWriter& writer, const Component& component, const OdbPlan& plan,
                          size_t stepNumber) {
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
    writer.AddInt(pin->net != nullptr ? pin->net->index : -1);
    writer.AddInt(SubnetOf(plan, stepNumber, *pin));
    writer.AddInt(i + 1);
    writer.EndLine();
    ++i;
  }
}

}  // namespace

bool WriteComponents(const OutputTarget& target, const OdbPlan& plan, size_t stepNumber,
                     const Layer& layer, const std::string& layerDirectory) {
  // Every layer of the stack comes through here. A layer counts the
  // components of all steps placed on it, so the layers without any (all but
  // the component layers) are passed over without looking at the step's
  // components; the few component layers each walk them once.
  if (layer.componentCount == 0) return true;
  std::unique_ptr<FileWriter> writer;  // made for the first component: no components, no file
  bool written = true;
  for (const Component& component : plan.steps[stepNumber].step.components) {
    if (component.layer != &layer) continue;
    if (!writer) writer = std::make_unique<FileWriter>(target, layerDirectory, "components", false);
    const size_t pins = component.pins.size();
    const size_t packagePins = component.packageType->pins.size();
    if (pins > packagePins) {
      target.messages.Error("Component " + component.reference +
                            " has more pins than component type " + component.packageType->name);
      written = false;
      break;
    }
    if (pins < packagePins) {
      target.messages.Warning("Component " + component.reference +
                              " has less pins than component type " + component.packageType->name);
    }
    WriteComponentRecord(*writer, component, plan, stepNumber);
  }
  if (writer) writer->Close();
  return written;
}

}  // namespace kelpie
