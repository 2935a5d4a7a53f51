#include "model/contour.h"

#include <cstddef>

#include "model/geometry.h"

namespace kelpie {

void AddPoint(PointList& list, double x, double y) {
  list.xs.push_back(x);
  list.ys.push_back(y);
  const size_t n = list.xs.size();
  if (n < 2) {
    list.turnSum = 0;
    return;
  }
  const double bearing = CompassBearing(x - list.xs[n - 2], y - list.ys[n - 2]);
  if (n > 2) {
    double turn = bearing - list.lastBearing;
    // A NaN turn must not spin these loops; it simply poisons the sum.
    while (turn > 180) turn -= 360;
    while (turn < -180) turn += 360;
    list.turnSum += turn;
  }
  list.lastBearing = bearing;
}

Walk WalkOrder(const PointList& list, bool clockwise) {
  const bool isClockwise = list.turnSum > 0;
  if (isClockwise == clockwise) return Walk{0, 1};
  return Walk{list.Count() - 1, -1};
}

void BuildClosedContour(Contour& contour, const double* xs, const double* ys, int count) {
  PointList& list = contour.points;
  if (count > 0) {
    list.xs.reserve(list.xs.size() + static_cast<size_t>(count) + 1);
    list.ys.reserve(list.ys.size() + static_cast<size_t>(count) + 1);
  }
  for (int i = 0; i < count; ++i) AddPoint(list, xs[i], ys[i]);
  AddPoint(list, xs[0], ys[0]);
}

}  // namespace kelpie
