#include "odb/netlist.h"

#include <span>
#include <unordered_map>

#include "odb/net_groups.h"
#include "output/text.h"

namespace kelpie {

namespace {

// The pads of the layers asked for, grouped by the step's net that each pad
// carries; each layer is grouped once, the first time it is asked for.
class NetPads {
 public:
  explicit NetPads(const Step& step) : step_(step) {}

  // The pads of `layer` whose net is the step's net `netNumber`, in the
  // layer's order.
  std::span<const PadFeature* const> Of(const Layer& layer, int netNumber) {
    auto found = byLayer_.find(&layer);
    if (found == byLayer_.end()) {
      Groups<const PadFeature*>& groups = byLayer_[&layer];
      groups.Build(static_cast<int>(step_.nets.size()), [&](const auto& visit) {
        RecordList<Net>::PositionFinder netPositions(step_.nets);
        for (const PadFeature& pad : layer.pads)
          visit(PositionOrNone(netPositions.Of(pad.net)), &pad);
      });
      return groups.Of(netNumber);
    }
    return found->second.Of(netNumber);
  }

 private:
  const Step& step_;
  std::unordered_map<const Layer*, Groups<const PadFeature*>> byLayer_;
};

void WriteNetPoints(FileWriter& writer, const Layer* layer, int netNumber, const char* side,
                    NetPads& pads) {
  if (layer == nullptr) return;
  const std::string number = IntToText(netNumber);
  for (const PadFeature* pad : pads.Of(*layer, netNumber)) {
    writer.BeginLine(number);
    writer.AddField("0.002");  // probe radius
    writer.AddNumber(pad->x);
    writer.AddNumber(pad->y);
    writer.AddField(side);
    writer.EndLine("e e staggered 0 0 0");
  }
}

}  // namespace

void WriteNetlist(const OutputTarget& target, const Step& step, OuterLayers& outerLayers,
                  const std::string& stepDirectory) {
  FileWriter writer(target, stepDirectory + "\\netlists\\cadnet", "netlist", true);
  writer.WriteLine("H optimize n staggered n");
  int n = 0;
  for (const Net& net : step.nets) {
    writer.BeginLine("$");
    writer.AppendNumber(n);
    writer.EndLine(net.name);
    ++n;
  }
  NetPads pads(step);
  const int netCount = static_cast<int>(step.nets.size());
  for (n = 0; n < netCount; ++n) {
    // Each side is asked for afresh: the stack is resolved on demand.
    WriteNetPoints(writer, outerLayers.Side(true), n, "T", pads);
    WriteNetPoints(writer, outerLayers.Side(false), n, "D", pads);
  }
  writer.Close();
}

}  // namespace kelpie
