#include "model/layer_stack.h"

namespace kelpie {

Layer& LayerStack::Append(const std::string& name, int row, LayerKind kind, Polarity polarity,
                          MatrixContext context) {
  Layer& layer = layers.emplace_back();
  layer.name = name;
  layer.row = row;
  layer.kind = kind;
  layer.polarity = polarity;
  layer.context = context;
  names.insert(name);
  return layer;
}

void LayerStack::RebuildNameIndex() {
  names.clear();
  for (const Layer& layer : layers) names.insert(layer.name);
}

bool ResolveStack(LayerStack& stack, const Messages& messages) {
  StackSides& sides = stack.sides;
  for (Layer& layer : stack.layers) {
    if (layer.kind == LayerKind::kComponentTop) sides.componentTop = &layer;
    if (layer.kind == LayerKind::kComponentBottom) sides.componentBottom = &layer;
    if (layer.kind == LayerKind::kSignal) {
      if (sides.topSignal == nullptr || layer.row < sides.topSignal->row) sides.topSignal = &layer;
      if (sides.bottomSignal == nullptr || layer.row > sides.bottomSignal->row)
        sides.bottomSignal = &layer;
    }
  }
  if (sides.componentTop == nullptr) sides.topSignal = nullptr;
  if (sides.componentBottom == nullptr) sides.bottomSignal = nullptr;
  if (sides.componentTop == nullptr && sides.componentBottom == nullptr) {
    messages.Error("There must be at least 1 component layer");
    return false;
  }
  if (sides.componentTop == nullptr || sides.componentBottom == nullptr) return true;
  if (sides.topSignal == sides.bottomSignal) {
    messages.Error("Component top and bottom layers defined but only found 1 signal layer");
    return false;
  }
  return true;
}

Layer* OuterLayers::Side(bool top) {
  const StackSides& sides = stack_.sides;
  const bool known = sides.componentTop != nullptr || sides.componentBottom != nullptr;
  if (!known && !ResolveStack(stack_, messages_)) return nullptr;
  return top ? sides.topSignal : sides.bottomSignal;
}

const PinTypePad* FindPinTypePad(const PinType& pinType, const Layer* layer) {
  if (layer == nullptr) return nullptr;
  for (const PinTypePad& pad : pinType.pads) {
    if (pad.layer == layer) return &pad;
  }
  return nullptr;
}

}  // namespace kelpie
