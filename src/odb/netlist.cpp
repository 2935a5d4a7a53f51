#include "odb/netlist.h"

#include <memory>

#include "model/layer_stack.h"
#include "odb/odb_writers.h"
#include "output/text.h"
#include "server/host_services.h"
#include "server/server.h"

namespace kelpie {

namespace {

// The outer signal layer of one side, resolving the stack first while no
// component layer is known. A failed resolution leaves this side without a
// layer for this call only; the next call tries again.
Layer* OuterSignalLayer(LayerStack& stack, bool top) {
  if (stack.ResolveIfNeeded()) return nullptr;
  return top ? stack.topSignal : stack.bottomSignal;
}

}  // namespace

std::span<const PadFeature* const> NetPads::Of(const Layer& layer, int netNumber) {
  auto found = byLayer_.find(&layer);
  if (found == byLayer_.end()) {
    Groups<const PadFeature*>& groups = byLayer_[&layer];
    for (const PadFeature& pad : layer.pads) {
      const int net = StepNetNumber(step_, pad.net);
      if (net >= 0) groups.Add(net, &pad);
    }
    groups.Build(static_cast<int>(step_.nets.size()));
    return groups.Of(netNumber);
  }
  return found->second.Of(netNumber);
}

bool WriteNetlist(const std::string& stepDirectory, Step* step) {
  auto writer = std::make_unique<cFileWriter>(stepDirectory + "\\netlists\\cadnet", "netlist", true);
  bool failed = writer->WriteLine("H optimize n staggered n");
  if (!failed) {
    int n = 0;
    for (const Net& net : step->nets) {
      writer->BeginLine("$");
      writer->AppendNumber(n);
      writer->EndLine(net.name);
      ++n;
    }
    LayerStack& stack = currentServer->layers;
    NetPads pads(*step);
    const int netCount = static_cast<int>(step->nets.size());
    for (n = 0; n < netCount && !failed; ++n) {
      const bool topFailed = WriteNetPoints(*writer, OuterSignalLayer(stack, true), n, "T", pads);
      const bool bottomFailed =
          WriteNetPoints(*writer, OuterSignalLayer(stack, false), n, "D", pads);
      failed = topFailed || bottomFailed;
    }
  }
  writer->Close();
  return failed;
}

bool WriteNetPoints(cFileWriter& writer, Layer* layer, int netNumber, const std::string& side,
                    NetPads& pads) {
  if (layer == nullptr) return false;
  const std::string number = IntToText(netNumber);
  for (const PadFeature* pad : pads.Of(*layer, netNumber)) {
    writer.BeginLine(number);
    writer.AddField("0.002");  // probe radius
    writer.AddNumber(pad->x);
    writer.AddNumber(pad->y);
    writer.AddField(side);
    writer.EndLine("e e staggered 0 0 0");
  }
  return false;
}

}  // namespace kelpie
