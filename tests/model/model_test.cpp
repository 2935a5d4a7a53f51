// Turning sums and walk orders of closed outlines; the outer layers of the
// stack, and the pad of a pin type on an outer layer.
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

Contour Closed(std::initializer_list<double> xs, std::initializer_list<double> ys) {
  Contour contour;
  BuildClosedContour(contour, xs.begin(), ys.begin(), static_cast<int>(xs.size()));
  return contour;
}

std::pair<int, int> Walk(Contour& contour, bool clockwise) {
  SetWalkOrder(contour.points, clockwise);
  return {contour.points.walkStart, contour.points.walkStep};
}

TEST(Contour, TurnSumsAndWalkOrders) {
  // The square both ways: three turns are seen, the one at the first corner
  // never; the repeated first point is the fifth entry.
  Contour cw = Closed({0, 0, 1, 1}, {0, 1, 1, 0});
  Contour ccw = Closed({0, 1, 1, 0}, {0, 0, 1, 1});
  ASSERT_EQ(cw.points.Count(), 5);
  EXPECT_DOUBLE_EQ(cw.points.turnSum, 270);
  EXPECT_DOUBLE_EQ(ccw.points.turnSum, -270);
  EXPECT_EQ(Walk(cw, true), std::make_pair(0, 1));
  EXPECT_EQ(Walk(cw, false), std::make_pair(4, -1));
  EXPECT_EQ(Walk(ccw, true), std::make_pair(4, -1));
  EXPECT_EQ(Walk(ccw, false), std::make_pair(0, 1));

  // A reflex corner; a repeated first point, whose zero-length segment has
  // bearing 0 (a turn from 270 to 0); a reversal is +180, never -180.
  EXPECT_DOUBLE_EQ(Closed({0, 0, 1, 1, 2, 2}, {0, 2, 2, 1, 1, 0}).points.turnSum, 270);
  EXPECT_DOUBLE_EQ(Closed({0, 0, 1, 1, 0}, {0, 1, 1, 0, 0}).points.turnSum, 360);
  EXPECT_DOUBLE_EQ(Closed({0, 1, 2}, {0, 0, 0}).points.turnSum, 180);
  Contour dot = Closed({3}, {4});
  EXPECT_EQ(dot.points.turnSum, 0);
  EXPECT_EQ(Walk(dot, true), std::make_pair(1, -1));  // a sum of 0 is not clockwise
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

// The pad lookup resolves the stack only while no component layer is known.
TEST(LayerStack, FindPinTypePadOnOuterLayers) {
  Stack s;
  Layer* l3 = s.Add("l3", 3, kS);
  Layer* l1 = s.Add("l1", 1, kS);
  const double xy[] = {0, 1, 1};
  s.f.server->AddStep("pcb", xy, xy, 3);
  PadShape* shape = s.f.server->AddRoundPadShape("r", 0.06, 1);
  PinType* pinType = s.f.server->AddPinType("p");
  for (Layer* layer : {l3, l1, l1}) s.f.server->AddPinTypePad(pinType, shape, layer);
  EXPECT_EQ(FindPinTypePad(s.stack, *pinType, true), nullptr);  // fails and says so
  s.Add("ct", 2, kCT);
  s.Add("cb", 9, kCB);
  EXPECT_EQ(FindPinTypePad(s.stack, *pinType, true), &pinType->pads.at(1));  // the first on l1
  EXPECT_EQ(FindPinTypePad(s.stack, *pinType, false), &pinType->pads.at(0));
  s.Add("l0", -1, kS);  // a new outermost layer does not take over
  EXPECT_EQ(FindPinTypePad(s.stack, *pinType, true), &pinType->pads.at(1));
  EXPECT_EQ(s.f.sink.Errors(), Texts{kNoComponent});
}

}  // namespace
}  // namespace kelpie::test
