// A board described through the public interface and exported as an ODB++
// job into the recording store, with the checks that every file kind needs.
#ifndef KELPIE_TESTS_ODB_JOB_BOARD_H
#define KELPIE_TESTS_ODB_JOB_BOARD_H

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "recording_host.h"

namespace kelpie::test {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kHeaderLine = "# KELPIE converter version 211";

struct JobBoard {
  JobBoard() : host(f.server) {
    host->SetJobName("board");
    host->SetBoardThickness(0.062);
  }

  // The usual stack, in this order: component top (row 1), "top" (row 2),
  // "bottom" (row 3), component bottom (row 4).
  void AddStack() {
    ctop = host->AddLayer("ctop", 1, kLayerComponentTop, kPolarityPositive, kContextBoard);
    top = host->AddLayer("top", 2, kLayerSignal, kPolarityPositive, kContextBoard);
    bottom = host->AddLayer("bottom", 3, kLayerSignal, kPolarityPositive, kContextBoard);
    cbot = host->AddLayer("cbot", 4, kLayerComponentBottom, kPolarityPositive, kContextBoard);
  }

  // A step with a 4 x 3 rectangular outline; it becomes the current step.
  Step* AddStep(const char* name) {
    const double xs[] = {0, 4, 4, 0};
    const double ys[] = {0, 0, 3, 3};
    return host->AddStep(name, xs, ys, 4);
  }

  bool Export() { return host->WriteODB(&f.store); }

  // The lines of a file after its header line (which must be there).
  Lines Body(const std::string& path) const {
    Lines lines = f.store.Lines(path);
    EXPECT_FALSE(lines.empty()) << path << " was not written";
    if (lines.empty()) return lines;
    EXPECT_EQ(lines.front(), kHeaderLine) << path;
    lines.erase(lines.begin());
    return lines;
  }

  std::vector<std::string> Opened() const { return f.store.opened; }
  bool Has(const std::string& path) const { return f.store.Has(path); }

  ServerFixture f;
  IKELPIE* host;
  Layer* ctop = nullptr;
  Layer* top = nullptr;
  Layer* bottom = nullptr;
  Layer* cbot = nullptr;
};

// A store that throws from the second Write to a given file, the first line
// after its header line.
class ThrowingStore : public RecordingStore {
 public:
  explicit ThrowingStore(std::string target) : target_(std::move(target)) {}
  FileHandle Open(const char* path) override {
    FileHandle handle = RecordingStore::Open(path);
    if (target_ == path) armed_ = handle;
    return handle;
  }
  bool Write(FileHandle handle, const char* text) override {
    if (handle != 0 && handle == armed_ && ++writes_ == 2) throw std::runtime_error("disk full");
    return RecordingStore::Write(handle, text);
  }

 private:
  std::string target_;
  FileHandle armed_ = -1;
  int writes_ = 0;
};

// The summary path of directory\file: directory\.file.sum.
inline std::string SummaryPath(const std::string& path) {
  const size_t slash = path.rfind('\\');
  return path.substr(0, slash + 1) + "." + path.substr(slash + 1) + ".sum";
}

// SIZE and SUM of a summary file against the bytes its file really holds.
inline void ExpectSummaryMatchesFile(const RecordingStore& store, const std::string& path) {
  ASSERT_TRUE(store.Has(path)) << path;
  const std::string& bytes = store.files.at(path);
  std::uint32_t sum = 0;
  for (const char c : bytes) sum += static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(c)));
  const Lines summary = store.Lines(SummaryPath(path));
  ASSERT_EQ(summary.size(), 6u) << SummaryPath(path);
  EXPECT_EQ(summary[0], "SIZE=" + std::to_string(bytes.size())) << path;
  EXPECT_EQ(summary[1], "SUM=" + std::to_string(static_cast<std::int32_t>(sum))) << path;
  EXPECT_EQ(summary[4], "VERSION=123");
  EXPECT_EQ(summary[5], "USER=USER");
}

}  // namespace
}  // namespace kelpie::test

#endif
