// The job's one layer stack: every step is written with all layers.
#ifndef KELPIE_MODEL_LAYER_STACK_H
#define KELPIE_MODEL_LAYER_STACK_H

#include <string>
#include <unordered_set>

#include "base/messages.h"
#include "model/record_list.h"
#include "model/records.h"

namespace kelpie {

// The outer signal layers and the component layers, as the last resolution of
// the stack found them; all null until the stack is first resolved.
struct StackSides {
  Layer* topSignal = nullptr;
  Layer* bottomSignal = nullptr;
  Layer* componentTop = nullptr;
  Layer* componentBottom = nullptr;
};

struct LayerStack {
  RecordList<Layer> layers;  // order of addition
  StackSides sides;
  std::unordered_set<std::string> names;  // index of the layers' names

  // Exact, case-sensitive: is there a layer of this name?
  bool HasLayer(const std::string& name) const { return names.count(name) != 0; }
  Layer& Append(const std::string& name, int row, LayerKind kind, Polarity polarity,
                MatrixContext context);
  // Call after the exports rewrite layer names.
  void RebuildNameIndex();
};

// Finds the outer signal layers and the component layers of the stack into
// its sides (overwriting, never clearing, what an earlier walk found). False,
// with the reason sent as an error, when there is no component layer, or two
// component layers and only one outer signal layer.
[[nodiscard]] bool ResolveStack(LayerStack& stack, const Messages& messages);

// The outer signal layers as the ODB++ writers ask for them, one side at a
// time. While no component layer is known the stack is resolved afresh at
// each request (and a failed resolution reports itself and gives no layer
// for that request); once one is known, the sides found are used as they
// stand. The sides stay resolved in the design after the export.
class OuterLayers {
 public:
  OuterLayers(LayerStack& stack, const Messages& messages) : stack_(stack), messages_(messages) {}
  // The top (or bottom) outer signal layer, or null.
  Layer* Side(bool top);

 private:
  LayerStack& stack_;
  const Messages& messages_;
};

// The first pad of the pin type on `layer`, or null (also for a null layer).
const PinTypePad* FindPinTypePad(const PinType& pinType, const Layer* layer);

}  // namespace kelpie

#endif
