// The IDF pair as a host sees it through slot 38: the board file (".emn"),
// the library file (".emp"), the job's messages and what each failure leaves.
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

Lines Join(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
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
const Lines kLibraryHeader = {
    ".HEADER", "LIBRARY_FILE 3.0 \"Quillmark IDF Export\" <stamp> 1", ".END_HEADER"};
const Lines kR0805Section = {".ELECTRICAL", "\"R0805\" \"R0805\" MM 0", "0 -1.016 -0.635 0",
                             "0 1.016 -0.635 0", "0 1.016 0.635 0", "0 -1.016 0.635 0",
                             "0 -1.016 -0.635 0", ".END_ELECTRICAL"};

TEST(IdfExport, WritesBothExampleFilesLineByLine) {
  ExampleBoard f;
  ASSERT_TRUE(f.server->WriteIDF(&f.store));
  // No summaries; the board file is closed before the library file is opened.
  EXPECT_EQ(f.store.calls, kBothFiles);
  EXPECT_EQ(CrLfLines(f.store, "BRD.emn"),
            (Lines{".HEADER", "BOARD_FILE 3.0 \"Quillmark IDF Export\" <stamp> 1", "BRD MM",
                   ".END_HEADER", ".BOARD_OUTLINE UNOWNED", "1.5875", "0 0 0 0", "0 254 -0 0",
                   "0 254 127 0", "0 0 127 0", "0 0 0 0", ".END_BOARD_OUTLINE", ".DRILLED_HOLES",
                   "0.762 25.4 25.4 PTH BOARD VIA UNOWNED", ".END_DRILLED_HOLES", ".PLACEMENT",
                   "\"R0805\" \"R0805\" \"R1\"", "50.8 76.2 0.0 90 TOP PLACED", ".END_PLACEMENT"}));
  EXPECT_EQ(CrLfLines(f.store, "BRD.emp"), Join({kLibraryHeader, kR0805Section}));
  EXPECT_EQ(f.sink.Errors(), Lines{});
  EXPECT_EQ(f.sink.Infos(), kJobInfos);
}

// Hole kinds, every mirror mode, and one library section per component, in order.
TEST(IdfExport, WritesHolesPlacementsAndSectionsOfEveryKind) {
  ExampleBoard f;
  f.server->AddPackageType("UNUSED", -1, 1, -1, 1);
  PackageType* sot23 = f.server->AddPackageType("SOT23", -0.06, 0.06, -0.05, 0.05);
  const double cwX[] = {-0.05, -0.05, 0.05, 0.05}, cwY[] = {-0.03, 0.03, 0.03, -0.03};
  f.server->SetPackageOutline(sot23, cwX, cwY, 4, 0.04);
  PackageType* dpak = f.server->AddPackageType("DPAK", 0, 0, 0, 0);
  const double ccwX[] = {0.1, 0.1, -0.1, -0.1}, ccwY[] = {0, 0.1, 0.1, -0.05};
  f.server->SetPackageOutline(dpak, ccwX, ccwY, 4, 0.09);
  f.server->AddComponent(f.top, sot23, "C1", "BC847", 0, 0, 0, 1);
  f.server->AddComponent(f.bottom, f.r0805, "C2", "", -1, 0.5, 30, 2);
  Component* c3 = f.server->AddComponent(f.bottom, dpak, "C3", "", 1.25, 0, 270, 3);
  f.server->AddComponent(f.top, f.r0805, "C4", "", 1, 1, 10, 7);

  PadShape* mtg = f.server->AddRoundPadShape("mtg", 0.125, 0);
  PadShape* pin = f.server->AddRoundPadShape("pin", 0.04, 1);
  PinType* type = f.server->AddPinType("p");
  // Holes follow the layer order, not the order they were added in.
  f.server->AddPad(f.server->AddDrillLayer("drill2", 5, f.top, f.bottom), pin, 7, 2);
  // A component pin is a PIN whatever its kind; a free pin of kind 4 is a VIA;
  // a free pin of another kind, or a pad without a pin, is a mounting hole.
  f.server->AddPinPad(f.drill, pin, f.server->AddComponentPin(c3, type, 4.1, 4, 0, 0, 3, nullptr));
  f.server->AddPinPad(f.drill, pin, f.server->AddPin(type, 0.5, 0.25, 0, 0, 4, nullptr));
  f.server->AddPad(f.drill, mtg, 0.25, 4.75);
  f.server->AddPinPad(f.drill, mtg, f.server->AddPin(type, 9, 4.5, 0, 0, 6, nullptr));
  f.server->AddPad(f.top, mtg, 3, 3);                  // not a drill layer
  f.server->AddPlainLine(f.drill, 0, 0, 1, 1, 0.01);  // not a pad
  ASSERT_TRUE(f.server->WriteIDF(&f.store));

  const Lines board = CrLfLines(f.store, "BRD.emn");
  EXPECT_EQ(Section(board, ".DRILLED_HOLES", ".END_DRILLED_HOLES"),
            (Lines{".DRILLED_HOLES", "0.762 25.4 25.4 PTH BOARD VIA UNOWNED",
                   "1.016 104.14 101.6 PTH C3 PIN UNOWNED", "1.016 12.7 6.35 PTH BOARD VIA UNOWNED",
                   "3.175 6.35 120.65 NPTH BOARD MTG UNOWNED",
                   "3.175 228.6 114.3 NPTH BOARD MTG UNOWNED",
                   "1.016 177.8 50.8 PTH BOARD MTG UNOWNED", ".END_DRILLED_HOLES"}));
  EXPECT_EQ(Section(board, ".PLACEMENT", ".END_PLACEMENT"),
            (Lines{".PLACEMENT", "\"R0805\" \"R0805\" \"R1\"", "50.8 76.2 0.0 90 TOP PLACED",
                   "\"BC847\" \"BC847\" \"C1\"", "0 0 0.0 -0 TOP PLACED",
                   "\"R0805\" \"R0805\" \"C2\"", "-25.4 12.7 0.0 150 BOTTOM PLACED",
                   "\"DPAK\" \"DPAK\" \"C3\"", "31.75 0 0.0 450 BOTTOM PLACED",
                   "\"R0805\" \"R0805\" \"C4\"", "25.4 25.4 0.0 10 TOP PLACED", ".END_PLACEMENT"}));
  const Lines library = Join(
      {kLibraryHeader, kR0805Section,
       {".ELECTRICAL", "\"BC847\" \"BC847\" MM 1.016", "0 -1.27 -0.762 0", "0 1.27 -0.762 0",
        "0 1.27 0.762 0", "0 -1.27 0.762 0", "0 -1.27 -0.762 0", ".END_ELECTRICAL"},
       kR0805Section,
       {".ELECTRICAL", "\"DPAK\" \"DPAK\" MM 2.286", "0 2.54 -0 0", "0 2.54 2.54 0",
        "0 -2.54 2.54 0", "0 -2.54 -1.27 0", "0 2.54 -0 0", ".END_ELECTRICAL"},
       kR0805Section});
  EXPECT_EQ(CrLfLines(f.store, "BRD.emp"), library);
  // The rectangle made for R0805 stays, and a second job writes the same file.
  ASSERT_NE(f.r0805->outline, nullptr);
  ASSERT_TRUE(f.server->WriteIDF(&f.store));
  EXPECT_EQ(CrLfLines(f.store, "BRD.emp"), library);
}

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
  const struct { int steps, points; const char* error; } cases[] = {
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
