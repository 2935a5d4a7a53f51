// Creation and the process-wide references, every refusal of the table and
// automatic layer rows. (Job properties and flags are checked in abi/.)
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "model/records.h"
#include "recording_host.h"

namespace kelpie::test {
namespace {

using Texts = std::vector<std::string>;
const double kX[] = {0, 0, 1, 1};
const double kY[] = {0, 1, 1, 0};

Layer* AddLayer(IKELPIE* s, const char* name, int row = 0, int type = kLayerSignal) {
  return s->AddLayer(name, row, type, kPolarityPositive, kContextBoard);
}

TEST(ServerEntry, VersionAndNewestServer) {
  RecordingSink first, second;
  EXPECT_EQ(createkelpieserver(&first, "host", 0), nullptr);  // no server alive yet
  EXPECT_EQ(createkelpieserver(&first, "host", 209), nullptr);
  IKELPIE* older = createkelpieserver(&first, "host", kApiVersion);
  IKELPIE* newer = createkelpieserver(&first, "host", kApiVersion);
  ASSERT_TRUE(older && newer && older != newer);
  // The sink is taken before the check; all later messages go to the newest.
  EXPECT_EQ(createkelpieserver(&second, "host", 207), newer);
  older->SetJobName("A");
  EXPECT_EQ(first.Errors(), (Texts{"Incorrect API Version: expected: 208 found: 0",
                                   "Incorrect API Version: expected: 208 found: 209"}));
  EXPECT_EQ(second.Errors(), Texts{"Incorrect API Version: expected: 208 found: 207"});
  EXPECT_EQ(second.Infos(), Texts{"Job name: A"});

  // Slots 8 and 9 act on the newest server, the other slots on their own.
  EXPECT_EQ(AddLayer(older, "o1")->row, 1);
  older->AddStep("pcb", kX, kY, 4);
  EXPECT_EQ(AddLayer(older, "o2")->row, 2);  // only the newest server's rows restart
  EXPECT_EQ(older->AddNet("gnd"), nullptr);
  EXPECT_NE(newer->AddNet("gnd"), nullptr);
  older->ClearCurrentStep();
  EXPECT_EQ(newer->AddNet("vcc"), nullptr);

  // A deleted server is never handed back; slots 8 and 9 fall back on their own.
  deletekelpieserver(newer);
  EXPECT_EQ(createkelpieserver(&second, "host", 1), nullptr);
  EXPECT_NE(older->AddStep("own", kX, kY, 4), nullptr);
  deletekelpieserver(older);
  deletekelpieserver(nullptr);
}

// Component layers Top and Bot, layer Cu, and step "pcb" with R1 on Top.
struct Board {
  ServerFixture f;
  IKELPIE* s = f.server;
  Layer* top = AddLayer(s, "Top", 1, kLayerComponentTop);
  Layer* bottom = AddLayer(s, "Bot", 2, kLayerComponentBottom);
  Layer* copper = AddLayer(s, "Cu", 3);
  Step* step = s->AddStep("pcb", kX, kY, 4);
  PinType* smd = s->AddPinType("smd");
  PadShape* round = s->AddRoundPadShape("r", 1, 0);
  PackageType* r0603 = s->AddPackageType("R0603", 0, 1, 0, 1);
  Component* r1 = s->AddComponent(top, r0603, "R1", "", 0, 0, 0, 0);
};

TEST(Refusals, EveryTextAndWhatIsLeftUnchanged) {
  // `holds` is true when every call got the expected result.
  struct Case {
    Texts errors;
    std::function<bool(Board&)> holds;
  };
  const Case cases[] = {
      {{"Layer Top already defined."}, [](Board& b) { return !AddLayer(b.s, "Top", 4); }},
      {{"Layer Cu already defined."},
       [](Board& b) { return !b.s->AddDrillLayer("Cu", 5, b.top, b.bottom); }},
      {{"Pin type name smd already defined"}, [](Board& b) { return !b.s->AddPinType("smd"); }},
      {{"Package type R0603 already defined."},
       [](Board& b) { return !b.s->AddPackageType("R0603", 0, 2, 0, 2); }},
      {{"Component C1 is not on a component layer"},
       [](Board& b) {
         return !b.s->AddComponent(b.copper, b.r0603, "C1", "", 0, 0, 0, 0) &&
                !b.r0603->usedOnBottom && b.copper->componentCount == 0;
       }},
      // The package is marked before the reference is checked.
      {{"Reference R1 already defined."},
       [](Board& b) {
         return !b.s->AddComponent(b.bottom, b.r0603, "R1", "", 0, 0, 0, 0) &&
                b.r0603->usedOnBottom && b.step->components.size() == 1;
       }},
      {{"Step pcb already defined.", "No current step"},
       [](Board& b) { return !b.s->AddStep("pcb", kX, kY, 4) && !b.s->AddNet("n"); }},
      {Texts(8, "No current step"),
       [](Board& b) {
         IKELPIE* s = b.s;
         s->ClearCurrentStep();
         const bool refused = !s->AddPolygonPadShape("p", kX, kY, 3) && !s->AddPinType("p") &&
                              !s->AddPinTypePadAt(b.smd, b.round, 0, 0, b.top) &&
                              !s->SetPackageOutline(b.r0603, kX, kY, 3, 1) &&
                              !s->AddPackagePin(b.r0603, b.smd, "1", 0, 0, 0, 1) &&
                              !s->AddNet("n") &&
                              !s->AddComponentPin(b.r1, b.smd, 0, 0, 0, 0, 0, nullptr) &&
                              !s->AddPin(b.smd, 0, 0, 0, 0, 0, nullptr);
         // Features and matrix steps need no current step.
         return refused && b.smd->pads.empty() && b.r0603->outline == nullptr &&
                s->AddLine(b.copper, 0, 0, 1, 1, 0.01, nullptr) &&
                s->AddSurface(b.copper, nullptr) && s->AddMatrixStep(b.step, 0, 0);
       }},
  };
  for (const Case& c : cases) {
    Board b;
    b.f.sink.Clear();
    EXPECT_TRUE(c.holds(b)) << ::testing::PrintToString(c.errors);
    EXPECT_EQ(b.f.sink.Errors(), c.errors);
  }
}

TEST(Layers, AutomaticRows) {
  ServerFixture f;
  IKELPIE* s = f.server;
  s->AddStep("pcb", kX, kY, 4);
  EXPECT_EQ(AddLayer(s, "a")->row, 1);
  EXPECT_EQ(AddLayer(s, "a"), nullptr);  // uses up row 2 all the same
  EXPECT_EQ(AddLayer(s, "fixed", 9)->row, 9);
  Layer* drill = s->AddDrillLayer("drill", 0, nullptr, nullptr);
  EXPECT_EQ(drill->row, 3);
  EXPECT_EQ(drill->kind, LayerKind::kDrill);
  s->AddStep("panel", kX, kY, 4);
  EXPECT_EQ(AddLayer(s, "c")->row, 1);
  s->AddStep("panel", kX, kY, 4);  // a refused step restarts the rows too
  EXPECT_EQ(AddLayer(s, "d")->row, 1);
}

}  // namespace
}  // namespace kelpie::test
