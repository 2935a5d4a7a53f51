// The netlist of a step ({step}\netlists\cadnet\netlist): every net, then the
// probe points of each net on the outer signal layers.
#ifndef KELPIE_ODB_NETLIST_H
#define KELPIE_ODB_NETLIST_H

#include <string>

#include "model/layer_stack.h"
#include "model/records.h"
#include "output/file_writer.h"

namespace kelpie {

// The points of each net are its pads on the top outer signal layer ("T"),
// then on the bottom one ("D"); a side without a layer has none.
void WriteNetlist(const OutputTarget& target, const Step& step, OuterLayers& outerLayers,
                  const std::string& stepDirectory);

}  // namespace kelpie

#endif
