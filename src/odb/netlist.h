// The netlist of a step ({step}\netlists\cadnet\netlist): every net, then the
// probe points of each net on the outer signal layers. WriteNetlist itself is
// declared with the other file writers in odb_writers.h.
#ifndef KELPIE_ODB_NETLIST_H
#define KELPIE_ODB_NETLIST_H

#include <span>
#include <string>
#include <unordered_map>

#include "model/records.h"
#include "odb/net_groups.h"
#include "output/file_writer.h"

namespace kelpie {

// The pads of the layers asked for, grouped by the step's net that each pad
// carries; each layer is grouped once, the first time it is asked for.
class NetPads {
 public:
  explicit NetPads(const Step& step) : step_(step) {}
  // The pads of `layer` whose net is the step's net `netNumber`, in the
  // layer's order.
  std::span<const PadFeature* const> Of(const Layer& layer, int netNumber);

 private:
  const Step& step_;
  std::unordered_map<const Layer*, Groups<const PadFeature*>> byLayer_;
};

// One point line per pad of `layer` on the step's net `netNumber` (the step
// that `pads` was made for); nothing for a null layer. Always false.
bool WriteNetPoints(cFileWriter& writer, Layer* layer, int netNumber, const std::string& side,
                    NetPads& pads);

}  // namespace kelpie

#endif
