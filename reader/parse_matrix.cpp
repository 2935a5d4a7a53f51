// The matrix: "STEP {" blocks (COL, NAME) and "LAYER {" blocks (ROW,
// CONTEXT, TYPE, NAME, POLARITY, START_NAME, END_NAME, OLD_NAME).
#include <string>

#include "blocks.h"
#include "parse.h"
#include "text.h"

namespace kelpie::reader {

Matrix ParseMatrix(std::string_view text, const std::string& path, Problems& problems) {
  Matrix result;
  result.path = path;
  const BlockFile file = ParseBlocks(text, path, problems);
  for (const KeyValue& field : file.fields) problems.Add(path, field.line, field.key + " outside a block");
  for (const Block& block : file.blocks) {
    BlockFields fields(block, path, problems);
    if (block.name == "STEP") {
      MatrixStep& step = result.steps.emplace_back();
      step.line = block.line;
      fields.Integer("COL", step.column);
      fields.Text("NAME", step.name);
    } else if (block.name == "LAYER") {
      MatrixLayer& layer = result.layers.emplace_back();
      layer.line = block.line;
      fields.Integer("ROW", layer.row);
      fields.Text("CONTEXT", layer.context);
      fields.Text("TYPE", layer.type);
      fields.Text("NAME", layer.name);
      fields.Text("POLARITY", layer.polarity);
      fields.Text("START_NAME", layer.startName);
      fields.Text("END_NAME", layer.endName);
      fields.Text("OLD_NAME", layer.oldName);
    } else {
      problems.Add(path, block.line, "unknown block " + block.name);
      continue;
    }
    fields.Finish();
  }
  return result;
}

}  // namespace kelpie::reader
