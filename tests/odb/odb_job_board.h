// A board described through the public interface, exported as an ODB++ job
// into a recording store or handed to one writer on its own.
#ifndef KELPIE_TESTS_ODB_JOB_BOARD_H
#define KELPIE_TESTS_ODB_JOB_BOARD_H

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "odb/odb_writers.h"
#include "recording_host.h"
#include "server/host_services.h"
#include "server/server.h"

namespace kelpie::test {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kHeaderLine = "# KELPIE converter version 211";
constexpr double kSquareX[] = {0, 0.1, 0.1, 0};  // a 0.1 square, counter-clockwise
constexpr double kSquareY[] = {0, 0, 0.1, 0.1};

inline Lines Join(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Throws at the Write of one given line, as a host's store might.
struct ThrowingStore : RecordingStore {
  bool Write(FileHandle handle, const char* text) override {
    if (throwAt == text) throw std::runtime_error("disk full");
    return RecordingStore::Write(handle, text);
  }
  std::string throwAt;
};

// Job "board"; with `stack` the layers ctop, top, inner (when asked),
// bottom, cbot (rows 1 to 5) and the step "pcb", a 4 x 3 rectangle.
struct JobBoard {
  explicit JobBoard(bool stack = false, bool withInner = false) : host(f.server) {
    host->SetJobName("board");
    host->SetBoardThickness(0.062);
    if (!stack) return;
    ctop = host->AddLayer("ctop", 1, kLayerComponentTop, kPolarityPositive, kContextBoard);
    top = host->AddLayer("top", 2, kLayerSignal, kPolarityPositive, kContextBoard);
    if (withInner) inner = host->AddLayer("inner", 3, kLayerSignal, kPolarityPositive, kContextBoard);
    bottom = host->AddLayer("bottom", 4, kLayerSignal, kPolarityPositive, kContextBoard);
    cbot = host->AddLayer("cbot", 5, kLayerComponentBottom, kPolarityPositive, kContextBoard);
    const double xs[] = {0, 4, 4, 0}, ys[] = {0, 0, 3, 3};
    step = host->AddStep("pcb", xs, ys, 4);
  }
  bool Export() { return host->WriteODB(&store); }
  // What the job sets up before its writers run, for a writer called alone.
  void WriteAlone() {
    fileStore = &store;
    static_cast<KELPIE*>(host)->writeHeaderLine = true;
  }
  // The lines of a file after its header line (which must be there).
  Lines Body(const std::string& path) const {
    const Lines lines = store.Lines(path);
    EXPECT_TRUE(!lines.empty() && lines.front() == kHeaderLine) << path;
    return lines.empty() ? lines : Lines(lines.begin() + 1, lines.end());
  }

  ThrowingStore store;  // outlives the server
  ServerFixture f;
  IKELPIE* host;
  Step* step = nullptr;
  Layer *ctop = nullptr, *top = nullptr, *inner = nullptr, *bottom = nullptr, *cbot = nullptr;
};

// A failing job on the stacked board: its errors before "Write job '...'
// failed", the last file opened and the last lines of the last non-summary.
struct Failure {
  std::function<void(JobBoard&)> setUp;
  Lines errors;
  std::string lastOpened;
  Lines tail;
};

inline void ExpectFailures(const std::vector<Failure>& failures) {
  for (const Failure& c : failures) {
    SCOPED_TRACE(c.errors.front());
    JobBoard b(true);
    c.setUp(b);
    b.f.sink.Clear();
    EXPECT_FALSE(b.Export());
    EXPECT_EQ(b.f.sink.Errors(), Join({c.errors, {"Write job '" + std::string(b.host->GetOdbJobName()) + "' failed"}}));
    EXPECT_EQ(b.store.opened.empty() ? "" : b.store.opened.back(), c.lastOpened);
    Lines last;
    for (const std::string& path : b.store.opened) last = path.find("\\.") == std::string::npos ? b.store.Lines(path) : last;
    ASSERT_GE(last.size(), c.tail.size());
    EXPECT_EQ(Lines(last.end() - static_cast<long>(c.tail.size()), last.end()), c.tail);
  }
}

}  // namespace
}  // namespace kelpie::test

#endif
