// Drawing a job's pictures: the generated board (2,000 components unless an
// argument says otherwise) is written through WriteODB into memory, read
// back from those bytes, and drawn as kelpie-check --render draws it (a PNG
// and an SVG per layer, both sides of the board) into a temporary
// directory. Prints the processor and wall time of the drawing, three runs
// and their median; the drawing of the 2,000-component board should take
// under 2 seconds of wall time.
//
// Run from a Release build: build/release/bench/render_bench [COMPONENTS]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "board_generator.h"
#include "job_bench.h"
#include "job_store.h"
#include "kelpie/kelpie.h"
#include "read_job.h"
#include "render_board.h"

using kelpie::bench::Clock;
using kelpie::bench::Now;
using kelpie::bench::QuietSink;
using kelpie::bench::Since;

int main(int argc, char** argv) {
  const int components = argc > 1 ? std::atoi(argv[1]) : 2000;
  QuietSink sink;
  kelpie::IKELPIE* server = createkelpieserver(&sink, "render_bench", kelpie::kApiVersion);
  kelpie::GenerateBoard(server, components);
  kelpie::test::JobStore store;
  const bool written = server->WriteODB(&store);
  deletekelpieserver(server);
  if (!written) return 1;

  const auto source = kelpie::reader::MakeMemorySource("generated", store.job, std::move(store.files));
  kelpie::reader::Problems problems;
  const kelpie::reader::Job job = kelpie::reader::ReadJob(*source, problems);
  std::size_t features = 0;
  for (const kelpie::reader::Step& step : job.steps) {
    for (const kelpie::reader::Layer& layer : step.layers) features += layer.features ? layer.features->features.size() : 0;
  }

  const std::filesystem::path directory = std::filesystem::temp_directory_path() / "kelpie-render-bench";
  std::vector<Clock> runs;
  std::size_t pictures = 0;
  for (int run = 0; run < 3; ++run) {
    std::filesystem::remove_all(directory);
    std::vector<kelpie::check::Picture> drawn;
    std::string error;
    const Clock start = Now();
    const bool rendered = kelpie::check::RenderOdbJob(job, directory.string(), "job", drawn, error);
    runs.push_back(Since(start));
    if (!rendered) {
      std::fprintf(stderr, "render_bench: %s\n", error.c_str());
      return 1;
    }
    pictures = drawn.size();
  }
  std::filesystem::remove_all(directory);

  std::printf("generated board of %d components: %zu layers' features, %zu features, %zu pictures (PNG and SVG)\n",
              components, job.steps.empty() ? 0 : job.steps[0].layers.size(), features, pictures);
  for (const Clock& run : runs) std::printf("draw: %7.3f s processor, %7.3f s wall\n", run.processor, run.wall);
  std::sort(runs.begin(), runs.end(), [](const Clock& a, const Clock& b) { return a.wall < b.wall; });
  std::printf("median wall time %.3f s (target: under 2 s for 2,000 components)\n", runs[1].wall);
  return 0;
}
