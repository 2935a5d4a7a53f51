// The "tools" file of a drill layer: the distinct drill tools that the
// layer's holes need, numbered in the order of their first pad.
#ifndef KELPIE_ODB_DRILL_TOOLS_H
#define KELPIE_ODB_DRILL_TOOLS_H

#include <string>
#include <unordered_set>
#include <vector>

#include "model/records.h"

namespace kelpie {

struct DrillTool {
  std::string type;  // "PLATED", "NON_PLATED" or "VIA"
  std::string finishSize;
  std::string drillSize;
};

// The tools of one drill layer. `keys` holds every tool's three texts beside
// the ordered list, so that a layer with a million holes finds its repeats
// without walking the list.
struct DrillToolList {
  std::vector<DrillTool> tools;
  std::unordered_set<std::string> keys;
};

// Appends the tool unless one with the same three texts is listed already.
void AddTool(DrillToolList& list, const std::string& type, const std::string& finishSize,
             const std::string& drillSize);
// Collects the tools of a drill layer's pads into `list` and writes the
// layer's "tools" file; any other layer gets no file. True = failed.
bool WriteDrillTools(DrillToolList& list, const std::string& layerDirectory, Layer* layer);

}  // namespace kelpie

#endif
