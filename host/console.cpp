#include "console.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstring>

namespace kelpie::host {

namespace {

// The plug-in reports its job properties as (format, text); everything else
// arrives as (complete text, 0).
constexpr const char* kPropertyFormats[] = {"Job name: %s", "Customer name: %s", "Comment: %s",
                                            "Board thickness: %s"};

int TerminalWidth(std::FILE* stream) {
  winsize size{};
  if (ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 10) return size.ws_col;
  return 80;
}

}  // namespace

bool IsPropertyFormat(const char* format) {
  if (format == nullptr) return false;
  for (const char* known : kPropertyFormats)
    if (std::strcmp(format, known) == 0) return true;
  return false;
}

std::string ByteText(std::uint64_t bytes) {
  const char* units[] = {"bytes", "kB", "MB", "GB"};
  if (bytes < 1000) return std::to_string(bytes) + " bytes";
  double value = static_cast<double>(bytes);
  int unit = 0;
  while (value >= 1000 && unit < 3) {
    value /= 1000;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
  return text;
}

Console::Console(std::FILE* out, std::FILE* err, bool quiet, bool progress)
    : out_(out), err_(err), quiet_(quiet), progress_(progress && !quiet) {}

void Console::Info(const char* format, ...) {
  // Nothing may unwind back into the plug-in.
  try {
    std::string text;
    if (IsPropertyFormat(format)) {
      va_list args;
      va_start(args, format);
      const char* argument = va_arg(args, const char*);
      va_end(args);
      text = format;
      text.replace(text.find("%s"), 2, argument != nullptr ? argument : "");
    } else if (format != nullptr) {
      text = format;
    }
    ShowInfo(text);
  } catch (...) {
  }
}

void Console::Error(const char* text, int) {
  try {
    ++errors_;
    ClearProgress();
    Line(err_, std::string("error: ") + (text != nullptr ? text : ""));
    Redraw(true);
  } catch (...) {
  }
}

void Console::Warning(const char* text, int) {
  try {
    ClearProgress();
    Line(err_, std::string("warning: ") + (text != nullptr ? text : ""));
    Redraw(true);
  } catch (...) {
  }
}

void Console::Note(const std::string& text) {
  if (quiet_) return;
  ClearProgress();
  Line(out_, text);
  Redraw(true);
}

void Console::Report(const std::string& text) {
  if (quiet_) return;
  ClearProgress();
  Line(err_, text);
  Redraw(true);
}

void Console::HostError(const std::string& text) {
  ++errors_;
  ClearProgress();
  Line(err_, "kelpie-export: error: " + text);
  Redraw(true);
}

void Console::BeginExport(const std::string& label) {
  label_ = label;
  lastMessage_.clear();
  files_ = 0;
  bytes_ = 0;
  start_ = std::chrono::steady_clock::now();
  lastDraw_ = start_;
  exporting_ = true;
}

void Console::FileWritten(std::uint64_t bytes) {
  ++files_;
  bytes_ += bytes;
  Redraw(false);
}

void Console::EndExport() {
  ClearProgress();
  exporting_ = false;
}

double Console::Seconds() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void Console::Line(std::FILE* stream, const std::string& text) {
  // Written as data, never as a format.
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fputc('\n', stream);
  std::fflush(stream);
}

void Console::ShowInfo(const std::string& text) {
  if (quiet_) return;
  if (exporting_ && progress_) {
    lastMessage_ = text;
    Redraw(false);
    return;
  }
  Line(out_, text);
}

void Console::Redraw(bool force) {
  if (!progress_ || !exporting_) return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && progressShown_ && now - lastDraw_ < std::chrono::milliseconds(100)) return;
  lastDraw_ = now;
  char figures[96];
  std::snprintf(figures, sizeof figures, ": %llu files, %s, %.1f s", static_cast<unsigned long long>(files_),
                ByteText(bytes_).c_str(), Seconds());
  std::string line = label_ + figures;
  if (!lastMessage_.empty()) line += "  " + lastMessage_;
  const size_t width = static_cast<size_t>(TerminalWidth(out_)) - 1;
  if (line.size() > width) line.resize(width);
  std::fputs("\r\033[K", out_);
  std::fwrite(line.data(), 1, line.size(), out_);
  std::fflush(out_);
  progressShown_ = true;
}

void Console::ClearProgress() {
  if (!progressShown_) return;
  std::fputs("\r\033[K", out_);
  std::fflush(out_);
  progressShown_ = false;
}

}  // namespace kelpie::host
