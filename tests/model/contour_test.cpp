// Turning sums and walk orders of closed outlines.
#include <gtest/gtest.h>

#include "model/contour.h"

namespace kelpie {
namespace {

Contour Closed(std::initializer_list<double> xs, std::initializer_list<double> ys) {
  Contour contour;
  BuildClosedContour(contour, xs.begin(), ys.begin(), static_cast<int>(xs.size()));
  return contour;
}

TEST(Contour, CompassBearings) {
  EXPECT_DOUBLE_EQ(CompassBearing(0, 1), 360);
  EXPECT_DOUBLE_EQ(CompassBearing(1, 0), 90);
  EXPECT_DOUBLE_EQ(CompassBearing(0, -1), 180);
  EXPECT_DOUBLE_EQ(CompassBearing(-1, 0), 270);
  EXPECT_DOUBLE_EQ(CompassBearing(1, 1), 45);
  EXPECT_DOUBLE_EQ(CompassBearing(-2, -2), 225);
  EXPECT_DOUBLE_EQ(CompassBearing(-3, 1), 360 - 71.56505117707799);
  EXPECT_EQ(CompassBearing(0, 0), 0);
}

TEST(Contour, TurnSumsAndWalkOrders) {
  // Clockwise square: three turns are seen, the one at the first corner not.
  Contour cw = Closed({0, 0, 1, 1}, {0, 1, 1, 0});
  ASSERT_EQ(cw.points.Count(), 5);
  EXPECT_EQ(cw.points.xs.back(), 0);
  EXPECT_EQ(cw.points.ys.back(), 0);
  EXPECT_DOUBLE_EQ(cw.points.turnSum, 270);
  SetWalkOrder(cw.points, true);
  EXPECT_EQ(cw.points.walkStart, 0);
  EXPECT_EQ(cw.points.walkStep, 1);
  SetWalkOrder(cw.points, false);
  EXPECT_EQ(cw.points.walkStart, 4);
  EXPECT_EQ(cw.points.walkStep, -1);

  Contour ccw = Closed({0, 1, 1, 0}, {0, 0, 1, 1});
  EXPECT_DOUBLE_EQ(ccw.points.turnSum, -270);
  SetWalkOrder(ccw.points, true);
  EXPECT_EQ(ccw.points.walkStart, 4);
  EXPECT_EQ(ccw.points.walkStep, -1);
  SetWalkOrder(ccw.points, false);
  EXPECT_EQ(ccw.points.walkStart, 0);
  EXPECT_EQ(ccw.points.walkStep, 1);

  // Clockwise triangle: turns of 135 and 135; the 90 at the start is unseen.
  EXPECT_DOUBLE_EQ(Closed({0, 0, 1}, {0, 1, 0}).points.turnSum, 270);
  // An L shape with one reflex corner still sums to the clockwise side.
  Contour l = Closed({0, 0, 1, 1, 2, 2}, {0, 2, 2, 1, 1, 0});
  EXPECT_DOUBLE_EQ(l.points.turnSum, 270);

  // A host list that repeats its first point ends in a zero-length segment,
  // whose bearing 0 enters the sum (a turn from 270 to 0, that is +90).
  EXPECT_DOUBLE_EQ(Closed({0, 0, 1, 1, 0}, {0, 1, 1, 0, 0}).points.turnSum, 360);

  // One point: the point and its repetition, no turn at all.
  Contour dot = Closed({3}, {4});
  EXPECT_EQ(dot.points.Count(), 2);
  EXPECT_EQ(dot.points.turnSum, 0);
  // A zero-point contour still reads its closing point from the arrays.
  const double x = 7, y = 8;
  Contour none;
  BuildClosedContour(none, &x, &y, 0);
  EXPECT_EQ(none.points.Count(), 1);
  EXPECT_EQ(none.points.xs[0], 7);
  SetWalkOrder(none.points, false);  // turnSum 0 counts as counter-clockwise
  EXPECT_EQ(none.points.walkStart, 0);
}

TEST(Contour, TurnsWrapIntoHalfCircle) {
  PointList list;
  AddPoint(list, 0, 0);
  AddPoint(list, 1, 0);
  AddPoint(list, 2, 0);
  EXPECT_EQ(list.turnSum, 0);  // straight on
  AddPoint(list, 2, 1);        // bearing 90 -> 360: +270 wraps to -90
  EXPECT_DOUBLE_EQ(list.turnSum, -90);
  AddPoint(list, 3, 1);  // 360 -> 90: -270 wraps to +90
  EXPECT_DOUBLE_EQ(list.turnSum, 0);
  AddPoint(list, 2, 1);  // straight back, 90 -> 270: exactly 180 stays
  EXPECT_DOUBLE_EQ(list.turnSum, 180);
}

}  // namespace
}  // namespace kelpie
