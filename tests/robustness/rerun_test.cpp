// Several exports on one server: each run writes a complete job again, and
// what an earlier run left in the model (legal names, "$NONE$" nets, package
// outlines) changes the later output only where that model change shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "recording_host.h"
#include "sample_boards.h"

namespace kelpie::test {
namespace {

using Files = std::map<std::string, std::string>;

bool IsSummary(const std::string& path) { return path.find("\\.") != std::string::npos; }

// The summaries carry the clock; everything else of a rerun is comparable.
Files WithoutSummaries(const Files& files) {
  Files kept;
  for (const auto& [path, text] : files)
    if (!IsSummary(path)) kept[path] = text;
  return kept;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Paths whose text differs between two trees (both must hold the same paths).
std::vector<std::string> Differences(const Files& a, const Files& b) {
  std::vector<std::string> paths;
  EXPECT_EQ(a.size(), b.size());
  for (const auto& [path, text] : a) {
    auto other = b.find(path);
    if (other == b.end()) {
      ADD_FAILURE() << "missing " << path;
    } else if (other->second != text) {
      paths.push_back(path);
    }
  }
  return paths;
}

// Lines of `after` that are not in `before` (as a multiset).
std::vector<std::string> AddedLines(const std::string& before, const std::string& after) {
  std::vector<std::string> old = SplitLines(before), now = SplitLines(after), added;
  std::sort(old.begin(), old.end());
  std::sort(now.begin(), now.end());
  std::set_difference(now.begin(), now.end(), old.begin(), old.end(), std::back_inserter(added));
  return added;
}

TEST(Rerun, OdbTwiceWritesTheSameTreeWithOneMoreNoneNet) {
  ServerFixture f;
  samples::BuildDemoBoard(*f.server);
  RecordingStore first, second;
  ASSERT_TRUE(f.server->WriteODB(&first));
  ASSERT_TRUE(f.server->WriteODB(&second));
  EXPECT_EQ(first.opened, second.opened);
  EXPECT_TRUE(f.sink.Has(Message::kInfo, "Write job 'demoboardrev.a' complete"));

  const Files a = WithoutSummaries(first.files), b = WithoutSummaries(second.files);
  const std::string eda = "demoboardrev.a\\steps\\pcb\\eda\\data";
  const std::string netlist = "demoboardrev.a\\steps\\pcb\\netlists\\cadnet\\netlist";
  for (const std::string& path : Differences(a, b)) {
    // Only the files that list every net may change: the second run's new
    // "$NONE$" net has no pins, since the first run gave them its own.
    EXPECT_TRUE(path == eda || path == netlist) << path;
    for (const std::string& line : AddedLines(a.at(path), b.at(path)))
      EXPECT_NE(line.find("$NONE$"), std::string::npos) << path << ": " << line;
  }
  // The second "$NONE$" net is there.
  EXPECT_EQ(AddedLines(a.at(eda), b.at(eda)).size(), 1u);
}

TEST(Rerun, IdfTwiceAndOdbAfterIdfAreUnharmed) {
  ServerFixture f;
  samples::BuildDemoBoard(*f.server);
  RecordingStore idf1, idf2, odb;
  ASSERT_TRUE(f.server->WriteIDF(&idf1));
  ASSERT_TRUE(f.server->WriteIDF(&idf2));
  ASSERT_TRUE(f.server->WriteODB(&odb));

  // IDF twice: identical but for the date stamp in each header.
  ASSERT_EQ(idf1.opened, idf2.opened);
  for (const std::string& path : idf1.opened) {
    std::vector<std::string> a = SplitLines(idf1.files[path]), b = SplitLines(idf2.files[path]);
    ASSERT_EQ(a.size(), b.size()) << path;
    ASSERT_GE(a.size(), 2u);
    a[1] = b[1] = "";  // the header line with the date stamp
    EXPECT_EQ(a, b) << path;
  }

  // ODB++ after IDF against ODB++ on a fresh server: the names agree, and
  // the only model change that shows is the rectangular outline that the IDF
  // library file gave each package type without one (EDA data only).
  ServerFixture fresh;
  samples::BuildDemoBoard(*fresh.server);
  RecordingStore alone;
  ASSERT_TRUE(fresh.server->WriteODB(&alone));
  EXPECT_EQ(odb.opened, alone.opened);
  const Files a = WithoutSummaries(alone.files), b = WithoutSummaries(odb.files);
  for (const std::string& path : Differences(a, b))
    EXPECT_EQ(path, "demoboardrev.a\\steps\\pcb\\eda\\data");
}

TEST(Rerun, IdfAfterOdbDiffersOnlyInTheCaseOfNames) {
  ServerFixture f;
  samples::BuildDemoBoard(*f.server);
  RecordingStore odb, idf;
  ASSERT_TRUE(f.server->WriteODB(&odb));
  ASSERT_TRUE(f.server->WriteIDF(&idf));

  ServerFixture fresh;
  samples::BuildDemoBoard(*fresh.server);
  RecordingStore alone;
  ASSERT_TRUE(fresh.server->WriteIDF(&alone));

  // The ODB++ run lower-cased the job and package names that IDF then
  // writes; the "$NONE$" nets, stroked lines and pin nets it left behind
  // must not show.
  ASSERT_EQ(idf.opened.size(), alone.opened.size());
  for (std::size_t i = 0; i < idf.opened.size(); ++i) {
    EXPECT_EQ(idf.opened[i], Lower(alone.opened[i]));
    std::vector<std::string> a = SplitLines(alone.files[alone.opened[i]]);
    std::vector<std::string> b = SplitLines(idf.files[idf.opened[i]]);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t line = 0; line < a.size(); ++line) {
      if (line == 1) continue;  // date stamp
      EXPECT_EQ(Lower(a[line]), Lower(b[line])) << idf.opened[i] << " line " << line + 1;
    }
  }
}

}  // namespace
}  // namespace kelpie::test
