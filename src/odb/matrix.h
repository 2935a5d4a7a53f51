// The matrix ({job}\matrix\matrix): the job's steps as columns and its
// layers as rows. It is also where the layers' attributes are checked.
#ifndef KELPIE_ODB_MATRIX_H
#define KELPIE_ODB_MATRIX_H

#include <string>

#include "model/design.h"
#include "output/file_writer.h"

namespace kelpie {

// False when the file could not be opened, a layer has no name, context,
// type, polarity or row, or a step record could not be written; the reason
// has been reported and the records end there.
[[nodiscard]] bool WriteMatrix(const OutputTarget& target, const Design& design,
                               const std::string& jobDirectory);

}  // namespace kelpie

#endif
