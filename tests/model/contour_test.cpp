// Turning sums and walk orders of closed outlines.
#include <gtest/gtest.h>

#include <utility>

#include "model/contour.h"

namespace kelpie {
namespace {

double TurnSum(std::initializer_list<double> xs, std::initializer_list<double> ys) {
  Contour contour;
  BuildClosedContour(contour, xs.begin(), ys.begin(), static_cast<int>(xs.size()));
  return contour.points.turnSum;
}

std::pair<int, int> Walk(PointList& points, bool clockwise) {
  SetWalkOrder(points, clockwise);
  return {points.walkStart, points.walkStep};
}

TEST(Contour, TurnSumsAndWalkOrders) {
  // The square both ways: three turns are seen, the one at the first corner
  // never; the repeated first point is the fifth entry.
  const double xs[] = {0, 0, 1, 1}, ys[] = {0, 1, 1, 0};
  Contour cw, ccw;
  BuildClosedContour(cw, xs, ys, 4);
  BuildClosedContour(ccw, ys, xs, 4);
  ASSERT_EQ(cw.points.Count(), 5);
  EXPECT_EQ(cw.points.xs[4], 0);
  EXPECT_DOUBLE_EQ(cw.points.turnSum, 270);
  EXPECT_DOUBLE_EQ(ccw.points.turnSum, -270);
  EXPECT_EQ(Walk(cw.points, true), std::make_pair(0, 1));
  EXPECT_EQ(Walk(cw.points, false), std::make_pair(4, -1));
  EXPECT_EQ(Walk(ccw.points, true), std::make_pair(4, -1));
  EXPECT_EQ(Walk(ccw.points, false), std::make_pair(0, 1));

  // A reflex corner still sums to the clockwise side; a host list that
  // repeats its first point ends in a zero-length segment, whose bearing 0
  // adds a turn from 270 to 0; a single point turns not at all.
  EXPECT_DOUBLE_EQ(TurnSum({0, 0, 1, 1, 2, 2}, {0, 2, 2, 1, 1, 0}), 270);
  EXPECT_DOUBLE_EQ(TurnSum({0, 0, 1, 1, 0}, {0, 1, 1, 0, 0}), 360);
  EXPECT_EQ(TurnSum({3}, {4}), 0);

  // Turns wrap into (-180, 180]: +270 becomes -90, -270 becomes +90, and a
  // reversal stays +180.
  PointList list;
  AddPoint(list, 0, 0);
  AddPoint(list, 1, 0);
  AddPoint(list, 1, 1);
  EXPECT_DOUBLE_EQ(list.turnSum, -90);
  AddPoint(list, 2, 1);
  EXPECT_DOUBLE_EQ(list.turnSum, 0);
  EXPECT_EQ(Walk(list, true), std::make_pair(3, -1));  // a sum of 0 is not clockwise
  AddPoint(list, 1, 1);
  EXPECT_DOUBLE_EQ(list.turnSum, 180);
}

}  // namespace
}  // namespace kelpie
