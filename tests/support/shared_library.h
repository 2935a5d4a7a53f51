// Loads a shared library the way a host does and resolves the two entry
// points: dlopen and dlsym on POSIX systems, LoadLibrary and GetProcAddress
// on Windows.
#ifndef KELPIE_TESTS_SHARED_LIBRARY_H
#define KELPIE_TESTS_SHARED_LIBRARY_H

#include <string>

#include "kelpie/kelpie.h"

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace kelpie::test {

class SharedLibrary {
 public:
  explicit SharedLibrary(const std::string& path) {
#if defined(_WIN32)
    handle_ = LoadLibraryA(path.c_str());
    if (handle_ == nullptr) error_ = "LoadLibrary failed with error " + std::to_string(GetLastError());
#else
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) error_ = dlerror();
#endif
    if (handle_ == nullptr) return;
    create = reinterpret_cast<CreateKelpieServerFn>(Symbol("createkelpieserver"));
    destroy = reinterpret_cast<DeleteKelpieServerFn>(Symbol("deletekelpieserver"));
    if (create == nullptr || destroy == nullptr) error_ = path + " lacks the entry points";
  }
  ~SharedLibrary() {
    if (handle_ == nullptr) return;
#if defined(_WIN32)
    FreeLibrary(handle_);
#else
    dlclose(handle_);
#endif
  }
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  bool loaded() const { return create != nullptr && destroy != nullptr; }
  const std::string& error() const { return error_; }

  CreateKelpieServerFn create = nullptr;
  DeleteKelpieServerFn destroy = nullptr;

 private:
  void* Symbol(const char* name) const {
#if defined(_WIN32)
    return reinterpret_cast<void*>(GetProcAddress(handle_, name));
#else
    return dlsym(handle_, name);
#endif
  }

#if defined(_WIN32)
  HMODULE handle_ = nullptr;
#else
  void* handle_ = nullptr;
#endif
  std::string error_;
};

}  // namespace kelpie::test

#endif  // KELPIE_TESTS_SHARED_LIBRARY_H
