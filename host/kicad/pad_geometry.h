// The outline of a pad on a layer, as KiCad draws it: the copper shape, or
// the copper shape grown by a solder mask or paste margin. Outlines are in
// the pad's own frame (unrotated, y up, millimetres) and relative to the
// pad's position, which is where its hole is.
#ifndef KELPIE_HOST_KICAD_PAD_GEOMETRY_H
#define KELPIE_HOST_KICAD_PAD_GEOMETRY_H

#include "board.h"
#include "polygons.h"

namespace kelpie::host::kicad {

struct PadOutline {
  enum Form { kNone, kCircle, kRect, kPolygons };
  Form form = kNone;
  Vec center;         // kCircle, kRect: the shape's centre (a hole offset moves it)
  double width = 0;   // kCircle: the diameter
  double height = 0;
  Polygons polygons;  // kPolygons
};

// The pad's outline grown on each side by grow (x across, y along the pad's
// height; a negative value shrinks): zero for the copper itself.
PadOutline OutlineOf(const Pad& pad, Vec grow);

// Every point of the outline (circles and rectangles by their corners).
Polyline OutlinePoints(const PadOutline& outline);

}  // namespace kelpie::host::kicad

#endif  // KELPIE_HOST_KICAD_PAD_GEOMETRY_H
