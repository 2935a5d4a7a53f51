// Unions and offsets of polygons, through Clipper (libpolyclipping). Points
// are millimetres; Clipper works on whole nanometres.
#ifndef KELPIE_HOST_KICAD_POLYGONS_H
#define KELPIE_HOST_KICAD_POLYGONS_H

#include <vector>

#include "geometry.h"

namespace kelpie::host::kicad {

using Polygons = std::vector<Polyline>;

// The outlines of the area that the closed polygons cover together
// (non-zero winding). A pad shape is one outline, so each hole is joined to
// the outline around it by a cut of no width (see Fracture).
Polygons Union(const Polygons& polygons);

// The polygons grown by delta (shrunk when negative): rounded corners when
// growing, sharp ones when shrinking. The result is a union as above.
Polygons Offset(const Polygons& polygons, double delta);

// One outline that holds the holes: each hole, leftmost first, is entered by
// a cut running from its leftmost corner straight left to the outline (the
// way out runs back along the cut). The holes run the other way round.
Polyline Fracture(Polyline outline, std::vector<Polyline> holes);

// The area that a round pen of the given width covers along the polyline
// (closed: along the polygon's outline, giving a ring whose inner outline
// runs the other way), as closed polygons for Union.
Polygons PenArea(const Polyline& line, double width, bool closed);

}  // namespace kelpie::host::kicad

#endif  // KELPIE_HOST_KICAD_POLYGONS_H
