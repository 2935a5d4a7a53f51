#include "odb/matrix.h"

#include "odb/names.h"

namespace kelpie {

namespace {

[[nodiscard]] bool WriteMatrixEntry(FileWriter& writer, const MatrixStep& entry,
                                    const Messages& messages) {
  try {
    // The step's own name, made legal by the job, is the one its directory
    // carries; the copy taken when the host added the matrix entry is only
    // a fallback for an entry without a step.
    const std::string& name = entry.step != nullptr ? entry.step->name : entry.name;
    writer.WriteLine("STEP {");
    writer.WriteKeyNumber("COL=", entry.column);
    writer.WriteKeyText("NAME=", name);
    writer.WriteLine("}");
    return true;
  } catch (...) {
    messages.Error("Unexpected error in WriteMatrixEntry");
    return false;
  }
}

[[nodiscard]] bool WriteMatrixLayer(FileWriter& writer, const Layer& layer,
                                    const Messages& messages) {
  const std::string& name = layer.name;
  if (name.empty()) {
    messages.Error("Layer name not set");
    return false;
  }
  if (layer.context == MatrixContext::kNotSet) {
    messages.Error("Layer context not set: " + name);
    return false;
  }
  if (layer.kind == LayerKind::kNotSet) {
    messages.Error("Layer type not set: " + name);
    return false;
  }
  if (layer.polarity == Polarity::kNotSet) {
    messages.Error("Layer polarity not set: " + name);
    return false;
  }
  if (layer.row == 0) {
    messages.Error("Layer row not set: " + name);
    return false;
  }
  // Each word is asked for just before its line, so that a value outside
  // its table reports itself in the middle of the record.
  writer.WriteLine("LAYER {");
  writer.WriteKeyNumber("ROW=", layer.row);
  writer.WriteKeyText("CONTEXT=", ContextWord(layer.context, messages));
  writer.WriteKeyText(
      "TYPE=", IsComponentLayer(layer.kind) ? "COMPONENT" : LayerKindWord(layer.kind, messages));
  writer.WriteKeyText("NAME=", name);
  writer.WriteKeyText("POLARITY=", PolarityWord(layer.polarity, messages));
  writer.WriteKeyText("START_NAME=", layer.drillStart != nullptr ? layer.drillStart->name : "");
  writer.WriteKeyText("END_NAME=", layer.drillEnd != nullptr ? layer.drillEnd->name : "");
  writer.WriteKeyText("OLD_NAME=", "");
  writer.WriteLine("}");
  return true;
}

}  // namespace

bool WriteMatrix(const OutputTarget& target, const Design& design,
                 const std::string& jobDirectory) {
  FileWriter writer(target, jobDirectory + "\\matrix", "matrix", true);
  bool written = writer.IsOpen();
  for (auto entry = design.matrixSteps.begin(); written && entry != design.matrixSteps.end();
       ++entry) {
    written = WriteMatrixEntry(writer, *entry, target.messages);
  }
  for (auto layer = design.layers.layers.begin(); written && layer != design.layers.layers.end();
       ++layer) {
    written = WriteMatrixLayer(writer, *layer, target.messages);
  }
  writer.Close();
  return written;
}

}  // namespace kelpie
