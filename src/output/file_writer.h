// FileWriter: the one way any output file is written. It hands each finished
// line to the host's FileStore, counts the bytes and a checksum of everything
// it handed over, and on Close reports completion and writes the ".sum"
// summary file when asked to.
#ifndef KELPIE_OUTPUT_FILE_WRITER_H
#define KELPIE_OUTPUT_FILE_WRITER_H

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/messages.h"
#include "kelpie/kelpie.h"
#include "output/text.h"

namespace kelpie {

// A line being built. It grows to the longest line of its file and is then
// reused, so that building a line allocates nothing; numbers are printed
// straight into it.
class LineBuffer {
 public:
  bool empty() const { return size_ == 0; }
  std::string_view text() const { return {bytes_.data(), size_}; }
  void Clear() { size_ = 0; }
  void Add(std::string_view text) {
    if (text.empty()) return;  // an empty view may hold no address at all
    std::memcpy(Room(text.size()), text.data(), text.size());
    size_ += text.size();
  }
  void Add(char c) {
    *Room(1) = c;
    ++size_;
  }
  void AddNumber(double value) {  // as NumberToText prints it
    char* at = Room(kNumberTextRoom);
    size_ += static_cast<size_t>(FormatNumber(at, value) - at);
  }
  void AddInt(std::int32_t value) {
    char* at = Room(kIntTextRoom);
    size_ += static_cast<size_t>(FormatInt(at, value) - at);
  }
  // Adds the ending and a terminating NUL, as the store takes a line; the
  // line's text then includes the ending.
  const char* Finish(std::string_view ending) {
    Add(ending);
    *Room(1) = '\0';
    return bytes_.data();
  }

 private:
  // Where the next `count` bytes go, after growing the buffer if needed.
  char* Room(size_t count) {
    if (size_ + count > bytes_.size()) Grow(count);
    return bytes_.data() + size_;
  }
  void Grow(size_t count);

  std::vector<char> bytes_;
  size_t size_ = 0;
};

// Where one export's files go and how their lines look.
struct OutputTarget {
  FileStore& store;
  const Messages& messages;
  std::string_view lineEnding;  // "\n" or "\r\n"
  bool headerLine;              // each file begins "# KELPIE converter version 211"
};

class FileWriter {
 public:
  // Opens directory + "\" + fileName (fileName alone when the directory is
  // empty) in the target's store. A failed open is reported and leaves the
  // writer usable: its lines go to the store with handle 0.
  FileWriter(const OutputTarget& target, std::string directory, std::string fileName,
             bool writeSummary);
  // Reports "File was not closed: " + path when Close was never called.
  ~FileWriter();
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  // False from a failed open until the end, and after Close.
  bool IsOpen() const { return !closed_; }
  // Closes the file, reports it complete and writes its summary file. A line
  // begun and never ended is dropped.
  void Close();

  // Whole lines; each adds the line ending.
  void WriteLine(std::string_view text);
  void WriteKeyNumber(std::string_view key, double value);  // "key" "value"
  void WriteKeyText(std::string_view key, std::string_view value);
  void WriteSpacedNumber(std::string_view keyword, double value);  // "keyword value"
  void WriteSpacedText(std::string_view keyword, std::string_view text);

  // A line built from fields: BeginLine with the first, AddField or AddNumber
  // for the next ones (each after one blank), EndLine with the last. Append
  // adds text with no blank. BeginLine while a line is still open reports
  // "Previous line was not completed" and leaves that line as it is; the
  // writers of this library always end their lines or give up the file.
  // These run for every field of millions of lines, so they are defined
  // here, where the exporters' calls can inline them.
  void BeginLine(std::string_view text) {
    if (!pending_.empty()) {
      ReportUnfinishedLine();
      return;
    }
    pending_.Add(text);
  }
  void Append(std::string_view text) { pending_.Add(text); }
  void AppendNumber(double value) { pending_.AddNumber(value); }
  void AddField(std::string_view text) {
    pending_.Add(' ');
    pending_.Add(text);
  }
  void AddNumber(double value) {
    pending_.Add(' ');
    pending_.AddNumber(value);
  }
  // Whole numbers as printf "%d" prints them, straight into the line.
  void AppendInt(std::int32_t value) { pending_.AddInt(value); }
  void AddInt(std::int32_t value) {
    pending_.Add(' ');
    pending_.AddInt(value);
  }
  void EndLine(std::string_view text) {
    AddField(text);
    EndLine();
  }
  // Ends the line with what it holds, adding no field.
  void EndLine() { Emit(pending_); }

  const std::string& path() const { return path_; }
  std::int32_t byteCount() const { return byteCount_; }
  std::int32_t checksum() const { return checksum_; }  // kept for a file with a summary

 private:
  void WriteSummary();
  // "Previous line was not completed: " + the pending line.
  void ReportUnfinishedLine();
  // Hands one line, ending included, to the store and counts it.
  void Emit(LineBuffer& line);

  const OutputTarget& target_;
  bool closed_ = true;
  std::int32_t byteCount_ = 0;
  std::string directory_;
  std::string fileName_;
  std::string path_;
  bool writeSummary_ = false;
  std::int32_t checksum_ = 0;
  LineBuffer pending_;  // the line being built field by field
  FileHandle handle_ = 0;
  LineBuffer whole_;  // a whole line being handed over
};

// A whole file of fixed lines.
void WriteFixedFile(const OutputTarget& target, std::string directory, std::string fileName,
                    bool writeSummary, std::span<const char* const> lines);

}  // namespace kelpie

#endif
