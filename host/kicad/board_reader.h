// Reads a KiCad board file (KiCad 5.1 to 9) into a Board. Unknown lists are
// skipped whole, so that a newer file still gives what is known.
#ifndef KELPIE_HOST_KICAD_BOARD_READER_H
#define KELPIE_HOST_KICAD_BOARD_READER_H

#include <string>
#include <string_view>
#include <vector>

#include "board.h"
#include "sexpr.h"

namespace kelpie::host::kicad {

// The oldest file version read (KiCad 5.1) and the newest one known.
constexpr long kOldestVersion = 20171130;
constexpr long kNewestKnownVersion = 20251231;

// Reads text (the content of source). On failure returns false with one line
// "source:line:column: expected ..." in error. Notes about the file itself
// (a version newer than the ones known) go to warnings.
bool ReadBoard(std::string_view text, const std::string& source, const ParseLimits& limits, Board& board,
               std::vector<std::string>& warnings, std::string& error);

}  // namespace kelpie::host::kicad

#endif  // KELPIE_HOST_KICAD_BOARD_READER_H
