// Reading a job back and checking it against writing it: the generated
// board (20,000 components unless an argument says otherwise) is written
// once through WriteODB into memory, then read back from those bytes and
// checked, in this one process. Prints both times (processor time, which
// other programs on the machine disturb less, and wall time) and their
// ratio; reading and checking should take no longer than writing (a ratio
// of at most 1).
//
// Run from a Release build: build/release/bench/check_speed_bench [COMPONENTS]
#include <ctime>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "board_generator.h"
#include "checks.h"
#include "job_store.h"
#include "kelpie/kelpie.h"
#include "read_job.h"

namespace {

class QuietSink final : public kelpie::MessageSink {
 public:
  void Info(const char*, ...) override {}
  void Error(const char* text, int) override { std::fprintf(stderr, "error: %s\n", text); }
  void Warning(const char*, int) override {}
};

struct Clock {
  double processor;
  double wall;
};

Clock Now() {
  timespec processor{};
  timespec wall{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &processor);
  clock_gettime(CLOCK_MONOTONIC, &wall);
  return {processor.tv_sec + processor.tv_nsec * 1e-9, wall.tv_sec + wall.tv_nsec * 1e-9};
}

Clock Since(const Clock& start) {
  const Clock now = Now();
  return {now.processor - start.processor, now.wall - start.wall};
}

}  // namespace

int main(int argc, char** argv) {
  const int components = argc > 1 ? std::atoi(argv[1]) : 20000;
  QuietSink sink;
  kelpie::IKELPIE* server = createkelpieserver(&sink, "check_speed_bench", kelpie::kApiVersion);
  kelpie::GenerateBoard(server, components);

  kelpie::test::JobStore store;
  const Clock writeStart = Now();
  const bool written = server->WriteODB(&store);
  const Clock write = Since(writeStart);
  deletekelpieserver(server);
  if (!written) return 1;

  std::size_t bytes = 0;
  for (const auto& [path, text] : store.files) bytes += text.size();
  const auto source = kelpie::reader::MakeMemorySource("generated", store.job, std::move(store.files));
  const Clock readStart = Now();
  kelpie::reader::Problems problems;
  const kelpie::reader::Job job = kelpie::reader::ReadJob(*source, problems);
  kelpie::reader::CheckJob(*source, job, problems);
  const Clock read = Since(readStart);

  std::printf("generated board of %d components: %zu files, %.1f MB\n", components, source->files().size(),
              static_cast<double>(bytes) / 1e6);
  std::printf("write:           %7.3f s processor, %7.3f s wall\n", write.processor, write.wall);
  std::printf("read and check:  %7.3f s processor, %7.3f s wall (%zu problems)\n", read.processor, read.wall,
              problems.size());
  std::printf("ratio read and check / write: %.2f processor, %.2f wall\n", read.processor / write.processor,
              read.wall / write.wall);
  return problems.empty() ? 0 : 1;
}
