// What the benchmarks that write a job and read it back share: a store
// that keeps the job in memory, a quiet sink and a clock of processor and
// wall time.
#ifndef KELPIE_BENCH_JOB_BENCH_H
#define KELPIE_BENCH_JOB_BENCH_H

#include <ctime>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "kelpie/kelpie.h"

namespace kelpie::bench {

// Keeps every file in memory by its path inside the job ("steps/pcb/...").
class MemoryStore final : public FileStore {
 public:
  bool MakeDirectory(const char*) override { return true; }
  FileHandle Open(const char* path) override {
    std::string name = path;
    for (char& c : name) c = c == '\\' ? '/' : c;
    const std::size_t slash = name.find('/');
    job = name.substr(0, slash);
    open.push_back(&files[name.substr(slash + 1)]);
    open.back()->clear();
    return static_cast<FileHandle>(open.size());
  }
  bool Write(FileHandle handle, const char* text) override {
    if (handle <= 0 || static_cast<std::size_t>(handle) > open.size()) return false;
    *open[static_cast<std::size_t>(handle) - 1] += text;
    return true;
  }
  bool Close(FileHandle) override { return true; }

  std::string job;
  std::map<std::string, std::string> files;
  std::vector<std::string*> open;
};

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
