// Maps a KiCad board onto the host's design: one step "pcb" with its layer
// stack, library records, components, pins and features, every length in
// inches with y up. docs/kicad-import.md gives the rules.
#ifndef KELPIE_HOST_KICAD_BOARD_MAPPER_H
#define KELPIE_HOST_KICAD_BOARD_MAPPER_H

#include <string>

#include "board.h"
#include "design.h"
#include "kicad_import.h"

namespace kelpie::host::kicad {

// Package height for IDF when a footprint has no "Height" property (mm).
constexpr double kDefaultHeightMm = 1.0;

// The zone fills' points are moved out of the board into the design.
void MapBoard(Board& board, const std::string& jobName, Design& design, ImportReport& report);

}  // namespace kelpie::host::kicad

#endif  // KELPIE_HOST_KICAD_BOARD_MAPPER_H
