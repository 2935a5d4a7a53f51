// Directions and rotations as the outlines of the design measure them: by
// compass bearing, clockwise from +y.
#ifndef KELPIE_MODEL_GEOMETRY_H
#define KELPIE_MODEL_GEOMETRY_H

namespace kelpie {

// Direction of (dx, dy) as a compass bearing: +y is 360, +x 90, -y 180, -x 270.
// A zero vector gives 0.
double CompassBearing(double dx, double dy);

// Turns (x, y) clockwise about the origin by angle degrees, in place, by way
// of the point's compass bearing (so a round trip with angle 0 is not exact:
// a point on the positive x axis comes back with a y of about -2e-16 x).
void RotatePoint(double& x, double& y, double angle);

}  // namespace kelpie

#endif
