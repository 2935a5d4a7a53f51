// A drill layer's tools: numbered 1, 2, ... and one for every size of hole
// that the layer's pads drill.
#include <cmath>
#include <string>

#include "check_parts.h"
#include "symbol_name.h"

namespace kelpie::reader {

void CheckTools(const Tools& tools, const Features& features, Problems& problems) {
  for (std::size_t i = 0; i < tools.tools.size(); ++i) {
    if (tools.tools[i].number != static_cast<int>(i + 1))
      problems.Add(tools.path, tools.tools[i].line, "tool NUM=" + std::to_string(tools.tools[i].number) +
                                                        "; expected " + std::to_string(i + 1));
  }
  std::vector<int> checked(features.symbols.size() + 1, 0);  // per symbol number: 0 new, 1 fits, 2 reported
  for (const Feature& feature : features.features) {
    if (feature.kind != FeatureKind::kPad) continue;
    const TableEntry* symbol = features.Symbol(feature.symbol);
    if (symbol == nullptr) continue;  // reported with the features
    const auto slot = static_cast<std::size_t>(symbol - features.symbols.data());
    if (checked[slot] != 0) continue;
    const StandardSymbol shape = ParseSymbolName(symbol->name);
    bool found = false;
    for (const DrillTool& tool : tools.tools) {
      found = found || std::fabs(tool.drillSize / 1000 - shape.width) < 1e-9;
    }
    checked[slot] = found && shape.shape == SymbolShape::kRound ? 1 : 2;
    if (checked[slot] == 2)
      problems.Add(features.path, feature.line, "hole drilled with symbol " + symbol->name + ", which no tool of " +
                                                    tools.path + " drills");
  }
}

}  // namespace kelpie::reader
