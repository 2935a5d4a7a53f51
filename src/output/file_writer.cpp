#include "output/file_writer.h"

#include <cstdio>

#include "output/clock.h"
#include "output/text.h"
#include "server/host_services.h"
#include "server/server.h"

namespace kelpie {

namespace {

bool UseCrLf() { return currentServer != nullptr && currentServer->useCrLf; }
bool WriteHeaderLineSwitch() {
  return currentServer != nullptr && currentServer->writeHeaderLine;
}

// A job started without a store writes nowhere: every open fails (and is
// reported), everything else is ignored, and nothing dereferences null.
class NoStore final : public FileStore {
 public:
  bool MakeDirectory(const char*) override { return false; }
  FileHandle Open(const char*) override { return 0; }
  bool Write(FileHandle, const char*) override { return false; }
  bool Close(FileHandle) override { return false; }
};

FileStore& Store() {
  static NoStore noStore;
  return fileStore != nullptr ? *fileStore : noStore;
}

// Thrown by a store's Write while a summary is written; tells that case
// apart from any other failure of the summary.
struct StoreWriteFailed {};

void StoreWrite(FileHandle handle, const std::string& text) {
  try {
    Store().Write(handle, text.c_str());
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

cFileWriter::cFileWriter(const std::string& directoryIn, const std::string& fileNameIn,
                         bool writeSummaryIn) {
  try {
    directory = directoryIn;
    fileName = fileNameIn;
    writeSummary = writeSummaryIn;
    if (!directory.empty()) {
      Store().MakeDirectory(directory.c_str());
      path = directory + "\\" + fileName;
    } else {
      path = fileName;
    }
    handle = Store().Open(path.c_str());
    if (handle == 0) {
      SendError("Could not open output file: " + path);
      closed = true;
      return;
    }
    closed = false;
    if (WriteHeaderLineSwitch()) WriteSpacedNumber("# KELPIE converter version", 211);
  } catch (...) {
    SendError("Unexpected error in cFileWriter");
    closed = true;
  }
}

cFileWriter::~cFileWriter() {
  if (closed) return;
  try {
    SendError("File was not closed: " + path);
    Store().Close(handle);
  } catch (...) {
    // A destructor must not let the host's exception out.
  }
}

bool cFileWriter::Close() {
  Store().Close(handle);
  SendInfo("Write " + path + " complete");
  if (writeSummary) WriteSummary();
  closed = true;
  return false;
}

void cFileWriter::Emit(std::string& line) {
  if (UseCrLf()) line += '\r';
  line += '\n';
  Store().Write(handle, line.c_str());
  // Wrapping 32-bit arithmetic, done unsigned so that overflow is defined
  // even for a line of many megabytes.
  std::uint32_t sum = 0;
  for (const char c : line) sum += static_cast<std::uint32_t>(static_cast<signed char>(c));
  checksum = static_cast<std::int32_t>(static_cast<std::uint32_t>(checksum) + sum);
  byteCount = static_cast<std::int32_t>(static_cast<std::uint32_t>(byteCount) +
                                        static_cast<std::uint32_t>(line.size()));
}

bool cFileWriter::WriteLine(const std::string& text) {
  scratch_.assign(text);
  Emit(scratch_);
  return false;
}

bool cFileWriter::WriteKeyNumber(const std::string& key, double value) {
  scratch_.assign(key);
  AppendNumberText(scratch_, value);
  Emit(scratch_);
  return false;
}

bool cFileWriter::WriteKeyText(const std::string& key, const std::string& value) {
  scratch_.assign(key);
  scratch_ += value;
  Emit(scratch_);
  return false;
}

bool cFileWriter::WriteSpacedNumber(const std::string& keyword, double value) {
  scratch_.assign(keyword);
  scratch_ += ' ';
  AppendNumberText(scratch_, value);
  Emit(scratch_);
  return false;
}

bool cFileWriter::WriteSpacedText(const std::string& keyword, const std::string& text) {
  scratch_.assign(keyword);
  scratch_ += ' ';
  scratch_ += text;
  Emit(scratch_);
  return false;
}

bool cFileWriter::BeginLine(const std::string& text) {
  if (!pending.empty()) {
    SendError("Previous line was not completed: " + pending);
    return true;
  }
  pending = text;
  return false;
}

bool cFileWriter::Append(const std::string& text) {
  pending += text;
  return false;
}

bool cFileWriter::AppendNumber(double value) {
  AppendNumberText(pending, value);
  return false;
}

bool cFileWriter::AddField(const std::string& text) {
  pending += ' ';
  pending += text;
  return false;
}

bool cFileWriter::AddNumber(double value) {
  pending += ' ';
  AppendNumberText(pending, value);
  return false;
}

bool cFileWriter::EndLine(const std::string& text) {
  AddField(text);
  // Swap rather than copy: the pending buffer keeps its capacity for the
  // next line.
  pending.swap(scratch_);
  pending.clear();
  Emit(scratch_);
  return false;
}

bool cFileWriter::WriteRectangleRecord(double x1, double y1, double x2, double y2, double dx,
                                       double dy) {
  if (BeginLine("RC")) return true;
  AddNumber(x1 + dx);
  AddNumber(y1 + dy);
  AddNumber(x2 - x1);
  return EndLine(NumberToText(y2 - y1));
}

bool cFileWriter::WriteCircleRecord(double radius, double xc, double yc) {
  if (BeginLine("CR")) return true;
  AddNumber(xc);
  AddNumber(yc);
  return EndLine(NumberToText(radius));
}

bool cFileWriter::WriteSummary() {
  const std::string summaryPath = directory + "\\." + fileName + ".sum";
  try {
    // The output file's handle is spent: should Open throw, the close
    // below must not reach that file a second time.
    handle = 0;
    handle = Store().Open(summaryPath.c_str());
    try {
      const std::string dateText = DateText();
      const std::string timeText = TimeText();
      StoreWrite(handle, "SIZE=");
      StoreWrite(handle, IntToText(byteCount) + "\n");
      StoreWrite(handle, "SUM=");
      StoreWrite(handle, IntToText(checksum) + "\n");
      StoreWrite(handle, "DATE=");
      StoreWrite(handle, dateText + "\n");
      StoreWrite(handle, "TIME=");
      StoreWrite(handle, timeText + "\n");
      StoreWrite(handle, "VERSION=");
      StoreWrite(handle, "123\n");
      StoreWrite(handle, "USER=");
      StoreWrite(handle, "USER\n");
    } catch (const StoreWriteFailed&) {
      SendError("File write error");
      Store().Close(handle);
      return true;
    }
    Store().Close(handle);
    return false;
  } catch (...) {
    try {
      Store().Close(handle);
    } catch (...) {
    }
    SendError("Error writing sum file: " + summaryPath);
    return true;
  }
}

}  // namespace kelpie
