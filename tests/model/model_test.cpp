// Turning sums and walk orders of closed outlines, point rotation, and the
// outer layers of the stack as the exports ask for them.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "model/contour.h"
#include "model/design.h"
#include "model/geometry.h"
#include "output/text.h"
#include "recording_host.h"

namespace kelpie::test {
namespace {

using Texts = std::vector<std::string>;

Contour Closed(std::initializer_list<double> xs, std::initializer_list<double> ys) {
  Contour contour;
  BuildClosedContour(contour, xs.begin(), ys.begin(), static_cast<int>(xs.size()));
  return contour;
}

std::pair<int, int> Walked(const Contour& contour, bool clockwise) {
  const Walk walk = WalkOrder(contour.points, clockwise);
  return {walk.start, walk.step};
}

TEST(Contour, TurnSumsAndWalkOrders) {
  // The square both ways: three turns are seen, the one at the first corner
  // never; the repeated first point is the fifth entry.
  const Contour cw = Closed({0, 0, 1, 1}, {0, 1, 1, 0});
  const Contour ccw = Closed({0, 1, 1, 0}, {0, 0, 1, 1});
  ASSERT_EQ(cw.points.Count(), 5);
  EXPECT_DOUBLE_EQ(cw.points.turnSum, 270);
  EXPECT_DOUBLE_EQ(ccw.points.turnSum, -270);
  EXPECT_EQ(Walked(cw, true), std::make_pair(0, 1));
  EXPECT_EQ(Walked(cw, false), std::make_pair(4, -1));
  EXPECT_EQ(Walked(ccw, true), std::make_pair(4, -1));
  EXPECT_EQ(Walked(ccw, false), std::make_pair(0, 1));

  // A reflex corner; a repeated first point, whose zero-length segment has
  // bearing 0 (a turn from 270 to 0); a reversal is +180, never -180.
  EXPECT_DOUBLE_EQ(Closed({0, 0, 1, 1, 2, 2}, {0, 2, 2, 1, 1, 0}).points.turnSum, 270);
  EXPECT_DOUBLE_EQ(Closed({0, 0, 1, 1, 0}, {0, 1, 1, 0, 0}).points.turnSum, 360);
  EXPECT_DOUBLE_EQ(Closed({0, 1, 2}, {0, 0, 0}).points.turnSum, 180);
  const Contour dot = Closed({3}, {4});
  EXPECT_EQ(dot.points.turnSum, 0);
  EXPECT_EQ(Walked(dot, true), std::make_pair(1, -1));  // a sum of 0 is not clockwise
}

TEST(Geometry, RotatePointTurnsClockwise) {
  // In any quadrant and beyond a full circle; angle 0 leaves -0.
  for (const auto& [x, y, angle, text] : {std::tuple(1.0, 0.0, 90.0, "-0 -1"),
                                          {0.0, 1.0, 90.0, "1 0"},
                                          {10.0, 0.0, 0.0, "10 -0"},
                                          {0.0, -5.0, 0.0, "-0 -5"},
                                          {0.0, 0.0, 0.0, "0 0"},
                                          {3.0, 4.0, 30.0, "4.598076 1.964102"},
                                          {-5.0, -1.0, 400.0, "-4.47301 2.447894"},
                                          {-2.0, 7.0, -45.0, "-6.363961 3.535534"},
                                          {6.0, -6.0, 270.0, "6 6"}}) {
    double rx = x;
    double ry = y;
    RotatePoint(rx, ry, angle);
    EXPECT_EQ(NumberToText(rx) + " " + NumberToText(ry), text) << x << " " << y << " " << angle;
  }
}

const std::string kOneSignal =
    "Component top and bottom layers defined but only found 1 signal layer";
const std::string kNoComponent = "There must be at least 1 component layer";
const LayerKind kCT = LayerKind::kComponentTop;
const LayerKind kCB = LayerKind::kComponentBottom;
const LayerKind kS = LayerKind::kSignal;

struct Stack {
  RecordingSink sink;
  MessageSink* sinkPointer = &sink;
  Messages messages{sinkPointer};
  Design design;
  Layer* Add(const char* name, int row, LayerKind kind) {
    return design.AddLayer(name, row, kind, Polarity::kPositive, MatrixContext::kBoard, messages);
  }
};

std::string Name(const Layer* layer) { return layer != nullptr ? layer->name : "-"; }

TEST(LayerStack, ResolveStack) {
  struct Case {
    std::vector<std::tuple<const char*, int, LayerKind>> layers;
    std::string resolved, error;  // top, bottom signal; top, bottom component
  };
  const Case cases[] = {
      {{{"ct", 1, kCT}, {"sig4", 4, kS}, {"sig1", 1, kS}, {"cb", 9, kCB}}, "sig1 sig4 ct cb", ""},
      // Equal rows keep the earlier layer; without a top side no top signal.
      {{{"sig1", 1, kS}, {"sig3", 3, kS}, {"sig3b", 3, kS}, {"cb", 9, kCB}}, "- sig3 - cb", ""},
      {{{"ct1", 1, kCT}, {"ct2", 2, kCT}}, "- - ct2 -", ""},  // the last one wins
      {{{"sig", 1, kS}}, "- - - -", kNoComponent},
      {{{"ct", 1, kCT}, {"sig", 2, kS}, {"cb", 3, kCB}}, "sig sig ct cb", kOneSignal},
      {{{"ct", 1, kCT}, {"cb", 3, kCB}}, "- - ct cb", kOneSignal},
  };
  for (const Case& c : cases) {
    Stack s;
    for (const auto& [name, row, kind] : c.layers) s.Add(name, row, kind);
    EXPECT_EQ(ResolveStack(s.design.layers, s.messages), c.error.empty()) << c.resolved;
    const StackSides& sides = s.design.layers.sides;
    EXPECT_EQ(Name(sides.topSignal) + " " + Name(sides.bottomSignal) + " " +
                  Name(sides.componentTop) + " " + Name(sides.componentBottom),
              c.resolved);
    EXPECT_EQ(s.sink.Errors(), c.error.empty() ? Texts{} : Texts{c.error});
  }
}

// The stack is resolved at each request while no component layer is known,
// and never again once one is, so later layers do not take over.
TEST(LayerStack, OuterLayersResolveOnDemand) {
  Stack s;
  Layer* l3 = s.Add("l3", 3, kS);
  Layer* l1 = s.Add("l1", 1, kS);
  OuterLayers outer(s.design.layers, s.messages);
  EXPECT_EQ(outer.Side(true), nullptr);
  EXPECT_EQ(outer.Side(false), nullptr);
  s.Add("ct", 2, kCT);
  s.Add("cb", 9, kCB);
  EXPECT_EQ(outer.Side(true), l1);
  EXPECT_EQ(outer.Side(false), l3);
  s.Add("l0", -1, kS);
  EXPECT_EQ(outer.Side(true), l1);
  EXPECT_EQ(s.design.layers.sides.topSignal, l1);  // the design keeps the resolution
  EXPECT_EQ(s.sink.Errors(), Texts(2, kNoComponent));

  PinType pinType;
  PadShape shape;
  pinType.pads = {{&shape, l3}, {&shape, l1}, {&shape, l1}};
  EXPECT_EQ(FindPinTypePad(pinType, l1), &pinType.pads.at(1));  // the first on the layer
  EXPECT_EQ(FindPinTypePad(pinType, nullptr), nullptr);
}

}  // namespace
}  // namespace kelpie::test
