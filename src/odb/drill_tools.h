// The "tools" file of a drill layer: the distinct drill tools that the
// layer's holes need, numbered in the order of their first pad.
#ifndef KELPIE_ODB_DRILL_TOOLS_H
#define KELPIE_ODB_DRILL_TOOLS_H

#include <string>

#include "model/records.h"
#include "output/file_writer.h"

namespace kelpie {

// Writes the tools file of a drill layer into its directory; any other layer
// gets none.
void WriteDrillTools(const OutputTarget& target, double boardThickness, const Layer& layer,
                     const std::string& layerDirectory);

}  // namespace kelpie

#endif
