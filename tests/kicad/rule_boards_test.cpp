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
#include "kicad/kicad_import.h"

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

}  // namespace
}  // namespace kelpie::host::test
