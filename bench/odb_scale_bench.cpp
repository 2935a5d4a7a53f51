// How the exports grow with the board: generated boards of 100, 1,000 and
// 10,000 components (the largest about a million features and twenty
// thousand nets) written through the interface slots into a store that only
// counts bytes. Reports the time per feature and, at the end, the ratio of
// the median times between each size and the one ten times smaller; linear
// work gives about 10.
//
// Run from a Release build: build/release/bench/odb_scale_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "board_generator.h"
#include "kelpie/kelpie.h"

namespace {

using kelpie::FileHandle;

// Keeps nothing: counts the bytes and files it is handed.
class CountingStore final : public kelpie::FileStore {
 public:
  bool MakeDirectory(const char*) override { return true; }
  FileHandle Open(const char*) override {
    ++files;
    return files;
  }
  bool Write(FileHandle, const char* text) override {
    bytes += static_cast<long long>(std::strlen(text));
    return true;
  }
  bool Close(FileHandle) override { return true; }

  long long bytes = 0;
  FileHandle files = 0;
};

// Drops the progress messages, keeps the first error for the report.
class QuietSink final : public kelpie::MessageSink {
 public:
  void Info(const char*, ...) override {}
  void Error(const char* text, int) override {
    if (firstError.empty()) firstError = text;
  }
  void Warning(const char*, int) override {}

  std::string firstError;
};

QuietSink sink;

// A generated board on its own server. The repetitions of one benchmark
// share it, so that only the first pays for describing it.
struct GeneratedServer {
  explicit GeneratedServer(int components)
      : server(createkelpieserver(&sink, "odb_scale_bench", kelpie::kApiVersion)),
        board(kelpie::GenerateBoard(server, components)) {}
  ~GeneratedServer() { deletekelpieserver(server); }
  GeneratedServer(const GeneratedServer&) = delete;
  GeneratedServer& operator=(const GeneratedServer&) = delete;

  kelpie::IKELPIE* server;
  kelpie::GeneratedBoard board;
};

GeneratedServer& BoardFor(const std::string& format, int components) {
  static std::pair<std::string, int> key;
  static std::unique_ptr<GeneratedServer> current;
  if (!current || key != std::make_pair(format, components)) {
    current.reset();  // one board in memory at a time
    current = std::make_unique<GeneratedServer>(components);
    key = {format, components};
  }
  return *current;
}

template <bool kOdb>
void Export(benchmark::State& state) {
  GeneratedServer& generated = BoardFor(kOdb ? "odb" : "idf", static_cast<int>(state.range(0)));
  CountingStore store;
  for (auto _ : state) {
    const bool written =
        kOdb ? generated.server->WriteODB(&store) : generated.server->WriteIDF(&store);
    if (!written) {
      state.SkipWithError(("export failed: " + sink.firstError).c_str());
      break;
    }
  }
  const double features = static_cast<double>(generated.board.features);
  state.counters["features"] = features;
  state.counters["nets"] = generated.board.nets;
  state.counters["pins"] = generated.board.pins;
  state.counters["per_feature"] = benchmark::Counter(
      features, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["bytes"] = benchmark::Counter(static_cast<double>(store.bytes),
                                               benchmark::Counter::kAvgIterations);
  state.counters["files"] = benchmark::Counter(static_cast<double>(store.files),
                                               benchmark::Counter::kAvgIterations);
}

void BM_WriteOdb(benchmark::State& state) { Export<true>(state); }
void BM_WriteIdf(benchmark::State& state) { Export<false>(state); }

void Sizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->Arg(100)->Arg(1000)->Arg(10000);
  benchmark->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark->Repetitions(3)->ReportAggregatesOnly(true);
}

BENCHMARK(BM_WriteOdb)->Apply(Sizes);
BENCHMARK(BM_WriteIdf)->Apply(Sizes);

// The console report, then the growth of the median time from each size to
// the next.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
      medians_[run.run_name.function_name][std::stol(run.run_name.args)] = {
          run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
    }
  }

  // Real time is what the host waits for; CPU time is steadier on a busy
  // machine.
  void PrintRatios() const {
    std::printf("\nGrowth of the median time per 10x components (real, cpu):\n");
    for (const auto& [name, times] : medians_) {
      std::printf("  %s:", name.c_str());
      const std::pair<const long, Times>* previous = nullptr;
      for (const auto& entry : times) {
        if (previous != nullptr)
          std::printf("  %ld->%ld %.2fx %.2fx", previous->first, entry.first,
                      entry.second.real / previous->second.real,
                      entry.second.cpu / previous->second.cpu);
        previous = &entry;
      }
      std::printf("\n");
    }
  }

 private:
  struct Times {
    double real;
    double cpu;
  };
  std::map<std::string, std::map<long, Times>> medians_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
