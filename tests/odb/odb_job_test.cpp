// The whole ODB++ job: the directories asked for, the names the design keeps,
// failures. The files, their order and their content: the golden tests.
#include <gtest/gtest.h>

#include <string>

#include "odb_job_board.h"

namespace kelpie::test {
namespace {

// A negative thickness and an outline of two points are written; a step
// without components has no components files.
TEST(OdbJob, AsksForEachFileDirectoryAndRenamesForGood) {
  JobBoard b(true);
  b.host->SetBoardThickness(-0.062);
  b.host->AddDrillLayer("Drill", 6, b.top, b.bottom);
  b.host->AddPolygonPadShape("Poly A", kSquareX, kSquareY, 4);
  PackageType* chip = b.host->AddPackageType("chip", 0, 1, 0, 1);
  b.host->AddComponent(b.ctop, chip, "R1", "", 1, 1, 0, 0);
  b.host->AddStep("Panel", kSquareX, kSquareY, 2);
  b.host->AddPackageType("Chip T", 0, 1, 0, 1);
  b.f.sink.Clear();
  ASSERT_TRUE(b.Export());
  EXPECT_TRUE(b.store.Has("board\\steps\\pcb\\layers\\comp_+_top\\components"));
  EXPECT_FALSE(b.store.Has("board\\steps\\panel\\layers\\comp_+_top\\components"));

  // Each file's own directory is asked for, and no other (no bare parent).
  Lines directories;
  Lines fileDirectories;
  for (const std::string& call : b.store.calls) {
    if (call.rfind("mkdir ", 0) == 0) directories.push_back(call.substr(6));
    if (call.rfind("open ", 0) == 0 && call.find("\\.") == std::string::npos)
      fileDirectories.push_back(call.substr(5, call.rfind('\\') - 5));
  }
  EXPECT_EQ(directories, fileDirectories);

  // The duplicate checks see the legal names; the old ones are free again.
  for (const char* name : {"chipt", "Chip T"}) b.host->AddPackageType(name, 0, 1, 0, 1);
  for (const char* name : {"drill", "Drill"}) b.host->AddLayer(name, 9, kLayerSignal, 1, 1);
  for (const char* name : {"panel", "Panel"}) b.host->AddStep(name, kSquareX, kSquareY, 4);
  EXPECT_EQ(b.f.sink.Errors(),
            (Lines{"Package type chipt already defined.", "Layer drill already defined.",
                   "Step panel already defined."}));
}

TEST(OdbJob, FailuresEndTheTreeWhereTheyHappen) {
  const std::string pcbDone = "board\\steps\\pcb\\netlists\\cadnet\\.netlist.sum";
  const Lines netlist = {"H optimize n staggered n", "$0 $NONE$"};
  ExpectFailure([](JobBoard& b) { b.host->SetJobName("###"); }, {"Job name not set"}, "", {});
  ExpectFailure(
      [](JobBoard& b) {
        b.host->SetBoardThickness(0);
        b.host->AddPolygonPadShape("poly", kSquareX, kSquareY, 4);
      },
      {"Board thickness 0"}, "board\\fonts\\standard", {"ECHAR"});
  ExpectFailure([](JobBoard& b) { b.host->AddStep("%%%", kSquareX, kSquareY, 4); },
                {"Step name not set"}, pcbDone, netlist);
  ExpectFailure([](JobBoard& b) { b.host->AddStep("bad", kSquareX, kSquareY, 0); },
                {"Outline not defined for step bad"}, pcbDone, netlist);
  JobBoard b;
  EXPECT_FALSE(b.host->WriteODB(nullptr));
  EXPECT_EQ(b.f.sink.Errors(), (Lines{"Unexpected error in WriteODB", "Write job 'board' failed"}));
}

}  // namespace
}  // namespace kelpie::test
