// The IDF pair as a host sees it through slot 38: names that stay filtered,
// the job's messages and what each failure leaves. The files' content on good
// boards is checked by the golden tests, a store that refuses or throws by
// the failing-store tests of robustness/.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/records.h"
#include "recording_host.h"

namespace kelpie::test {
namespace {

using Lines = std::vector<std::string>;

// Job BRD: the 10 x 5 inch rectangle given counter-clockwise and R1 (R0805)
// at (2, 3), rotation 90, on top; sink cleared.
struct ExampleBoard : ServerFixture {
  Layer *top, *drill;
  PackageType* r0805;
  ExampleBoard() {
    server->SetJobName("BRD");
    const double xs[] = {0, 10, 10, 0}, ys[] = {0, 0, 5, 5};
    server->AddStep("main pcb", xs, ys, 4);
    top = server->AddLayer("top", 1, kLayerComponentTop, kPolarityPositive, kContextBoard);
    Layer* bottom =
        server->AddLayer("bot", 3, kLayerComponentBottom, kPolarityPositive, kContextBoard);
    drill = server->AddDrillLayer("drill", 4, top, bottom);
    r0805 = server->AddPackageType("R0805", -0.04, 0.04, -0.025, 0.025);
    server->AddComponent(top, r0805, "R1", "", 2, 3, 90, 0);
    sink.Clear();
  }
};

// A file's lines, each ending in CR LF (and holding no other CR), less the CR.
Lines CrLfLines(const RecordingStore& store, const std::string& path) {
  EXPECT_TRUE(store.Has(path) && store.files.at(path).ends_with('\n')) << path;
  Lines lines = store.Lines(path);
  for (std::string& line : lines) {
    EXPECT_TRUE(line.ends_with('\r') && line.find('\r') + 1 == line.size()) << path << ": " << line;
    if (line.ends_with('\r')) line.pop_back();
  }
  return lines;
}

// Names lose their blanks and symbols for good (the files show them: the
// golden tests), references do not; a job name that filters to nothing
// writes nothing.
TEST(IdfExport, FilteredNamesStayInTheDesign) {
  ServerFixture f;
  f.server->SetJobName("Main Board (rev.B)");
  const double xs[] = {0, -2.5, 10}, ys[] = {-5, 1.25, 0};
  f.server->AddStep("main pcb", xs, ys, 3);
  PackageType* so8 = f.server->AddPackageType("SO 8/W", 0, 1, 0, 1);
  Layer* top =
      f.server->AddLayer("Top Side", 1, kLayerComponentTop, kPolarityPositive, kContextBoard);
  f.server->AddComponent(top, so8, "U 1", "", 1, 2, 0, 0);
  ASSERT_TRUE(f.server->WriteIDF(&f.store));
  EXPECT_EQ(f.store.opened, (Lines{"MainBoardrev.B.emn", "MainBoardrev.B.emp"}));
  // A reference keeps its blank.
  const Lines board = CrLfLines(f.store, "MainBoardrev.B.emn");
  EXPECT_NE(std::find(board.begin(), board.end(), "\"SO8W\" \"SO8W\" \"U 1\""), board.end());
  // The duplicate checks know the new names.
  EXPECT_EQ(f.server->AddPackageType("SO8W", 0, 1, 0, 1), nullptr);
  EXPECT_EQ(f.server->AddLayer("TopSide", 2, kLayerSignal, kPolarityPositive, kContextBoard),
            nullptr);
  EXPECT_EQ(f.server->AddStep("mainpcb", xs, ys, 3), nullptr);

  // A job name that filters to nothing: the store is not even asked.
  f.server->SetJobName(" ()/$ ");
  f.sink.Clear();
  RecordingStore untouched;
  EXPECT_FALSE(f.server->WriteIDF(&untouched));
  EXPECT_EQ(untouched.calls, Lines{});
  EXPECT_EQ(f.sink.Errors(), (Lines{"Job name not set", "Write job '' failed"}));
  EXPECT_EQ(f.sink.Infos(), Lines{});
}

TEST(IdfExport, OutlineFailuresLeaveOnlyTheBoardHeader) {
  const double xs[] = {0, 1, 1}, ys[] = {0, 0, 1};
  const struct {
    int steps, points;
    const char* error;
  } cases[] = {
      {0, 3, "No step defined"},
      {2, 3, "IDF formatter can currently only support one step"},
      {1, 1, "Outline not defined for step OnlyOne"},  // a point and its closing repeat
  };
  for (const auto& c : cases) {
    ServerFixture f;
    f.server->SetJobName("J");
    for (int i = 0; i < c.steps; ++i) f.server->AddStep(i ? "two" : "Only One", xs, ys, c.points);
    f.sink.Clear();
    EXPECT_FALSE(f.server->WriteIDF(&f.store));
    EXPECT_EQ(f.store.opened, Lines{"J.emn"});
    EXPECT_EQ(CrLfLines(f.store, "J.emn").size(), 4u);
    EXPECT_EQ(f.sink.Errors(), (Lines{c.error, "Write job 'J' failed"}));
    EXPECT_EQ(f.sink.Infos(), (Lines{"Write job started: J", "Write J.emn complete"}));
  }
}

TEST(IdfExport, StopsAtAComponentOffTheSurfaceLayers) {
  ExampleBoard f;
  // Only a damaged model can hold one; it must still end in a message.
  f.server->AddComponent(f.top, f.r0805, "Q1", "", 1, 1, 0, 0)->layer = f.drill;
  f.server->AddComponent(f.top, f.r0805, "Q2", "", 1, 1, 0, 0);
  EXPECT_FALSE(f.server->WriteIDF(&f.store));
  // The board file ends with the name line of Q1.
  const Lines board = CrLfLines(f.store, "BRD.emn");
  ASSERT_FALSE(board.empty());
  EXPECT_EQ(board.back(), "\"R0805\" \"R0805\" \"Q1\"");
  EXPECT_EQ(f.store.opened, Lines{"BRD.emn"});
  EXPECT_EQ(f.sink.Errors(),
            (Lines{"Component Q1 is not on a surface layer", "Write job 'BRD' failed"}));
  EXPECT_EQ(f.sink.Infos(), (Lines{"Write job started: BRD", "Write BRD.emn complete"}));
}

}  // namespace
}  // namespace kelpie::test
