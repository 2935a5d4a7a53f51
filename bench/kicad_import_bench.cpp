// The KiCad importer on the largest demo board, video.kicad_pcb (7.4 MB):
//  - Read: the reader alone (tokens and board), in MB/s of board file;
//  - Import: reading and mapping onto the design, in MB/s;
//  - WholeExport: what kelpie-export does for --idf --odb, in memory: import,
//    describe the design to a fresh server and write IDF, then again for
//    ODB++. Its counter import_share is the part of that time that reading
//    and mapping take, measured in the same iterations.
//
// Run from a Release build: build/release/bench/kicad_import_bench
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "design.h"
#include "kelpie/kelpie.h"
#include "kicad/board.h"
#include "kicad/board_reader.h"
#include "kicad/kicad_import.h"

namespace {

const char kBoard[] = "/usr/share/kicad/demos/video/video.kicad_pcb";

std::string BoardText() {
  std::ifstream file(kBoard, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

class QuietSink final : public kelpie::MessageSink {
 public:
  void Info(const char*, ...) override {}
  void Error(const char*, int) override { ++errors; }
  void Warning(const char*, int) override {}
  int errors = 0;
};

class CountingStore final : public kelpie::FileStore {
 public:
  bool MakeDirectory(const char*) override { return true; }
  kelpie::FileHandle Open(const char*) override { return ++files; }
  bool Write(kelpie::FileHandle, const char* text) override {
    bytes += static_cast<long long>(std::strlen(text));
    return true;
  }
  bool Close(kelpie::FileHandle) override { return true; }
  long long bytes = 0;
  kelpie::FileHandle files = 0;
};

void BM_Read(benchmark::State& state) {
  const std::string text = BoardText();
  if (text.empty()) return state.SkipWithError("video.kicad_pcb is missing (install kicad-demos)");
  for (auto _ : state) {
    kelpie::host::kicad::Board board;
    std::vector<std::string> warnings;
    std::string error;
    if (!kelpie::host::kicad::ReadBoard(text, kBoard, {}, board, warnings, error)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(board.tracks.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

bool Import(const std::string& text, kelpie::host::Design& design) {
  kelpie::host::kicad::ImportReport report;
  std::string error;
  return kelpie::host::kicad::ImportBoard(text, kBoard, "video", {}, design, report, error);
}

void BM_Import(benchmark::State& state) {
  const std::string text = BoardText();
  if (text.empty()) return state.SkipWithError("video.kicad_pcb is missing (install kicad-demos)");
  for (auto _ : state) {
    kelpie::host::Design design;
    if (!Import(text, design)) state.SkipWithError("the board was not read");
    benchmark::DoNotOptimize(design.steps.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_WholeExport(benchmark::State& state) {
  const std::string text = BoardText();
  if (text.empty()) return state.SkipWithError("video.kicad_pcb is missing (install kicad-demos)");
  using Clock = std::chrono::steady_clock;
  double importing = 0;
  double whole = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    kelpie::host::Design design;
    if (!Import(text, design)) state.SkipWithError("the board was not read");
    const auto imported = Clock::now();
    for (const bool odb : {false, true}) {
      QuietSink sink;
      CountingStore store;
      kelpie::IKELPIE* server = createkelpieserver(&sink, "kicad_import_bench", kelpie::kApiVersion);
      std::string error;
      const bool written = kelpie::host::DescribeDesign(*server, design, error) &&
                           (odb ? server->WriteODB(&store) : server->WriteIDF(&store));
      deletekelpieserver(server);
      if (!written || sink.errors > 0) state.SkipWithError("an export failed");
    }
    importing += std::chrono::duration<double>(imported - start).count();
    whole += std::chrono::duration<double>(Clock::now() - start).count();
  }
  state.counters["import_share"] = importing / whole;
}

BENCHMARK(BM_Read)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Import)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeExport)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
