// kelpie-check and kelpie-export --check, run as programs on what the real
// kelpie-export writes: exit status, output format, bad usage.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "check_test_support.h"

namespace kelpie::check::test {
namespace {

const std::string kCheck = KELPIE_CHECK_PROGRAM;
const std::string kExport = KELPIE_EXPORT_PROGRAM;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The output's lines with the scratch directory shown as OUT.
std::vector<std::string> Lines(const std::string& text, const Scratch& scratch) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
    std::string line = text.substr(start, end - start);
    if (line.starts_with(scratch.path())) line.replace(0, scratch.path().size(), "OUT");
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// The sample board in every format and a generated board of 2,000
// components, written by kelpie-export and checked by it and by kelpie-check.
TEST(Programs, EveryFormatPassesTheChecks) {
  const Scratch scratch;
  const ProgramRun quiet = RunProgram(kExport, {"-o", scratch.path(), "--idf", "--odb", "--tgz", "--zip", "--check", "-q"});
  EXPECT_EQ(quiet.status, 0) << quiet.err;
  EXPECT_EQ(quiet.out, "");
  const ProgramRun generated = RunProgram(kExport, {"--generate", "2000", "-o", scratch.path(), "--idf", "--zip", "--check"});
  EXPECT_EQ(generated.status, 0) << generated.err;
  const std::vector<std::string> reports = Lines(generated.out, scratch);
  const auto passed = [](const std::string& line) {
    return line.starts_with("OUT/generated-2000.") && line.ends_with("; every check passed");
  };
  EXPECT_EQ(std::count_if(reports.begin(), reports.end(), passed), 2) << generated.out;
  const ProgramRun check = RunProgram(kCheck, {scratch / "kelpie-sample", scratch / "kelpie-sample.tgz",
                                        scratch / "kelpie-sample.zip", scratch / "kelpie-sample.emn"});
  EXPECT_EQ(check.status, 0);
  const std::vector<std::string> lines = Lines(check.out, scratch);
  EXPECT_EQ(lines, Golden("programs_sample.txt", lines));
}

// A fault in a job on disk: status 1 and one "path:line: message" line.
TEST(Programs, ProblemsGiveStatusOne) {
  const Scratch scratch;
  ASSERT_EQ(RunProgram(kExport, {"-o", scratch.path(), "--odb", "-q"}).status, 0);
  const std::string components = scratch / "kelpie-sample/steps/pcb/layers/comp_+_top/components";
  std::string bytes = ReadAll(components);
  bytes.replace(bytes.find("N 2 17 1"), 8, "N 99 17 1");
  WriteFile(components, bytes);
  const ProgramRun run = RunProgram(kCheck, {"-q", scratch / "kelpie-sample"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, components + ":3: net 99 of U1 is not in the EDA data (12 nets)\n");
  EXPECT_EQ(run.err, "");
}

// The golden jobs of deliberately unusual designs are written as the
// plug-in must write them, and a receiving station flags them: a layer of
// an unknown kind ("ERROR" in the matrix), a text layer whose only symbol
// has no name, a part whose package has pins but the part no toeprints, and
// in the two-step panel a net whose toeprint numbers refer to the other
// step. The checker finds exactly these problems, at these lines.
TEST(Programs, UnusualGoldenJobsShowExactlyTheirKnownProblems) {
  for (const std::string job : {"edge/output/edgeboardrev.b", "panel/output/panel"}) {
    SCOPED_TRACE(job);
    const std::string golden = std::string(KELPIE_GOLDEN_OUTPUTS_DIR) + "/";
    const ProgramRun run = RunProgram(kCheck, {"-q", golden + job});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "");
    std::vector<std::string> problems;
    std::istringstream out(run.out);
    for (std::string line; std::getline(out, line);) {
      for (size_t at = line.find(golden); at != std::string::npos; at = line.find(golden))
        line.erase(at, golden.size());
      problems.push_back(line);
    }
    const std::string name = "unusual_" + job.substr(0, job.find('/')) + ".txt";
    EXPECT_EQ(problems, Golden(name, problems));
  }
}

TEST(Programs, BadUsageAndUnreadableJobsGiveStatusTwo) {
  const Scratch scratch;
  ASSERT_EQ(RunProgram(kExport, {"-o", scratch.path(), "--idf", "--odb", "-q"}).status, 0);
  WriteFile(scratch / "lonely.emn", ReadAll(scratch / "kelpie-sample.emn"));
  const struct {
    std::vector<std::string> arguments;
    int status;
    std::string err;  // the start of standard error
  } cases[] = {
      {{}, 2, "kelpie-check: no job given\nTry 'kelpie-check --help'.\n"},
      {{"--bogus", scratch / "kelpie-sample"}, 2, "kelpie-check: unknown option --bogus\n"},
      {{"--render"}, 2, "kelpie-check: --render needs a directory\n"},
      {{"--render", scratch / "lonely.emn/pictures", scratch / "kelpie-sample"},
       2,
       "kelpie-check: cannot create " + scratch / "lonely.emn/pictures/kelpie-sample"},
      {{scratch / "nothing"}, 2, "kelpie-check: " + scratch / "nothing" + ": no such file or directory\n"},
      {{scratch / "lonely.emn"}, 2, "kelpie-check: " + scratch / "lonely.emp" + ": "},
      {{scratch / "kelpie-sample.emp"}, 2, "kelpie-check: " + scratch / "kelpie-sample.emp" + ": not a job directory"},
      {{"-q", scratch / "nothing", scratch / "kelpie-sample"}, 2, "kelpie-check: " + scratch / "nothing"},
      {{"--help"}, 0, ""},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(each.err);
    const ProgramRun run = RunProgram(kCheck, each.arguments);
    EXPECT_EQ(run.status, each.status);
    EXPECT_TRUE(run.err.starts_with(each.err)) << run.err;
  }
  EXPECT_TRUE(RunProgram(kCheck, {"--help"}).out.starts_with("usage: kelpie-check [--render DIR] [-q] JOB...\n"));
}

}  // namespace
}  // namespace kelpie::check::test
