#include "idf/idf_writers.h"
#include "output/text.h"
#include "server/host_services.h"
#include "server/server.h"

namespace kelpie {

namespace {

// The written rotation of a placed component: a mirrored part turns the
// other way round.
double PlacementRotation(const Component& component) {
  switch (component.mirrorMode) {
    case 1:
      return -component.rotation;
    case 2:
      return 180 - component.rotation;
    case 3:
      return component.rotation + 180;
    default:
      return component.rotation;
  }
}

// "PIN" for a component's pin, "VIA" for a free via pin, "MTG" otherwise.
const char* HoleType(const PadFeature& pad) {
  if (pad.pin != nullptr && pad.pin->component != nullptr) return "PIN";
  if (pad.pin != nullptr && IsViaKind(pad.pin->kind)) return "VIA";
  return "MTG";
}

}  // namespace

bool WriteBoardFile(const std::string& fileName) {
  cFileWriter writer("", fileName, false);
  writer.WriteLine(".HEADER");
  WriteIdfFileLine(writer, "BOARD_FILE");
  writer.WriteLine(currentServer->jobName + " MM");
  writer.WriteLine(".END_HEADER");
  bool failed = WriteBoardOutline(writer);
  if (!failed) {
    WriteDrilledHoles(writer);
    failed = WritePlacement(writer);
  }
  writer.Close();
  return failed;
}

bool WriteBoardOutline(cFileWriter& writer) {
  KELPIE& server = *currentServer;
  if (server.steps.empty()) {
    SendError("No step defined");
    return true;
  }
  if (server.steps.size() > 1) {
    SendError("IDF formatter can currently only support one step");
    return true;
  }
  const Step& step = server.steps.front();
  if (step.profile.points.Count() < 3) {
    SendError("Outline not defined for step " + step.name);
    return true;
  }
  writer.WriteLine(".BOARD_OUTLINE UNOWNED");
  writer.WriteLine(NumberToText(server.boardThickness * kMillimetresPerInch));
  WriteIdfLoop(writer, step.profile.points);
  writer.WriteLine(".END_BOARD_OUTLINE");
  return false;
}

bool WriteDrilledHoles(cFileWriter& writer) {
  writer.WriteLine(".DRILLED_HOLES");
  for (const Layer& layer : currentServer->layers.layers) {
    if (layer.type != kLayerDrill) continue;
    for (const PadFeature& pad : layer.pads) {
      const bool onComponent = pad.pin != nullptr && pad.pin->component != nullptr;
      writer.BeginLine(NumberToText(pad.shape->width * kMillimetresPerInch));
      writer.AddNumber(pad.x * kMillimetresPerInch);
      writer.AddNumber(pad.y * kMillimetresPerInch);
      writer.AddField(pad.shape->plated ? "PTH" : "NPTH");
      writer.AddField(onComponent ? pad.pin->component->reference : std::string("BOARD"));
      writer.AddField(HoleType(pad));
      writer.EndLine("UNOWNED");
    }
  }
  writer.WriteLine(".END_DRILLED_HOLES");
  return false;
}

bool WritePlacement(cFileWriter& writer) {
  writer.WriteLine(".PLACEMENT");
  for (const Step& step : currentServer->steps) {
    for (const Component& component : step.components) {
      const std::string& name = IdfPartName(component);
      writer.WriteLine(Quoted(name) + " " + Quoted(name) + " " + Quoted(component.reference));
      const char* side = nullptr;
      if (component.layer->type == kLayerComponentTop) side = "TOP";
      if (component.layer->type == kLayerComponentBottom) side = "BOTTOM";
      if (side == nullptr) {
        SendError("Component " + component.reference + " is not on a surface layer");
        return true;
      }
      writer.BeginLine(NumberToText(component.x * kMillimetresPerInch));
      writer.AddNumber(component.y * kMillimetresPerInch);
      writer.AddField("0.0");
      writer.AddNumber(PlacementRotation(component));
      writer.AddField(side);
      writer.EndLine("PLACED");
    }
  }
  writer.WriteLine(".END_PLACEMENT");
  return false;
}

}  // namespace kelpie
