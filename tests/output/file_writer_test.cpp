// cFileWriter through a recording store: line endings, the header line,
// byte counts and signed checksums, pending lines, failed opens, the
// destruction message and the summary file.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <functional>
#include <regex>
#include <stdexcept>

#include "output/file_writer.h"
#include "recording_host.h"
#include "server/host_services.h"
#include "server/server.h"

namespace kelpie::test {
namespace {

// A recording store that also keeps every text handed to Write and can be
// told to throw.
class ScriptedStore : public RecordingStore {
 public:
  FileHandle Open(const char* path) override {
    if (throwOnOpen && throwOnOpen(path)) throw std::runtime_error("open failed");
    return RecordingStore::Open(path);
  }
  bool Write(FileHandle handle, const char* text) override {
    writes.push_back(text);
    if (throwOnWrite && throwOnWrite(text)) throw std::runtime_error("disk full");
    return RecordingStore::Write(handle, text);
  }
  std::vector<std::string> writes;
  std::function<bool(const std::string&)> throwOnOpen;
  std::function<bool(const std::string&)> throwOnWrite;
};

// A server for the two output switches, and the store as the job's store.
struct Job {
  explicit Job(bool crlf = false, bool header = false) {
    model.useCrLf = crlf;
    model.writeHeaderLine = header;
    fileStore = &store;
  }
  ~Job() { fileStore = nullptr; }
  ServerFixture f;
  KELPIE& model = *static_cast<KELPIE*>(f.server);
  ScriptedStore store;
  RecordingSink& sink = f.sink;
};

const char* const kHeader = "# KELPIE converter version 211\n";

TEST(FileWriter, CountsBytesAndSignedChecksum) {
  Job lf;
  cFileWriter a("", "a", false);
  a.WriteLine("AB");
  EXPECT_EQ(a.byteCount, 3);
  EXPECT_EQ(a.checksum, 65 + 66 + 10);
  a.WriteLine("\xE9");  // counts as -23, not 233
  EXPECT_EQ(a.byteCount, 5);
  EXPECT_EQ(a.checksum, 141 - 23 + 10);
  a.Close();
  EXPECT_EQ(lf.store.files["a"], "AB\n\xE9\n");

  Job crlf(true);
  cFileWriter b("", "b", false);
  b.WriteLine("AB");
  EXPECT_EQ(b.byteCount, 4);
  EXPECT_EQ(b.checksum, 154);
  b.WriteLine(std::string(100, '\xFF'));
  EXPECT_EQ(b.checksum, 154 - 100 + 13 + 10);
  b.Close();
  EXPECT_EQ(crlf.store.files["b"], "AB\r\n" + std::string(100, '\xFF') + "\r\n");
  // One store call per line.
  EXPECT_EQ(crlf.store.writes.size(), 2u);
}

TEST(FileWriter, HeaderLineOnlyWhenSwitchedOnAndOpened) {
  Job odb(false, true);
  cFileWriter empty("job", "matrix", false);
  EXPECT_FALSE(empty.closed);
  EXPECT_EQ(empty.byteCount, 31);
  empty.Close();
  EXPECT_EQ(odb.store.files["job\\matrix"], kHeader);

  odb.store.refuseOpen = [](const std::string&) { return true; };
  cFileWriter refused("job", "other", false);
  EXPECT_EQ(refused.byteCount, 0);
  EXPECT_EQ(odb.store.writesToHandleZero, 0);
  refused.Close();

  Job idf(true, false);
  cFileWriter board("", "board.emn", false);
  EXPECT_EQ(board.byteCount, 0);
  board.Close();
  EXPECT_EQ(idf.store.files["board.emn"], "");
}

TEST(FileWriter, PathsAndCompletion) {
  Job job;
  {
    cFileWriter plain("", "name.emp", false);
    EXPECT_EQ(plain.path, "name.emp");
    plain.Close();
    EXPECT_TRUE(plain.closed);
  }
  {
    cFileWriter nested("job\\steps\\pcb", "profile", false);
    EXPECT_EQ(nested.path, "job\\steps\\pcb\\profile");
    nested.Close();
  }
  EXPECT_EQ(job.store.calls,
            (std::vector<std::string>{"open name.emp", "close name.emp", "mkdir job\\steps\\pcb",
                                      "open job\\steps\\pcb\\profile",
                                      "close job\\steps\\pcb\\profile"}));
  EXPECT_EQ(job.sink.Infos(), (std::vector<std::string>{"Write name.emp complete",
                                                        "Write job\\steps\\pcb\\profile complete"}));
  EXPECT_TRUE(job.sink.Errors().empty());
}

TEST(FileWriter, LinesBuiltFromFields) {
  Job job;
  cFileWriter w("", "f", false);
  w.WriteKeyNumber("ROW=", 3);
  w.WriteKeyText("NAME=", "top");
  w.WriteSpacedNumber("X", 2.54);
  w.WriteSpacedText("Y", "a b");
  EXPECT_FALSE(w.BeginLine("P"));
  w.AddNumber(1.50);
  w.Append("x");
  w.AppendNumber(-0.0000004);
  w.AddField("q");
  w.EndLine("z");
  EXPECT_TRUE(w.pending.empty());

  EXPECT_FALSE(w.BeginLine("first"));
  w.AddField("a");
  EXPECT_TRUE(w.BeginLine("second"));  // refused, the pending line stays
  EXPECT_EQ(w.pending, "first a");
  w.EndLine("end");

  w.AddField("lead");  // no BeginLine: the line starts with a blank
  w.EndLine("tail");
  w.EndLine("alone");
  w.Append("dropped");  // never ended: Close drops it silently
  w.Close();
  EXPECT_EQ(job.store.Lines("f"),
            (std::vector<std::string>{"ROW=3", "NAME=top", "X 2.54", "Y a b", "P 1.5x-0 q z",
                                      "first a end", " lead tail", " alone"}));
  EXPECT_EQ(job.sink.Errors(),
            std::vector<std::string>{"Previous line was not completed: first a"});
}

TEST(FileWriter, RectangleAndCircleRecords) {
  Job job;
  cFileWriter w("", "eda", false);
  EXPECT_FALSE(w.WriteRectangleRecord(0, 0, 2, 1, 10, 20));
  EXPECT_FALSE(w.WriteRectangleRecord(1, 1, 0.5, 0.25, -1, 0));
  EXPECT_FALSE(w.WriteCircleRecord(0.5, 1, 2));
  w.BeginLine("OPEN");
  EXPECT_TRUE(w.WriteRectangleRecord(0, 0, 1, 1, 0, 0));
  EXPECT_TRUE(w.WriteCircleRecord(1, 0, 0));
  EXPECT_EQ(w.pending, "OPEN");
  w.Close();
  EXPECT_EQ(job.store.Lines("eda"),
            (std::vector<std::string>{"RC 10 20 2 1", "RC 0 1 -0.5 -0.75", "CR 1 2 0.5"}));
  EXPECT_EQ(job.sink.Errors(), std::vector<std::string>(2, "Previous line was not completed: OPEN"));
}

TEST(FileWriter, FailedOpenKeepsWritingToHandleZero) {
  Job job(false, true);
  job.store.refuseOpen = [](const std::string& path) { return path == "job\\f"; };
  {
    cFileWriter w("job", "f", true);
    EXPECT_TRUE(w.closed);
    EXPECT_EQ(w.handle, 0);
    w.WriteLine("still counted");
    EXPECT_EQ(w.byteCount, 14);
    w.Close();
  }
  EXPECT_EQ(job.store.writesToHandleZero, 1);
  EXPECT_EQ(job.store.closesOfHandleZero, 1);
  EXPECT_EQ(job.sink.Errors(), std::vector<std::string>{"Could not open output file: job\\f"});
  EXPECT_EQ(job.sink.Infos(), std::vector<std::string>{"Write job\\f complete"});
  // The summary is written all the same, with what was counted.
  ASSERT_TRUE(job.store.Has("job\\.f.sum"));
  EXPECT_EQ(job.store.Lines("job\\.f.sum")[0], "SIZE=14");
}

TEST(FileWriter, DestroyedWithoutClose) {
  Job job;
  {
    cFileWriter w("d", "left", true);
    w.WriteLine("x");
  }
  EXPECT_EQ(job.sink.Errors(), std::vector<std::string>{"File was not closed: d\\left"});
  EXPECT_TRUE(job.sink.Infos().empty());
  EXPECT_EQ(job.store.calls.back(), "close d\\left");
  EXPECT_FALSE(job.store.Has("d\\.left.sum"));

  // A writer whose open failed counts as closed and leaves quietly.
  job.sink.Clear();
  job.store.refuseOpen = [](const std::string&) { return true; };
  { cFileWriter w("d", "refused", false); }
  EXPECT_EQ(job.sink.Errors(), std::vector<std::string>{"Could not open output file: d\\refused"});
  EXPECT_EQ(job.store.closesOfHandleZero, 0);
}

TEST(FileWriter, StoreFailuresWhileOpening) {
  Job job(false, true);
  job.store.throwOnOpen = [](const std::string&) { return true; };
  {
    cFileWriter w("d", "f", false);
    EXPECT_TRUE(w.closed);
  }
  EXPECT_EQ(job.sink.Errors(), std::vector<std::string>{"Unexpected error in cFileWriter"});

  // Without any store the writer reports a failed open instead of crashing.
  job.sink.Clear();
  fileStore = nullptr;
  cFileWriter none("d", "g", true);
  EXPECT_TRUE(none.closed);
  none.WriteLine("x");
  none.Close();
  EXPECT_EQ(job.sink.Errors(), std::vector<std::string>{"Could not open output file: d\\g"});
  EXPECT_EQ(job.sink.Infos(), std::vector<std::string>{"Write d\\g complete"});
}

// ---- Summary file ----

std::string LocalText(std::time_t when, const char* format) {
  std::tm local{};
  localtime_r(&when, &local);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, format, &local);
  return buffer;
}

TEST(SummaryFile, ContentOrderAndLineFeeds) {
  Job job(true, true);  // CRLF output: the summary still ends lines in LF
  cFileWriter w("job\\misc", "info", true);
  w.WriteLine("A");
  const std::int32_t size = w.byteCount;
  const std::int32_t sum = w.checksum;
  const std::time_t before = std::time(nullptr);
  w.Close();
  const std::time_t after = std::time(nullptr);

  EXPECT_EQ(size, 32 + 3);  // the header line ends in CR LF too
  EXPECT_EQ(job.store.calls,
            (std::vector<std::string>{"mkdir job\\misc", "open job\\misc\\info",
                                      "close job\\misc\\info", "open job\\misc\\.info.sum",
                                      "close job\\misc\\.info.sum"}));
  const std::vector<std::string> writes(job.store.writes.begin() + 2, job.store.writes.end());
  ASSERT_EQ(writes.size(), 12u);
  EXPECT_EQ(writes[0], "SIZE=");
  EXPECT_EQ(writes[1], std::to_string(size) + "\n");
  EXPECT_EQ(writes[2], "SUM=");
  EXPECT_EQ(writes[3], std::to_string(sum) + "\n");
  EXPECT_EQ(writes[4], "DATE=");
  EXPECT_EQ(writes[6], "TIME=");
  EXPECT_EQ(writes[8], "VERSION=");
  EXPECT_EQ(writes[9], "123\n");
  EXPECT_EQ(writes[10], "USER=");
  EXPECT_EQ(writes[11], "USER\n");
  const std::string date = writes[5].substr(0, writes[5].size() - 1);
  const std::string time = writes[7].substr(0, writes[7].size() - 1);
  EXPECT_TRUE(std::regex_match(date, std::regex(R"(\d\d/\d\d/\d{4})"))) << date;
  EXPECT_TRUE(std::regex_match(time, std::regex(R"(\d\d:\d\d:\d\d)"))) << time;
  EXPECT_TRUE(date == LocalText(before, "%d/%m/%Y") || date == LocalText(after, "%d/%m/%Y"));
  bool timeSeen = false;
  for (std::time_t t = before; t <= after; ++t) timeSeen |= time == LocalText(t, "%H:%M:%S");
  EXPECT_TRUE(timeSeen) << time;
  EXPECT_EQ(job.store.files["job\\misc\\.info.sum"].find('\r'), std::string::npos);
  EXPECT_EQ(job.sink.Infos(), std::vector<std::string>{"Write job\\misc\\info complete"});
}

TEST(SummaryFile, EmptyAndNegativeSums) {
  Job job;
  cFileWriter empty("d", "e", true);
  empty.Close();
  cFileWriter high("d", "h", true);
  high.WriteLine("\x80\x81");
  high.Close();
  const std::vector<std::string> e = job.store.Lines("d\\.e.sum");
  const std::vector<std::string> h = job.store.Lines("d\\.h.sum");
  ASSERT_EQ(e.size(), 6u);
  ASSERT_EQ(h.size(), 6u);
  EXPECT_EQ(e[0], "SIZE=0");
  EXPECT_EQ(e[1], "SUM=0");
  EXPECT_EQ(h[0], "SIZE=3");
  EXPECT_EQ(h[1], "SUM=-245");  // -128 - 127 + 10
  EXPECT_EQ(h[4], "VERSION=123");
  EXPECT_EQ(h[5], "USER=USER");
}

TEST(SummaryFile, FailingWritesAndOpens) {
  Job job;
  job.store.throwOnWrite = [](const std::string& text) { return text == "SUM="; };
  cFileWriter w("d", "f", true);
  w.WriteLine("abc");
  EXPECT_FALSE(w.Close());
  // The output file was finished and reported before the summary failed.
  EXPECT_EQ(job.sink.Infos(), std::vector<std::string>{"Write d\\f complete"});
  EXPECT_EQ(job.sink.Errors(), std::vector<std::string>{"File write error"});
  EXPECT_EQ(job.store.files["d\\.f.sum"], "SIZE=4\n");  // the rest is not written
  EXPECT_EQ(job.store.calls.back(), "close d\\.f.sum");
  EXPECT_EQ(job.store.files["d\\f"], "abc\n");

  job.sink.Clear();
  job.store.throwOnWrite = nullptr;
  job.store.throwOnOpen = [](const std::string& path) { return path == "d\\.g.sum"; };
  cFileWriter g("d", "g", true);
  g.Close();
  EXPECT_EQ(job.sink.Errors(), std::vector<std::string>{"Error writing sum file: d\\.g.sum"});
  // The summary's close never reaches the output file a second time.
  EXPECT_EQ(std::count(job.store.calls.begin(), job.store.calls.end(), "close d\\g"), 1);
  EXPECT_EQ(job.store.closesOfHandleZero, 1);

  // A store that cannot open the summary gets its writes and close on 0.
  job.sink.Clear();
  job.store.throwOnOpen = nullptr;
  job.store.refuseOpen = [](const std::string& path) { return path == "d\\.k.sum"; };
  cFileWriter k("d", "k", true);
  k.Close();
  EXPECT_EQ(job.store.writesToHandleZero, 12);
  EXPECT_EQ(job.store.closesOfHandleZero, 2);
  EXPECT_TRUE(job.sink.Errors().empty());
}

}  // namespace
}  // namespace kelpie::test
