// Host objects whose tables are arrays of plain functions, filled by
// position. The library calls them through its own header: if that header
// ever shifted an entry, the call would land in the wrong function here.
#ifndef KELPIE_TESTS_ABI_HAND_BUILT_H
#define KELPIE_TESTS_ABI_HAND_BUILT_H

#include <cstdarg>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "kelpie/kelpie.h"

namespace kelpie::abi {

// One call of a host object: which table entry, and what it received.
struct Call {
  int entry;
  std::string text;
  std::intptr_t number;  // the trailing 0, a handle, or -1 when none
  bool operator==(const Call&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Call& call) {
  return out << "{" << call.entry << ", \"" << call.text << "\", " << call.number << "}";
}

// Builds a table whose prefix (offset to top, type information) is taken
// from a real class derived from the interface, so that the runtime's type
// checks accept the object, and whose entries are the given functions.
template <typename RealClass, int kEntries>
struct Table {
  explicit Table(const void* const (&entries)[kEntries]) {
    RealClass real;
    const void* const* realTable = *reinterpret_cast<const void* const* const*>(&real);
    slots[0] = realTable[-2];
    slots[1] = realTable[-1];
    for (int i = 0; i < kEntries; ++i) slots[2 + i] = entries[i];
  }
  const void* slots[2 + kEntries];
  const void* const* Pointer() const { return &slots[2]; }
};

class ProbeSink final : public MessageSink {
 public:
  void Info(const char*, ...) override {}
  void Error(const char*, int) override {}
  void Warning(const char*, int) override {}
};

class ProbeStore final : public FileStore {
 public:
  bool MakeDirectory(const char*) override { return true; }
  FileHandle Open(const char*) override { return 0; }
  bool Write(FileHandle, const char*) override { return true; }
  bool Close(FileHandle) override { return true; }
};

// ---- The sink: entries 0 Info, 1 Error, 2 Warning ----

struct HandBuiltSink {
  const void* const* table;
  std::vector<Call> calls;

  HandBuiltSink();
  MessageSink* AsSink() { return reinterpret_cast<MessageSink*>(this); }
};

inline bool IsFormat(const std::string& text) {
  return text == "Job name: %s" || text == "Customer name: %s" || text == "Comment: %s" ||
         text == "Board thickness: %s";
}

inline void SinkInfo(HandBuiltSink* self, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = format;
  if (IsFormat(text)) {
    // The one %s is filled by hand: the argument is never a format itself.
    text.replace(text.size() - 2, 2, va_arg(args, const char*));
    self->calls.push_back({0, text, -1});
  } else {
    self->calls.push_back({0, text, va_arg(args, int)});
  }
  va_end(args);
}
inline void SinkError(HandBuiltSink* self, const char* text, int zero) {
  self->calls.push_back({1, text, zero});
}
inline void SinkWarning(HandBuiltSink* self, const char* text, int zero) {
  self->calls.push_back({2, text, zero});
}

inline HandBuiltSink::HandBuiltSink() {
  static const void* const entries[3] = {reinterpret_cast<const void*>(&SinkInfo),
                                         reinterpret_cast<const void*>(&SinkError),
                                         reinterpret_cast<const void*>(&SinkWarning)};
  static const Table<ProbeSink, 3> shared(entries);
  table = shared.Pointer();
}

// ---- The store: entries 0 MakeDirectory, 1 Open, 2 Write, 3 Close ----

struct HandBuiltStore {
  const void* const* table;
  std::vector<Call> calls;
  FileHandle nextHandle = 5;  // 0 makes every Open fail

  HandBuiltStore();
  FileStore* AsStore() { return reinterpret_cast<FileStore*>(this); }
};

inline bool StoreMakeDirectory(HandBuiltStore* self, const char* path) {
  self->calls.push_back({0, path, -1});
  return true;
}
inline FileHandle StoreOpen(HandBuiltStore* self, const char* path) {
  self->calls.push_back({1, path, self->nextHandle});
  return self->nextHandle != 0 ? self->nextHandle++ : 0;
}
inline bool StoreWrite(HandBuiltStore* self, FileHandle handle, const char* text) {
  self->calls.push_back({2, text, handle});
  return true;
}
inline bool StoreClose(HandBuiltStore* self, FileHandle handle) {
  self->calls.push_back({3, "", handle});
  return true;
}

inline HandBuiltStore::HandBuiltStore() {
  static const void* const entries[4] = {reinterpret_cast<const void*>(&StoreMakeDirectory),
                                         reinterpret_cast<const void*>(&StoreOpen),
                                         reinterpret_cast<const void*>(&StoreWrite),
                                         reinterpret_cast<const void*>(&StoreClose)};
  static const Table<ProbeStore, 4> shared(entries);
  table = shared.Pointer();
}

}  // namespace kelpie::abi

#endif
