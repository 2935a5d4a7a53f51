// The EDA data against the layers: every layer on the LYR line has a
// features file, and every feature reference names a layer of that line and
// a feature of that layer of the kind its subnet needs (a line or an arc for
// a trace, a pad for a toeprint or a via, a surface for a plane).
#include <string>

#include "check_parts.h"

namespace kelpie::reader {
namespace {

bool Fits(SubnetKind subnet, FeatureKind feature) {
  switch (subnet) {
    case SubnetKind::kTrace:
      return feature == FeatureKind::kLine || feature == FeatureKind::kArc;
    case SubnetKind::kVia:
    case SubnetKind::kToeprint:
      return feature == FeatureKind::kPad;
    case SubnetKind::kPlane:
      return feature == FeatureKind::kSurface;
  }
  return false;
}

const char* Needed(SubnetKind subnet) {
  switch (subnet) {
    case SubnetKind::kTrace:
      return "a line or an arc (trace subnet)";
    case SubnetKind::kVia:
      return "a pad (via subnet)";
    case SubnetKind::kToeprint:
      return "a pad (toeprint subnet)";
    case SubnetKind::kPlane:
      return "a surface (plane subnet)";
  }
  return "";
}

// "a pad", "an arc", ...
std::string WithArticle(FeatureKind kind) {
  return std::string(kind == FeatureKind::kArc ? "an " : "a ") + FeatureKindName(kind);
}

}  // namespace

void CheckEdaData(const Step& step, const EdaData& eda, Problems& problems) {
  // The features of each LYR layer, or null when it has none.
  std::vector<const Features*> layers;
  const std::map<std::string, const Layer*> byName = LayersByName(step);
  for (const std::string& name : eda.layers) {
    const auto found = byName.find(name);
    const Layer* layer = found != byName.end() ? found->second : nullptr;
    layers.push_back(layer != nullptr && layer->features ? &*layer->features : nullptr);
    if (layers.back() == nullptr)
      problems.Add(eda.path, eda.layersLine, "layer " + name + " of the LYR line has no features file");
  }
  for (const EdaNet& net : eda.nets) {
    for (const Subnet& subnet : net.subnets) {
      for (const FeatureReference& reference : subnet.features) {
        if (reference.layer < 0 || static_cast<std::size_t>(reference.layer) >= layers.size()) {
          problems.Add(eda.path, reference.line, "layer number " + std::to_string(reference.layer) +
                                                     " is not on the LYR line (" + std::to_string(layers.size()) +
                                                     " layers)");
          continue;
        }
        const Features* features = layers[static_cast<std::size_t>(reference.layer)];
        if (features == nullptr) continue;  // reported at the LYR line
        const std::string& layerName = eda.layers[static_cast<std::size_t>(reference.layer)];
        if (reference.feature < 0 || static_cast<std::size_t>(reference.feature) >= features->features.size()) {
          problems.Add(eda.path, reference.line, "layer " + layerName + " has no feature " +
                                                     std::to_string(reference.feature) + " (it has " +
                                                     std::to_string(features->features.size()) + ")");
          continue;
        }
        const Feature& feature = features->features[static_cast<std::size_t>(reference.feature)];
        if (!Fits(subnet.kind, feature.kind)) {
          problems.Add(eda.path, reference.line, "feature " + std::to_string(reference.feature) + " of layer " +
                                                     layerName + " is " + WithArticle(feature.kind) + " (" +
                                                     features->path + ":" + std::to_string(feature.line) +
                                                     "), not " + Needed(subnet.kind));
        }
      }
    }
  }
}

}  // namespace kelpie::reader
