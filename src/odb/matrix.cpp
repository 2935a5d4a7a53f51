// The matrix: the job's steps as columns and its layers as rows. It is also
// where the layers' attributes are checked: a layer without a name, context,
// type, polarity or row stops the job here.
#include "odb/names.h"
#include "odb/odb_writers.h"
#include "server/host_services.h"
#include "server/server.h"

namespace kelpie {

bool WriteMatrixEntry(cFileWriter& writer, MatrixStep* entry) {
  try {
    // The step's own name, made legal by the job, is the one its directory
    // carries; the copy taken when the host added the matrix entry is only
    // a fallback for an entry without a step.
    const std::string& name = entry->step != nullptr ? entry->step->name : entry->name;
    writer.WriteLine("STEP {");
    writer.WriteKeyNumber("COL=", entry->column);
    writer.WriteKeyText("NAME=", name);
    writer.WriteLine("}");
    return false;
  } catch (...) {
    SendError("Unexpected error in WriteMatrixEntry");
    return true;
  }
}

bool WriteMatrixLayer(cFileWriter& writer, Layer* layer) {
  const std::string& name = layer->name;
  if (name.empty()) {
    SendError("Layer name not set");
    return true;
  }
  if (layer->context == kContextNotSet) {
    SendError("Layer context not set: " + name);
    return true;
  }
  if (layer->type == kLayerNotSet) {
    SendError("Layer type not set: " + name);
    return true;
  }
  if (layer->polarity == kPolarityNotSet) {
    SendError("Layer polarity not set: " + name);
    return true;
  }
  if (layer->row == 0) {
    SendError("Layer row not set: " + name);
    return true;
  }
  // Each word is asked for just before its line, so that a value outside
  // its table reports itself in the middle of the record.
  writer.WriteLine("LAYER {");
  writer.WriteKeyNumber("ROW=", layer->row);
  writer.WriteKeyText("CONTEXT=", ContextToName(layer->context));
  const bool component =
      layer->type == kLayerComponentTop || layer->type == kLayerComponentBottom;
  writer.WriteKeyText("TYPE=", component ? "COMPONENT" : LayerTypeToName(layer->type));
  writer.WriteKeyText("NAME=", name);
  writer.WriteKeyText("POLARITY=", PolarityToName(layer->polarity));
  writer.WriteKeyText("START_NAME=", layer->drillStart != nullptr ? layer->drillStart->name : "");
  writer.WriteKeyText("END_NAME=", layer->drillEnd != nullptr ? layer->drillEnd->name : "");
  writer.WriteKeyText("OLD_NAME=", "");
  writer.WriteLine("}");
  return false;
}

bool WriteMatrix(const std::string& jobDirectory) {
  cFileWriter writer(jobDirectory + "\\matrix", "matrix", true);
  bool failed = writer.closed;
  for (auto entry = currentServer->matrixSteps.begin();
       !failed && entry != currentServer->matrixSteps.end(); ++entry) {
    failed = WriteMatrixEntry(writer, &*entry);
  }
  for (auto layer = currentServer->layers.layers.begin();
       !failed && layer != currentServer->layers.layers.end(); ++layer) {
    failed = WriteMatrixLayer(writer, &*layer);
  }
  writer.Close();
  return failed;
}

}  // namespace kelpie
