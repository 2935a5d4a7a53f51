// The host side of a fuzz run: a message sink that remembers the last
// message, and an in-memory file store that refuses or throws as its plan
// says and checks how the library uses its handles.
#ifndef KELPIE_FUZZ_FUZZ_HOST_H
#define KELPIE_FUZZ_FUZZ_HOST_H

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "kelpie/kelpie.h"
#include "program.h"

namespace kelpie::fuzz {

// A broken rule of the host contract: print it and abort, so that libFuzzer
// keeps the input.
[[noreturn]] inline void Violation(const char* what, const std::string& detail = "") {
  std::fprintf(stderr, "kelpie fuzz: %s %s\n", what, detail.c_str());
  std::abort();
}

class FuzzSink : public MessageSink {
 public:
  enum Kind { kNone, kInfo, kError, kWarning };

  void Info(const char* format, ...) override {
    if (format == nullptr) Violation("Info with a null format");
    Remember(kInfo, format);
  }
  void Error(const char* text, int zero) override {
    if (text == nullptr) Violation("Error with a null text");
    if (zero != 0) Violation("Error without its trailing 0");
    Remember(kError, text);
  }
  void Warning(const char* text, int zero) override {
    if (text == nullptr) Violation("Warning with a null text");
    if (zero != 0) Violation("Warning without its trailing 0");
    Remember(kWarning, text);
  }

  Kind lastKind = kNone;
  std::string lastText;
  long messages = 0;

 private:
  void Remember(Kind kind, const char* text) {
    // KELPIE_FUZZ_VERBOSE=1 shows every message while an input is replayed.
    static const bool verbose = std::getenv("KELPIE_FUZZ_VERBOSE") != nullptr;
    if (verbose) std::fprintf(stderr, "[%c] %s\n", "-IEW"[kind], text);
    lastKind = kind;
    lastText = text;
    ++messages;
  }
};

struct PlainThrow {};

class FuzzStore : public FileStore {
 public:
  // Starts one export under the given plan.
  void Begin(const StorePlan& plan) {
    plan_ = plan;
    opens_ = 0;
    calls_ = writes_ = closes_ = makes_ = 0;
    threw = false;
  }

  bool MakeDirectory(const char* path) override {
    if (path == nullptr) Violation("MakeDirectory with a null path");
    ++makes_;
    MaybeThrow(plan_.throwing == 7 && makes_ + opens_ == plan_.nth);
    return true;
  }

  FileHandle Open(const char* path) override {
    if (path == nullptr) Violation("Open with a null path");
    ++opens_;
    MaybeThrow(plan_.throwing == 7 && makes_ + opens_ == plan_.nth);
    if (Refuse(path)) return 0;
    states_.push_back(kOpen);
    paths_.emplace_back(path);
    return static_cast<FileHandle>(states_.size());
  }

  bool Write(FileHandle handle, const char* text) override {
    if (text == nullptr) Violation("Write with a null text");
    ++writes_;
    MaybeThrow(plan_.throwing == 5 && writes_ == plan_.nth);
    if (handle == 0) return true;
    Check(handle, "Write");
    bytes += std::char_traits<char>::length(text);
    if (capture != nullptr) (*capture)[paths_[static_cast<std::size_t>(handle) - 1]] += text;
    return true;
  }

  bool Close(FileHandle handle) override {
    ++closes_;
    MaybeThrow(plan_.throwing == 6 && closes_ == plan_.nth);
    if (handle == 0) return true;
    Check(handle, "Close");
    states_[static_cast<std::size_t>(handle) - 1] = kClosed;
    return true;
  }

  // Every file that the library opened must be closed when the export
  // returns, unless the store itself threw and so broke the sequence.
  void CheckAllClosed() const {
    if (threw) return;
    for (std::size_t i = 0; i < states_.size(); ++i)
      if (states_[i] == kOpen) Violation("file left open after the export:", paths_[i]);
  }

  bool threw = false;
  std::size_t bytes = 0;
  // When set, the text of every file goes here by path.
  std::map<std::string, std::string>* capture = nullptr;

 private:
  enum State : std::uint8_t { kOpen, kClosed };

  bool Refuse(const char* path) const {
    const std::string text = path;
    switch (plan_.refusal) {
      case 1: return true;
      case 2: return opens_ % 2 == 0;
      case 3: return opens_ % 3 == 0;
      case 4: return opens_ == 1;
      case 5: return text.size() >= 4 && text.compare(text.size() - 4, 4, ".sum") == 0;
      case 6: {
        std::uint32_t hash = 2166136261u;
        for (const char c : text) hash = (hash ^ static_cast<std::uint8_t>(c)) * 16777619u;
        return hash % 5 == 0;
      }
      default: return false;
    }
  }

  void Check(FileHandle handle, const char* operation) const {
    if (handle < 0 || static_cast<std::size_t>(handle) > states_.size())
      Violation(operation, "with a handle that Open never returned");
    if (states_[static_cast<std::size_t>(handle) - 1] != kOpen)
      Violation(operation, "on a closed file: " + paths_[static_cast<std::size_t>(handle) - 1]);
  }

  void MaybeThrow(bool wanted) {
    ++calls_;
    if (plan_.throwing == 4 && calls_ == plan_.nth) wanted = true;
    if (!wanted) return;
    threw = true;
    switch (plan_.thrown) {
      case 0: throw std::runtime_error("store failure");
      case 1: throw 42;
      case 2: throw std::bad_alloc();
      default: throw PlainThrow{};
    }
  }

  StorePlan plan_;
  int opens_ = 0, calls_ = 0, writes_ = 0, closes_ = 0, makes_ = 0;
  std::vector<State> states_;
  std::vector<std::string> paths_;
};

}  // namespace kelpie::fuzz

#endif
