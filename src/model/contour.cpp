#include "model/contour.h"

#include <cmath>

namespace kelpie {

namespace {
// Bearing of the last segment added to any point list. Points are only ever
// added to one list at a time, each interface call building a whole contour.
double lastBearing = 0;
}  // namespace

double CompassBearing(double dx, double dy) {
  if (std::sqrt(dx * dx + dy * dy) == 0) return 0;
  double a;
  double reference;
  if (std::fabs(dx) > std::fabs(dy)) {
    a = std::atan(dy / dx);
    reference = dx;
  } else {
    a = M_PI / 2 - std::atan(dx / dy);
    reference = dy;
  }
  if (reference < 0) a += M_PI;
  a = a * 180 / M_PI;
  if (a < 0) a += 360;
  if (a >= 360) a -= 360;
  double bearing = 450 - a;
  if (bearing > 360) bearing -= 360;
  return bearing;
}

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
    double turn = bearing - lastBearing;
    // A NaN turn must not spin these loops; it simply poisons the sum.
    while (turn > 180) turn -= 360;
    while (turn < -180) turn += 360;
    list.turnSum += turn;
  }
  lastBearing = bearing;
}

void SetWalkOrder(PointList& list, bool clockwise) {
  const bool isClockwise = list.turnSum > 0;
  if (isClockwise == clockwise) {
    list.walkStart = 0;
    list.walkStep = 1;
  } else {
    list.walkStart = list.Count() - 1;
    list.walkStep = -1;
  }
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
