// The netlist file, written directly by WriteNetlist on a model described
// through the interface.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/design.h"
#include "odb/odb_writers.h"
#include "recording_host.h"
#include "server/host_services.h"
#include "server/server.h"

namespace kelpie::test {
namespace {

const char* const kPath = "job\\steps\\pcb\\netlists\\cadnet\\netlist";

std::vector<std::string> Tail(const std::vector<std::string>& lines, size_t from) {
  return std::vector<std::string>(lines.begin() + static_cast<long>(from), lines.end());
}

// A server with one step, its writers pointed at the fixture's store.
class NetlistTest : public ::testing::Test {
 protected:
  NetlistTest() : model(*static_cast<KELPIE*>(f.server)) {
    fileStore = &f.store;
    model.writeHeaderLine = true;
    const double xs[] = {0, 4, 4, 0};
    const double ys[] = {0, 0, 3, 3};
    step = f.server->AddStep("pcb", xs, ys, 4);
    shape = f.server->AddRoundPadShape("r60", 0.06, 1);
    pinType = f.server->AddPinType("pt");
  }

  // Signal layers top (row 2), inner (row 3), bottom (row 4) and, when asked,
  // the component layers around them.
  void AddLayers(bool componentTop, bool componentBottom) {
    if (componentTop) f.server->AddLayer("ctop", 1, kLayerComponentTop, 1, 1);
    top = f.server->AddLayer("top", 2, kLayerSignal, 1, 1);
    inner = f.server->AddLayer("inner", 3, kLayerSignal, 1, 1);
    bottom = f.server->AddLayer("bottom", 4, kLayerSignal, 1, 1);
    if (componentBottom) f.server->AddLayer("cbot", 5, kLayerComponentBottom, 1, 1);
  }

  Pin* PinAt(double x, double y, Net* net) { return f.server->AddPin(pinType, x, y, 0, 0, 3, net); }

  std::vector<std::string> Write() {
    EXPECT_FALSE(WriteNetlist("job\\steps\\pcb", step));
    return f.store.Lines(kPath);
  }

