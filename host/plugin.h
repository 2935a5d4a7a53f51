// Loads libkelpie.so the way a layout program does: dlopen, then dlsym for
// the two exported entry points.
//
// Where the library is looked for, first match wins:
//   1. the path given with --library;
//   2. the path in the environment variable KELPIE_LIBRARY;
//   3. libkelpie.so next to the kelpie-export executable (the build tree);
//   4. the library by its SONAME (libkelpie.so.1), which dlopen looks up in
//      the program's run path (the installed tree's library directory) and
//      then in the system's library directories.
#ifndef KELPIE_HOST_PLUGIN_H
#define KELPIE_HOST_PLUGIN_H

#include <string>
#include <vector>

#include "kelpie/kelpie.h"

namespace kelpie::host {

class Plugin {
 public:
  Plugin() = default;
  ~Plugin();
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  // Loads the library at path and resolves createkelpieserver and
  // deletekelpieserver; false with a reason otherwise.
  bool Load(const std::string& path, std::string& error);

  CreateKelpieServerFn create = nullptr;
  DeleteKelpieServerFn destroy = nullptr;

 private:
  void* library_ = nullptr;
};

// The places to look for the library, in order (see above). explicitPath
// and environment may be empty.
std::vector<std::string> LibraryCandidates(const std::string& explicitPath, const std::string& environment,
                                           const std::string& executableDirectory);

// The directory of the running executable.
std::string ExecutableDirectory();

}  // namespace kelpie::host

#endif  // KELPIE_HOST_PLUGIN_H
