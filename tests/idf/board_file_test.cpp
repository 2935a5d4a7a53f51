// The board file (".emn") as a host sees it through slot 38.
#include <gtest/gtest.h>

#include <regex>

#include "idf_test_support.h"
#include "model/records.h"

namespace kelpie::test {
namespace {

const std::regex kBoardFileLine(
    R"(BOARD_FILE 3\.0 "Quillmark IDF Export" \d{4}/\d{2}/\d{2}\.\d{2}:\d{2}:\d{2} 1)");

TEST(IdfBoardFile, WritesTheExampleBoardLineByLine) {
  ServerFixture f;
  BuildExampleBoard(f.server);
  ASSERT_TRUE(f.server->WriteIDF(&f.store));

  const std::vector<std::string> lines = CrLfLines(f.store, "BRD.emn");
  ASSERT_EQ(lines.size(), 19u);
  EXPECT_EQ(lines[0], ".HEADER");
  EXPECT_TRUE(std::regex_match(lines[1], kBoardFileLine)) << lines[1];
  const std::vector<std::string> rest(lines.begin() + 2, lines.end());
  const std::vector<std::string> expected = {
      "BRD MM",
      ".END_HEADER",
      ".BOARD_OUTLINE UNOWNED",
      "1.5875",
      "0 0 0 0",
      "0 254 -0 0",
      "0 254 127 0",
      "0 0 127 0",
      "0 0 0 0",
      ".END_BOARD_OUTLINE",
      ".DRILLED_HOLES",
      "0.762 25.4 25.4 PTH BOARD VIA UNOWNED",
      ".END_DRILLED_HOLES",
      ".PLACEMENT",
      "\"R0805\" \"R0805\" \"R1\"",
      "50.8 76.2 0.0 90 TOP PLACED",
      ".END_PLACEMENT",
  };
  EXPECT_EQ(rest, expected);
}

std::vector<std::string> OutlineOf(const double* xs, const double* ys, int count) {
  ServerFixture f;
  f.server->SetJobName("J");
  f.server->AddStep("s", xs, ys, count);
  EXPECT_TRUE(f.server->WriteIDF(&f.store));
  return Section(CrLfLines(f.store, "J.emn"), ".BOARD_OUTLINE UNOWNED", ".END_BOARD_OUTLINE");
}

TEST(IdfBoardFile, OutlineIsCounterClockwiseWhicheverWayItWasGiven) {
  const double ccwX[] = {0, 10, 10, 0};
  const double ccwY[] = {0, 0, 5, 5};
  const double cwX[] = {0, 0, 10, 10};
  const double cwY[] = {0, 5, 5, 0};
  const std::vector<std::string> ccw = OutlineOf(ccwX, ccwY, 4);
  const std::vector<std::string> cw = OutlineOf(cwX, cwY, 4);
  const std::vector<std::string> expected = {
      ".BOARD_OUTLINE UNOWNED", "0", "0 0 0 0", "0 254 -0 0", "0 254 127 0",
      "0 0 127 0",              "0 0 0 0",   ".END_BOARD_OUTLINE"};
  EXPECT_EQ(ccw, expected);
  EXPECT_EQ(cw, expected);
}

TEST(IdfBoardFile, OutlineKeepsTheSignOfTheRoundTripOnTheAxes) {
  // A triangle through (0, -5) and (10, 0), counter-clockwise, not starting
  // at the origin, with fractional millimetres.
  const double xs[] = {0, 10, -2.5};
  const double ys[] = {-5, 0, 1.25};
  EXPECT_EQ(OutlineOf(xs, ys, 3),
            (std::vector<std::string>{".BOARD_OUTLINE UNOWNED", "0", "0 -0 -127 0",
                                      "0 254 -0 0", "0 -63.5 31.75 0", "0 -0 -127 0",
                                      ".END_BOARD_OUTLINE"}));
}

TEST(IdfBoardFile, WritesEachKindOfDrilledHole) {
  ServerFixture f;
  ExampleBoard board = BuildExampleBoard(f.server);
  PadShape* hole = f.server->AddRoundPadShape("mtg", 0.125, 0);
  PadShape* pinHole = f.server->AddRoundPadShape("pin", 0.04, 1);
  PinType* pinType = f.server->AddPinType("p");
  Component* u1 = f.server->AddComponent(board.bottom, board.r0805, "U1", "", 4, 4, 0, 0);
  // A component pin is a PIN whatever its kind; a free pin of kind 4 is a via;
  // a free pin of any other kind, or a pad without a pin, is a mounting hole.
  Pin* componentPin = f.server->AddComponentPin(u1, pinType, 4.1, 4, 0, 0, 3, nullptr);
  Pin* freeVia = f.server->AddPin(board.viaType, 0.5, 0.25, 0, 0, 4, nullptr);
  Pin* fiducial = f.server->AddPin(pinType, 9, 4.5, 0, 0, 6, nullptr);
  f.server->AddPinPad(board.drill, pinHole, componentPin);
  f.server->AddPinPad(board.drill, board.viaShape, freeVia);
  f.server->AddPad(board.drill, hole, 0.25, 4.75);
  f.server->AddPinPad(board.drill, hole, fiducial);
  // Only pads of drill layers are holes.
  f.server->AddPad(board.signal, hole, 3, 3);
  f.server->AddPlainLine(board.drill, 0, 0, 1, 1, 0.01);
  Layer* secondDrill = f.server->AddDrillLayer("drill2", 5, board.signal, board.signal);
  f.server->AddPad(secondDrill, pinHole, 7, 2);

  ASSERT_TRUE(f.server->WriteIDF(&f.store));
  EXPECT_EQ(Section(CrLfLines(f.store, "BRD.emn"), ".DRILLED_HOLES", ".END_DRILLED_HOLES"),
            (std::vector<std::string>{
                ".DRILLED_HOLES",
                "0.762 25.4 25.4 PTH BOARD VIA UNOWNED",
                "1.016 104.14 101.6 PTH U1 PIN UNOWNED",
                "0.762 12.7 6.35 PTH BOARD VIA UNOWNED",
                "3.175 6.35 120.65 NPTH BOARD MTG UNOWNED",
                "3.175 228.6 114.3 NPTH BOARD MTG UNOWNED",
                "1.016 177.8 50.8 PTH BOARD MTG UNOWNED",
                ".END_DRILLED_HOLES",
            }));
}

TEST(IdfBoardFile, PlacementRotationFollowsTheMirrorMode) {
  ServerFixture f;
  ExampleBoard board = BuildExampleBoard(f.server, false);
  f.server->AddComponent(board.top, board.r0805, "C1", "CAP-100n", 0, 0, 0, 1);
  f.server->AddComponent(board.bottom, board.r0805, "C2", "", -1, 0.5, 30, 2);
  f.server->AddComponent(board.bottom, board.r0805, "C3", "", 1.25, 0, 270, 3);
  f.server->AddComponent(board.top, board.r0805, "C4", "", 1, 1, 45.5, 0);
  f.server->AddComponent(board.top, board.r0805, "C5", "", 1, 1, 10, 7);
  f.server->AddComponent(board.bottom, board.r0805, "C6", "", 1, 1, -30, 1);

  ASSERT_TRUE(f.server->WriteIDF(&f.store));
  EXPECT_EQ(Section(CrLfLines(f.store, "BRD.emn"), ".PLACEMENT", ".END_PLACEMENT"),
            (std::vector<std::string>{
                ".PLACEMENT",
                "\"CAP-100n\" \"CAP-100n\" \"C1\"",
                "0 0 0.0 -0 TOP PLACED",
                "\"R0805\" \"R0805\" \"C2\"",
                "-25.4 12.7 0.0 150 BOTTOM PLACED",
                "\"R0805\" \"R0805\" \"C3\"",
                "31.75 0 0.0 450 BOTTOM PLACED",
                "\"R0805\" \"R0805\" \"C4\"",
                "25.4 25.4 0.0 45.5 TOP PLACED",
                "\"R0805\" \"R0805\" \"C5\"",
                "25.4 25.4 0.0 10 TOP PLACED",
                "\"R0805\" \"R0805\" \"C6\"",
                "25.4 25.4 0.0 30 BOTTOM PLACED",
                ".END_PLACEMENT",
            }));
}

TEST(IdfBoardFile, StopsAtAComponentOffTheSurfaceLayers) {
  ServerFixture f;
  ExampleBoard board = BuildExampleBoard(f.server);
  Component* q1 = f.server->AddComponent(board.top, board.r0805, "Q1", "", 1, 1, 0, 0);
  f.server->AddComponent(board.top, board.r0805, "Q2", "", 1, 1, 0, 0);
  ASSERT_NE(q1, nullptr);
  // The interface never places a component on another layer; a damaged
  // model must still end in a message rather than a wrong file.
  q1->layer = board.signal;

  f.sink.Clear();
  EXPECT_FALSE(f.server->WriteIDF(&f.store));
  const std::vector<std::string> lines = CrLfLines(f.store, "BRD.emn");
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
            (std::vector<std::string>{"\"R0805\" \"R0805\" \"R1\"", "50.8 76.2 0.0 90 TOP PLACED",
                                      "\"R0805\" \"R0805\" \"Q1\""}));
  EXPECT_EQ(f.sink.Errors(), (std::vector<std::string>{"Component Q1 is not on a surface layer",
                                                       "Write job 'BRD' failed"}));
  EXPECT_TRUE(f.sink.Has(Message::kInfo, "Write BRD.emn complete"));
  EXPECT_FALSE(f.store.Has("BRD.emp"));
}

}  // namespace
}  // namespace kelpie::test
