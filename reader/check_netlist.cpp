// The netlist against the EDA data: the same nets, by number and name, and
// probe points only on nets that exist.
#include <string>

#include "check_parts.h"

namespace kelpie::reader {

void CheckNetlist(const Netlist& netlist, const EdaData& eda, Problems& problems) {
  if (netlist.header.empty()) problems.Add(netlist.path, 0, "no H header line");
  for (std::size_t i = 0; i < netlist.nets.size(); ++i) {
    const NetlistNet& net = netlist.nets[i];
    if (i >= eda.nets.size()) {
      problems.Add(netlist.path, net.line, "net " + std::to_string(net.number) + " " + net.name +
                                               " is not in the EDA data (" + std::to_string(eda.nets.size()) +
                                               " nets)");
    } else if (net.name != eda.nets[i].name) {
      problems.Add(netlist.path, net.line, "net " + std::to_string(net.number) + " is " + net.name +
                                               " here but " + eda.nets[i].name + " in the EDA data (" + eda.path +
                                               ":" + std::to_string(eda.nets[i].line) + ")");
    }
  }
  for (std::size_t i = netlist.nets.size(); i < eda.nets.size(); ++i) {
    problems.Add(netlist.path, 0, "net " + std::to_string(i) + " " + eda.nets[i].name + " of the EDA data (" +
                                      eda.path + ":" + std::to_string(eda.nets[i].line) + ") is missing");
  }
  for (const NetlistPoint& point : netlist.points) {
    if (point.net < 0 || static_cast<std::size_t>(point.net) >= netlist.nets.size())
      problems.Add(netlist.path, point.line, "point of net " + std::to_string(point.net) + ", which is not listed (" +
                                                 std::to_string(netlist.nets.size()) + " nets)");
  }
}

}  // namespace kelpie::reader
