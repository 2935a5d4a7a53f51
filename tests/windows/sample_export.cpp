// A Windows host: exports a design file through kelpie.dll.
//
//   kelpie_sample_export DESIGN.json OUTPUT_DIRECTORY
//
// Loads kelpie.dll from the program's directory, reads the design with
// kelpie-export's reader and, like kelpie-export, describes it to a fresh
// server for each export: IDF first, then ODB++. The store writes under the
// output directory, taking the library's "\" paths as the native paths they
// are on Windows, in binary mode so that the bytes land as sent. Exit status
// 0 when both exports were written without an error message.
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "design.h"
#include "shared_library.h"

namespace {

class ConsoleSink final : public kelpie::MessageSink {
 public:
  int errors = 0;
  void Info(const char*, ...) override {}
  void Error(const char* text, int) override {
    std::fprintf(stderr, "error: %s\n", text);
    ++errors;
  }
  void Warning(const char* text, int) override { std::fprintf(stderr, "warning: %s\n", text); }
};

class FolderStore final : public kelpie::FileStore {
 public:
  explicit FolderStore(std::filesystem::path root) : root_(std::move(root)) {}
  int failures = 0;

  bool MakeDirectory(const char* path) override {
    std::error_code error;
    std::filesystem::create_directories(root_ / path, error);
    return Count(!error);
  }
  kelpie::FileHandle Open(const char* path) override {
    std::FILE* file = _wfopen((root_ / path).c_str(), L"wb");
    if (file == nullptr) return Count(false);
    files_[++lastHandle_] = file;
    return lastHandle_;
  }
  bool Write(kelpie::FileHandle handle, const char* text) override {
    auto file = files_.find(handle);
    return Count(file != files_.end() && std::fputs(text, file->second) >= 0);
  }
  bool Close(kelpie::FileHandle handle) override {
    auto file = files_.find(handle);
    if (file == files_.end()) return Count(false);
    const bool closed = std::fclose(file->second) == 0;
    files_.erase(file);
    return Count(closed);
  }

 private:
  bool Count(bool succeeded) {
    if (!succeeded) ++failures;
    return succeeded;
  }
  std::filesystem::path root_;
  std::map<kelpie::FileHandle, std::FILE*> files_;
  kelpie::FileHandle lastHandle_ = 0;
};

// One export on a server of its own; false on any failure.
bool Export(kelpie::test::SharedLibrary& library, const kelpie::host::Design& design,
            const std::filesystem::path& output, bool odb) {
  ConsoleSink sink;
  FolderStore store(output);
  kelpie::IKELPIE* server = library.create(&sink, "kelpie_sample_export", kelpie::kApiVersion);
  if (server == nullptr) return false;
  std::string error;
  bool written = kelpie::host::DescribeDesign(*server, design, error);
  if (!written) std::fprintf(stderr, "%s\n", error.c_str());
  if (written) written = odb ? server->WriteODB(&store) : server->WriteIDF(&store);
  library.destroy(server);
  return written && sink.errors == 0 && store.failures == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kelpie_sample_export DESIGN.json OUTPUT_DIRECTORY\n");
    return 2;
  }
  kelpie::host::Design design;
  std::string error;
  if (!kelpie::host::ReadDesignFile(argv[1], design, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  kelpie::test::SharedLibrary library("kelpie.dll");
  if (!library.loaded()) {
    std::fprintf(stderr, "%s\n", library.error().c_str());
    return 1;
  }
  const std::filesystem::path output = argv[2];
  std::filesystem::create_directories(output);
  const bool idf = Export(library, design, output, false);
  const bool odb = Export(library, design, output, true);
  return idf && odb ? 0 : 1;
}
