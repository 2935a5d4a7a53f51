// A drill layer's tools file: THICKNESS, USER_PARAMS and one "TOOLS {" block
// per tool.
#include <string>

#include "blocks.h"
#include "parse.h"
#include "text.h"

namespace kelpie::reader {

Tools ParseTools(std::string_view text, const std::string& path, Problems& problems) {
  Tools result;
  result.path = path;
  const BlockFile file = ParseBlocks(text, path, problems);
  for (const KeyValue& field : file.fields) {
    if (field.key == "THICKNESS") {
      if (!ParseNumber(field.value, result.thickness))
        problems.Add(path, field.line, "THICKNESS is not a finite number: '" + field.value + "'");
    } else if (field.key == "USER_PARAMS") {
      result.userParameters = field.value;
    } else {
      problems.Add(path, field.line, "unknown key " + field.key);
    }
  }
  for (const Block& block : file.blocks) {
    if (block.name != "TOOLS") {
      problems.Add(path, block.line, "unknown block " + block.name);
      continue;
    }
    BlockFields fields(block, path, problems);
    DrillTool& tool = result.tools.emplace_back();
    tool.line = block.line;
    fields.Integer("NUM", tool.number);
    fields.Text("TYPE", tool.type);
    fields.Text("TYPE2", tool.type2);
    fields.Number("MIN_TOL", tool.minTolerance);
    fields.Number("MAX_TOL", tool.maxTolerance);
    fields.Text("BIT", tool.bit);
    fields.Number("FINISH_SIZE", tool.finishSize);
    fields.Number("DRILL_SIZE", tool.drillSize);
    fields.Finish();
  }
  return result;
}

}  // namespace kelpie::reader
