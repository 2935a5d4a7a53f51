// FileWriter through a recording store: line endings, header line, counts
// and signed checksums, pending lines, handle 0, failures and the summary.
#include "output/file_writer.h"

#include <gtest/gtest.h>

#include <ctime>
#include <regex>
#include <stdexcept>

#include "output/clock.h"
#include "output/text.h"
#include "recording_host.h"

namespace kelpie::test {
namespace {

using Texts = std::vector<std::string>;

// An output target on a store that throws on `throwOn`.
struct Job : RecordingStore {
  Job(bool crlf, bool header) : target{*this, messages, crlf ? "\r\n" : "\n", header} {}
  FileHandle Open(const char* path) override {
    if (throwOn == path) throw std::runtime_error("open failed");
    return RecordingStore::Open(path);
  }
  bool Write(FileHandle handle, const char* text) override {
    if (throwOn == text) throw std::runtime_error("disk full");
    return RecordingStore::Write(handle, text);
  }
  RecordingSink sink;
  MessageSink* sinkPointer = &sink;
  Messages messages{sinkPointer};
  OutputTarget target;
  std::string throwOn;
};

TEST(FileWriter, LinesCountsAndSummary) {
  unsetenv("SOURCE_DATE_EPOCH");  // the clock's own local time
  Job job(false, true);
  FileWriter w(job.target, "d", "f", true);
  EXPECT_EQ(w.byteCount(), 31);  // the header line, counted
  w.WriteLine("\x80\x81");       // bytes of 0x80 and above count negative
  w.BeginLine("first");
  w.AddNumber(1.5);
  w.Append("x");
  w.AppendNumber(-0.0000004);
  w.BeginLine("second");  // refused: the pending line stays
  w.EndLine("end");
  w.AddField("lead");  // no BeginLine: the line starts with a blank
  w.EndLine("tail");
  w.Append("dropped");  // never ended: Close drops it silently
  const std::time_t before = std::time(nullptr);
  w.Close();
  const std::time_t after = std::time(nullptr);
  const std::string text = job.files["d\\f"];
  EXPECT_EQ(text, "# KELPIE converter version 211\n\x80\x81\nfirst 1.5x-0 end\n lead tail\n");
  std::int32_t sum = 0;
  for (const char c : text) sum += static_cast<signed char>(c);
  EXPECT_EQ(w.byteCount(), static_cast<std::int32_t>(text.size()));
  EXPECT_EQ(w.checksum(), sum);
  EXPECT_EQ(job.sink.Errors(), Texts{"Previous line was not completed: first 1.5x-0"});

  std::smatch m;
  const std::string summary = job.files["d\\.f.sum"];
  ASSERT_TRUE(std::regex_match(summary, m,
                               std::regex("SIZE=(\\d+)\nSUM=(-?\\d+)\nDATE=(.*)\n"
                                          "TIME=\\d\\d:\\d\\d:\\d\\d\n"
                                          "VERSION=123\nUSER=USER\n")))
      << summary;
  EXPECT_EQ(m[1], std::to_string(text.size()));
  EXPECT_EQ(m[2], std::to_string(sum));
  auto date = [](std::time_t t) {
    char text[16];
    return std::string(text, std::strftime(text, sizeof text, "%d/%m/%Y", std::localtime(&t)));
  };
  EXPECT_TRUE(m[3] == date(before) || m[3] == date(after)) << m[3];
  EXPECT_EQ(job.calls,
            (Texts{"mkdir d", "open d\\f", "close d\\f", "open d\\.f.sum", "close d\\.f.sum"}));
}

// A valid SOURCE_DATE_EPOCH replaces the clock by that moment in UTC; any
// other value is ignored.
TEST(FileWriter, SourceDateEpochFixesTheMomentOfWriting) {
  setenv("SOURCE_DATE_EPOCH", "1796407509", 1);
  char text[32];
  const std::tm fixed = MomentOfWriting();
  EXPECT_EQ(std::string(text, std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &fixed)),
            "2026-12-04 18:05:09");
  for (const char* ignored : {"", "-1", "17964x", " 1796407509", "99999999999999999999999"}) {
    setenv("SOURCE_DATE_EPOCH", ignored, 1);
    const std::time_t before = std::time(nullptr);
    std::tm moment = MomentOfWriting();
    const std::time_t read = std::mktime(&moment);
    EXPECT_TRUE(read >= before && read <= std::time(nullptr)) << ignored;
  }
  unsetenv("SOURCE_DATE_EPOCH");
}

TEST(FileWriter, CrLfWithoutHeader) {
  Job job(true, false);
  FileWriter a(job.target, "", "a", true);
  a.WriteLine("AB");
  EXPECT_EQ(a.byteCount(), 4);
  EXPECT_EQ(a.checksum(), 154);
  a.WriteLine("\xE9");  // counts as -23, not 233
  EXPECT_EQ(a.checksum(), 154 - 23 + 13 + 10);
  a.Close();
  EXPECT_EQ(job.files["a"], "AB\r\n\xE9\r\n");
  EXPECT_EQ(job.calls.front(), "open a");  // no directory, no mkdir
}

TEST(FileWriter, Failures) {
  Job job(false, true);
  job.refuseOpen = [](const std::string& path) { return path == "d\\f"; };
  FileWriter f(job.target, "d", "f", true);  // refused: no header, lines go to handle 0
  f.WriteLine("still counted");
  f.Close();
  EXPECT_EQ(job.writesToHandleZero, 1);
  EXPECT_EQ(job.closesOfHandleZero, 1);
  EXPECT_EQ(job.Lines("d\\.f.sum").at(0), "SIZE=14");
  job.throwOn = "d\\g";
  { FileWriter g(job.target, "d", "g", false); }  // counts as closed, so leaves quietly
  { FileWriter left(job.target, "d", "left", true); }
  EXPECT_EQ(job.calls.back(), "close d\\left");
  EXPECT_FALSE(job.Has("d\\.left.sum"));

  job.throwOn = "SUM=";
  FileWriter h(job.target, "d", "h", true);
  h.Close();
  EXPECT_EQ(job.files["d\\.h.sum"], "SIZE=31\n");  // the rest is not written
  EXPECT_EQ(job.calls.back(), "close d\\.h.sum");
  job.throwOn = "d\\.i.sum";
  FileWriter i(job.target, "d", "i", true);
  i.Close();
  EXPECT_EQ(job.calls.back(), "close d\\i");  // the summary's close went to handle 0
  EXPECT_EQ(job.sink.Errors(),
            (Texts{"Could not open output file: d\\f", "Unexpected error in cFileWriter",
                   "File was not closed: d\\left", "File write error",
                   "Error writing sum file: d\\.i.sum"}));
  EXPECT_EQ(job.sink.Infos(),
            (Texts{"Write d\\f complete", "Write d\\h complete", "Write d\\i complete"}));
}

// The line buffer is reused from line to line and grows for long ones: a
// short line after a long one, and a pending line kept across whole lines,
// must come out exactly as built.
TEST(FileWriter, LinesOfEveryLengthShareOneBuffer) {
  Job job(false, false);
  FileWriter w(job.target, "", "f", false);
  const std::string longField(5000, 'x');
  w.BeginLine("P");
  w.AddField(longField);
  w.AddNumber(1e300);  // 301 digits, printed straight into the buffer
  w.EndLine("end");
  w.BeginLine("Q");
  w.AddInt(-2147483647 - 1);
  w.WriteLine("whole");  // a whole line leaves the pending one alone
  w.EndLine();
  w.WriteLine("");
  w.Close();
  const std::string expected =
      "P " + longField + " " + NumberToText(1e300) + " end\nwhole\nQ -2147483648\n\n";
  EXPECT_EQ(job.files["f"], expected);
  EXPECT_EQ(w.byteCount(), static_cast<std::int32_t>(job.files["f"].size()));
}

// A store that throws on a line's Write leaves no line pending: the next
// line begins without a complaint.
TEST(FileWriter, LineRefusedByTheStoreIsNotLeftPending) {
  Job job(false, false);
  FileWriter w(job.target, "", "f", false);
  job.throwOn = "lost\n";
  w.BeginLine("lost");
  EXPECT_THROW(w.EndLine(), std::runtime_error);
  w.BeginLine("next");
  w.EndLine();
  w.Close();
  EXPECT_EQ(job.files["f"], "next\n");
  EXPECT_TRUE(job.sink.Errors().empty());
}

}  // namespace
}  // namespace kelpie::test
