// The layer directories of a step: the "features" file of every layer with
// its records, the layer's "attrlist", and (pass 2) its components file.
#ifndef KELPIE_ODB_LAYER_FEATURES_H
#define KELPIE_ODB_LAYER_FEATURES_H

#include <cstddef>
#include <string>
#include <vector>

#include "model/layer_stack.h"
#include "model/records.h"
#include "odb/odb_writers.h"
#include "output/file_writer.h"

namespace kelpie {

bool WriteLayerDirectory(const std::string& layersPath, Step* step, Layer* layer, int pass);
bool WriteLayerFeatures(const std::string& directory, const std::string& fileName, Step* step,
                        Layer* layer);
bool WriteLayerAttrList(const std::string& directory, Step* step, Layer* layer);

// Draws the outline of a contour with a width as line features appended to
// the context's layer.
bool StrokeContour(FeatureContext& context, Contour* contour);

// One feature record each; the feature takes the counter's value as its
// index and the counter moves on.
bool WritePadRecord(FeatureContext& context, cFileWriter& writer, PadFeature* pad, Layer* layer,
                    int* counter);
bool WriteLineRecord(FeatureContext& context, cFileWriter& writer, LineFeature* line,
                     int* counter);
bool WriteArcRecord(FeatureContext& context, cFileWriter& writer, ArcFeature* arc, int* counter);

// Symbol names: the standard symbol of a pad shape (a polygon shape's own
// name), and the round symbol that draws a line or arc of the given width.
std::string PadTypeToName(const PadShape* shape);
std::string RoundSymbolName(double width);

// Stroking writes lines into the model for the length of one export (the EDA
// data reads them as traces). The export notes each layer's own line count
// before it writes and cuts the lists back to it afterwards.
std::vector<std::size_t> CountLayerLines(const LayerStack& stack);
void RemoveStrokedLines(LayerStack& stack, const std::vector<std::size_t>& counts);

}  // namespace kelpie

#endif
