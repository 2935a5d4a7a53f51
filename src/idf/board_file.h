// The IDF board file (".emn"): header, board outline, drilled holes and the
// placement of every component.
#ifndef KELPIE_IDF_BOARD_FILE_H
#define KELPIE_IDF_BOARD_FILE_H

#include <string>

#include "model/design.h"
#include "output/file_writer.h"

namespace kelpie {

// False, after the reason was reported, when the design has no single step
// with an outline or a component lies off the component layers; the file
// then ends where the problem was found.
[[nodiscard]] bool WriteBoardFile(const OutputTarget& target, const Design& design,
                                  const std::string& fileName);

}  // namespace kelpie

#endif
