// Several exports on one server, and NaN or infinities from a hostile host.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "recording_host.h"
#include "sample_boards.h"

namespace kelpie::test {
namespace {

std::vector<std::string> Differences(const RecordingStore& a, const RecordingStore& b) {
  EXPECT_EQ(a.opened, b.opened);
  std::vector<std::string> paths;
  for (const auto& [path, text] : a.files)  // summaries carry the clock
    if (path.find("\\.") == std::string::npos && (!b.Has(path) || b.files.at(path) != text))
      paths.push_back(path);
  return paths;
}

std::vector<std::string> AddedLines(const std::string& before, const std::string& after) {
  std::multiset<std::string> old;
  std::istringstream in(before), out(after);
  for (std::string line; std::getline(in, line);) old.insert(line);
  std::vector<std::string> added;
  for (std::string line; std::getline(out, line);)
    if (auto it = old.find(line); it != old.end())
      old.erase(it);
    else
      added.push_back(line);
  return added;
}

const std::string kEda = "demoboardrev.a\\steps\\pcb\\eda\\data";

// What an earlier run left in the model shows only where that change belongs.
TEST(Rerun, OdbTwiceAddsOnlyAnEmptyNoneNet) {
  ServerFixture f;
  samples::BuildDemoBoard(*f.server);
  RecordingStore first, second;
  ASSERT_TRUE(f.server->WriteODB(&first));
  ASSERT_TRUE(f.server->WriteODB(&second));
  // The first run gave the pins without a net its "$NONE$" net: the second's is empty.
  for (const std::string& path : Differences(first, second)) {
    EXPECT_TRUE(path == kEda || path == "demoboardrev.a\\steps\\pcb\\netlists\\cadnet\\netlist")
        << path;
    for (const std::string& line : AddedLines(first.files[path], second.files[path]))
      EXPECT_NE(line.find("$NONE$"), std::string::npos) << path << ": " << line;
  }
  EXPECT_EQ(AddedLines(first.files[kEda], second.files[kEda]).size(), 1u);
}

// Only the EDA data may show the outlines IDF gave package types without one.
TEST(Rerun, OdbAfterIdfMatchesAFreshServer) {
  RecordingStore idf, odb, alone;
  {
    ServerFixture f;
    samples::BuildDemoBoard(*f.server);
    ASSERT_TRUE(f.server->WriteIDF(&idf));
    ASSERT_TRUE(f.server->WriteODB(&odb));
  }
  ServerFixture fresh;
  samples::BuildDemoBoard(*fresh.server);
  ASSERT_TRUE(fresh.server->WriteODB(&alone));
  for (const std::string& path : Differences(alone, odb)) EXPECT_EQ(path, kEda);
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

bool AnyLine(const std::vector<std::string>& lines, const std::string& part, bool start = true) {
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
    return start ? line.rfind(part, 0) == 0 : line.find(part) != std::string::npos;
  });
}

// They print as "nan", "inf" and "-inf", and no outline loops on them.
TEST(NonFinite, ExportsPrintThem) {
  ServerFixture f;
  samples::BuildNonFiniteBoard(*f.server);
  EXPECT_TRUE(f.sink.Has(Message::kInfo, "Board thickness: inf"));
  ASSERT_TRUE(f.server->WriteIDF(&f.store));
  const auto board = f.store.Lines("NonFinite.emn");
  ASSERT_GT(board.size(), 6u);
  EXPECT_EQ(board[5], "inf\r");                                    // thickness
  EXPECT_TRUE(AnyLine(board, "nan "));                             // NaN drill
  EXPECT_TRUE(AnyLine(board, "50.8 38.1 0.0 -inf TOP PLACED\r"));  // U1's rotation
  EXPECT_TRUE(AnyLine(board, "38.1 nan 0.0 90 TOP PLACED\r"));     // R2's y

  f.sink.Clear();
  const bool written = f.server->WriteODB(&f.store);
  ASSERT_FALSE(f.sink.messages.empty());
  EXPECT_EQ(f.sink.messages.back().text,
            written ? "Write job 'nonfinite' complete" : "Write job 'nonfinite' failed");
  EXPECT_FALSE(f.sink.HasError("Unexpected error in WriteODB"));
  EXPECT_TRUE(
      AnyLine(f.store.Lines("nonfinite\\steps\\pcb\\layers\\top\\features"), " nan ", false));
  // The turn sums of these outlines cannot spin.
  const double xs[] = {0, kInf, -kInf, kNaN, 1e308, -1e308},
               ys[] = {kNaN, 0, kInf, 1, -1e308, 1e308};
  EXPECT_NE(f.server->AddStep("s", xs, ys, 6), nullptr);
  EXPECT_NE(f.server->AddPolygonPadShape("p", ys, xs, 6), nullptr);
}

}  // namespace
}  // namespace kelpie::test
