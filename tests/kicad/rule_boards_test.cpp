// Hand-written boards, one for each group of mapping rules
// (docs/kicad-import.md), each imported and compared with its exact expected
// design file and summary under expected/. KELPIE_UPDATE_EXPECTED=1 rewrites
// the expected files from the importer, for review before committing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "design.h"
#include "host_test_support.h"
#include "kicad/board.h"
#include "kicad/kicad_import.h"
#include "kicad/stroke_font.h"

namespace kelpie::host::test {
namespace {

namespace fs = std::filesystem;

const std::string kBoards = std::string(KELPIE_KICAD_TEST_DIR) + "/boards/";
const std::string kExpected = std::string(KELPIE_KICAD_TEST_DIR) + "/expected/";

struct Imported {
  Design design;
  std::string summary;  // the summary and warning lines
};

Imported Import(const std::string& name) {
  const std::string path = kBoards + name + ".kicad_pcb";
  Imported imported;
  kicad::ImportReport report;
  std::string error;
  EXPECT_TRUE(kicad::ImportBoard(ReadFile(path), name + ".kicad_pcb", name, kicad::ParseLimits{}, imported.design,
                                 report, error))
      << error;
  std::vector<std::string> lines = kicad::SummaryLines(report, name + ".kicad_pcb");
  lines.erase(lines.begin());  // the first line holds the time taken
  for (const std::string& line : lines) imported.summary += line + "\n";
  for (const std::string& warning : report.warnings) imported.summary += "warning: " + warning + "\n";
  return imported;
}

void ExpectFile(const std::string& path, const std::string& actual) {
  if (std::getenv("KELPIE_UPDATE_EXPECTED") != nullptr) WriteFile(path, actual);
  EXPECT_EQ(actual, ReadFile(path)) << "differs from " << path;
}

class RuleBoard : public testing::TestWithParam<std::string> {};

TEST_P(RuleBoard, GivesItsExpectedDesignAndSummary) {
  const Imported imported = Import(GetParam());
  ExpectFile(kExpected + GetParam() + ".json", DesignText(imported.design));
  ExpectFile(kExpected + GetParam() + ".txt", imported.summary);
}

INSTANTIATE_TEST_SUITE_P(Rules, RuleBoard, testing::Values("placement", "pads", "tracks_vias", "zones_outline", "graphics", "kicad5"));

// Where two designs first differ ("" when they agree): the job names aside,
// with numbers allowed to differ by 1e-6 inch (25 nm), for an arc given by
// its centre and sweep (KiCad 5) or by three points rounded to 1 nm (later).
std::string FirstDifference(Design a, Design b) {
  a.jobName = b.jobName = "board";
  std::function<std::string(const nlohmann::json&, const nlohmann::json&, const std::string&)> compare =
      [&](const nlohmann::json& x, const nlohmann::json& y, const std::string& path) -> std::string {
    if (x.is_number() && y.is_number())
      return std::fabs(x.get<double>() - y.get<double>()) <= 1e-6 ? "" : path + ": " + x.dump() + " and " + y.dump();
    if (x.type() != y.type() || x.size() != y.size() || !x.is_structured())
      return x == y ? "" : path + ": " + x.dump().substr(0, 80) + " and " + y.dump().substr(0, 80);
    for (auto it = x.begin(); it != x.end(); ++it) {
      const std::string key = x.is_object() ? it.key() : std::to_string(it - x.begin());
      const nlohmann::json& other = x.is_object() ? y.value(key, nlohmann::json()) : y[it - x.begin()];
      const std::string difference = compare(*it, other, path + "/" + key);
      if (!difference.empty()) return difference;
    }
    return "";
  };
  return compare(nlohmann::json::parse(DesignText(a)), nlohmann::json::parse(DesignText(b)), "");
}

TEST(KicadVersions, OneBoardAsKicad5AndKicad9AndNewerWriteItGivesOneDesign) {
  const Imported kicad5 = Import("kicad5");
  const Imported kicad9 = Import("kicad9");
  const Imported newer = Import("newer");
  EXPECT_EQ(FirstDifference(kicad9.design, kicad5.design), "");
  EXPECT_EQ(FirstDifference(newer.design, kicad5.design), "");
  EXPECT_EQ(kicad9.summary, kicad5.summary);
  EXPECT_NE(newer.summary.find("warning: the file version 20260301 is newer than the versions known"), std::string::npos)
      << newer.summary;
  EXPECT_NE(newer.summary.find("1 item \"teardrop_settings\" (not known to this reader)"), std::string::npos)
      << newer.summary;
}

// A text is drawn by the stroke font at its place: the board's texts and the
// footprint's (turned to stay readable unless unlocked, ${...} filled in),
// each stroke a line of the text's thickness; hidden texts and texts on
// layers that are not exported are left out. The expected lines come from
// the font itself, so that the rules are checked whatever it draws.
TEST(KicadTexts, AreStrokedAtTheirPlaceWithTheirStyle) {
  struct Expected {
    std::string text;
    std::string layer;
    kicad::Vec at;  // board, KiCad's axes
    kicad::TextStyle style;
    double pen;
  };
  auto style = [](double height, double width, double angle, kicad::HorizontalJustify horizontal,
                  kicad::VerticalJustify vertical, bool mirrored, bool italic) {
    kicad::TextStyle s;
    s.height = height;
    s.width = width;
    s.angleDegrees = angle;
    s.horizontal = horizontal;
    s.vertical = vertical;
    s.mirrored = mirrored;
    s.italic = italic;
    return s;
  };
  using H = kicad::HorizontalJustify;
  using V = kicad::VerticalJustify;
  // The footprint's texts come first, as footprints are mapped before the
  // board's own drawings and texts.
  // The footprint at (50, 20) turned by 150 degrees puts its point (1, -2) at
  // (50 - 1.8660, 20 + 1.2321) and (0, 0) on itself. The reference at 200
  // degrees stays readable at 20; the unlocked text keeps its 250.
  const std::vector<Expected> texts = {
      {"U7", "F.SilkS", {50 - 1.8660254037844388, 20 + 1.2320508075688772}, style(1, 1, 20, H::kCenter, V::kCenter, false, false), 0.15},
      {"U7-LM317", "F.SilkS", {50, 20}, style(1, 1, 250, H::kCenter, V::kCenter, false, false), 0.15},
      {"AB\nC", "F.SilkS", {10, 10}, style(1.5, 1, 90, H::kLeft, V::kBottom, false, false), 0.2},
      {"MIRROR", "B.SilkS", {20, 10}, style(1, 1, 0, H::kCenter, V::kCenter, true, true), 0.15},
      {"CU", "F.Cu", {30, 10}, style(2, 2, 0, H::kCenter, V::kCenter, false, false), 2.0 / 5},
  };
  const Imported imported = Import("texts");
  std::vector<FeatureRecord> lines;
  int drawn = 0;
  int undrawable = 0;
  int characters = 0;
  for (const Expected& text : texts) {
    const kicad::StrokedText stroked = kicad::StrokeText(text.text, text.style);
    drawn += stroked.undrawable == 0;
    undrawable += stroked.undrawable > 0;
    characters += stroked.undrawable;
    for (const kicad::Stroke& stroke : stroked.strokes) {
      for (size_t i = 1; i < stroke.size(); ++i) {
        FeatureRecord line;
        line.from = {(text.at.x + stroke[i - 1].x) / 25.4, -(text.at.y + stroke[i - 1].y) / 25.4};
        line.to = {(text.at.x + stroke[i].x) / 25.4, -(text.at.y + stroke[i].y) / 25.4};
        line.width = text.pen / 25.4;
        line.layer = text.layer == "F.SilkS" ? 1 : text.layer == "B.SilkS" ? 8 : 4;
        lines.push_back(line);
      }
    }
  }
  const std::vector<FeatureRecord>& features = imported.design.steps.at(0).features;
  ASSERT_EQ(features.size(), lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(features[i].kind, FeatureRecord::kLine) << i;
    EXPECT_EQ(features[i].layer, lines[i].layer) << i;
    EXPECT_NEAR(features[i].from.x, lines[i].from.x, 1e-9) << i;
    EXPECT_NEAR(features[i].from.y, lines[i].from.y, 1e-9) << i;
    EXPECT_NEAR(features[i].to.x, lines[i].to.x, 1e-9) << i;
    EXPECT_NEAR(features[i].to.y, lines[i].to.y, 1e-9) << i;
    EXPECT_DOUBLE_EQ(features[i].width, lines[i].width) << i;
  }
  std::string summary = "Exported 1 footprint on the top and 0 on the bottom; 0 pads, 0 vias, 0 holes; "
                        "0 track segments and 0 arcs; 0 zones (0 fills); 0 drawings, " +
                        std::to_string(drawn) + (drawn == 1 ? " text" : " texts") + "\nSkipped 1 hidden text; " +
                        "1 text on a layer that is not exported (fabrication, user and other layers)";
  if (undrawable > 0)
    summary += "; " + std::to_string(undrawable) + " texts that could not be drawn (" + std::to_string(characters) +
               " characters missing from the stroke font)";
  EXPECT_EQ(imported.summary, summary + "\nwarning: the board has no closed outline on Edge.Cuts; the profile is "
                                        "the box around the copper\n"
                                        "warning: 1 package without a \"Height\" property got the height of 1 mm\n");
}

}  // namespace
}  // namespace kelpie::host::test
