// The tools file of a drill layer.
#include <gtest/gtest.h>

#include <string>

#include "odb_job_board.h"

namespace kelpie::test {
namespace {

const std::string kLayers = "board\\steps\\pcb\\layers\\";

Lines Tool(int number, const std::string& type, const std::string& size) {
  return {"TOOLS {",         "NUM=" + std::to_string(number), "TYPE=" + type,
          "TYPE2=STANDARD",  "MIN_TOL=0",                     "MAX_TOL=0",
          "BIT=",            "FINISH_SIZE=" + size,           "DRILL_SIZE=" + size,
          "}"};
}

Lines Join(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(OdbDrillTools, OneToolPerDistinctHoleInOrderOfFirstUse) {
  JobBoard b;
  b.AddStack();
  Layer* drill = b.host->AddDrillLayer("drill", 5, b.top, b.bottom);
  b.AddStep("pcb");
  PadShape* plated = b.host->AddRoundPadShape("p35", 0.035, 1);
  PadShape* bare = b.host->AddRoundPadShape("n125", 0.125, 0);
  for (int i = 0; i < 10; ++i) b.host->AddPad(drill, i % 3 == 0 ? plated : bare, i, 0);
  ASSERT_TRUE(b.Export());

  const std::string tools = kLayers + "drill\\tools";
  EXPECT_EQ(b.Body(tools), Join({{"THICKNESS=0.062", "USER_PARAMS="},
                                 Tool(1, "PLATED", "35"),
                                 Tool(2, "NON_PLATED", "125")}));
  ExpectSummaryMatchesFile(b.f.store, tools);
  // Only the drill layer has tools.
  for (const char* layer : {"comp_+_top", "top", "bottom", "comp_+_bot"})
    EXPECT_FALSE(b.Has(kLayers + layer + "\\tools")) << layer;
}

TEST(OdbDrillTools, ViaHolesAreToolsOfTheirOwnAndEachLayerCountsFromOne) {
  JobBoard b;
  b.AddStack();
  Layer* drill = b.host->AddDrillLayer("drill", 5, b.top, b.bottom);
  Layer* second = b.host->AddDrillLayer("second", 6, b.top, b.bottom);
  Layer* empty = b.host->AddDrillLayer("empty", 7, b.top, b.bottom);
  (void)empty;
  b.AddStep("pcb");
  PadShape* plated = b.host->AddRoundPadShape("p35", 0.035, 1);
  PadShape* fine = b.host->AddRoundPadShape("p315", 0.0315, 0);
  PinType* pinType = b.host->AddPinType("pt");
  b.host->AddPinTypePad(pinType, plated, b.top);
  PackageType* package = b.host->AddPackageType("pkg", -1, 1, -1, 1);
  b.host->AddPackagePin(package, pinType, "1", 0, 0, 0, 1);
  Component* u1 = b.host->AddComponent(b.ctop, package, "U1", "", 0, 0, 0, 0);
  Pin* via = b.host->AddPin(pinType, 1, 1, 0, 0, 4, nullptr);
  Pin* lead = b.host->AddComponentPin(u1, pinType, 0, 0, 0, 0, 1, nullptr);
  b.host->AddPinPad(drill, plated, via);
  b.host->AddPinPad(drill, plated, lead);
  b.host->AddPinPad(drill, fine, via);  // a via, whatever its plating
  b.host->AddPad(drill, fine, 2, 2);    // no pin: the plating decides
  b.host->AddPad(second, fine, 3, 3);
  ASSERT_TRUE(b.Export());

  EXPECT_EQ(b.Body(kLayers + "drill\\tools"),
            Join({{"THICKNESS=0.062", "USER_PARAMS="},
                  Tool(1, "VIA", "35"),
                  Tool(2, "PLATED", "35"),
                  Tool(3, "VIA", "31.5"),
                  Tool(4, "NON_PLATED", "31.5")}));
  EXPECT_EQ(b.Body(kLayers + "second\\tools"),
            Join({{"THICKNESS=0.062", "USER_PARAMS="}, Tool(1, "NON_PLATED", "31.5")}));
  EXPECT_EQ(b.Body(kLayers + "empty\\tools"), (Lines{"THICKNESS=0.062", "USER_PARAMS="}));
}

}  // namespace
}  // namespace kelpie::test
