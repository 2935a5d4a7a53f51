// The board outline: the Edge.Cuts drawings joined end to end into closed
// loops.
#ifndef KELPIE_HOST_KICAD_OUTLINE_H
#define KELPIE_HOST_KICAD_OUTLINE_H

#include <vector>

#include "geometry.h"

namespace kelpie::host::kicad {

// Ends closer than this (mm) are taken as one point.
constexpr double kOutlineTolerance = 0.01;

struct OutlinePiece {
  Polyline points;
  bool closed = false;  // circles, rectangles and polygons are loops already
};

struct OutlineLoops {
  std::vector<Polyline> loops;  // closed, the first point not repeated
  int openChains = 0;           // chains of pieces that do not close
};

// Joins the open pieces into loops: each chain is extended by the piece
// whose end lies nearest to its own end, within kOutlineTolerance, until it
// meets its start.
OutlineLoops JoinOutline(std::vector<OutlinePiece> pieces);

}  // namespace kelpie::host::kicad

#endif  // KELPIE_HOST_KICAD_OUTLINE_H
