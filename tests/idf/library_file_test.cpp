// The library file (".emp") as a host sees it through slot 38.
#include <gtest/gtest.h>

#include <regex>

#include "idf_test_support.h"
#include "model/records.h"

namespace kelpie::test {
namespace {

const std::regex kLibraryFileLine(
    R"(LIBRARY_FILE 3\.0 "Quillmark IDF Export" \d{4}/\d{2}/\d{2}\.\d{2}:\d{2}:\d{2} 1)");

const std::vector<std::string> kR0805Section = {
    ".ELECTRICAL",       "\"R0805\" \"R0805\" MM 0", "0 -1.016 -0.635 0", "0 1.016 -0.635 0",
    "0 1.016 0.635 0",   "0 -1.016 0.635 0",         "0 -1.016 -0.635 0", ".END_ELECTRICAL",
};

TEST(IdfLibraryFile, WritesTheExampleLineByLine) {
  ServerFixture f;
  BuildExampleBoard(f.server);
  ASSERT_TRUE(f.server->WriteIDF(&f.store));

  const std::vector<std::string> lines = CrLfLines(f.store, "BRD.emp");
  ASSERT_EQ(lines.size(), 11u);
  EXPECT_EQ(lines[0], ".HEADER");
  EXPECT_TRUE(std::regex_match(lines[1], kLibraryFileLine)) << lines[1];
  EXPECT_EQ(lines[2], ".END_HEADER");
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 3, lines.end()), kR0805Section);
}

TEST(IdfLibraryFile, WithoutComponentsHoldsOnlyTheHeader) {
  ServerFixture f;
  BuildExampleBoard(f.server, false);
  ASSERT_TRUE(f.server->WriteIDF(&f.store));
  const std::vector<std::string> lines = CrLfLines(f.store, "BRD.emp");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2], ".END_HEADER");
}

// One section per component, in component order, whatever the package types:
// a box-only package, host outlines in both directions and a reversed box.
TEST(IdfLibraryFile, WritesOneCounterClockwiseSectionPerComponent) {
  ServerFixture f;
  ExampleBoard board = BuildExampleBoard(f.server);
  f.server->AddPackageType("UNUSED", -1, 1, -1, 1);
  PackageType* sot23 = f.server->AddPackageType("SOT23", -0.06, 0.06, -0.05, 0.05);
  // Given clockwise, with a height; the box is then ignored.
  const double cwX[] = {-0.05, -0.05, 0.05, 0.05};
  const double cwY[] = {-0.03, 0.03, 0.03, -0.03};
  f.server->SetPackageOutline(sot23, cwX, cwY, 4, 0.04);
  // Given counter-clockwise from a point on the positive x axis (Y prints -0).
  PackageType* dpak = f.server->AddPackageType("DPAK", 0, 0, 0, 0);
  const double ccwX[] = {0.1, 0.1, -0.1, -0.1};
  const double ccwY[] = {0, 0.1, 0.1, -0.05};
  f.server->SetPackageOutline(dpak, ccwX, ccwY, 4, 0.09);
  // A box with xMin > xMax makes a clockwise rectangle.
  PackageType* flipped = f.server->AddPackageType("FLIP", 0.04, -0.04, -0.025, 0.025);
  f.server->AddComponent(board.bottom, sot23, "Q1", "BC847", 5, 2, 0, 0);
  f.server->AddComponent(board.top, board.r0805, "R2", "", 3, 3, 0, 0);
  f.server->AddComponent(board.top, dpak, "Q3", "", 1, 1, 0, 0);
  f.server->AddComponent(board.top, flipped, "R9", "", 1, 1, 0, 0);

  ASSERT_TRUE(f.server->WriteIDF(&f.store));
  const std::vector<std::string> lines = CrLfLines(f.store, "BRD.emp");
  std::vector<std::string> expected = {".HEADER", lines.at(1), ".END_HEADER"};
  const std::vector<std::vector<std::string>> sections = {
      kR0805Section,
      {".ELECTRICAL", "\"BC847\" \"BC847\" MM 1.016", "0 -1.27 -0.762 0", "0 1.27 -0.762 0",
       "0 1.27 0.762 0", "0 -1.27 0.762 0", "0 -1.27 -0.762 0", ".END_ELECTRICAL"},
      kR0805Section,
      {".ELECTRICAL", "\"DPAK\" \"DPAK\" MM 2.286", "0 2.54 -0 0", "0 2.54 2.54 0",
       "0 -2.54 2.54 0", "0 -2.54 -1.27 0", "0 2.54 -0 0", ".END_ELECTRICAL"},
      {".ELECTRICAL", "\"FLIP\" \"FLIP\" MM 0", "0 1.016 -0.635 0", "0 1.016 0.635 0",
       "0 -1.016 0.635 0", "0 -1.016 -0.635 0", "0 1.016 -0.635 0", ".END_ELECTRICAL"},
  };
  for (const auto& section : sections)
    expected.insert(expected.end(), section.begin(), section.end());
  EXPECT_EQ(lines, expected);
}

TEST(IdfLibraryFile, BoxOutlinesStayInTheModelAfterTheJob) {
  ServerFixture f;
  ExampleBoard board = BuildExampleBoard(f.server);
  PackageType* unused = f.server->AddPackageType("UNUSED", -1, 1, -1, 1);
  ASSERT_TRUE(f.server->WriteIDF(&f.store));

  // Used package types now own their rectangle, counter-clockwise, closed;
  // their height is untouched. Unused ones are left alone.
  ASSERT_NE(board.r0805->outline, nullptr);
  const PointList& points = board.r0805->outline->points;
  EXPECT_EQ(points.xs, (std::vector<double>{-0.04, 0.04, 0.04, -0.04, -0.04}));
  EXPECT_EQ(points.ys, (std::vector<double>{-0.025, -0.025, 0.025, 0.025, -0.025}));
  EXPECT_LT(points.turnSum, 0);
  EXPECT_EQ(board.r0805->height, 0);
  EXPECT_EQ(unused->outline, nullptr);

  // A second job finds the outline as if the host had set it, and writes
  // the same library sections.
  const std::vector<std::string> first = CrLfLines(f.store, "BRD.emp");
  ASSERT_TRUE(f.server->WriteIDF(&f.store));
  const std::vector<std::string> second = CrLfLines(f.store, "BRD.emp");
  ASSERT_EQ(first.size(), second.size());
  EXPECT_EQ(std::vector<std::string>(first.begin() + 2, first.end()),
            std::vector<std::string>(second.begin() + 2, second.end()));
  EXPECT_EQ(points.Count(), 5);
}

}  // namespace
}  // namespace kelpie::test
