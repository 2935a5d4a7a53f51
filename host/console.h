// The console of kelpie-export: the plug-in's MessageSink and the place where
// the host's own notes, the stores' I/O errors and the progress of an export
// are shown.
//
// Info goes to the output stream (nothing with quiet), Warning and Error to
// the error stream with a prefix. Every text is printed as it stands: the
// only texts that are formats are the plug-in's four "<property>: %s" forms,
// which are filled with their argument by plain substitution, never printf.
//
// With progress on (the output stream is a terminal), the messages of a
// running export are folded into one line that is redrawn in place: files and
// bytes written, elapsed time and the latest message. In a pipe every message
// is a line of its own.
#ifndef KELPIE_HOST_CONSOLE_H
#define KELPIE_HOST_CONSOLE_H

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "kelpie/kelpie.h"

namespace kelpie::host {

class Console final : public MessageSink {
 public:
  Console(std::FILE* out, std::FILE* err, bool quiet, bool progress);

  // MessageSink.
  void Info(const char* format, ...) override;
  void Error(const char* text, int zero) override;
  void Warning(const char* text, int zero) override;

  // The host's own messages.
  void Note(const std::string& text);         // like Info
  void HostError(const std::string& text);    // "kelpie-export: error: " + text
  void Report(const std::string& text);       // a summary line on the error stream (nothing with quiet)

  // An export's progress: BeginExport resets the counters, the stores report
  // every closed file, EndExport finishes the progress line.
  void BeginExport(const std::string& label);
  void FileWritten(std::uint64_t bytes);
  void EndExport();
  std::uint64_t files() const { return files_; }
  std::uint64_t bytes() const { return bytes_; }
  double Seconds() const;

  int errorCount() const { return errors_; }

 private:
  void Line(std::FILE* stream, const std::string& text);
  void ShowInfo(const std::string& text);
  void Redraw(bool force);
  void ClearProgress();

  std::FILE* out_;
  std::FILE* err_;
  bool quiet_;
  bool progress_;
  bool exporting_ = false;
  bool progressShown_ = false;
  std::string label_;
  std::string lastMessage_;
  std::uint64_t files_ = 0;
  std::uint64_t bytes_ = 0;
  int errors_ = 0;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDraw_;
};

// The plug-in's one-argument Info formats: "Job name: %s" and the like. Any
// other text is a complete message.
bool IsPropertyFormat(const char* format);

// "12.3 kB" and the like.
std::string ByteText(std::uint64_t bytes);

}  // namespace kelpie::host

#endif  // KELPIE_HOST_CONSOLE_H
