// A deterministic board of any size, described through the public interface
// only, for the benchmarks and for trying the exporters at scale from the
// command line (kelpie-export --generate N).
#ifndef KELPIE_HOST_BOARD_GENERATOR_H
#define KELPIE_HOST_BOARD_GENERATOR_H

#include "kelpie/kelpie.h"

namespace kelpie {

// What GenerateBoard described.
struct GeneratedBoard {
  int components = 0;
  int nets = 0;
  int pins = 0;             // component pins, vias, mounting holes and fiducials
  long long features = 0;   // pads, lines, arcs, contours and surfaces on all layers
};

// Describes a board of `components` components (at least 1) on a server that
// has been created and not described yet: job properties, a stack of four
// signal layers, a plane, masks, paste, silk, the two component layers and a
// drill layer; one step with its profile and matrix column; round,
// rectangular and polygon pad shapes; pin types and package types for both
// sides; about two nets per component; components on both sides with their
// pins and pads; traces with arcs and vias between the pins of each net;
// plane surfaces; silk outlines, a stroked logo contour, mounting holes and
// fiducials. The same arguments always describe the same board.
GeneratedBoard GenerateBoard(IKELPIE* server, int components, unsigned seed = 1);

}  // namespace kelpie

#endif
