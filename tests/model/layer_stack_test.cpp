// The outer signal layers and component layers of the stack, and the pad of
// a pin type on an outer layer.
#include <gtest/gtest.h>

#include "model/layer_stack.h"
#include "recording_host.h"
#include "server/server.h"

namespace kelpie::test {
namespace {

const char* const kOneSignal =
    "Component top and bottom layers defined but only found 1 signal layer";
const char* const kNoComponent = "There must be at least 1 component layer";

struct Stack {
  ServerFixture f;
  LayerStack& stack = static_cast<KELPIE*>(f.server)->layers;
  Layer* Add(const char* name, int row, int type) {
    return f.server->AddLayer(name, row, type, kPolarityPositive, kContextBoard);
  }
};

TEST(LayerStack, ResolvesOuterSignalAndComponentLayers) {
  {
    Stack s;
    Layer* top = s.Add("ct", 1, kLayerComponentTop);
    Layer* inner = s.Add("sig4", 4, kLayerSignal);
    Layer* outer = s.Add("sig1", 1, kLayerSignal);
    Layer* bottom = s.Add("cb", 9, kLayerComponentBottom);
    EXPECT_FALSE(s.stack.ResolveStack());
    EXPECT_EQ(s.stack.componentTop, top);
    EXPECT_EQ(s.stack.componentBottom, bottom);
    EXPECT_EQ(s.stack.topSignal, outer);
    EXPECT_EQ(s.stack.bottomSignal, inner);
    EXPECT_TRUE(s.f.sink.Errors().empty());
  }
  {
    // Only a bottom component layer: success, no top signal layer.
    Stack s;
    s.Add("sig1", 1, kLayerSignal);
    Layer* deepest = s.Add("sig3", 3, kLayerSignal);
    s.Add("sig3b", 3, kLayerSignal);  // equal rows keep the earlier layer
    s.Add("cb", 9, kLayerComponentBottom);
    EXPECT_FALSE(s.stack.ResolveStack());
    EXPECT_EQ(s.stack.topSignal, nullptr);
    EXPECT_EQ(s.stack.bottomSignal, deepest);
  }
  {
    // The last component layer of each side wins.
    Stack s;
    s.Add("ct1", 1, kLayerComponentTop);
    Layer* second = s.Add("ct2", 2, kLayerComponentTop);
    EXPECT_FALSE(s.stack.ResolveStack());
    EXPECT_EQ(s.stack.componentTop, second);
    EXPECT_EQ(s.stack.componentBottom, nullptr);
  }
}

TEST(LayerStack, RefusesStacksWithoutTwoSides) {
  {
    Stack s;
    s.Add("sig", 1, kLayerSignal);
    EXPECT_TRUE(s.stack.ResolveStack());
    EXPECT_EQ(s.f.sink.Errors(), std::vector<std::string>{kNoComponent});
  }
  {
    Stack s;
    s.Add("ct", 1, kLayerComponentTop);
    s.Add("sig", 2, kLayerSignal);
    s.Add("cb", 3, kLayerComponentBottom);
    EXPECT_TRUE(s.stack.ResolveStack());
    EXPECT_EQ(s.f.sink.Errors(), std::vector<std::string>{kOneSignal});
  }
  {
    Stack s;
    s.Add("ct", 1, kLayerComponentTop);
    s.Add("cb", 3, kLayerComponentBottom);
    EXPECT_TRUE(s.stack.ResolveStack());
    EXPECT_EQ(s.f.sink.Errors(), std::vector<std::string>{kOneSignal});
  }
}

TEST(LayerStack, FindPinTypePadOnOuterLayers) {
  Stack s;
  Layer* top = s.Add("ct", 1, kLayerComponentTop);
  Layer* l1 = s.Add("l1", 1, kLayerSignal);
  Layer* l2 = s.Add("l2", 2, kLayerSignal);
  Layer* l3 = s.Add("l3", 3, kLayerSignal);
  s.Add("cb", 9, kLayerComponentBottom);
  const double xs[] = {0, 1, 1};
  const double ys[] = {0, 0, 1};
  s.f.server->AddStep("pcb", xs, ys, 3);
  PadShape* round = s.f.server->AddRoundPadShape("r", 0.06, 1);
  PadShape* square = s.f.server->AddPadShape("s", 2, 0.06, 0.06, 0, 0);
  PinType* inner = s.f.server->AddPinType("inner");
  s.f.server->AddPinTypePad(inner, round, l2);
  PinType* through = s.f.server->AddPinType("through");
  s.f.server->AddPinTypePad(through, round, l3);
  s.f.server->AddPinTypePadAlias(through, square, l1);
  s.f.server->AddPinTypePadAt(through, round, 5, 5, l1);  // second pad on l1
  s.f.server->AddPinTypePad(through, square, top);

  // The first lookup resolves the stack.
  EXPECT_EQ(FindPinTypePad(s.stack, *inner, true), nullptr);
  EXPECT_EQ(FindPinTypePad(s.stack, *inner, false), nullptr);
  ASSERT_EQ(through->pads.size(), 4u);
  EXPECT_EQ(FindPinTypePad(s.stack, *through, true), &through->pads[1]);
  EXPECT_EQ(FindPinTypePad(s.stack, *through, false), &through->pads[0]);
  EXPECT_EQ(FindPinTypePad(s.stack, *through, true)->shape, square);

  // Once a component layer is known the stack is not walked again: a new
  // outermost layer does not take over.
  s.Add("lm", -1, kLayerSignal);
  EXPECT_EQ(s.stack.topSignal, l1);
  EXPECT_EQ(FindPinTypePad(s.stack, *through, true), &through->pads[1]);
  EXPECT_TRUE(s.f.sink.Errors().empty());
}

TEST(LayerStack, FindPinTypePadReportsAFailedStack) {
  Stack s;
  Layer* l1 = s.Add("l1", 1, kLayerSignal);
  const double xs[] = {0, 1, 1};
  const double ys[] = {0, 0, 1};
  s.f.server->AddStep("pcb", xs, ys, 3);
  PinType* pinType = s.f.server->AddPinType("p");
  s.f.server->AddPinTypePad(pinType, s.f.server->AddRoundPadShape("r", 1, 0), l1);
  EXPECT_EQ(FindPinTypePad(s.stack, *pinType, true), nullptr);
  // No component layer is ever found, so each lookup tries again.
  EXPECT_EQ(FindPinTypePad(s.stack, *pinType, false), nullptr);
  EXPECT_EQ(s.f.sink.Errors(), std::vector<std::string>(2, kNoComponent));
}

}  // namespace
}  // namespace kelpie::test
