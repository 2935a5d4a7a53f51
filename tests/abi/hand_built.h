// Host objects whose tables are arrays of plain functions, filled by
// position. The library calls them through its own header: if that header
// ever shifted an entry, the call would land in the wrong function here.
#ifndef KELPIE_TESTS_ABI_HAND_BUILT_H
#define KELPIE_TESTS_ABI_HAND_BUILT_H

#include <cstdarg>
#include <cstdint>
#include <ostream>
#include <string>
#include <typeinfo>
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
inline std::ostream& operator<<(std::ostream& o, const Call& c) {
  return o << "{" << c.entry << ", \"" << c.text << "\", " << c.number << "}";
}

// The object: its table, then what it recorded. The table is preceded by
// the offset to top and the interface's type information, so that the
// runtime's type checks accept the object. Sink entries: 0 Info, 1 Error,
// 2 Warning; store entries: 0 MakeDirectory, 1 Open, 2 Write, 3 Close.
struct HandBuilt {
  const void* const* table;
  std::vector<Call> calls;
  FileHandle nextHandle = 5;
  MessageSink* AsSink() { return reinterpret_cast<MessageSink*>(this); }
  FileStore* AsStore() { return reinterpret_cast<FileStore*>(this); }
};

inline void SinkInfo(HandBuilt* self, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = format;
  if (text == "Job name: %s" || text == "Customer name: %s" || text == "Comment: %s" ||
      text == "Board thickness: %s") {
    text.replace(text.size() - 2, 2, va_arg(args, const char*));
    self->calls.push_back({0, text, -1});
  } else {
    self->calls.push_back({0, text, va_arg(args, int)});
  }
  va_end(args);
}

inline void SinkError(HandBuilt* self, const char* text, int zero) {
  self->calls.push_back({1, text, zero});
}
inline void SinkWarning(HandBuilt* self, const char* text, int zero) {
  self->calls.push_back({2, text, zero});
}
inline bool StoreMakeDirectory(HandBuilt* self, const char* path) {
  self->calls.push_back({0, path, -1});
  return true;
}
inline FileHandle StoreOpen(HandBuilt* self, const char* path) {
  self->calls.push_back({1, path, self->nextHandle});
  return self->nextHandle++;
}
inline bool StoreWrite(HandBuilt* self, FileHandle handle, const char* text) {
  self->calls.push_back({2, text, handle});
  return true;
}
inline bool StoreClose(HandBuilt* self, FileHandle handle) {
  self->calls.push_back({3, "", handle});
  return true;
}

template <typename F>
const void* Entry(F* function) { return reinterpret_cast<const void*>(function); }

struct HandBuiltSink : HandBuilt {
  HandBuiltSink() {
    static const void* const slots[] = {nullptr, &typeid(MessageSink), Entry(SinkInfo),
                                        Entry(SinkError), Entry(SinkWarning)};
    table = &slots[2];
  }
};
struct HandBuiltStore : HandBuilt {
  HandBuiltStore() {
    static const void* const slots[] = {nullptr, &typeid(FileStore), Entry(StoreMakeDirectory),
                                        Entry(StoreOpen), Entry(StoreWrite), Entry(StoreClose)};
    table = &slots[2];
  }
};

}  // namespace kelpie::abi

#endif
