// A host that loads the library at run time and uses the public header alone,
// written in C++11 so that it compiles in every language mode from C++11 on,
// with g++, clang and mingw-w64 alike.
//
//   runtime_host LIBRARY
//
// Loads LIBRARY, describes a 2 x 1 inch board with one layer and exports it
// as IDF through a store that keeps nothing but the paths it was asked to
// open. Exit status 0 when the export succeeded, opened "runtime.emn" and
// "runtime.emp" and sent no error.
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "kelpie/kelpie.h"

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
static void* OpenLibrary(const char* path) { return reinterpret_cast<void*>(LoadLibraryA(path)); }
static void* Symbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}
#else
#include <dlfcn.h>
static void* OpenLibrary(const char* path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }
static void* Symbol(void* library, const char* name) { return dlsym(library, name); }
#endif

namespace {

class CountingSink : public kelpie::MessageSink {
 public:
  int errors = 0;
  void Info(const char*, ...) override {}
  void Error(const char* text, int) override {
    std::fprintf(stderr, "error: %s\n", text);
    ++errors;
  }
  void Warning(const char* text, int) override { std::fprintf(stderr, "warning: %s\n", text); }
};

class PathStore : public kelpie::FileStore {
 public:
  std::vector<std::string> opened;
  bool MakeDirectory(const char*) override { return true; }
  kelpie::FileHandle Open(const char* path) override {
    opened.push_back(path);
    return static_cast<kelpie::FileHandle>(opened.size());
  }
  bool Write(kelpie::FileHandle, const char*) override { return true; }
  bool Close(kelpie::FileHandle) override { return true; }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: runtime_host LIBRARY\n");
    return 2;
  }
  void* library = OpenLibrary(argv[1]);
  if (library == nullptr) {
    std::fprintf(stderr, "cannot load %s\n", argv[1]);
    return 1;
  }
  CreateKelpieServerFn create = reinterpret_cast<CreateKelpieServerFn>(Symbol(library, "createkelpieserver"));
  DeleteKelpieServerFn destroy = reinterpret_cast<DeleteKelpieServerFn>(Symbol(library, "deletekelpieserver"));
  if (create == nullptr || destroy == nullptr) {
    std::fprintf(stderr, "%s lacks the entry points\n", argv[1]);
    return 1;
  }

  CountingSink sink;
  PathStore store;
  kelpie::IKELPIE* server = create(&sink, "runtime host", kelpie::kApiVersion);
  if (server == nullptr) return 1;
  server->SetJobName("runtime");
  server->AddLayer("top", 1, kelpie::kLayerSignal, kelpie::kPolarityPositive, kelpie::kContextBoard);
  const double xs[] = {0, 2, 2, 0};
  const double ys[] = {0, 0, 1, 1};
  server->AddStep("pcb", xs, ys, 4);
  const bool written = server->WriteIDF(&store);
  destroy(server);

  const bool expected = store.opened.size() == 2 && store.opened[0] == "runtime.emn" &&
                        store.opened[1] == "runtime.emp";
  std::printf("written: %d, files opened: %u, errors: %d\n", written ? 1 : 0,
              static_cast<unsigned>(store.opened.size()), sink.errors);
  return written && expected && sink.errors == 0 ? 0 : 1;
}
