// The features and tools files of the layer directories.
#include <gtest/gtest.h>

#include <string>

#include "odb_job_board.h"

namespace kelpie::test {
namespace {

const std::string kLayers = "board\\steps\\pcb\\layers\\";
const std::string kTop = kLayers + "top\\features";
const Lines kAttributeNames = {"@0 .geometry", "@1 .drill", "@2 .pad_usage"};

// Symbols by first use (pads, lines, arcs, contours); an unknown shape kind
// gets an empty one and two errors. Lone contours first, then each surface
// with its contours under one index. The first is the text's example, whose
// "OS 1 0" the rotation of the algorithm's steps prints as "OS 1 -0".
TEST(OdbLayerFeatures, RecordsNameTheirSymbolsAndAttributesByNumber) {
  JobBoard b(true);
  b.host->AddPad(b.top, b.host->AddRoundPadShape("a", 0.01, 1), 0, 0);
  b.host->AddPad(b.top, b.host->AddRoundPadShape("b", 0.02, 1), 0, 1);
  b.host->AddPad(b.top, b.host->AddRoundPadShape("c", 0.06, 1), 0, 2);
  PadShape* rect = b.host->AddPadShape("d", 2, 0.05, 0.0125, 0, 0);
  b.host->AddPinPad(b.top, rect, b.host->AddPin(b.host->AddPinType("smd"), 1.2, 0.5, 0, 0, 1, nullptr));
  b.host->AddPad(b.top, b.host->AddPadShape("e", 3, 0.05, 0.0125, 0, 0), 3, 1);
  b.host->AddPad(b.top, b.host->AddPadShape("odd", 7, 0.05, 0.05, 0, 0), 4, 1);
  b.host->AddPlainLine(b.top, 0, 0, 0, 1, 0.01);
  b.host->AddArc(b.top, 0, 0, 1, 1, 0.5, 0.5, 1, 0.02, nullptr);
  b.host->AddArc(b.top, 1, 1, 0, 0, 0.5, 0.5, 0, 0.01, nullptr);
  const double xs[] = {0, 1, 1}, ys[] = {0, 0, 1};
  b.host->AddContour(b.top, xs, ys, 3, 0, 1);
  Net* gnd = b.host->AddNet("gnd");
  Surface* surfaces[] = {b.host->AddSurface(b.top, gnd), b.host->AddSurface(b.top, gnd)};
  for (const int x : {20, 10, 30, 40}) {  // the lone one (10) added between a surface's contours
    const double triangleX[] = {x + 0.0, x + 1.0, x + 1.0}, triangleY[] = {1, 1, 2};
    if (x == 10) b.host->AddContour(b.top, triangleX, triangleY, 3, 0, 1);
    if (x != 10) b.host->AddSurfaceContour(surfaces[x == 30], triangleX, triangleY, 3, 1);
  }
  b.host->AddLine(b.top, 0, 0, 1, 0, 0.06, gnd);
  b.f.sink.Clear();
  ASSERT_TRUE(b.Export());
  EXPECT_EQ(b.Body(kTop),
            Join({{"#top", "$0 r10", "$1 r20", "$2 r60", "$3 rect50x12.5", "$4 ", "$5 r0"}, kAttributeNames,
                  {"&0  ", "&1 smd", "S P 0", "OB 0 0 I ", "OS 1 1 ", "OS 1 -0 ", "OS 0 0 ", "OE", "SE",
                   "S P 0", "OB 10 1 I ", "OS 11 2 ", "OS 11 1 ", "OS 10 1 ", "OE", "SE",
                   "S P 0", "OB 20 1 I ", "OS 21 2 ", "OS 21 1 ", "OS 20 1 ", "OE",
                   "OB 40 1 I ", "OS 41 2 ", "OS 41 1 ", "OS 40 1 ", "OE", "SE",
                   "S P 0", "OB 30 1 I ", "OS 31 2 ", "OS 31 1 ", "OS 30 1 ", "OE", "SE",
                   "P 0 0 0 P 0 0;0=0,2=0 ", "P 0 1 1 P 0 0;0=0,2=0 ", "P 0 2 2 P 0 0;0=0,2=0 ",
                   "P 1.2 0.5 3 P 0 0;0=1,2=0 ", "P 3 1 3 P 0 0;0=0,2=0 ", "P 4 1 4 P 0 0;0=0,2=0 ",
                   "L 0 0 0 1 0 P 0", "L 0 0 1 0 2 P 0", "A 0 0 1 1 0.5 0.5 1 P 0 Y", "A 1 1 0 0 0.5 0.5 0 P 0 N"}}));
  const Lines eda = b.Body("board\\steps\\pcb\\eda\\data");
  ASSERT_GE(eda.size(), 9u);
  EXPECT_EQ(Lines(eda.begin() + 2, eda.begin() + 9),
            (Lines{"NET gnd", "SNT TRC", "FID C 1 11", "SNT PLN S E 0", "FID C 1 2", "SNT PLN S E 0", "FID C 1 3"}));
  EXPECT_EQ(b.f.sink.Errors(), Lines(2, "PadTypeToName: type not yet implemented"));
  EXPECT_EQ(b.Body(kLayers + "bottom\\features"), Join({{"#bottom"}, kAttributeNames, {"&0  "}}));
}

// A contour's stroked outline is lines of this export only, also after a
// failed one.
TEST(OdbLayerFeatures, StrokedOutlinesAreWrittenOncePerExport) {
  for (const bool failing : {false, true}) {
    SCOPED_TRACE(failing ? "failing job" : "complete job");
    JobBoard b(true);
    b.host->AddContour(b.top, kSquareX, kSquareY, 4, 0.01, 0);  // not filled: outline only
    b.host->AddLine(b.top, 5, 5, 6, 6, 0.02, nullptr);
    if (failing) b.host->AddStep("bad", kSquareX, kSquareY, 0);  // fails after the step "pcb"
    const Lines expected = Join({{"#top", "$0 r20", "$1 r10"}, kAttributeNames,
                                 {"&0  ", "L 5 5 6 6 0 P 0", "L 0 0.1 0 0 1 P 0", "L 0.1 0.1 0 0.1 1 P 0",
                                  "L 0.1 -0 0.1 0.1 1 P 0", "L 0 0 0.1 -0 1 P 0"}});
    for (int run = 0; run < 2; ++run) {
      EXPECT_EQ(b.Export(), !failing);
      EXPECT_EQ(b.Body(kTop), expected) << "run " << run;
    }
  }
}

TEST(OdbLayerFeatures, PinTypeWithoutNameEndsTheFileAndTheJob) {
  ExpectFailure(
      [](JobBoard& b) {
        PadShape* round = b.host->AddRoundPadShape("r", 0.05, 1);
        b.host->AddPad(b.top, round, 0, 0);
        b.host->AddPinPad(b.top, round, b.host->AddPin(b.host->AddPinType(""), 1, 1, 0, 0, 1, nullptr));
        b.host->AddPad(b.top, round, 2, 2);
      },
      {"Attribute value cannot be blank"}, kLayers + "top\\.features.sum",
      Join({{kHeaderLine, "#top", "$0 r50"}, kAttributeNames, {"&0  ", "&1 ", "P 0 0 0 P 0 0;0=0,2=0 "}}));
}

Lines Tool(int number, const std::string& type, const std::string& size) {
  return {"TOOLS {", "NUM=" + std::to_string(number), "TYPE=" + type, "TYPE2=STANDARD", "MIN_TOL=0", "MAX_TOL=0",
          "BIT=", "FINISH_SIZE=" + size, "DRILL_SIZE=" + size, "}"};
}

// Tools by first use, counted per layer; a via is a VIA whatever its
// plating. Drill pads carry the drill kind besides the pad usage.
TEST(OdbDrillTools, OneToolPerDistinctHoleInOrderOfFirstUseAndDrillAttributes) {
  JobBoard b(true);
  Layer* first = b.host->AddDrillLayer("first", 6, b.top, b.bottom);
  Layer* second = b.host->AddDrillLayer("second", 7, b.top, b.bottom);
  b.host->AddDrillLayer("empty", 8, b.top, b.bottom);
  PadShape* plated = b.host->AddRoundPadShape("p35", 0.035, 1);
  PadShape* bare = b.host->AddRoundPadShape("n125", 0.125, 0);
  PadShape* fine = b.host->AddRoundPadShape("n315", 0.0315, 0);
  for (int i = 0; i < 10; ++i) b.host->AddPad(first, i % 3 == 0 ? plated : bare, i, 0);
  PinType* fid = b.host->AddPinType("fid");
  b.host->AddPinTypePad(fid, plated, b.top);
  PackageType* package = b.host->AddPackageType("pkg", -1, 1, -1, 1);
  b.host->AddPackagePin(package, fid, "1", 0, 0, 0, 1);
  Component* u1 = b.host->AddComponent(b.ctop, package, "U1", "", 0, 0, 0, 0);
  Pin* via = b.host->AddPin(b.host->AddPinType("via"), 1, 1, 0, 0, 4, nullptr);
  Pin* onU1 = b.host->AddComponentPin(u1, fid, 0, 0, 0, 0, 6, nullptr);
  for (Pin* pin : {via, b.host->AddPin(fid, 3, 0, 0, 0, 1, nullptr), onU1, b.host->AddPin(fid, 2, 0, 0, 0, 6, nullptr)})
    b.host->AddPinPad(second, plated, pin);
  b.host->AddPinPad(second, fine, via);
  b.host->AddPad(second, fine, 2, 2);
  b.host->AddPinPad(b.top, plated, via);
  ASSERT_TRUE(b.Export());
  const Lines head = {"THICKNESS=0.062", "USER_PARAMS="};
  EXPECT_EQ(b.Body(kLayers + "first\\tools"), Join({head, Tool(1, "PLATED", "35"), Tool(2, "NON_PLATED", "125")}));
  EXPECT_EQ(b.Body(kLayers + "second\\tools"), Join({head, Tool(1, "VIA", "35"), Tool(2, "PLATED", "35"),
                                                     Tool(3, "VIA", "31.5"), Tool(4, "NON_PLATED", "31.5")}));
  EXPECT_EQ(b.Body(kLayers + "empty\\tools"), head);
  EXPECT_EQ(b.Body(kLayers + "second\\features"),
            Join({{"#second", "$0 r35", "$1 r31.5"}, kAttributeNames,
                  {"&0  ", "&1 via", "&2 fid", "P 1 1 0 P 0 0;0=1,2=1,1=2 ", "P 3 0 0 P 0 0;0=2,2=0,1=0 ",
                   "P 0 0 0 P 0 0;0=2,2=3,1=0 ", "P 2 0 0 P 0 0;0=2,2=2,1=0 ", "P 1 1 1 P 0 0;0=1,2=1,1=2 ",
                   "P 2 2 1 P 0 0;0=0,2=0,1=1 "}}));
  EXPECT_EQ(b.Body(kTop).back(), "P 1 1 0 P 0 0;0=1,2=1 ");
}

}  // namespace
}  // namespace kelpie::test
