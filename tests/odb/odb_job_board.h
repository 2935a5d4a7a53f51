// A board described through the public interface and exported as an ODB++
// job into a recording store.
#ifndef KELPIE_TESTS_ODB_JOB_BOARD_H
#define KELPIE_TESTS_ODB_JOB_BOARD_H

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "model/records.h"
#include "recording_host.h"

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

// Job "board"; with `stack` the layers ctop, top, bottom, cbot (rows 1, 2,
// 4, 5) and the step "pcb", a 4 x 3 rectangle.
struct JobBoard {
  explicit JobBoard(bool stack = false) : host(f.server) {
    host->SetJobName("board");
    host->SetBoardThickness(0.062);
    if (!stack) return;
    ctop = host->AddLayer("ctop", 1, kLayerComponentTop, kPolarityPositive, kContextBoard);
    top = host->AddLayer("top", 2, kLayerSignal, kPolarityPositive, kContextBoard);
    bottom = host->AddLayer("bottom", 4, kLayerSignal, kPolarityPositive, kContextBoard);
    cbot = host->AddLayer("cbot", 5, kLayerComponentBottom, kPolarityPositive, kContextBoard);
    const double xs[] = {0, 4, 4, 0}, ys[] = {0, 0, 3, 3};
    step = host->AddStep("pcb", xs, ys, 4);
  }
  bool Export() { return host->WriteODB(&store); }
  // The lines of a file after its header line (which must be there).
  Lines Body(const std::string& path) const {
    const Lines lines = store.Lines(path);
    EXPECT_TRUE(!lines.empty() && lines.front() == kHeaderLine) << path;
    return lines.empty() ? lines : Lines(lines.begin() + 1, lines.end());
  }

  RecordingStore store;  // outlives the server
  ServerFixture f;
  IKELPIE* host;
  Step* step = nullptr;
  Layer *ctop = nullptr, *top = nullptr, *bottom = nullptr, *cbot = nullptr;
};

// A failing job on the stacked board that setUp completes: its errors before
// "Write job '...' failed", the last file opened, the last lines of the last
// file that is not a summary.
inline void ExpectFailure(const std::function<void(JobBoard&)>& setUp, const Lines& errors,
                          const std::string& lastOpened, const Lines& tail) {
  SCOPED_TRACE(errors.front());
  JobBoard b(true);
  setUp(b);
  b.f.sink.Clear();
  EXPECT_FALSE(b.Export());
  EXPECT_EQ(b.f.sink.Errors(),
            Join({errors, {"Write job '" + std::string(b.host->GetOdbJobName()) + "' failed"}}));
  EXPECT_EQ(b.store.opened.empty() ? "" : b.store.opened.back(), lastOpened);
  Lines last;
  for (const std::string& path : b.store.opened)
    if (path.find("\\.") == std::string::npos) last = b.store.Lines(path);
  ASSERT_GE(last.size(), tail.size());
  EXPECT_EQ(Lines(last.end() - static_cast<long>(tail.size()), last.end()), tail);
}

}  // namespace
}  // namespace kelpie::test

#endif
