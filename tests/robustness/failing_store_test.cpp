// Stores that throw from each call in turn, or refuse each Open in turn.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "recording_host.h"
#include "sample_boards.h"

namespace kelpie::test {
namespace {

enum StoreCall { kMakeDirectory, kOpen, kWrite, kClose };
struct StoreBroke {};  // deliberately not a std::exception

// Throws from call number throwAt (from 1) of kind throwOn; notes handles used after Close.
class HostileStore : public RecordingStore {
 public:
  StoreCall throwOn = kWrite;  // and throwAt = 0: never
  int throwAt = 0, counts[4] = {};
  std::string thrownPath, thrownText, thrownBefore;  // the call that threw
  std::size_t openedBeforeThrow = 0;
  std::vector<std::pair<std::string, int>> writes;  // file, writes to it before
  std::map<std::string, int> writesPerFile;
  std::vector<std::string> misuse;
  std::map<FileHandle, std::pair<std::string, bool>> handles;  // path, open

  bool MakeDirectory(const char* path) override {
    Count(kMakeDirectory, path);
    return RecordingStore::MakeDirectory(path);
  }
  FileHandle Open(const char* path) override {
    Count(kOpen, path);
    const FileHandle handle = RecordingStore::Open(path);
    if (handle != 0) handles[handle] = {path, true};
    return handle;
  }
  bool Write(FileHandle handle, const char* text) override {
    auto& [path, open] = handles[handle];
    Count(kWrite, path, text);
    writes.emplace_back(path, writesPerFile[path]++);
    if (handle != 0 && !open) misuse.push_back("write to closed " + path);
    return RecordingStore::Write(handle, text);
  }
  bool Close(FileHandle handle) override {
    auto& [path, open] = handles[handle];
    Count(kClose, path);
    if (handle != 0 && !open) misuse.push_back("second close of " + path);
    open = false;
    return RecordingStore::Close(handle);
  }
  void Count(StoreCall call, const std::string& path, const char* text = "") {
    if (++counts[call] != throwAt || call != throwOn) return;
    thrownPath = path;
    thrownText = text;
    openedBeforeThrow = opened.size();
    if (call == kWrite) thrownBefore = files[path];
    throw StoreBroke{};
  }
};

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}
bool IsSummary(const std::string& path) {
  const std::string name = path.substr(path.rfind('\\') + 1);  // npos + 1 = 0
  return name.size() > 5 && name[0] == '.' && EndsWith(name, ".sum");
}

struct Outcome {
  bool written = false;
  RecordingSink sink;
};

// Exports the demo board once, checking what every run must hold.
Outcome Export(bool idf, HostileStore& store) {
  Outcome out;
  IKELPIE* server = createkelpieserver(&out.sink, "robustness test", kApiVersion);
  samples::BuildDemoBoard(*server);
  out.sink.Clear();
  try {
    out.written = idf ? server->WriteIDF(&store) : server->WriteODB(&store);
  } catch (...) {
    ADD_FAILURE() << "an exception escaped";
  }
  deletekelpieserver(server);
  // Every file is closed once and the last message agrees with the result.
  EXPECT_TRUE(store.misuse.empty()) << store.misuse.front();
  for (const auto& [handle, entry] : store.handles) EXPECT_FALSE(entry.second) << entry.first;
  const Message last = out.sink.messages.empty() ? Message{} : out.sink.messages.back();
  EXPECT_EQ(last.kind, out.written ? Message::kInfo : Message::kError);
  EXPECT_EQ(last.text, std::string("Write job '") + (idf ? "DemoBoardrev.A" : "demoboardrev.a") +
                           (out.written ? "' complete" : "' failed"));
  return out;
}

class FailingStore : public ::testing::TestWithParam<bool> {};  // true = IDF

TEST_P(FailingStore, ThrowFromEachCallInTurn) {
  const bool idf = GetParam();
  HostileStore clean;
  ASSERT_TRUE(Export(idf, clean).written);

  for (StoreCall call : {kMakeDirectory, kOpen, kWrite, kClose}) {
    EXPECT_TRUE(clean.counts[call] > 0 || (call == kMakeDirectory && idf));
    for (int n = 1; n <= clean.counts[call]; ++n) {
      // Writes in the middle of long files repeat one case: take the first
      // two of each file, all of summaries and the matrix, and a sparse sample.
      if (call == kWrite) {
        const auto& [path, before] = clean.writes[static_cast<std::size_t>(n) - 1];
        if (before >= 2 && !IsSummary(path) && !EndsWith(path, "\\matrix") && n % 40 != 0) continue;
      }
      SCOPED_TRACE("call " + std::to_string(call) + " #" + std::to_string(n));
      HostileStore store;
      store.throwOn = call;
      store.throwAt = n;
      const Outcome out = Export(idf, store);
      const std::string& path = store.thrownPath;
      ASSERT_TRUE(!path.empty() || call == kMakeDirectory);
      const std::vector<std::string> errors = out.sink.Errors();
      if (IsSummary(path)) {  // a summary never stops the job
        EXPECT_TRUE(out.written);
        EXPECT_TRUE(out.sink.HasError(call == kWrite ? "File write error"
                                                     : "Error writing sum file: " + path));
      } else if (call == kMakeDirectory || call == kOpen ||
                 store.thrownText.rfind("# KELPIE converter version", 0) == 0) {
        // The writer swallows it while opening; only the matrix stops the job.
        EXPECT_TRUE(out.sink.HasError("Unexpected error in cFileWriter"));
        EXPECT_EQ(out.written, !EndsWith(path, "\\matrix")) << path;
      } else if (EndsWith(path, "\\matrix\\matrix") && call == kWrite &&
                 store.thrownBefore.find("LAYER {") == std::string::npos &&
                 store.thrownText.rfind("LAYER {", 0) != 0) {
        // A STEP record of the matrix has a guard of its own.
        EXPECT_FALSE(out.written);
        ASSERT_EQ(errors.size(), 2u) << ::testing::PrintToString(errors);
        EXPECT_EQ(errors[0], "Unexpected error in WriteMatrixEntry");
      } else {
        // Inside a file: the unwound writer reports its file, then the job's
        // guard; the file is not complete, and nothing is opened after it.
        EXPECT_FALSE(out.written);
        ASSERT_GE(errors.size(), 3u) << ::testing::PrintToString(errors);
        EXPECT_TRUE(out.sink.HasError("File was not closed: " + path));
        EXPECT_FALSE(out.sink.Has(Message::kInfo, "Write " + path + " complete"));
        EXPECT_EQ(store.opened.size(), store.openedBeforeThrow);
        EXPECT_EQ(errors[errors.size() - 2],
                  idf ? "Unexpected error in WriteIDF" : "Unexpected error in WriteODB");
      }
    }
  }
}

TEST_P(FailingStore, RefuseEachOpenInTurn) {
  const bool idf = GetParam();
  HostileStore clean;
  ASSERT_TRUE(Export(idf, clean).written);
  for (std::size_t i = 0; i < clean.opened.size(); ++i) {
    const std::string refused = clean.opened[i];
    SCOPED_TRACE("refused " + refused);
    HostileStore store;
    store.refuseOpen = [&refused](const std::string& path) { return path == refused; };
    const Outcome out = Export(idf, store);
    EXPECT_GE(store.closesOfHandleZero, 1);
    const bool matrix = EndsWith(refused, "\\matrix\\matrix");
    if (IsSummary(refused)) {  // goes unnoticed: its twelve lines go to handle 0
      EXPECT_TRUE(out.sink.Errors().empty());
      EXPECT_EQ(store.writesToHandleZero, 12);
    } else {
      EXPECT_TRUE(out.sink.HasError("Could not open output file: " + refused));
      EXPECT_TRUE(out.sink.Has(Message::kInfo, "Write " + refused + " complete"));
    }
    EXPECT_EQ(out.written, !matrix);
    if (!matrix) {  // the job went on with every other file, in order
      std::vector<std::string> expected = clean.opened;
      expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(i));
      EXPECT_EQ(store.opened, expected);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BothFormats, FailingStore, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Idf" : "Odb"; });

}  // namespace
}  // namespace kelpie::test
