// The components files against the EDA data: every package, net and subnet
// number exists, each component has one toeprint per pin of its package,
// and toeprints and toeprint subnets name each other.
#include <set>
#include <string>
#include <utility>

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

// The toeprint's net and subnet exist, and the subnet is the toeprint
// subnet that names this component and pin.
void CheckToeprint(const ComponentsFile& file, const EdaData& eda, char side, int componentNumber,
                   const Component& component, const Toeprint& toeprint, Problems& problems) {
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
      subnet.toeprint != toeprint.pin) {
    problems.Add(file.path, toeprint.line, "subnet " + std::to_string(toeprint.subnet) + " of net " + net.name + " (" +
                                               eda.path + ":" + std::to_string(subnet.line) +
                                               ") is not the toeprint " +
                                               ToeprintName(side, componentNumber, toeprint.pin) + " of " +
                                               component.reference);
  }
}

// Each pin of the package has exactly one toeprint.
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
    const int pins = static_cast<int>(package.pins.size());
    std::vector<int> seen(package.pins.size(), 0);  // pin -> line of its toeprint
    for (const Toeprint& toeprint : component.toeprints) {
      if (toeprint.pin < 0 || toeprint.pin >= pins) {
        problems.Add(file.path, toeprint.line, "toeprint for pin " + std::to_string(toeprint.pin) + " of " +
                                                   component.reference + ": its package " + package.name +
                                                   " has pins 0 to " + std::to_string(pins - 1));
        continue;
      }
      int& first = seen[static_cast<std::size_t>(toeprint.pin)];
      if (first != 0) {
        problems.Add(file.path, toeprint.line, "a second toeprint of " + component.reference + " for pin " +
                                                   std::to_string(toeprint.pin) + " (the first is at line " +
                                                   std::to_string(first) + ")");
        continue;
      }
      first = toeprint.line;
      CheckToeprint(file, eda, side, static_cast<int>(c), component, toeprint, problems);
    }
    for (int pin = 0; pin < pins; ++pin) {
      if (seen[static_cast<std::size_t>(pin)] == 0)
        problems.Add(file.path, component.line, component.reference + " has no toeprint for pin " +
                                                    std::to_string(pin) + " of its package " + package.name);
    }
  }
}

// Every toeprint of the file as (component number, pin).
std::set<std::pair<int, int>> Toeprints(const ComponentsFile* file) {
  std::set<std::pair<int, int>> toeprints;
  if (file == nullptr) return toeprints;
  for (std::size_t c = 0; c < file->components.size(); ++c) {
    for (const Toeprint& toeprint : file->components[c].toeprints) toeprints.emplace(static_cast<int>(c), toeprint.pin);
  }
  return toeprints;
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
  const std::set<std::pair<int, int>> toeprints[2] = {Toeprints(bySide[0]), Toeprints(bySide[1])};
  for (const EdaNet& net : eda.nets) {
    for (const Subnet& subnet : net.subnets) {
      if (subnet.kind != SubnetKind::kToeprint) continue;
      if (!toeprints[subnet.side == 'T' ? 0 : 1].count({subnet.component, subnet.toeprint}))
        problems.Add(eda.path, subnet.line, "toeprint " + ToeprintName(subnet.side, subnet.component, subnet.toeprint) +
                                                " is in no components file");
    }
  }
}

}  // namespace kelpie::reader
