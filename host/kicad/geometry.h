// Plane geometry of the importer: points, turns, arcs through three points
// and the polylines that stand for arcs, circles and Bezier curves. The
// functions work in whatever axes their points are given: "counter-clockwise"
// means from +x towards +y.
#ifndef KELPIE_HOST_KICAD_GEOMETRY_H
#define KELPIE_HOST_KICAD_GEOMETRY_H

#include <vector>

#include "board.h"

namespace kelpie::host::kicad {

using Polyline = std::vector<Vec>;

// The largest distance (mm) between a curve and the polyline drawn for it.
constexpr double kChordError = 0.0025;

inline Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
inline Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
inline Vec operator*(Vec a, double k) { return {a.x * k, a.y * k}; }
double Distance(Vec a, Vec b);

// Turns v about the origin by degrees, counter-clockwise. Multiples of 90
// degrees turn exactly.
Vec Rotate(Vec v, double degrees);

// The angle brought into [0, 360).
double NormalDegrees(double degrees);
bool IsRightAngleMultiple(double degrees);

struct Arc {
  Vec center;
  double radius = 0;
  double start = 0;  // radians
  double sweep = 0;  // radians; positive counter-clockwise
};

// The arc that runs from start through mid to end; false when the three
// points lie on one line (or coincide), which is no arc.
bool ArcThrough(Vec start, Vec mid, Vec end, Arc& arc);

// Chords needed to keep within kChordError of an arc.
int ChordCount(double radius, double sweep);

Vec PointOnArc(const Arc& arc, double fraction);

// Appends the arc's polyline to points; the first point is left out when
// withStart is false (the end of the previous piece).
void AppendArc(const Arc& arc, bool withStart, Polyline& points);

// A circle as a closed polygon (the first point is not repeated).
Polyline CirclePolygon(Vec center, double radius);

// Appends the cubic Bezier curve's polyline, its first point included.
void AppendBezier(Vec p0, Vec p1, Vec p2, Vec p3, Polyline& points);

// Twice the signed area: positive for a counter-clockwise polygon.
double DoubleArea(const Polyline& polygon);

// The same loop in one canonical form: counter-clockwise, starting at its
// lowest point (the leftmost of the lowest), so that equal loops compare
// equal whichever piece they were joined from.
void Canonical(Polyline& loop);

}  // namespace kelpie::host::kicad

#endif  // KELPIE_HOST_KICAD_GEOMETRY_H
