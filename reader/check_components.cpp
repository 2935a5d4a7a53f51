// The components files against the EDA data: every package, net and subnet
// number exists, each component has one toeprint per pin of its package,
// and toeprints and toeprint subnets name each other.
#include <string>

#include "check_parts.h"

namespace kelpie::reader {
namespace {

// The side letter of the EDA data's toeprint subnets for a component layer,
// or 0 when the layer's name does not tell.
char SideOf(const Layer& layer) {
  if (layer.name == "comp_+_top") return 'T';
  if (layer.name == "comp_+_bot") return 'B';
  return 0;
}

std::string ToeprintName(char side, int component, int toeprint) {
  return std::string(1, side) + " " + std::to_string(component) + " " + std::to_string(toeprint);
}

void CheckToeprint(const ComponentsFile& file, const EdaData& eda, char side, int componentNumber,
                   const Component& component, int position, Problems& problems) {
  const Toeprint& toeprint = component.toeprints[static_cast<std::size_t>(position)];
  if (toeprint.net < 0 || static_cast<std::size_t>(toeprint.net) >= eda.nets.size()) {
    problems.Add(file.path, toeprint.line, "net " + std::to_string(toeprint.net) + " of " + component.reference +
                                               " is not in the EDA data (" + std::to_string(eda.nets.size()) +
                                               " nets)");
    return;
  }
  const EdaNet& net = eda.nets[static_cast<std::size_t>(toeprint.net)];
  if (toeprint.subnet < 0 || static_cast<std::size_t>(toeprint.subnet) >= net.subnets.size()) {
    problems.Add(file.path, toeprint.line, "subnet " + std::to_string(toeprint.subnet) + " of " +
                                               component.reference + " is not a subnet of net " + net.name + " (" +
                                               std::to_string(net.subnets.size()) + " subnets)");
    return;
  }
  const Subnet& subnet = net.subnets[static_cast<std::size_t>(toeprint.subnet)];
  if (side == 0) return;
  if (subnet.kind != SubnetKind::kToeprint || subnet.side != side || subnet.component != componentNumber ||
      subnet.toeprint != position) {
    problems.Add(file.path, toeprint.line, "subnet " + std::to_string(toeprint.subnet) + " of net " + net.name + " (" +
                                               eda.path + ":" + std::to_string(subnet.line) +
                                               ") is not the toeprint " + ToeprintName(side, componentNumber, position) +
                                               " of " + component.reference);
  }
}

void CheckFile(const ComponentsFile& file, char side, const EdaData& eda, Problems& problems) {
  for (std::size_t c = 0; c < file.components.size(); ++c) {
    const Component& component = file.components[c];
    if (component.package < 0 || static_cast<std::size_t>(component.package) >= eda.packages.size()) {
      problems.Add(file.path, component.line, "package " + std::to_string(component.package) + " of " +
                                                  component.reference + " is not in the EDA data (" +
                                                  std::to_string(eda.packages.size()) + " packages)");
      continue;
    }
    const Package& package = eda.packages[static_cast<std::size_t>(component.package)];
    const std::size_t pins = package.pins.size();
    if (component.toeprints.size() < pins) {
      problems.Add(file.path, component.line, component.reference + " has " +
                                                  std::to_string(component.toeprints.size()) +
                                                  " toeprints; its package " + package.name + " has " +
                                                  std::to_string(pins) + " pins");
    }
    for (std::size_t t = 0; t < component.toeprints.size(); ++t) {
      const Toeprint& toeprint = component.toeprints[t];
      if (t >= pins) {
        problems.Add(file.path, toeprint.line, "toeprint " + std::to_string(t + 1) + " of " + component.reference +
                                                   ": its package " + package.name + " has only " +
                                                   std::to_string(pins) + " pins");
        continue;
      }
      if (toeprint.pin != static_cast<int>(t)) {
        problems.Add(file.path, toeprint.line, "toeprint " + std::to_string(t + 1) + " of " + component.reference +
                                                   " is for pin number " + std::to_string(toeprint.pin) +
                                                   ", not " + std::to_string(t));
      }
      CheckToeprint(file, eda, side, static_cast<int>(c), component, static_cast<int>(t), problems);
    }
  }
}

}  // namespace

void CheckComponents(const Step& step, const EdaData& eda, Problems& problems) {
  const ComponentsFile* bySide[2] = {nullptr, nullptr};  // T, B
  for (const Layer& layer : step.layers) {
    if (!layer.components) continue;
    const char side = SideOf(layer);
    CheckFile(*layer.components, side, eda, problems);
    if (side != 0) bySide[side == 'T' ? 0 : 1] = &*layer.components;
  }
  // The other way round: every toeprint subnet names a toeprint that exists.
  for (const EdaNet& net : eda.nets) {
    for (const Subnet& subnet : net.subnets) {
      if (subnet.kind != SubnetKind::kToeprint) continue;
      const ComponentsFile* file = bySide[subnet.side == 'T' ? 0 : 1];
      const bool found = file != nullptr && subnet.component >= 0 &&
                         static_cast<std::size_t>(subnet.component) < file->components.size() && subnet.toeprint >= 0 &&
                         static_cast<std::size_t>(subnet.toeprint) <
                             file->components[static_cast<std::size_t>(subnet.component)].toeprints.size();
      if (!found)
        problems.Add(eda.path, subnet.line, "toeprint " + ToeprintName(subnet.side, subnet.component, subnet.toeprint) +
                                                " is in no components file");
    }
  }
}

}  // namespace kelpie::reader
