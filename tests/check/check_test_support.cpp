#include "check_test_support.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "checks.h"
#include "design.h"
#include "read_job.h"
#include "job_store.h"
#include "recording_host.h"
#include "sample_board.h"

namespace kelpie::check::test {
namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Shown(const reader::Problems& problems) {
  std::vector<std::string> lines;
  for (const reader::Problem& problem : problems.list()) lines.push_back(reader::Show(problem));
  return lines;
}

// Writes with a fresh server and sink into the store.
void Write(const Describe& describe, bool odb, kelpie::test::JobStore& store) {
  kelpie::test::RecordingSink sink;
  IKELPIE* server = createkelpieserver(&sink, "kelpie_check_tests", kApiVersion);
  describe(*server);
  const bool written = odb ? server->WriteODB(&store) : server->WriteIDF(&store);
  deletekelpieserver(server);
  EXPECT_TRUE(written) << (sink.Errors().empty() ? "" : sink.Errors().front());
}

}  // namespace

void DescribeSampleBoard(IKELPIE& server) {
  host::Design design;
  std::string error;
  ASSERT_TRUE(host::ReadDesign(host::kSampleBoard, "sample board", design, error)) << error;
  ASSERT_TRUE(host::DescribeDesign(server, design, error)) << error;
}

OdbJob WriteOdb(const Describe& describe) {
  kelpie::test::JobStore store;
  Write(describe, true, store);
  return OdbJob{store.job, store.files};
}

IdfFiles WriteIdf(const Describe& describe) {
  kelpie::test::JobStore store;
  Write(describe, false, store);
  IdfFiles idf;
  for (const auto& [path, bytes] : store.files) (path.ends_with(".emn") ? idf.board : idf.library) = bytes;
  return idf;
}

std::vector<std::string> CheckOdb(const Files& files) {
  const auto source = reader::MakeMemorySource("job", "job", files);
  reader::Problems problems;
  const reader::Job job = reader::ReadJob(*source, problems);
  reader::CheckJob(*source, job, problems);
  return Shown(problems);
}

std::vector<std::string> CheckIdfFiles(const IdfFiles& files) {
  reader::Problems problems;
  const reader::IdfJob job = reader::ParseIdf(files.board, "job.emn", files.library, "job.emp", problems);
  reader::CheckIdf(job, problems);
  return Shown(problems);
}

std::vector<std::string> Golden(const std::string& name, const std::vector<std::string>& actual) {
  const std::string path = std::string(KELPIE_GOLDEN_DIR) + "/" + name;
  const char* update = std::getenv("KELPIE_UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") {
    std::string text;
    for (const std::string& line : actual) text += line + "\n";
    WriteFile(path, text);
  }
  std::vector<std::string> lines;
  std::istringstream text(ReadText(path));
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  return lines;
}

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
  const Scratch scratch;
  std::string command = "'" + program + "'";
  for (const std::string& argument : arguments) command += " '" + argument + "'";
  command += " >'" + (scratch / "out") + "' 2>'" + (scratch / "err") + "'";
  const int status = std::system(command.c_str());
  ProgramRun run;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = ReadText(scratch / "out");
  run.err = ReadText(scratch / "err");
  return run;
}

Scratch::Scratch() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kelpie-check-XXXXXX").string();
  const char* made = mkdtemp(pattern.data());
  path_ = made != nullptr ? made : "";
  EXPECT_FALSE(path_.empty());
}

Scratch::~Scratch() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace kelpie::check::test
