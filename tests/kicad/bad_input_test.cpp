// Bad boards end in exit status 2 with "file:line:column: expected ..." and
// nothing written; large but sane ones are read.
#include <gtest/gtest.h>

#include <filesystem>

#include "design.h"
#include "host_test_support.h"
#include "kicad/kicad_import.h"

namespace kelpie::host::test {
namespace {

namespace fs = std::filesystem;

const std::string kHead = "(kicad_pcb (version 20211014)\n";

TEST(KicadBadInput, EndsInExitTwoWithThePlaceAndNothingWritten) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {kHead + "(general (thickness 1.6)", "2:25: expected ')' to close the list opened at line 2, column 1"},
      {kHead + "(general (thickness 1.6))))", "2:27: expected the end of the file after the board's closing ')'"},
      {"(kicad_pcb (version 4) (host pcbnew 4.0.7))",
       "1:21: expected a board of KiCad 5.1 or later (version 20171130 or higher), found version 4"},
      {"(kicad_pcb (general (thickness 1.6)))", "1:1: expected (version ...) in the board"},
      {kHead + "(via (at x 10)))", "2:10: expected a number, found \"x\""},
      {kHead + "(via (at 1 nan)))", "2:12: expected a number, found \"nan\""},
      {kHead + "(via (at 1e308 0)))", "2:10: expected a number from -100000 to 100000, found \"1e308\""},
      {kHead + "(via (at 1)))", "2:6: expected an x and a y coordinate in (at ...)"},
      {kHead + "(via (size -1)))", "2:12: expected a size of at least 0, found \"-1\""},
      {kHead + "(zone (filled_polygon (pts (xy 1 2) (xy 3 four)))))", "2:43: expected a coordinate from -100000 to 100000, found \"four\""},
      {kHead + "(gr_text \"unterminated", "2:10: expected '\"' to end the string that starts here"},
      {kHead + "(footprint \"x\" (pad \"1\" smd hexagon (at 0 0))))", "2:29: expected a pad shape (circle, rect, oval, trapezoid, roundrect or custom), found \"hexagon\""},
      {kHead + "(segment (net 7)))", "2:15: expected a net that the board declares, found net \"7\""},
      {kHead + std::string(100000, '('), "2:100: expected at most 100 lists nested in one another"},
  };
  for (const auto& [text, message] : cases) {
    SCOPED_TRACE(message);
    ScratchDirectory scratch;
    WriteFile(scratch / "bad.kicad_pcb", text);
    const RunResult run = RunExport({"bad.kicad_pcb", "-o", "out"}, scratch.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "kelpie-export: error: bad.kicad_pcb:" + message + "\n");
    EXPECT_EQ(AllPaths(scratch.path()), std::vector<std::string>{"bad.kicad_pcb"});
  }
  // A file of a gigabyte is refused before it is read.
  ScratchDirectory scratch;
  WriteFile(scratch / "huge.kicad_pcb", kHead);
  fs::resize_file(scratch / "huge.kicad_pcb", std::uintmax_t{1} << 30);
  const RunResult run = RunExport({"huge.kicad_pcb", "-o", "out"}, scratch.path());
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "kelpie-export: error: huge.kicad_pcb:1:1: expected a design file or board of at most 256 MB, "
                     "found 1073741824 bytes or more\n");
}

TEST(KicadBadInput, AFootprintWithAHundredThousandPadsIsRead) {
  std::string text = kHead + "(footprint \"Big:Grid\" (layer \"F.Cu\") (at 0 0)\n";
  for (int i = 0; i < 100000; ++i)
    text += "(pad \"" + std::to_string(i + 1) + "\" smd rect (at " + std::to_string(i % 1000) + " " +
            std::to_string(i / 1000) + ") (size 0.5 0.5) (layers \"F.Cu\"))\n";
  text += "))\n";
  Design design;
  kicad::ImportReport report;
  std::string error;
  ASSERT_TRUE(kicad::ImportBoard(text, "big.kicad_pcb", "big", kicad::ParseLimits{}, design, report, error)) << error;
  const StepRecord& step = design.steps.at(0);
  EXPECT_EQ(step.pins.size(), 100000u);
  EXPECT_EQ(step.packages.at(0).pins.size(), 100000u);
  EXPECT_EQ(step.pinTypes.size(), 1u);
  EXPECT_EQ(report.pads, 100000);
}

// Names in older files may be Latin-1: bytes that are no UTF-8 are read as
// the Latin-1 characters they stand for, so that every name can be written
// to a design file and read back.
TEST(KicadBadInput, BytesThatAreNoUtf8AreReadAsLatin1) {
  const std::string text = kHead + "(net 0 \"\") (net 1 \"10\xB5" "A\") (net 2 \"\xC2\xB5\xE2\x82\") "
                                   "(segment (start 0 0) (end 1 0) (width 0.2) (layer \"F.Cu\") (net 1)))";
  Design design;
  kicad::ImportReport report;
  std::string error;
  ASSERT_TRUE(kicad::ImportBoard(text, "latin.kicad_pcb", "latin", kicad::ParseLimits{}, design, report, error)) << error;
  EXPECT_EQ(design.steps.at(0).nets, (std::vector<std::string>{"10\xC2\xB5" "A", "\xC2\xB5\xC3\xA2\xC2\x82"}));
  Design again;
  ASSERT_TRUE(ReadDesign(DesignText(design), "latin.json", again, error)) << error;
  EXPECT_EQ(again.steps.at(0).nets, design.steps.at(0).nets);
}

}  // namespace
}  // namespace kelpie::host::test
