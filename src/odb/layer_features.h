// The directory of a layer within a step: the "features" file with every pad,
// line, arc, contour and surface of the layer, the "tools" file of a drill
// layer and the layer's "attrlist".
#ifndef KELPIE_ODB_LAYER_FEATURES_H
#define KELPIE_ODB_LAYER_FEATURES_H

#include <string>

#include "model/design.h"
#include "odb/odb_plan.h"
#include "output/file_writer.h"

namespace kelpie {

// `stepNumber` counts the steps written before this one: the features file
// lists the lines drawn from the contours' outlines stepNumber + 1 times.
// False when a record could not be written (the reason has been reported);
// the features file then ends there and no attrlist follows.
[[nodiscard]] bool WriteLayerFiles(const OutputTarget& target, const Design& design,
                                   const Layer& layer, const LayerPlan& plan, int stepNumber,
                                   const std::string& layerDirectory);

}  // namespace kelpie

#endif
