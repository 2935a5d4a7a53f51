// How close the exports come to the speed of the store they write into.
//
// For generated boards of 2,000, 20,000 and 200,000 components, and for
// ODB++ and IDF, one process:
//   1. records every file the export writes, line by line (not timed);
//   2. times the export into a plain buffered store that hands each line to
//      its own fwrite on /dev/null;
//   3. times the floor: the very same lines written again through the same
//      store, one Write per line, with no formatting at all.
// Prints both times and their ratio. Absolute times move from run to run on
// a shared machine; the ratio, measured in one run, is the figure to watch.
// Each time is the best of a few repetitions; the process's CPU time is
// shown beside the wall time, as it moves less on a crowded machine.
//
// Run from a Release build: build/release/bench/store_floor_bench [sizes...]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "board_generator.h"
#include "kelpie/kelpie.h"

namespace {

using kelpie::FileHandle;

// One fwrite per line into /dev/null through the C library's own buffer:
// the cheapest honest store.
class BufferedNullStore final : public kelpie::FileStore {
 public:
  bool MakeDirectory(const char*) override { return true; }
  FileHandle Open(const char*) override {
    std::FILE* stream = std::fopen("/dev/null", "wb");
    if (stream == nullptr) return 0;
    streams_.push_back(stream);
    return static_cast<FileHandle>(streams_.size());
  }
  bool Write(FileHandle handle, const char* text) override {
    std::FILE* stream = streams_[static_cast<size_t>(handle) - 1];
    const size_t length = std::strlen(text);
    return std::fwrite(text, 1, length, stream) == length;
  }
  bool Close(FileHandle handle) override {
    std::FILE*& stream = streams_[static_cast<size_t>(handle) - 1];
    const bool closed = std::fclose(stream) == 0;
    stream = nullptr;
    return closed;
  }

 private:
  std::vector<std::FILE*> streams_;
};

// Keeps every line of every file, each with its terminating NUL, in the
// order the export wrote them.
class RecordingStore final : public kelpie::FileStore {
 public:
  struct File {
    std::string text;                 // the lines, each followed by a NUL
    std::vector<size_t> lineStarts;   // offset of each line in text
  };

  bool MakeDirectory(const char*) override { return true; }
  FileHandle Open(const char*) override {
    files.emplace_back();
    return static_cast<FileHandle>(files.size());
  }
  bool Write(FileHandle handle, const char* text) override {
    File& file = files[static_cast<size_t>(handle) - 1];
    file.lineStarts.push_back(file.text.size());
    file.text.append(text, std::strlen(text) + 1);
    ++lines;
    bytes += static_cast<long long>(std::strlen(text));
    return true;
  }
  bool Close(FileHandle) override { return true; }

  std::vector<File> files;
  long long lines = 0;
  long long bytes = 0;
};

class QuietSink final : public kelpie::MessageSink {
 public:
  void Info(const char*, ...) override {}
  void Error(const char* text, int) override {
    if (firstError.empty()) firstError = text;
  }
  void Warning(const char*, int) override {}

  std::string firstError;
};

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

bool Export(kelpie::IKELPIE* server, bool odb, kelpie::FileStore& store) {
  return odb ? server->WriteODB(&store) : server->WriteIDF(&store);
}

// The recorded lines written again, file by file, one Write per line.
void WriteFloor(const RecordingStore& recorded, kelpie::FileStore& store) {
  for (const RecordingStore::File& file : recorded.files) {
    const FileHandle handle = store.Open("floor");
    for (const size_t start : file.lineStarts) store.Write(handle, file.text.data() + start);
    store.Close(handle);
  }
}

// False when the export failed.
bool MeasureSize(int components, int repetitions) {
  QuietSink sink;
  kelpie::IKELPIE* server = createkelpieserver(&sink, "store_floor_bench", kelpie::kApiVersion);
  kelpie::GenerateBoard(server, components);
  bool ok = true;
  for (const bool odb : {true, false}) {
    RecordingStore recorded;
    if (!Export(server, odb, recorded)) {
      std::fprintf(stderr, "export failed: %s\n", sink.firstError.c_str());
      ok = false;
      break;
    }
    double exportSeconds = 1e300;
    double floorSeconds = 1e300;
    double exportCpu = 1e300;
    double floorCpu = 1e300;
    for (int r = 0; r < repetitions; ++r) {
      BufferedNullStore exportStore;
      Clock::time_point start = Clock::now();
      double cpuStart = CpuSeconds();
      Export(server, odb, exportStore);
      exportSeconds = std::min(exportSeconds, SecondsSince(start));
      exportCpu = std::min(exportCpu, CpuSeconds() - cpuStart);
      BufferedNullStore floorStore;
      start = Clock::now();
      cpuStart = CpuSeconds();
      WriteFloor(recorded, floorStore);
      floorSeconds = std::min(floorSeconds, SecondsSince(start));
      floorCpu = std::min(floorCpu, CpuSeconds() - cpuStart);
    }
    std::printf("%-4s %8d %6zu %10lld %8.1f %9.3f %9.3f %6.2f %9.3f %9.3f %6.2f\n",
                odb ? "ODB" : "IDF", components, recorded.files.size(), recorded.lines,
                static_cast<double>(recorded.bytes) / 1e6, exportSeconds, floorSeconds,
                exportSeconds / floorSeconds, exportCpu, floorCpu, exportCpu / floorCpu);
    std::fflush(stdout);
  }
  deletekelpieserver(server);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty()) sizes = {2000, 20000, 200000};
  std::printf("%-4s %8s %6s %10s %8s %9s %9s %6s %9s %9s %6s\n", "fmt", "comps", "files",
              "lines", "MB", "export_s", "floor_s", "ratio", "exp_cpu", "flr_cpu", "ratio");
  bool ok = true;
  for (const int components : sizes) {
    const int repetitions = components >= 200000 ? 3 : components >= 20000 ? 7 : 15;
    ok = MeasureSize(components, repetitions) && ok;
  }
  return ok ? 0 : 1;
}
