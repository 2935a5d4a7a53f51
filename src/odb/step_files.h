// The three files that open every step directory: the profile (the board
// outline), the step attribute list and the step header.
#ifndef KELPIE_ODB_STEP_FILES_H
#define KELPIE_ODB_STEP_FILES_H

#include <string>

#include "model/records.h"
#include "output/file_writer.h"

namespace kelpie {

// False, with nothing written, when the step's outline has fewer than three
// points (its closing repeat included).
[[nodiscard]] bool WriteProfile(const OutputTarget& target, const Step& step,
                                const std::string& stepDirectory);
void WriteStepAttrList(const OutputTarget& target, const std::string& stepDirectory);
void WriteStepHeader(const OutputTarget& target, const std::string& stepDirectory);

}  // namespace kelpie

#endif
