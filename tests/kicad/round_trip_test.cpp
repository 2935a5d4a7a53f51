// --write-design: a board turned into a design file exports exactly as the
// board itself does.
#include <gtest/gtest.h>

#include <filesystem>

#include "host_test_support.h"

namespace kelpie::host::test {
namespace {

namespace fs = std::filesystem;

// The files of an export, less what holds the time of writing: the summary
// files and the header line of the IDF files that carries the date.
Files Comparable(const std::string& directory) {
  Files files;
  for (auto [path, data] : TreeFiles(directory)) {
    if (fs::path(path).extension() == ".sum") continue;
    if (path.ends_with(".emn") || path.ends_with(".emp")) {
      const size_t second = data.find('\n') + 1;
      data.erase(second, data.find('\n', second) - second);
    }
    files[path] = data;
  }
  return files;
}

TEST(KicadRoundTrip, TheWrittenDesignExportsLikeTheBoard) {
  const std::string board = std::string(KELPIE_KICAD_DEMOS) + "/stickhub/StickHub.kicad_pcb";
  if (!fs::exists(board)) GTEST_SKIP() << board << " is missing: scripts/install-deps installs kicad-demos";
  ScratchDirectory scratch;
  const RunResult direct = RunExport({board, "--idf", "--odb", "-q", "-o", "board"}, scratch.path());
  ASSERT_EQ(direct.status, 0) << direct.err;
  const RunResult written = RunExport({board, "--write-design", "design.json"}, scratch.path());
  ASSERT_EQ(written.status, 0) << written.err;
  EXPECT_TRUE(written.err.starts_with("warning: ")) << written.err;
  EXPECT_NE(written.err.find("\nRead " + board + ": a KiCad 6 board"), std::string::npos) << written.err;
  EXPECT_FALSE(fs::exists(scratch / "StickHub.emn"));  // --write-design alone exports nothing
  const RunResult again = RunExport({"design.json", "--idf", "--odb", "-q", "-o", "design"}, scratch.path());
  ASSERT_EQ(again.status, 0) << again.err;
  const Files fromBoard = Comparable(scratch / "board");
  EXPECT_GT(fromBoard.size(), 40u);
  EXPECT_TRUE(Comparable(scratch / "design") == fromBoard);
}

}  // namespace
}  // namespace kelpie::host::test
