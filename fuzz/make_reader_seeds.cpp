// Writes the seed corpus of the reader's fuzz target: the files of real
// exports of the sample boards (and a small generated board), each behind
// the byte that tells reader_fuzzer.cpp what it is.
// Usage: make_reader_seeds OUTPUT_DIRECTORY
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "job_store.h"
#include "kelpie/kelpie.h"
#include "sample_boards.h"
#ifdef KELPIE_HAVE_BOARD_GENERATOR
#include "board_generator.h"
#endif

namespace {

using Files = std::map<std::string, std::string>;

class QuietSink : public kelpie::MessageSink {
 public:
  void Info(const char*, ...) override {}
  void Error(const char*, int) override {}
  void Warning(const char*, int) override {}
};

Files Export(void (*describe)(kelpie::IKELPIE&), bool odb) {
  QuietSink sink;
  kelpie::test::JobStore store;
  kelpie::IKELPIE* server = createkelpieserver(&sink, "make_reader_seeds", kelpie::kApiVersion);
  describe(*server);
  server->SetBoardThickness(0.062);
  if (odb) {
    server->WriteODB(&store);
  } else {
    server->WriteIDF(&store);
  }
  deletekelpieserver(server);
  return store.files;
}

int written = 0;

void Seed(const std::string& directory, char kind, const std::string& text) {
  const std::string path = directory + "/reader-" + std::to_string(written++);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return;
  std::fputc(kind, file);
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

void Seeds(const std::string& directory, void (*describe)(kelpie::IKELPIE&)) {
  const Files odb = Export(describe, true);
  for (const auto& [path, bytes] : odb) {
    const std::string file = path.substr(path.rfind('/') + 1);
    if (file == "features") Seed(directory, 0, bytes);
    if (file == "data") Seed(directory, 1, bytes);
    if (file == "components") Seed(directory, 2, bytes);
    if (file == "netlist") Seed(directory, 3, bytes);
    if (file == "matrix") Seed(directory, 4, bytes);
    if (file == "tools") Seed(directory, 5, bytes);
    if (file.ends_with(".sum")) Seed(directory, 6, bytes);
  }
  const Files idf = Export(describe, false);
  std::string pair;
  for (const auto& [path, bytes] : idf) pair += (pair.empty() ? "" : std::string(1, '\0')) + bytes;
  Seed(directory, 7, pair);
  // A whole job: the files in the order reader_fuzzer.cpp gives them names.
  std::string job;
  bool first = true;
  for (const char* name : {"top/features", "eda/data", "comp_+_top/components", "cadnet/netlist", "matrix/matrix",
                           "pcb/profile", "/features", "top/.features.sum", "drill/features", "drill/tools",
                           "comp_+_bot/components"}) {
    const std::string* found = nullptr;
    for (const auto& [path, bytes] : odb) {
      if (found == nullptr && path.ends_with(name)) found = &bytes;
    }
    job += (first ? "" : std::string(1, '\0')) + (found != nullptr ? *found : std::string());
    first = false;
  }
  Seed(directory, 8, job);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_reader_seeds OUTPUT_DIRECTORY\n");
    return 2;
  }
  Seeds(argv[1], kelpie::samples::BuildSmallBoard);
  Seeds(argv[1], kelpie::samples::BuildDemoBoard);
#ifdef KELPIE_HAVE_BOARD_GENERATOR
  Seeds(argv[1], [](kelpie::IKELPIE& server) { kelpie::GenerateBoard(&server, 3); });
#endif
  std::printf("%d reader seeds written to %s\n", written, argv[1]);
  return 0;
}
