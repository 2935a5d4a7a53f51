// Turning sums and walk orders of closed outlines; the outer signal layers
// and component layers of the stack, and the pad of a pin type on an outer
// layer.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "model/contour.h"
#include "model/layer_stack.h"
#include "recording_host.h"
#include "server/server.h"

namespace kelpie::test {
namespace {

using Texts = std::vector<std::string>;

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

const std::string kOneSignal =
    "Component top and bottom layers defined but only found 1 signal layer";
const std::string kNoComponent = "There must be at least 1 component layer";
const int kCT = kLayerComponentTop, kCB = kLayerComponentBottom, kS = kLayerSignal;

struct Stack {
  ServerFixture f;
  LayerStack& stack = static_cast<KELPIE*>(f.server)->layers;
  Layer* Add(const char* name, int row, int type) {
    return f.server->AddLayer(name, row, type, kPolarityPositive, kContextBoard);
  }
};

std::string Name(const Layer* layer) { return layer != nullptr ? layer->name : "-"; }

TEST(LayerStack, ResolveStack) {
  struct Case {
    std::vector<std::tuple<const char*, int, int>> layers;
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
    for (const auto& [name, row, type] : c.layers) s.Add(name, row, type);
    EXPECT_EQ(s.stack.ResolveStack(), !c.error.empty()) << c.resolved;
    EXPECT_EQ(Name(s.stack.topSignal) + " " + Name(s.stack.bottomSignal) + " " +
                  Name(s.stack.componentTop) + " " + Name(s.stack.componentBottom),
              c.resolved);
    EXPECT_EQ(s.f.sink.Errors(), c.error.empty() ? Texts{} : Texts{c.error});
  }
}

TEST(LayerStack, FindPinTypePadOnOuterLayers) {
  Stack s;
  Layer* l3 = s.Add("l3", 3, kS);
  Layer* l2 = s.Add("l2", 2, kS);
  Layer* l1 = s.Add("l1", 1, kS);
  const double xy[] = {0, 1, 1};
  s.f.server->AddStep("pcb", xy, xy, 3);
  PadShape* shape = s.f.server->AddRoundPadShape("r", 0.06, 1);
  PinType* pinType = s.f.server->AddPinType("p");
  for (Layer* layer : {l3, l2, l1, l1}) s.f.server->AddPinTypePad(pinType, shape, layer);
  PinType* inner = s.f.server->AddPinType("inner");
  s.f.server->AddPinTypePad(inner, shape, l2);
  // No component layer yet: each lookup resolves again, fails and says so.
  EXPECT_EQ(FindPinTypePad(s.stack, *pinType, true), nullptr);
  EXPECT_EQ(FindPinTypePad(s.stack, *pinType, false), nullptr);
  EXPECT_EQ(s.f.sink.Errors(), Texts(2, kNoComponent));

  s.Add("ct", 1, kCT);
  s.Add("cb", 9, kCB);
  EXPECT_EQ(FindPinTypePad(s.stack, *pinType, true), &pinType->pads.at(2));  // the first on l1
  EXPECT_EQ(FindPinTypePad(s.stack, *pinType, false), &pinType->pads.at(0));
  EXPECT_EQ(FindPinTypePad(s.stack, *inner, true), nullptr);
  // Once a component layer is known the stack is not walked again: a new
  // outermost layer does not take over.
  s.Add("l0", -1, kS);
  EXPECT_EQ(FindPinTypePad(s.stack, *pinType, true), &pinType->pads.at(2));
  EXPECT_EQ(s.f.sink.Errors().size(), 2u);
}

}  // namespace
}  // namespace kelpie::test
