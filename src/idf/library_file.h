// The IDF library file (".emp"): one electrical section per component, with
// its package type's outline and height.
#ifndef KELPIE_IDF_LIBRARY_FILE_H
#define KELPIE_IDF_LIBRARY_FILE_H

#include <string>

#include "model/design.h"
#include "output/file_writer.h"

namespace kelpie {

// Gives every package type that a component uses and that has no outline its
// box as the outline; the outlines stay in the design as if the host had set
// them. The library file reads them.
void GiveOutlinesToPlacedPackages(Design& design);

// Expects every placed package type to have an outline.
void WriteLibraryFile(const OutputTarget& target, const Design& design,
                      const std::string& fileName);

}  // namespace kelpie

#endif
