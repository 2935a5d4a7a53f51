// What the benchmarks that write a job and read it back share (besides
// tests/support/job_store.h): a quiet sink and a clock of processor and
// wall time.
#ifndef KELPIE_BENCH_JOB_BENCH_H
#define KELPIE_BENCH_JOB_BENCH_H

#include <ctime>

#include <cstdio>

#include "kelpie/kelpie.h"

namespace kelpie::bench {

// Drops the progress messages, shows errors.
class QuietSink final : public MessageSink {
 public:
  void Info(const char*, ...) override {}
  void Error(const char* text, int) override { std::fprintf(stderr, "error: %s\n", text); }
  void Warning(const char*, int) override {}
};

// Processor time (which other programs on the machine disturb less) and
// wall time, in seconds.
struct Clock {
  double processor;
  double wall;
};

inline Clock Now() {
  timespec processor{};
  timespec wall{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &processor);
  clock_gettime(CLOCK_MONOTONIC, &wall);
  return {processor.tv_sec + processor.tv_nsec * 1e-9, wall.tv_sec + wall.tv_nsec * 1e-9};
}

inline Clock Since(const Clock& start) {
  const Clock now = Now();
  return {now.processor - start.processor, now.wall - start.wall};
}

}  // namespace kelpie::bench

#endif  // KELPIE_BENCH_JOB_BENCH_H
