// A recording store that can throw from one chosen call, and that checks
// which handles the library uses.
#ifndef KELPIE_TESTS_ROBUSTNESS_HOSTILE_STORE_H
#define KELPIE_TESTS_ROBUSTNESS_HOSTILE_STORE_H

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "recording_host.h"

namespace kelpie::test {

enum class StoreCall { kMakeDirectory, kOpen, kWrite, kClose };

inline const char* CallName(StoreCall call) {
  switch (call) {
    case StoreCall::kMakeDirectory: return "MakeDirectory";
    case StoreCall::kOpen: return "Open";
    case StoreCall::kWrite: return "Write";
    default: return "Close";
  }
}

// What the host's store throws: deliberately not a std::exception.
struct StoreBroke {};

class HostileStore : public RecordingStore {
 public:
  // Throw from the n-th call (1-based) of this kind; 0 = never.
  StoreCall throwOn = StoreCall::kWrite;
  int throwAt = 0;
  // Filled when the throw happened: the path the failing call was about.
  std::string thrownPath;
  std::string thrownText;    // of a Write
  std::string thrownBefore;  // what the file held before that Write

  std::map<StoreCall, int> counts;
  // For each Write, in order: its file and how many writes that file had
  // before it.
  std::vector<std::pair<std::string, int>> writes;
  // Calls with a handle that was never handed out or was already closed.
  std::vector<std::string> misuse;

  bool MakeDirectory(const char* path) override {
    Count(StoreCall::kMakeDirectory, path);
    return RecordingStore::MakeDirectory(path);
  }

  FileHandle Open(const char* path) override {
    Count(StoreCall::kOpen, path);
    const FileHandle handle = RecordingStore::Open(path);
    if (handle != 0) {
      paths_[handle] = path;
      open_[handle] = true;
    }
    return handle;
  }

  bool Write(FileHandle handle, const char* text) override {
    if (counts[StoreCall::kWrite] + 1 == throwAt && throwOn == StoreCall::kWrite) {
      thrownText = text;
      thrownBefore = files[PathOf(handle)];
    }
    Count(StoreCall::kWrite, PathOf(handle));
    writes.emplace_back(PathOf(handle), writesPerFile_[handle]++);
    if (handle != 0 && !open_[handle]) misuse.push_back("write to a closed file " + PathOf(handle));
    return RecordingStore::Write(handle, text);
  }

  bool Close(FileHandle handle) override {
    Count(StoreCall::kClose, PathOf(handle));
    if (handle != 0 && !open_[handle]) misuse.push_back("second close of " + PathOf(handle));
    if (handle != 0) open_[handle] = false;
    return RecordingStore::Close(handle);
  }

  std::vector<std::string> StillOpen() const {
    std::vector<std::string> paths;
    for (const auto& [handle, open] : open_)
      if (open) paths.push_back(paths_.at(handle));
    return paths;
  }

 private:
  std::string PathOf(FileHandle handle) const {
    auto found = paths_.find(handle);
    return found != paths_.end() ? found->second : std::string();
  }

  void Count(StoreCall call, const std::string& path) {
    if (++counts[call] == throwAt && call == throwOn) {
      thrownPath = path;
      throw StoreBroke{};
    }
  }

  std::map<FileHandle, std::string> paths_;
  std::map<FileHandle, bool> open_;
  std::map<FileHandle, int> writesPerFile_;
};

}  // namespace kelpie::test

#endif
