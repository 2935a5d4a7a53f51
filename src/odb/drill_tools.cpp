#include "odb/drill_tools.h"

#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "output/text.h"

namespace kelpie {

namespace {

struct DrillTool {
  std::string type;  // "PLATED", "NON_PLATED" or "VIA"
  std::string finishSize;
  std::string drillSize;
};

// The tools in order of first appearance; `keys` holds every tool's three
// texts beside the list, so that a layer with a million holes finds its
// repeats without walking the list.
struct DrillToolList {
  std::vector<DrillTool> tools;
  std::unordered_set<std::string> keys;

  // Appends the tool unless one with the same three texts is listed already.
  void Add(const std::string& type, const std::string& finishSize, const std::string& drillSize) {
    // The texts joined with their lengths in front, so that no two different
    // tools can share a key whatever bytes their texts hold.
    std::string key;
    for (const std::string* part : {&type, &finishSize, &drillSize}) {
      key += IntToText(static_cast<std::int32_t>(part->size()));
      key += ':';
      key += *part;
    }
    if (keys.insert(key).second) tools.push_back(DrillTool{type, finishSize, drillSize});
  }
};

const char* ToolType(const PadFeature& pad) {
  // A via hole is a via whatever its plating says.
  if (pad.pin != nullptr && IsVia(pad.pin->kind)) return "VIA";
  return pad.shape->plated ? "PLATED" : "NON_PLATED";
}

void WriteToolRecord(FileWriter& writer, int number, const DrillTool& tool) {
  writer.WriteLine("TOOLS {");
  writer.WriteKeyText("NUM=", IntToText(number));
  writer.WriteKeyText("TYPE=", tool.type);
  writer.WriteKeyText("TYPE2=", "STANDARD");
  writer.WriteKeyText("MIN_TOL=", "0");
  writer.WriteKeyText("MAX_TOL=", "0");
  writer.WriteKeyText("BIT=", "");
  writer.WriteKeyText("FINISH_SIZE=", tool.finishSize);
  writer.WriteKeyText("DRILL_SIZE=", tool.drillSize);
  writer.WriteLine("}");
}

}  // namespace

void WriteDrillTools(const OutputTarget& target, double boardThickness, const Layer& layer,
                     const std::string& layerDirectory) {
  if (layer.kind != LayerKind::kDrill) return;

  // A tool depends only on the pad's shape and on whether the pad is a via,
  // so each such pair is turned into texts once, at its first pad; that
  // keeps the order of first appearance. Sizes are in thousandths of an inch.
  DrillToolList list;
  std::unordered_map<const PadShape*, unsigned> seenKinds;  // bit 0 via, bit 1 other
  for (const PadFeature& pad : layer.pads) {
    if (pad.shape == nullptr) continue;
    const char* type = ToolType(pad);
    const unsigned bit = type[0] == 'V' ? 1u : 2u;
    unsigned& seen = seenKinds[pad.shape];
    if ((seen & bit) != 0) continue;
    seen |= bit;
    const std::string size = NumberToText(pad.shape->width * 1000);
    list.Add(type, size, size);
  }

  FileWriter writer(target, layerDirectory, "tools", true);
  writer.WriteKeyNumber("THICKNESS=", boardThickness);
  writer.WriteLine("USER_PARAMS=");
  for (size_t i = 0; i < list.tools.size(); ++i) {
    WriteToolRecord(writer, static_cast<int>(i) + 1, list.tools[i]);
  }
  writer.Close();
}

}  // namespace kelpie
