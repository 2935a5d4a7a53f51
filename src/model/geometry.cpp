#include "model/geometry.h"

#include <cmath>

namespace kelpie {

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

void RotatePoint(double& x, double& y, double angle) {
  const double r = std::sqrt(x * x + y * y);
  double bearing = r == 0 ? 0 : CompassBearing(x, y);
  bearing += angle;
  double t = 450 - bearing;
  if (t > 360) t -= 360;
  t = t * M_PI / 180;
  x = r * std::cos(t);
  y = r * std::sin(t);
}

}  // namespace kelpie
