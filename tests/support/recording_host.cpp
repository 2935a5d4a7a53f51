#include "recording_host.h"

#include <cstdarg>
#include <cstdio>

namespace kelpie::test {

void RecordingSink::Info(const char* format, ...) {
  // The library passes either ("...%s", text) or (complete text, 0); a
  // complete text is kept verbatim.
  // Only the four property formats carry a text argument; anything else is
  // complete, even when a host-given name in it holds "%s".
  va_list args;
  va_start(args, format);
  std::string text = format;
  if (text == "Job name: %s" || text == "Customer name: %s" || text == "Comment: %s" ||
      text == "Board thickness: %s") {
    const char* argument = va_arg(args, const char*);
    text.replace(text.size() - 2, 2, argument != nullptr ? argument : "");
  }
  va_end(args);
  messages.push_back({Message::kInfo, text});
}

void RecordingSink::Error(const char* text, int) { messages.push_back({Message::kError, text}); }

void RecordingSink::Warning(const char* text, int) {
  messages.push_back({Message::kWarning, text});
}

std::vector<std::string> RecordingSink::Texts(Message::Kind kind) const {
  std::vector<std::string> texts;
  for (const Message& message : messages)
    if (message.kind == kind) texts.push_back(message.text);
  return texts;
}

bool RecordingSink::Has(Message::Kind kind, const std::string& text) const {
  for (const Message& message : messages)
    if (message.kind == kind && message.text == text) return true;
  return false;
}

bool RecordingStore::MakeDirectory(const char* path) {
  calls.push_back(std::string("mkdir ") + path);
  return true;
}

FileHandle RecordingStore::Open(const char* path) {
  calls.push_back(std::string("open ") + path);
  if (refuseOpen && refuseOpen(path)) return 0;
  opened.push_back(path);
  files[path].clear();
  handles_.push_back(path);
  open_.push_back(true);
  return static_cast<FileHandle>(handles_.size());
}

bool RecordingStore::Write(FileHandle handle, const char* text) {
  if (handle == 0) {
    ++writesToHandleZero;
    return true;
  }
  files[handles_.at(static_cast<size_t>(handle) - 1)] += text;
  return true;
}

bool RecordingStore::Close(FileHandle handle) {
  if (handle == 0) {
    ++closesOfHandleZero;
    return true;
  }
  calls.push_back("close " + handles_.at(static_cast<size_t>(handle) - 1));
  open_.at(static_cast<size_t>(handle) - 1) = false;
  return true;
}

std::vector<std::string> RecordingStore::Lines(const std::string& path) const {
  std::vector<std::string> lines;
  auto found = files.find(path);
  if (found == files.end()) return lines;
  const std::string& text = found->second;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

ServerFixture::ServerFixture() { server = createkelpieserver(&sink, "test host", kApiVersion); }

ServerFixture::~ServerFixture() { deletekelpieserver(server); }

}  // namespace kelpie::test
