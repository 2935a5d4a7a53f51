// The EDA data of a step ({step}\eda\data): the layers, every net with its
// subnets (traces, pins, planes) and the features that make them, and every
// package with its pins and their outlines.
#ifndef KELPIE_ODB_EDA_DATA_H
#define KELPIE_ODB_EDA_DATA_H

#include <string>

#include "model/design.h"
#include "odb/odb_plan.h"
#include "output/file_writer.h"

namespace kelpie {

// False when a package could not be written (used on both sides, a pin type
// without pads or of an unknown layer kind, a pad shape of an unknown kind);
// the reason has been reported and the file ends at that package. The pads
// of the pins are looked up on the outer signal layers of each package's
// side.
[[nodiscard]] bool WriteEdaData(const OutputTarget& target, const Design& design,
                                const StepPlan& plan, OuterLayers& outerLayers,
                                const std::string& stepDirectory);

}  // namespace kelpie

#endif
