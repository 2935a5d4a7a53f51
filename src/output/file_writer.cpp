#include "output/file_writer.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "output/clock.h"
#include "output/text.h"

namespace kelpie {

namespace {

// Thrown by a store's Write while a summary is written; tells that case
// apart from any other failure of the summary.
struct StoreWriteFailed {};

void StoreWrite(FileStore& store, FileHandle handle, const std::string& text) {
  try {
    store.Write(handle, text.c_str());
  } catch (...) {
    throw StoreWriteFailed{};
  }
}

// DATE=dd/mm/yyyy and TIME=hh:mm:ss, each from its own reading of the clock
// (or both from SOURCE_DATE_EPOCH).
std::string DateText() {
  const std::tm now = MomentOfWriting();
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d", now.tm_mday, now.tm_mon + 1,
                now.tm_year + 1900);
  return buffer;
}

std::string TimeText() {
  const std::tm now = MomentOfWriting();
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", now.tm_hour, now.tm_min, now.tm_sec);
  return buffer;
}

}  // namespace

void LineBuffer::Grow(size_t count) { bytes_.resize(std::max(2 * bytes_.size(), size_ + count)); }

FileWriter::FileWriter(const OutputTarget& target, std::string directory, std::string fileName,
                       bool writeSummary)
    : target_(target) {
  try {
    directory_ = std::move(directory);
    fileName_ = std::move(fileName);
    writeSummary_ = writeSummary;
    if (!directory_.empty()) {
      target_.store.MakeDirectory(directory_.c_str());
      path_ = directory_ + "\\" + fileName_;
    } else {
      path_ = fileName_;
    }
    handle_ = target_.store.Open(path_.c_str());
    if (handle_ == 0) {
      target_.messages.Error("Could not open output file: " + path_);
      closed_ = true;
      return;
    }
    closed_ = false;
    if (target_.headerLine) WriteSpacedNumber("# KELPIE converter version", 211);
  } catch (...) {
    target_.messages.Error("Unexpected error in cFileWriter");
    closed_ = true;
  }
}

FileWriter::~FileWriter() {
  if (closed_) return;
  try {
    target_.messages.Error("File was not closed: " + path_);
    target_.store.Close(handle_);
  } catch (...) {
    // A destructor must not let the host's exception out.
  }
}

void FileWriter::Close() {
  target_.store.Close(handle_);
  target_.messages.Info("Write " + path_ + " complete");
  if (writeSummary_) WriteSummary();
  closed_ = true;
}

void FileWriter::Emit(LineBuffer& line) {
  const char* text = line.Finish(target_.lineEnding);
  const std::string_view handedOver = line.text();
  // Emptied first, so that a store that throws leaves no line pending; the
  // bytes stay where they are until the next line is built.
  line.Clear();
  target_.store.Write(handle_, text);
  // Only a summary file quotes the checksum. Wrapping 32-bit arithmetic,
  // done unsigned so that overflow is defined even for a line of many
  // megabytes.
  if (writeSummary_) {
    std::uint32_t sum = 0;
    for (const char c : handedOver) sum += static_cast<std::uint32_t>(static_cast<signed char>(c));
    checksum_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(checksum_) + sum);
  }
  byteCount_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(byteCount_) +
                                         static_cast<std::uint32_t>(handedOver.size()));
}

void FileWriter::WriteLine(std::string_view text) {
  whole_.Add(text);
  Emit(whole_);
}

void FileWriter::WriteKeyNumber(std::string_view key, double value) {
  whole_.Add(key);
  whole_.AddNumber(value);
  Emit(whole_);
}

void FileWriter::WriteKeyText(std::string_view key, std::string_view value) {
  whole_.Add(key);
  whole_.Add(value);
  Emit(whole_);
}

void FileWriter::WriteSpacedNumber(std::string_view keyword, double value) {
  whole_.Add(keyword);
  whole_.Add(' ');
  whole_.AddNumber(value);
  Emit(whole_);
}

void FileWriter::WriteSpacedText(std::string_view keyword, std::string_view text) {
  whole_.Add(keyword);
  whole_.Add(' ');
  whole_.Add(text);
  Emit(whole_);
}

void FileWriter::ReportUnfinishedLine() {
  target_.messages.Error("Previous line was not completed: " + std::string(pending_.text()));
}

void FileWriter::WriteSummary() {
  FileStore& store = target_.store;
  const std::string summaryPath = directory_ + "\\." + fileName_ + ".sum";
  try {
    // The output file's handle is spent: should Open throw, the close
    // below must not reach that file a second time.
    handle_ = 0;
    handle_ = store.Open(summaryPath.c_str());
    try {
      const std::string dateText = DateText();
      const std::string timeText = TimeText();
      StoreWrite(store, handle_, "SIZE=");
      StoreWrite(store, handle_, IntToText(byteCount_) + "\n");
      StoreWrite(store, handle_, "SUM=");
      StoreWrite(store, handle_, IntToText(checksum_) + "\n");
      StoreWrite(store, handle_, "DATE=");
      StoreWrite(store, handle_, dateText + "\n");
      StoreWrite(store, handle_, "TIME=");
      StoreWrite(store, handle_, timeText + "\n");
      StoreWrite(store, handle_, "VERSION=");
      StoreWrite(store, handle_, "123\n");
      StoreWrite(store, handle_, "USER=");
      StoreWrite(store, handle_, "USER\n");
    } catch (const StoreWriteFailed&) {
      target_.messages.Error("File write error");
      store.Close(handle_);
      return;
    }
    store.Close(handle_);
  } catch (...) {
    try {
      store.Close(handle_);
    } catch (...) {
    }
    target_.messages.Error("Error writing sum file: " + summaryPath);
  }
}

void WriteFixedFile(const OutputTarget& target, std::string directory, std::string fileName,
                    bool writeSummary, std::span<const char* const> lines) {
  FileWriter writer(target, std::move(directory), std::move(fileName), writeSummary);
  for (const char* line : lines) writer.WriteLine(line);
  writer.Close();
}

}  // namespace kelpie
