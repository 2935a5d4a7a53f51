// The outer signal layers and component layers of the stack, and the pad of
// a pin type on an outer layer.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "model/layer_stack.h"
#include "recording_host.h"
#include "server/server.h"

namespace kelpie::test {
namespace {

using Texts = std::vector<std::string>;
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
  Layer* layers[] = {s.Add("l3", 3, kS), s.Add("l2", 2, kS), s.Add("l1", 1, kS)};
  const double xy[] = {0, 1, 1};
  s.f.server->AddStep("pcb", xy, xy, 3);
  PadShape* shape = s.f.server->AddRoundPadShape("r", 0.06, 1);
  PinType* pinType = s.f.server->AddPinType("p");
  PinType* inner = s.f.server->AddPinType("inner");
  for (Layer* layer : layers) s.f.server->AddPinTypePad(pinType, shape, layer);
  s.f.server->AddPinTypePad(pinType, shape, layers[2]);  // a second pad on l1
  s.f.server->AddPinTypePad(inner, shape, layers[1]);
  // No component layer yet: each lookup resolves again, fails and says so.
  EXPECT_EQ(FindPinTypePad(s.stack, *pinType, true), nullptr);
  EXPECT_EQ(FindPinTypePad(s.stack, *pinType, false), nullptr);
  EXPECT_EQ(s.f.sink.Errors(), Texts(2, kNoComponent));

  s.Add("ct", 1, kCT);
  s.Add("cb", 9, kCB);
  ASSERT_EQ(pinType->pads.size(), 4u);
  EXPECT_EQ(FindPinTypePad(s.stack, *pinType, true), &pinType->pads[2]);
  EXPECT_EQ(FindPinTypePad(s.stack, *pinType, false), &pinType->pads[0]);
  EXPECT_EQ(FindPinTypePad(s.stack, *inner, true), nullptr);
  // Once a component layer is known the stack is not walked again: a new
  // outermost layer does not take over.
  s.Add("l0", -1, kS);
  EXPECT_EQ(FindPinTypePad(s.stack, *pinType, true), &pinType->pads[2]);
  EXPECT_EQ(s.f.sink.Errors().size(), 2u);
}

}  // namespace
}  // namespace kelpie::test
