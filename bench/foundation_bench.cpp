// The foundation's hot paths: number formatting, and filling the design
// database through the interface at board scale (the duplicate checks of
// layers, pin types and references must stay linear).
//
//   build/release/bench/foundation_bench --benchmark_repetitions=5
//       --benchmark_report_aggregates_only=true   (one command line)
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "kelpie/kelpie.h"
#include "output/text.h"

namespace {

using namespace kelpie;

// Board-like values: coordinates in inches with up to six decimals, sizes,
// angles and whole numbers.
std::vector<double> SampleValues() {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> coordinate(-20.0, 20.0);
  std::vector<double> values;
  for (int i = 0; i < 4096; ++i) {
    switch (i % 4) {
      case 0: values.push_back(coordinate(random)); break;
      case 1: values.push_back(static_cast<double>(random() % 2000000) / 1e6); break;
      case 2: values.push_back(static_cast<double>(random() % 360)); break;
      default: values.push_back(coordinate(random) * 25.4); break;
    }
  }
  return values;
}

// The plain way: printf "%f" into a buffer, then the trimming.
std::string SnprintfTrimmed(double value) {
  char buffer[64];
  int length = std::snprintf(buffer, sizeof buffer, "%f", value);
  while (length > 0) {
    if (buffer[length - 1] == '0') {
      --length;
      continue;
    }
    if (buffer[length - 1] == '.') --length;
    break;
  }
  return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string("0");
}

void BM_NumberToText(benchmark::State& state) {
  const std::vector<double> values = SampleValues();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(NumberToText(values[i++ & 4095]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_NumberToText);

void BM_AppendNumberText(benchmark::State& state) {
  const std::vector<double> values = SampleValues();
  std::string line;
  size_t i = 0;
  for (auto _ : state) {
    line.clear();
    AppendNumberText(line, values[i++ & 4095]);
    benchmark::DoNotOptimize(line.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AppendNumberText);

void BM_SnprintfTrimmed(benchmark::State& state) {
  const std::vector<double> values = SampleValues();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(SnprintfTrimmed(values[i++ & 4095]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SnprintfTrimmed);

// ---- Filling the database through the interface ----

class QuietSink final : public MessageSink {
 public:
  void Info(const char*, ...) override {}
  void Error(const char*, int) override {}
  void Warning(const char*, int) override {}
};

std::vector<std::string> Names(const char* prefix, int count) {
  std::vector<std::string> names;
  names.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) names.push_back(prefix + std::to_string(i));
  return names;
}

const double kOutlineX[] = {0, 0, 10, 10};
const double kOutlineY[] = {0, 8, 8, 0};

// One server with a step; timing covers only the calls being measured.
struct Board {
  QuietSink sink;
  IKELPIE* server = createkelpieserver(&sink, "bench", kApiVersion);
  Layer* top = server->AddLayer("top", 1, kLayerComponentTop, kPolarityPositive, kContextBoard);
  Step* step = server->AddStep("pcb", kOutlineX, kOutlineY, 4);
  ~Board() { deletekelpieserver(server); }
};

void BM_AddComponents(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::vector<std::string> references = Names("R", count);
  for (auto _ : state) {
    state.PauseTiming();
    {
      Board board;
      PackageType* package = board.server->AddPackageType("R0603", -0.03, 0.03, -0.015, 0.015);
      state.ResumeTiming();
      for (int i = 0; i < count; ++i) {
        board.server->AddComponent(board.top, package, references[static_cast<size_t>(i)].c_str(),
                                   "10k", i * 0.001, 1.0, 90.0, 0);
      }
      state.PauseTiming();
    }
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_AddComponents)->Arg(50000)->Arg(200000)->Unit(benchmark::kMillisecond);

void BM_AddPinTypes(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::vector<std::string> names = Names("pad_", count);
  for (auto _ : state) {
    state.PauseTiming();
    {
      Board board;
      state.ResumeTiming();
      for (const std::string& name : names) board.server->AddPinType(name.c_str());
      state.PauseTiming();
    }
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_AddPinTypes)->Arg(50000)->Unit(benchmark::kMillisecond);

void BM_AddLayers(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::vector<std::string> names = Names("layer_", count);
  for (auto _ : state) {
    state.PauseTiming();
    {
      Board board;
      state.ResumeTiming();
      for (const std::string& name : names) {
        board.server->AddLayer(name.c_str(), 0, kLayerSignal, kPolarityPositive, kContextBoard);
      }
      state.PauseTiming();
    }
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_AddLayers)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
