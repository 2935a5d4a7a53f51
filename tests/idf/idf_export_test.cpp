// The IDF pair as a host sees it through slot 38: names that stay filtered,
// the job's messages and what each failure leaves. The files' content on good
// boards is checked by the golden tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <stdexcept>

#include "model/records.h"
#include "recording_host.h"

namespace kelpie::test {
namespace {

using Lines = std::vector<std::string>;

// Job BRD, 0.0625 inch: the 10 x 5 inch rectangle given counter-clockwise, a plated
// 0.03 inch via at (1, 1), R1 (R0805) at (2, 3), rotation 90, on top; sink cleared.
struct ExampleBoard : ServerFixture {
  Layer *top, *bottom, *drill;
  PackageType* r0805;
  ExampleBoard() {
    server->SetJobName("BRD");
    server->SetBoardThickness(0.0625);
    const double xs[] = {0, 10, 10, 0}, ys[] = {0, 0, 5, 5};
    server->AddStep("main pcb", xs, ys, 4);
    top = server->AddLayer("top", 1, kLayerComponentTop, kPolarityPositive, kContextBoard);
    bottom = server->AddLayer("bot", 3, kLayerComponentBottom, kPolarityPositive, kContextBoard);
    drill = server->AddDrillLayer("drill", 4, top, bottom);
    Pin* via = server->AddPin(server->AddPinType("via"), 1, 1, 0, 0, 3, nullptr);
    server->AddPinPad(drill, server->AddRoundPadShape("via30", 0.03, 1), via);
    r0805 = server->AddPackageType("R0805", -0.04, 0.04, -0.025, 0.025);
    server->AddComponent(top, r0805, "R1", "", 2, 3, 90, 0);
    sink.Clear();
  }
};

// A file's lines, each ending in CR LF (and holding no other CR); stamps read <stamp>.
Lines CrLfLines(const RecordingStore& store, const std::string& path) {
  EXPECT_TRUE(store.Has(path) && store.files.at(path).ends_with('\n')) << path;
  const std::regex stamp(R"(\d{4}/\d\d/\d\d\.\d\d:\d\d:\d\d)");
  Lines lines = store.Lines(path);
  for (std::string& line : lines) {
    EXPECT_TRUE(line.ends_with('\r') && line.find('\r') + 1 == line.size()) << path << ": " << line;
    if (line.ends_with('\r')) line.pop_back();
    line = std::regex_replace(line, stamp, "<stamp>");
  }
  return lines;
}

// Lines from the first one equal to `begin` up to and including `end`.
Lines Section(const Lines& lines, const std::string& begin, const std::string& end) {
  const auto first = std::find(lines.begin(), lines.end(), begin);
  const auto last = std::find(first, lines.end(), end);
  return Lines(first, last == lines.end() ? last : last + 1);
}

const Lines kBothFiles = {"open BRD.emn", "close BRD.emn", "open BRD.emp", "close BRD.emp"};
const Lines kJobInfos = {"Write job started: BRD", "Write BRD.emn complete",
                         "Write BRD.emp complete", "Write job 'BRD' complete"};
// A second board: a clockwise triangle with corners on the negative y and
// positive x axes, and names that lose their blanks and symbols for good.
TEST(IdfExport, WritesAClockwiseOutlineAndFilteredNames) {
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
  // Walked counter-clockwise; the zeros on the axes keep the round trip's minus sign.
  EXPECT_EQ(CrLfLines(f.store, "MainBoardrev.B.emn"),
            (Lines{".HEADER", "BOARD_FILE 3.0 \"Quillmark IDF Export\" <stamp> 1",
                   "MainBoardrev.B MM", ".END_HEADER", ".BOARD_OUTLINE UNOWNED", "0", "0 -0 -127 0",
                   "0 254 -0 0", "0 -63.5 31.75 0", "0 -0 -127 0", ".END_BOARD_OUTLINE",
                   ".DRILLED_HOLES", ".END_DRILLED_HOLES", ".PLACEMENT",
                   "\"SO8W\" \"SO8W\" \"U 1\"", "25.4 50.8 0.0 0 TOP PLACED", ".END_PLACEMENT"}));
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
  EXPECT_EQ(Section(CrLfLines(f.store, "BRD.emn"), ".PLACEMENT", ""),
            (Lines{".PLACEMENT", "\"R0805\" \"R0805\" \"R1\"", "50.8 76.2 0.0 90 TOP PLACED",
                   "\"R0805\" \"R0805\" \"Q1\""}));
  EXPECT_EQ(f.store.opened, Lines{"BRD.emn"});
  EXPECT_EQ(f.sink.Errors(),
            (Lines{"Component Q1 is not on a surface layer", "Write job 'BRD' failed"}));
  EXPECT_EQ(f.sink.Infos(), (Lines{"Write job started: BRD", "Write BRD.emn complete"}));
}

TEST(IdfExport, AFileThatCannotBeOpenedDoesNotStopTheJob) {
  ExampleBoard f;
  f.store.refuseOpen = [](const std::string& path) { return path == "BRD.emn"; };
  EXPECT_TRUE(f.server->WriteIDF(&f.store));
  EXPECT_EQ(CrLfLines(f.store, "BRD.emp").size(), 11u);
  EXPECT_EQ(f.sink.Errors(), Lines{"Could not open output file: BRD.emn"});
  EXPECT_EQ(f.sink.Infos(), kJobInfos);
}

// Throws from Write while the named file is the one being written.
struct ThrowingStore : RecordingStore {
  std::string failing;
  bool Write(FileHandle handle, const char* text) override {
    if (opened.back() == failing) throw std::runtime_error("disk full");
    return RecordingStore::Write(handle, text);
  }
};

TEST(IdfExport, AnExceptionEndsTheJobWithAMessage) {
  for (const int file : {0, 1}) {  // in the board file, then in the library file
    ExampleBoard f;
    ThrowingStore store;
    store.failing = file == 0 ? "BRD.emn" : "BRD.emp";
    EXPECT_FALSE(f.server->WriteIDF(&store));
    // The half-written file is closed but not reported complete; nothing follows it.
    EXPECT_EQ(store.calls, Lines(kBothFiles.begin(), kBothFiles.begin() + 2 + 2 * file));
    EXPECT_EQ(f.sink.Infos(), Lines(kJobInfos.begin(), kJobInfos.begin() + 1 + file));
    EXPECT_EQ(f.sink.Errors(), (Lines{"File was not closed: " + store.failing,
                                      "Unexpected error in WriteIDF", "Write job 'BRD' failed"}));
  }
}

}  // namespace
}  // namespace kelpie::test
