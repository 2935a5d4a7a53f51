// Every case folder here holds the arguments of one kelpie-export run
// ("arguments", one per line; a file of the folder, such as a design, is
// named by its name alone), the files that run must write ("output/"), the
// messages it must print ("messages") and its warnings and errors ("errors",
// absent when there are none). The run uses the real plug-in and a fixed
// SOURCE_DATE_EPOCH, so that the dates in the summary files and the IDF
// headers are fixed too.
//
// With KELPIE_UPDATE_GOLDEN=1 the runs write the case folders instead
// (scripts/update-golden does that).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace kelpie::golden {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;  // relative path -> bytes

// 2026-12-04 18:05:09 UTC: day, month and time fields that cannot be mixed up.
constexpr const char* kSourceDateEpoch = "1796407509";

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

Files TreeFiles(const fs::path& root) {
  Files files;
  if (!fs::exists(root)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file())
      files[fs::relative(entry.path(), root).generic_string()] = ReadFile(entry.path());
  }
  return files;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Where two texts first differ, by line.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
  const std::vector<std::string> a = Lines(expected);
  const std::vector<std::string> b = Lines(actual);
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  std::ostringstream out;
  out << "line " << i + 1 << ": expected \"" << (i < a.size() ? a[i] : "<end>") << "\", got \""
      << (i < b.size() ? b[i] : "<end>") << "\"";
  if (i >= a.size() && i >= b.size()) out << " (the line endings differ)";
  return out.str();
}

// A fresh directory, removed with its contents at the end of the scope.
struct Scratch {
  Scratch() {
    std::string pattern = (fs::temp_directory_path() / "kelpie-golden-XXXXXX").string();
    path = mkdtemp(pattern.data());
  }
  ~Scratch() { fs::remove_all(path); }
  fs::path path;
};

struct ExportRun {
  int status = -1;
  Files files;
  std::string messages;  // standard output, less the host's closing summary
  std::string errors;    // standard error
};

ExportRun Export(const fs::path& caseDirectory, const fs::path& scratch) {
  std::string command =
      std::string("'") + KELPIE_EXPORT_PROGRAM + "' -o '" + (scratch / "out").string() + "'";
  for (const std::string& argument : Lines(ReadFile(caseDirectory / "arguments"))) {
    const fs::path file = caseDirectory / argument;
    command += " '" + (fs::is_regular_file(file) ? file.string() : argument) + "'";
  }
  command += " >'" + (scratch / "stdout").string() + "' 2>'" + (scratch / "stderr").string() + "'";
  setenv("SOURCE_DATE_EPOCH", kSourceDateEpoch, 1);
  setenv("KELPIE_LIBRARY", KELPIE_LIBRARY_FILE, 1);
  ExportRun run;
  const int status = std::system(command.c_str());
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.files = TreeFiles(scratch / "out");
  // "Wrote <paths> (<count> files, <size>, <seconds> s)" names the scratch
  // directory and the time taken.
  for (const std::string& line : Lines(ReadFile(scratch / "stdout"))) {
    if (line.rfind("Wrote ", 0) != 0) run.messages += line + "\n";
  }
  run.errors = ReadFile(scratch / "stderr");
  return run;
}

std::vector<fs::path> Cases() {
  std::vector<fs::path> cases;
  for (const auto& entry : fs::directory_iterator(KELPIE_GOLDEN_DIR)) {
    if (fs::exists(entry.path() / "arguments")) cases.push_back(entry.path());
  }
  std::sort(cases.begin(), cases.end());
  return cases;
}

TEST(Golden, EveryFileAndMessageAsCheckedIn) {
  const std::vector<fs::path> cases = Cases();
  ASSERT_GE(cases.size(), 4u);
  const char* update = std::getenv("KELPIE_UPDATE_GOLDEN");
  for (const fs::path& caseDirectory : cases) {
    SCOPED_TRACE(caseDirectory.filename().string());
    Scratch scratch;
    const ExportRun run = Export(caseDirectory, scratch.path);
    EXPECT_EQ(run.status, 0) << run.errors;
    if (update != nullptr && std::string(update) == "1") {
      fs::remove_all(caseDirectory / "output");
      for (const auto& [path, bytes] : run.files) WriteFile(caseDirectory / "output" / path, bytes);
      WriteFile(caseDirectory / "messages", run.messages);
      fs::remove(caseDirectory / "errors");
      if (!run.errors.empty()) WriteFile(caseDirectory / "errors", run.errors);
      continue;
    }
    const Files expected = TreeFiles(caseDirectory / "output");
    ASSERT_FALSE(expected.empty());
    for (const auto& [path, bytes] : expected) {
      const auto written = run.files.find(path);
      if (written == run.files.end()) {
        ADD_FAILURE() << "not written: " << path;
      } else if (written->second != bytes) {
        ADD_FAILURE() << path << " differs at " << FirstDifference(bytes, written->second);
      }
    }
    for (const auto& [path, bytes] : run.files) {
      EXPECT_TRUE(expected.count(path) != 0) << "written but not expected: " << path;
    }
    const std::string messages = ReadFile(caseDirectory / "messages");
    EXPECT_TRUE(run.messages == messages)
        << "messages differ at " << FirstDifference(messages, run.messages);
    const std::string errors = ReadFile(caseDirectory / "errors");
    EXPECT_TRUE(run.errors == errors) << "errors differ at " << FirstDifference(errors, run.errors);
  }
}

}  // namespace
}  // namespace kelpie::golden
