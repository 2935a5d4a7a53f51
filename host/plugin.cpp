#include "plugin.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

namespace kelpie::host {

Plugin::~Plugin() {
  if (library_ != nullptr) dlclose(library_);
}

bool Plugin::Load(const std::string& path, std::string& error) {
  library_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library_ == nullptr) {
    const char* reason = dlerror();
    error = "cannot load the plug-in " + path + ": " + (reason != nullptr ? reason : "unknown error");
    return false;
  }
  create = reinterpret_cast<CreateKelpieServerFn>(dlsym(library_, "createkelpieserver"));
  destroy = reinterpret_cast<DeleteKelpieServerFn>(dlsym(library_, "deletekelpieserver"));
  if (create == nullptr || destroy == nullptr) {
    error = "the library " + path + " does not export createkelpieserver and deletekelpieserver";
    dlclose(library_);
    library_ = nullptr;
    create = nullptr;
    destroy = nullptr;
    return false;
  }
  return true;
}

std::vector<std::string> LibraryCandidates(const std::string& explicitPath, const std::string& environment,
                                           const std::string& executableDirectory) {
  if (!explicitPath.empty()) return {explicitPath};
  if (!environment.empty()) return {environment};
  return {executableDirectory + "/libkelpie.so", KELPIE_LIBRARY_SONAME};
}

std::string ExecutableDirectory() {
  char path[PATH_MAX];
  const ssize_t size = readlink("/proc/self/exe", path, sizeof path - 1);
  if (size <= 0) return ".";
  std::string text(path, static_cast<size_t>(size));
  const size_t slash = text.rfind('/');
  return slash == std::string::npos ? "." : text.substr(0, slash == 0 ? 1 : slash);
}

}  // namespace kelpie::host
