// Closed polygons. While points are added a point list keeps the sum of its
// turning angles, so that writers can walk any outline clockwise or
// counter-clockwise without further geometry.
#ifndef KELPIE_MODEL_CONTOUR_H
#define KELPIE_MODEL_CONTOUR_H

#include <vector>

namespace kelpie {

struct Net;
struct Surface;

struct PointList {
  std::vector<double> xs;
  std::vector<double> ys;
  int walkStart = 0;  // chosen by SetWalkOrder
  int walkStep = 1;
  double turnSum = 0;  // degrees; positive for a clockwise polygon

  int Count() const { return static_cast<int>(xs.size()); }
};

struct Contour {
  PointList points;
  double width = 0;         // outline stroke width, 0 = none
  bool flagA = true;        // on layers: filled
  bool flagB = true;        // on layers: positive (island)
  Net* net = nullptr;       // given to the lines stroked from the outline
  Surface* surface = nullptr;
  int featureIndex = 0;     // -1 for contours on layers
};

// Appends one point and updates the running turn sum.
void AddPoint(PointList& list, double x, double y);
// Chooses walkStart/walkStep so that the walk runs clockwise when asked.
void SetWalkOrder(PointList& list, bool clockwise);
// Adds count points (at least the first is always read) and the first again.
void BuildClosedContour(Contour& contour, const double* xs, const double* ys, int count);

// Direction of (dx, dy) as a compass bearing: +y is 360, +x 90, -y 180, -x 270.
// A zero vector gives 0.
double CompassBearing(double dx, double dy);

}  // namespace kelpie

#endif
