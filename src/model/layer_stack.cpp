#include "model/layer_stack.h"

#include "server/host_services.h"

namespace kelpie {

Layer& LayerStack::Append(const std::string& name, int row, int type, int polarity,
                          int context) {
  Layer& layer = layers.emplace_back();
  layer.name = name;
  layer.row = row;
  layer.type = type;
  layer.polarity = polarity;
  layer.context = context;
  names.insert(name);
  return layer;
}

void LayerStack::RebuildNameIndex() {
  names.clear();
  for (const Layer& layer : layers) names.insert(layer.name);
}

bool LayerStack::ResolveStack() {
  for (Layer& layer : layers) {
    if (layer.type == kLayerComponentTop) componentTop = &layer;
    if (layer.type == kLayerComponentBottom) componentBottom = &layer;
    if (layer.type == kLayerSignal) {
      if (topSignal == nullptr || layer.row < topSignal->row) topSignal = &layer;
      if (bottomSignal == nullptr || layer.row > bottomSignal->row) bottomSignal = &layer;
    }
  }
  if (componentTop == nullptr) topSignal = nullptr;
  if (componentBottom == nullptr) bottomSignal = nullptr;
  if (componentTop == nullptr && componentBottom == nullptr) {
    SendError("There must be at least 1 component layer");
    return true;
  }
  if (componentTop == nullptr || componentBottom == nullptr) return false;
  if (topSignal == bottomSignal) {
    SendError("Component top and bottom layers defined but only found 1 signal layer");
    return true;
  }
  return false;
}

bool LayerStack::ResolveIfNeeded() {
  if (componentTop != nullptr || componentBottom != nullptr) return false;
  return ResolveStack();
}

PinTypePad* FindPinTypePad(LayerStack& stack, PinType& pinType, bool top) {
  if (stack.ResolveIfNeeded()) return nullptr;
  Layer* side = top ? stack.topSignal : stack.bottomSignal;
  if (side == nullptr) return nullptr;
  for (PinTypePad& pad : pinType.pads) {
    if (pad.layer == side) return &pad;
  }
  return nullptr;
}

}  // namespace kelpie
