// Closed polygons. While points are added a point list keeps the sum of its
// turning angles, so that writers can walk any outline clockwise or
// counter-clockwise without further geometry.
#ifndef KELPIE_MODEL_CONTOUR_H
#define KELPIE_MODEL_CONTOUR_H

#include <vector>

namespace kelpie {

struct Surface;

struct PointList {
  std::vector<double> xs;
  std::vector<double> ys;
  double turnSum = 0;      // degrees; positive for a clockwise polygon
  double lastBearing = 0;  // of the last segment added

  int Count() const { return static_cast<int>(xs.size()); }
};

struct Contour {
  PointList points;
  double width = 0;    // outline stroke width, 0 = none
  bool filled = true;  // false: only its outline (if it has a width) is drawn
  bool hole = false;   // a hole cut out of its surface rather than an island
  Surface* surface = nullptr;
};

// Where a walk over a point list starts (an index) and which way it goes (+1
// or -1).
struct Walk {
  int start = 0;
  int step = 1;
};

// Appends one point and updates the running turn sum.
void AddPoint(PointList& list, double x, double y);
// The walk that visits the points clockwise (or counter-clockwise).
Walk WalkOrder(const PointList& list, bool clockwise);
// Adds count points (at least the first is always read) and the first again.
void BuildClosedContour(Contour& contour, const double* xs, const double* ys, int count);

}  // namespace kelpie

#endif
