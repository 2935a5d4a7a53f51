// In-memory host objects for the tests: a FileStore that keeps every file
// and records every call, and a MessageSink that keeps every message.
#ifndef KELPIE_TESTS_RECORDING_HOST_H
#define KELPIE_TESTS_RECORDING_HOST_H

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "kelpie/kelpie.h"

namespace kelpie::test {

struct Message {
  enum Kind { kInfo, kError, kWarning } kind;
  std::string text;
};

class RecordingSink : public MessageSink {
 public:
  void Info(const char* format, ...) override;
  void Error(const char* text, int zero) override;
  void Warning(const char* text, int zero) override;

  std::vector<std::string> Texts(Message::Kind kind) const;
  std::vector<std::string> Errors() const { return Texts(Message::kError); }
  std::vector<std::string> Warnings() const { return Texts(Message::kWarning); }
  std::vector<std::string> Infos() const { return Texts(Message::kInfo); }
  bool Has(Message::Kind kind, const std::string& text) const;
  bool HasError(const std::string& text) const { return Has(Message::kError, text); }
  void Clear() { messages.clear(); }

  std::vector<Message> messages;
};

class RecordingStore : public FileStore {
 public:
  bool MakeDirectory(const char* path) override;
  FileHandle Open(const char* path) override;
  bool Write(FileHandle handle, const char* text) override;
  bool Close(FileHandle handle) override;

  // Contents of the files by path (a path opened twice keeps the last).
  std::map<std::string, std::string> files;
  // Every call, in order: "mkdir <path>", "open <path>", "close <path>".
  std::vector<std::string> calls;
  // Paths in the order they were opened.
  std::vector<std::string> opened;
  // Writes and closes that arrived with handle 0.
  int writesToHandleZero = 0;
  int closesOfHandleZero = 0;
  // Open returns 0 when this says so.
  std::function<bool(const std::string& path)> refuseOpen;
  // Lines of one file, split at "\n" (the ending kept off).
  std::vector<std::string> Lines(const std::string& path) const;
  bool Has(const std::string& path) const { return files.count(path) != 0; }

 private:
  std::vector<std::string> handles_;  // handle n -> path of slot n-1
  std::vector<bool> open_;
};

// Creates a server through the exported entry point and deletes it at the
// end of the scope.
class ServerFixture {
 public:
  ServerFixture();
  ~ServerFixture();
  ServerFixture(const ServerFixture&) = delete;
  ServerFixture& operator=(const ServerFixture&) = delete;

  IKELPIE* server = nullptr;
  RecordingSink sink;
  RecordingStore store;
};

}  // namespace kelpie::test

#endif
