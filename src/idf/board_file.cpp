#include "idf/board_file.h"

#include "idf/idf_text.h"
#include "output/text.h"

namespace kelpie {

namespace {

// The written rotation of a placed component: a mirrored part turns the
// other way round.
double PlacementRotation(const Component& component) {
  switch (component.mirrorMode) {
    case MirrorMode::kMirrorX:
      return -component.rotation;
    case MirrorMode::kMirrorY:
      return 180 - component.rotation;
    case MirrorMode::kMirrorBoth:
      return component.rotation + 180;
    default:
      return component.rotation;
  }
}

// "PIN" for a component's pin, "VIA" for a free via pin, "MTG" otherwise.
const char* HoleType(const PadFeature& pad) {
  if (pad.pin != nullptr && pad.pin->component != nullptr) return "PIN";
  if (pad.pin != nullptr && IsVia(pad.pin->kind)) return "VIA";
  return "MTG";
}

[[nodiscard]] bool WriteBoardOutline(FileWriter& writer, const Design& design,
                                     const Messages& messages) {
  if (design.steps.empty()) {
    messages.Error("No step defined");
    return false;
  }
  if (design.steps.size() > 1) {
    messages.Error("IDF formatter can currently only support one step");
    return false;
  }
  const Step& step = design.steps.front();
  if (step.profile.points.Count() < 3) {
    messages.Error("Outline not defined for step " + step.name);
    return false;
  }
  writer.WriteLine(".BOARD_OUTLINE UNOWNED");
  writer.WriteLine(NumberToText(design.boardThickness * kMillimetresPerInch));
  WriteIdfLoop(writer, step.profile.points);
  writer.WriteLine(".END_BOARD_OUTLINE");
  return true;
}

void WriteDrilledHoles(FileWriter& writer, const Design& design) {
  writer.WriteLine(".DRILLED_HOLES");
  for (const Layer& layer : design.layers.layers) {
    if (layer.kind != LayerKind::kDrill) continue;
    for (const PadFeature& pad : layer.pads) {
      const bool onComponent = pad.pin != nullptr && pad.pin->component != nullptr;
      // The first field is a number too: printed straight into the line.
      writer.BeginLine("");
      writer.AppendNumber(pad.shape->width * kMillimetresPerInch);
      writer.AddNumber(pad.x * kMillimetresPerInch);
      writer.AddNumber(pad.y * kMillimetresPerInch);
      writer.AddField(pad.shape->plated ? "PTH" : "NPTH");
      writer.AddField(onComponent ? std::string_view(pad.pin->component->reference) : "BOARD");
      writer.AddField(HoleType(pad));
      writer.EndLine("UNOWNED");
    }
  }
  writer.WriteLine(".END_DRILLED_HOLES");
}

[[nodiscard]] bool WritePlacement(FileWriter& writer, const Design& design,
                                  const Messages& messages) {
  writer.WriteLine(".PLACEMENT");
  for (const Step& step : design.steps) {
    for (const Component& component : step.components) {
      const std::string& name = IdfPartName(component);
      BeginPartNameLine(writer, name);
      writer.Append(" \"");
      writer.Append(component.reference);
      writer.Append("\"");
      writer.EndLine();
      const char* side = nullptr;
      if (component.layer->kind == LayerKind::kComponentTop) side = "TOP";
      if (component.layer->kind == LayerKind::kComponentBottom) side = "BOTTOM";
      if (side == nullptr) {
        messages.Error("Component " + component.reference + " is not on a surface layer");
        return false;
      }
      writer.BeginLine("");
      writer.AppendNumber(component.x * kMillimetresPerInch);
      writer.AddNumber(component.y * kMillimetresPerInch);
      writer.AddField("0.0");
      writer.AddNumber(PlacementRotation(component));
      writer.AddField(side);
      writer.EndLine("PLACED");
    }
  }
  writer.WriteLine(".END_PLACEMENT");
  return true;
}

}  // namespace

bool WriteBoardFile(const OutputTarget& target, const Design& design, const std::string& fileName) {
  FileWriter writer(target, "", fileName, false);
  writer.WriteLine(".HEADER");
  WriteIdfFileLine(writer, "BOARD_FILE");
  writer.WriteLine(design.jobName + " MM");
  writer.WriteLine(".END_HEADER");
  bool written = WriteBoardOutline(writer, design, target.messages);
  if (written) {
    WriteDrilledHoles(writer, design);
    written = WritePlacement(writer, design, target.messages);
  }
  writer.Close();
  return written;
}

}  // namespace kelpie
