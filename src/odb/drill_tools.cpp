#include "odb/drill_tools.h"

#include <unordered_map>

#include "output/file_writer.h"
#include "output/text.h"
#include "server/server.h"
#include "server/host_services.h"

namespace kelpie {

namespace {

// The three texts joined with their lengths in front, so that no two
// different tools can share a key whatever bytes their texts hold.
std::string ToolKey(const std::string& type, const std::string& finishSize,
                    const std::string& drillSize) {
  std::string key;
  key.reserve(type.size() + finishSize.size() + drillSize.size() + 12);
  for (const std::string* part : {&type, &finishSize, &drillSize}) {
    key += IntToText(static_cast<std::int32_t>(part->size()));
    key += ':';
    key += *part;
  }
  return key;
}

const char* ToolType(const PadFeature& pad) {
  // A via hole is a via whatever its plating says.
  if (pad.pin != nullptr && IsViaKind(pad.pin->kind)) return "VIA";
  return pad.shape->plated ? "PLATED" : "NON_PLATED";
}

bool WriteToolRecord(cFileWriter& writer, int number, const DrillTool& tool) {
  return writer.WriteLine("TOOLS {") || writer.WriteKeyText("NUM=", IntToText(number)) ||
         writer.WriteKeyText("TYPE=", tool.type) || writer.WriteKeyText("TYPE2=", "STANDARD") ||
         writer.WriteKeyText("MIN_TOL=", "0") || writer.WriteKeyText("MAX_TOL=", "0") ||
         writer.WriteKeyText("BIT=", "") || writer.WriteKeyText("FINISH_SIZE=", tool.finishSize) ||
         writer.WriteKeyText("DRILL_SIZE=", tool.drillSize) || writer.WriteLine("}");
}

}  // namespace

void AddTool(DrillToolList& list, const std::string& type, const std::string& finishSize,
             const std::string& drillSize) {
  if (!list.keys.insert(ToolKey(type, finishSize, drillSize)).second) return;
  list.tools.push_back(DrillTool{type, finishSize, drillSize});
}

bool WriteDrillTools(DrillToolList& list, const std::string& layerDirectory, Layer* layer) {
  if (layer->type != kLayerDrill) return false;

  // A tool depends only on the pad's shape and on whether the pad is a via,
  // so each such pair is turned into texts once, at its first pad; that
  // keeps the order of first appearance.
  std::unordered_map<const PadShape*, unsigned> seenKinds;  // bit 0 via, bit 1 other
  for (const PadFeature& pad : layer->pads) {
    if (pad.shape == nullptr) continue;
    const char* type = ToolType(pad);
    const unsigned bit = type[0] == 'V' ? 1u : 2u;
    unsigned& seen = seenKinds[pad.shape];
    if ((seen & bit) != 0) continue;
    seen |= bit;
    const std::string size = NumberToText(pad.shape->width * 1000);
    AddTool(list, type, size, size);
  }

  cFileWriter writer(layerDirectory, "tools", true);
  bool failed = writer.WriteKeyNumber("THICKNESS=", currentServer->boardThickness) ||
                writer.WriteLine("USER_PARAMS=");
  for (size_t i = 0; !failed && i < list.tools.size(); ++i)
    failed = WriteToolRecord(writer, static_cast<int>(i) + 1, list.tools[i]);
  writer.Close();
  return failed;
}

}  // namespace kelpie