  ServerFixture f;
  KELPIE& model;
  Step* step = nullptr;
  PadShape* shape = nullptr;
  PinType* pinType = nullptr;
  Layer* top = nullptr;
  Layer* inner = nullptr;
  Layer* bottom = nullptr;
};

TEST_F(NetlistTest, ListsNetsThenOuterPointsNetByNetTopBeforeBottom) {
  AddLayers(true, true);
  Net* gnd = f.server->AddNet("gnd");
  Net* vcc = f.server->AddNet("vcc");
  Net* sig = f.server->AddNet("sig");
  Net* clk = f.server->AddNet("clk");
  AddNet(*step, "$NONE$");  // as the job appends it

  // Bottom pads come first in the design and nets interleave in pad order.
  f.server->AddPinPad(bottom, shape, PinAt(0.5, 0.25, gnd));
  f.server->AddPinPad(top, shape, PinAt(1.5, 0, clk));
  Pin* through = PinAt(2, 1, gnd);
  f.server->AddPinPad(top, shape, through);
  f.server->AddPinPad(inner, shape, through);  // inner pads are not probe points
  f.server->AddPinPad(bottom, shape, through);
  f.server->AddPinPad(top, shape, PinAt(-1.25, 0.125, vcc));
  f.server->AddPad(top, shape, 3, 3);  // no pin, so no net: never listed
  (void)sig;

  const std::vector<std::string> lines = Write();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "# KELPIE converter version 211");
  const std::vector<std::string> expected = {
      "H optimize n staggered n",
      "$0 gnd",
      "$1 vcc",
      "$2 sig",
      "$3 clk",
      "$4 $NONE$",
      "0 0.002 2 1 T e e staggered 0 0 0",
      "0 0.002 0.5 0.25 D e e staggered 0 0 0",
      "0 0.002 2 1 D e e staggered 0 0 0",
      "1 0.002 -1.25 0.125 T e e staggered 0 0 0",
      "3 0.002 1.5 0 T e e staggered 0 0 0",
  };
  EXPECT_EQ(Tail(lines, 1), expected);
  EXPECT_TRUE(f.store.Has("job\\steps\\pcb\\netlists\\cadnet\\.netlist.sum"));
}

TEST_F(NetlistTest, MatchesPadsByNetIdentityNotByName) {
  AddLayers(true, true);
  Net* first = f.server->AddNet("dup");
  Net* second = f.server->AddNet("dup");
  Net* unnamed = f.server->AddNet("");
  f.server->AddPinPad(top, shape, PinAt(1, 1, second));
  f.server->AddPinPad(top, shape, PinAt(2, 2, first));
  // A pin without a net when its pad is made: the job later gives the pin
  // "$NONE$", but the pad keeps no net and is never a probe point.
  Pin* late = PinAt(3, 3, nullptr);
  f.server->AddPinPad(top, shape, late);
  late->net = AddNet(*step, "$NONE$");
  (void)unnamed;

  const std::vector<std::string> expected = {
      "H optimize n staggered n",
      "$0 dup",
      "$1 dup",
      "$2 ",
      "$3 $NONE$",
      "0 0.002 2 2 T e e staggered 0 0 0",
      "1 0.002 1 1 T e e staggered 0 0 0",
  };
  EXPECT_EQ(Tail(Write(), 1), expected);
}

TEST_F(NetlistTest, OneComponentLayerGivesPointsOnItsSideOnly) {
  AddLayers(true, false);
  Net* net = f.server->AddNet("n");
  Pin* through = PinAt(1, 2, net);
  f.server->AddPinPad(top, shape, through);
  f.server->AddPinPad(bottom, shape, through);

  const std::vector<std::string> expected = {
      "H optimize n staggered n",
      "$0 n",
      "0 0.002 1 2 T e e staggered 0 0 0",
  };
  EXPECT_EQ(Tail(Write(), 1), expected);
  EXPECT_TRUE(f.sink.Errors().empty());
}

TEST_F(NetlistTest, WithoutComponentLayersEveryLookupFailsAndTheFileStillSucceeds) {
  AddLayers(false, false);
  Net* a = f.server->AddNet("a");
  f.server->AddNet("b");
  f.server->AddPinPad(top, shape, PinAt(1, 2, a));
  f.sink.Clear();

  const std::vector<std::string> expected = {"H optimize n staggered n", "$0 a", "$1 b"};
  EXPECT_EQ(Tail(Write(), 1), expected);
  // The stack is resolved again for each side of each net, and each attempt
  // reports its failure.
  const std::vector<std::string> errors(4, "There must be at least 1 component layer");
  EXPECT_EQ(f.sink.Errors(), errors);
}

TEST_F(NetlistTest, StepsSharingLayersListOnlyTheirOwnNets) {
  AddLayers(true, true);
  Net* first = f.server->AddNet("a");
  f.server->AddPinPad(top, shape, PinAt(1, 1, first));
  const double xs[] = {0, 1, 1};
  const double ys[] = {0, 0, 1};
  Step* other = f.server->AddStep("other", xs, ys, 3);
  PinType* otherType = f.server->AddPinType("pt");
  Net* second = f.server->AddNet("a");
  f.server->AddPinPad(top, shape, f.server->AddPin(otherType, 5, 5, 0, 0, 3, second));

  EXPECT_FALSE(WriteNetlist("job\\steps\\other", other));
  const std::vector<std::string> expected = {
      "H optimize n staggered n",
      "$0 a",
      "0 0.002 5 5 T e e staggered 0 0 0",
  };
  EXPECT_EQ(Tail(f.store.Lines("job\\steps\\other\\netlists\\cadnet\\netlist"), 1), expected);
}

}  // namespace
}  // namespace kelpie::test
