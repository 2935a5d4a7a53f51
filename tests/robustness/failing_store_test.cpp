// Exports against stores that throw from each of their calls in turn, or
// refuse to open each file in turn: every export ends with its own messages
// and a result that agrees with them, nothing escapes, every opened file is
// closed exactly once, and later files are still written where the job goes
// on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostile_store.h"
#include "recording_host.h"
#include "sample_boards.h"

namespace kelpie::test {
namespace {

enum class Format { kIdf, kOdb };

const char* JobOf(Format format) { return format == Format::kIdf ? "WriteIDF" : "WriteODB"; }

bool IsSummary(const std::string& path) {
  const auto slash = path.rfind('\\');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return name.size() > 5 && name[0] == '.' && name.compare(name.size() - 4, 4, ".sum") == 0;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

struct Outcome {
  bool written = false;
  bool escaped = false;
  RecordingSink sink;
};

// Builds the demo board on a fresh server and exports it once into `store`.
void Export(Format format, HostileStore& store, Outcome& out) {
  IKELPIE* server = createkelpieserver(&out.sink, "robustness test", kApiVersion);
  samples::BuildDemoBoard(*server);
  out.sink.Clear();
  try {
    out.written = format == Format::kIdf ? server->WriteIDF(&store) : server->WriteODB(&store);
  } catch (...) {
    out.escaped = true;
  }
  deletekelpieserver(server);
}

// The job's last message tells how it ended; the result must agree.
void ExpectConsistentEnd(const Outcome& out, const std::string& job) {
  ASSERT_FALSE(out.sink.messages.empty());
  const Message& last = out.sink.messages.back();
  if (out.written) {
    EXPECT_EQ(last.kind, Message::kInfo);
    EXPECT_EQ(last.text, "Write job '" + job + "' complete");
  } else {
    EXPECT_EQ(last.kind, Message::kError);
    EXPECT_EQ(last.text, "Write job '" + job + "' failed");
  }
}

std::string JobName(Format format) {
  return format == Format::kIdf ? "DemoBoardrev.A" : "demoboardrev.a";
}

// Throwing from every Write of a large tree repeats the same case in the
// middle of long files: take the first writes of every file, every write of
// a summary and of the matrix, and every tenth write besides.
bool WorthThrowing(const HostileStore& clean, int n) {
  const auto& [path, before] = clean.writes.at(static_cast<std::size_t>(n) - 1);
  return before < 3 || IsSummary(path) || EndsWith(path, "\\matrix") || n % 10 == 0;
}

class FailingStore : public ::testing::TestWithParam<Format> {};

TEST_P(FailingStore, CleanRunOpensAndClosesEveryFileOnce) {
  HostileStore store;
  Outcome out;
  Export(GetParam(), store, out);
  EXPECT_FALSE(out.escaped);
  EXPECT_TRUE(out.written) << (out.sink.Errors().empty() ? "" : out.sink.Errors().front());
  ExpectConsistentEnd(out, JobName(GetParam()));
  EXPECT_TRUE(store.misuse.empty());
  EXPECT_TRUE(store.StillOpen().empty());
  EXPECT_EQ(store.counts[StoreCall::kOpen], store.counts[StoreCall::kClose]);
}

TEST_P(FailingStore, ThrowFromEachCallInTurn) {
  const Format format = GetParam();
  const std::string job = JobName(format);
  HostileStore clean;
  Outcome cleanOut;
  Export(format, clean, cleanOut);
  ASSERT_TRUE(cleanOut.written);

  for (StoreCall call : {StoreCall::kMakeDirectory, StoreCall::kOpen, StoreCall::kWrite,
                         StoreCall::kClose}) {
    const int total = clean.counts[call];
    if (call != StoreCall::kMakeDirectory || format == Format::kOdb) {
      ASSERT_GT(total, 0);
    }
    for (int n = 1; n <= total; ++n) {
      if (call == StoreCall::kWrite && !WorthThrowing(clean, n)) continue;
      SCOPED_TRACE(std::string(CallName(call)) + " #" + std::to_string(n));
      HostileStore store;
      store.throwOn = call;
      store.throwAt = n;
      Outcome out;
      Export(format, store, out);
      ASSERT_FALSE(out.escaped);
      ASSERT_FALSE(store.thrownPath.empty() && call != StoreCall::kMakeDirectory);
      ExpectConsistentEnd(out, job);
      // A file that the library opened is closed once, whatever broke.
      EXPECT_TRUE(store.misuse.empty()) << store.misuse.front();
      EXPECT_TRUE(store.StillOpen().empty()) << store.StillOpen().front();

      const std::string& path = store.thrownPath;
      if (IsSummary(path)) {
        // A summary never stops the job.
        EXPECT_TRUE(out.written);
        if (call == StoreCall::kWrite) {
          EXPECT_TRUE(out.sink.HasError("File write error"));
        } else {
          EXPECT_TRUE(out.sink.HasError("Error writing sum file: " + path));
        }
      } else if (call == StoreCall::kMakeDirectory || call == StoreCall::kOpen ||
                 store.thrownText.rfind("# KELPIE converter version", 0) == 0) {
        // While the file is opened (header line included) the writer
        // swallows it and counts as closed; only the matrix, which checks
        // its writer, stops the job.
        EXPECT_TRUE(out.sink.HasError("Unexpected error in cFileWriter"));
        // (The matrix directory and the matrix file both end in "\matrix".)
        const bool matrix = EndsWith(path, "\\matrix");
        EXPECT_EQ(out.written, !matrix) << path;
      } else if (EndsWith(path, "\\matrix\\matrix") && call == StoreCall::kWrite &&
                 store.thrownBefore.find("LAYER {") == std::string::npos &&
                 store.thrownText.rfind("LAYER {", 0) != 0) {
        // A STEP record of the matrix has a guard of its own; the matrix is
        // closed as usual and the job fails.
        EXPECT_FALSE(out.written);
        const std::vector<std::string> errors = out.sink.Errors();
        ASSERT_EQ(errors.size(), 2u) << ::testing::PrintToString(errors);
        EXPECT_EQ(errors[0], "Unexpected error in WriteMatrixEntry");
      } else {
        // Inside a file: the job stops, the unwound writer reports the file
        // it could not finish, then the job's own guard speaks.
        EXPECT_FALSE(out.written);
        const std::vector<std::string> errors = out.sink.Errors();
        ASSERT_GE(errors.size(), 3u) << path << " errors: " << ::testing::PrintToString(errors);
        // (A tools file is written while its features file is open, so
        // both are reported then.)
        EXPECT_TRUE(out.sink.HasError("File was not closed: " + path));
        EXPECT_EQ(errors[errors.size() - 2], std::string("Unexpected error in ") + JobOf(format));
      }
    }
  }
}

TEST_P(FailingStore, RefuseEachFileInTurn) {
  const Format format = GetParam();
  const std::string job = JobName(format);
  HostileStore clean;
  Outcome cleanOut;
  Export(format, clean, cleanOut);
  ASSERT_TRUE(cleanOut.written);
  const std::vector<std::string> paths = clean.opened;

  for (std::size_t i = 0; i < paths.size(); ++i) {
    const std::string refused = paths[i];
    SCOPED_TRACE("refused " + refused);
    HostileStore store;
    std::size_t opens = 0;
    store.refuseOpen = [&opens, i](const std::string&) { return opens++ == i; };
    Outcome out;
    Export(format, store, out);
    ASSERT_FALSE(out.escaped);
    ExpectConsistentEnd(out, job);
    EXPECT_TRUE(store.misuse.empty());
    EXPECT_TRUE(store.StillOpen().empty());
    // Lines and the close of the refused file go to handle 0.
    EXPECT_GE(store.closesOfHandleZero, 1);

    const bool matrix = EndsWith(refused, "\\matrix\\matrix");
    if (IsSummary(refused)) {
      // A refused summary goes unnoticed: twelve writes to handle 0.
      EXPECT_TRUE(out.sink.Errors().empty());
      EXPECT_EQ(store.writesToHandleZero, 12);
    } else {
      EXPECT_TRUE(out.sink.HasError("Could not open output file: " + refused));
      EXPECT_TRUE(out.sink.Has(Message::kInfo, "Write " + refused + " complete"));
    }
    EXPECT_EQ(out.written, !matrix);
    if (!matrix) {
      // The job went on: every other file was opened, in the same order.
      std::vector<std::string> expected = paths;
      expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(i));
      EXPECT_EQ(store.opened, expected);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BothFormats, FailingStore, ::testing::Values(Format::kIdf, Format::kOdb),
                         [](const auto& info) {
                           return info.param == Format::kIdf ? "Idf" : "Odb";
                         });

}  // namespace
}  // namespace kelpie::test
