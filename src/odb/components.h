// The components file of a component layer: one CMP record per component
// placed on the layer, each followed by one TOP record per pin with its net
// and its subnet in the EDA data.
#ifndef KELPIE_ODB_COMPONENTS_H
#define KELPIE_ODB_COMPONENTS_H

#include <string>

#include "model/records.h"
#include "odb/odb_plan.h"
#include "output/file_writer.h"

namespace kelpie {

// Writes the components file of `layer` for step `stepNumber` of the plan
// into the layer's directory; a layer without components of the step gets
// none. False when a component has more pins than its package type (the
// reason has been reported and the file ends before that component).
[[nodiscard]] bool WriteComponents(const OutputTarget& target, const OdbPlan& plan,
                                   size_t stepNumber, const Layer& layer,
                                   const std::string& layerDirectory);

}  // namespace kelpie

#endif
