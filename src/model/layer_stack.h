// The job's one layer stack: every step is written with all layers.
#ifndef KELPIE_MODEL_LAYER_STACK_H
#define KELPIE_MODEL_LAYER_STACK_H

#include <deque>
#include <string>
#include <unordered_set>

#include "model/records.h"

namespace kelpie {

struct LayerStack {
  std::deque<Layer> layers;  // order of addition
  Layer* topSignal = nullptr;
  Layer* bottomSignal = nullptr;
  Layer* componentTop = nullptr;
  Layer* componentBottom = nullptr;
  std::unordered_set<std::string> names;  // index of the layers' names

  // Exact, case-sensitive: is there a layer of this name?
  bool HasLayer(const std::string& name) const { return names.count(name) != 0; }
  Layer& Append(const std::string& name, int row, int type, int polarity, int context);
  // Call after the export jobs rewrite layer names.
  void RebuildNameIndex();
  // Finds the outer signal layers and the component layers; true = failed.
  bool ResolveStack();
  // ResolveStack only while no component layer is known yet; true = failed.
  bool ResolveIfNeeded();
};

// The pad of a pin type on the outer signal layer of one side, or null.
PinTypePad* FindPinTypePad(LayerStack& stack, PinType& pinType, bool top);

}  // namespace kelpie

#endif
