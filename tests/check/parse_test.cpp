// What the parsers make of the records that Kelpie's own jobs never hold
// (millimetres, arcs in contours, free pad angles, mirrored pads, square and
// circle outlines) and of the standard symbol names that a drawing needs.
#include <gtest/gtest.h>

#include "parse.h"
#include "symbol_name.h"

namespace kelpie::reader {
namespace {

TEST(Parse, FeaturesInMillimetresWithEveryRecord) {
  const char* text =
      "UNITS=MM\n"
      "$0 r254\n"
      "$1 rect10x20 M\n"
      "@0 .geometry\n"
      "&0 smd\n"
      "P 25.4 -50.8 1 N 3 9 45.5;0=0\n"
      "P 0 0 1 P 0 6\n"
      "A 0 0 2.54 2.54 2.54 0 0 P 0 Y\n"
      "S N 0\n"
      "OB 0 0 I\n"
      "OC 25.4 0 12.7 0 N\n"
      "OS 0 0\n"
      "OE\n"
      "OB 1 1 H\n"
      "OS 2 1\n"
      "OS 1 1\n"
      "OE\n"
      "SE\n";
  Problems problems;
  const Features file = ParseFeatures(text, "f", problems);
  EXPECT_TRUE(problems.empty());
  EXPECT_TRUE(file.millimetres);
  ASSERT_EQ(file.features.size(), 4u);
  const Feature& pad = file.features[0];
  EXPECT_EQ(pad.line, 6);
  EXPECT_DOUBLE_EQ(pad.start.x, 1);
  EXPECT_DOUBLE_EQ(pad.start.y, -2);
  EXPECT_EQ(file.SymbolName(pad.symbol), "rect10x20");
  EXPECT_EQ(pad.polarity, Polarity::kNegative);
  EXPECT_EQ(pad.dcode, 3);
  EXPECT_TRUE(pad.mirrored);
  EXPECT_DOUBLE_EQ(pad.rotation, 45.5);
  EXPECT_EQ(file.Value(file.AttributesOf(pad)[0]), "0");
  EXPECT_DOUBLE_EQ(file.features[1].rotation, 180);
  EXPECT_TRUE(file.features[1].mirrored);
  EXPECT_TRUE(file.features[2].clockwise);
  EXPECT_DOUBLE_EQ(file.features[2].center.x, 0.1);
  const std::span<const Contour> contours = file.ContoursOf(file.features[3]);
  ASSERT_EQ(contours.size(), 2u);
  EXPECT_TRUE(contours[0].island);
  EXPECT_TRUE(contours[0].segments[0].arc);
  EXPECT_FALSE(contours[0].segments[0].clockwise);
  EXPECT_DOUBLE_EQ(contours[0].segments[0].center.x, 0.5);
  EXPECT_FALSE(contours[1].island);
  EXPECT_EQ(contours[1].segments.size(), 2u);
}

TEST(Parse, EdaOutlinesOfPackagesAndPins) {
  const char* text =
      "HDR test\n"
      "LYR top\n"
      "PKG qfp 0.02 -1 -1 1 1;0=1\n"
      "SQ 0 0 1\n"
      "PIN a1 T -0.5 0.5 0.01 E S\n"
      "CR -0.5 0.5 0.02\n"
      "PIN a2 S 0.5 0.5 0 U U\n"
      "CT\n"
      "OB 0 0 I\n"
      "OS 1 0\n"
      "OS 0 0\n"
      "OE\n"
      "CE\n";
  Problems problems;
  const EdaData eda = ParseEdaData(text, "eda", problems);
  EXPECT_TRUE(problems.empty());
  ASSERT_EQ(eda.packages.size(), 1u);
  const Package& package = eda.packages[0];
  EXPECT_EQ(package.outlines[0].kind, OutlineKind::kSquare);
  EXPECT_DOUBLE_EQ(package.outlines[0].radius, 1);
  ASSERT_EQ(package.pins.size(), 2u);
  EXPECT_EQ(package.pins[0].type, 'T');
  EXPECT_EQ(package.pins[0].outlines[0].kind, OutlineKind::kCircle);
  EXPECT_EQ(package.pins[1].outlines[0].kind, OutlineKind::kContour);
  EXPECT_EQ(package.pins[1].outlines[0].contours[0].segments.size(), 2u);
}

// Each bad record is one problem at its line, and reading goes on.
TEST(Parse, BadRecordsAreProblemsAtTheirLines) {
  const char* text =
      "$0 r10\n"
      "P 1 2 0 X 0 0\n"
      "L 0 0 1e999 0 0 P 0\n"
      "Q 1\n"
      "S P 0\n"
      "OB 0 0 I\n"
      "OS 1 1\n"
      "P 0 0 0 P 0 12\n";
  Problems problems;
  const Features file = ParseFeatures(text, "f", problems);
  std::vector<std::string> shown;
  for (const Problem& problem : problems.list()) shown.push_back(Show(problem));
  const std::vector<std::string> expected = {
      "f:2: polarity must be one of P, N, not 'X'",
      "f:3: end x is not a finite number: '1e999'",
      "f:4: unknown record 'Q'",
      "f:5: surface without SE",
      "f:6: contour without OE",
      "f:8: orientation must be 0 to 9, not 12",
  };
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(file.features.size(), 4u);
}

TEST(Parse, StandardSymbolNames) {
  const struct {
    const char* name;
    SymbolShape shape;
    double width, height, corner;
  } cases[] = {
      {"r10", SymbolShape::kRound, 0.01, 0.01, 0},
      {"s25.5", SymbolShape::kSquare, 0.0255, 0.0255, 0},
      {"rect20x30", SymbolShape::kRectangle, 0.02, 0.03, 0},
      {"oval60x20", SymbolShape::kOval, 0.06, 0.02, 0},
      {"di10x20", SymbolShape::kDiamond, 0.01, 0.02, 0},
      {"oct50x50x10", SymbolShape::kOctagon, 0.05, 0.05, 0.01},
      {"donut_r40x20", SymbolShape::kDonut, 0.04, 0.02, 0},
      {"hex_l30x20x5", SymbolShape::kHexagonX, 0.03, 0.02, 0.005},
      {"hex_s30x20x5", SymbolShape::kHexagonY, 0.03, 0.02, 0.005},
      {"dpak_tab", SymbolShape::kUser, 0, 0, 0},
      {"rect20", SymbolShape::kUser, 0, 0, 0},
      {"r-5", SymbolShape::kUser, 0, 0, 0},
      {"rnan", SymbolShape::kUser, 0, 0, 0},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(each.name);
    const StandardSymbol symbol = ParseSymbolName(each.name);
    EXPECT_EQ(symbol.shape, each.shape);
    EXPECT_DOUBLE_EQ(symbol.width, each.width);
    EXPECT_DOUBLE_EQ(symbol.height, each.height);
    EXPECT_DOUBLE_EQ(symbol.corner, each.corner);
  }
}

}  // namespace
}  // namespace kelpie::reader
