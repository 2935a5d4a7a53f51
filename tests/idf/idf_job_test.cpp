// The IDF job: names, switches, messages and what each failure leaves behind.
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "idf_test_support.h"
#include "model/records.h"

namespace kelpie::test {
namespace {

TEST(IdfJob, WritesThePairWithCrLfNoHeaderLineAndNoSummaries) {
  ServerFixture f;
  BuildExampleBoard(f.server);
  f.sink.Clear();
  EXPECT_TRUE(f.server->WriteIDF(&f.store));

  EXPECT_EQ(f.store.calls, (std::vector<std::string>{"open BRD.emn", "close BRD.emn",
                                                     "open BRD.emp", "close BRD.emp"}));
  for (const char* path : {"BRD.emn", "BRD.emp"}) {
    const std::string& text = f.store.files.at(path);
    EXPECT_EQ(text.rfind(".HEADER\r\n", 0), 0u) << path;
    EXPECT_EQ(text.find("# KELPIE"), std::string::npos) << path;
    EXPECT_EQ(CrLfLines(f.store, path).size() * 2, static_cast<size_t>(std::count(
                                                       text.begin(), text.end(), '\r')) +
                                                       static_cast<size_t>(std::count(
                                                           text.begin(), text.end(), '\n')));
  }
  EXPECT_EQ(f.sink.Errors(), std::vector<std::string>{});
  EXPECT_EQ(f.sink.Infos(),
            (std::vector<std::string>{"Write job started: BRD", "Write BRD.emn complete",
                                      "Write BRD.emp complete", "Write job 'BRD' complete"}));
}

TEST(IdfJob, FiltersNamesAndKeepsThemAndTheirIndexes) {
  ServerFixture f;
  ExampleBoard board = BuildExampleBoard(f.server, false);
  f.server->SetJobName("Main Board (rev.B)");
  Layer* copper = f.server->AddLayer("Top Copper", 9, kLayerSignal, kPolarityPositive,
                                     kContextBoard);
  PackageType* so8 = f.server->AddPackageType("SO 8/wide", -0.1, 0.1, -0.08, 0.08);
  f.server->AddComponent(board.top, so8, "U 1", "", 1, 1, 0, 0);
  ASSERT_TRUE(f.server->WriteIDF(&f.store));

  EXPECT_EQ(f.store.opened,
            (std::vector<std::string>{"MainBoardrev.B.emn", "MainBoardrev.B.emp"}));
  EXPECT_EQ(CrLfLines(f.store, "MainBoardrev.B.emn").at(2), "MainBoardrev.B MM");
  char name[64];
  f.server->GetJobName(name);
  EXPECT_STREQ(name, "MainBoardrev.B");
  EXPECT_EQ(copper->name, "TopCopper");
  EXPECT_EQ(board.step->name, "mainpcb");
  // References are not filtered; package names are.
  const std::vector<std::string> placement =
      Section(CrLfLines(f.store, "MainBoardrev.B.emn"), ".PLACEMENT", ".END_PLACEMENT");
  EXPECT_EQ(placement.at(1), "\"SO8wide\" \"SO8wide\" \"U 1\"");
  EXPECT_EQ(CrLfLines(f.store, "MainBoardrev.B.emp").at(4), "\"SO8wide\" \"SO8wide\" MM 0");

  // The duplicate checks see the new names, not the old ones.
  f.sink.Clear();
  EXPECT_EQ(f.server->AddPackageType("SO8wide", 0, 1, 0, 1), nullptr);
  EXPECT_NE(f.server->AddPackageType("SO 8/wide", 0, 1, 0, 1), nullptr);
  EXPECT_EQ(f.server->AddLayer("TopCopper", 10, kLayerSignal, kPolarityPositive, kContextBoard),
            nullptr);
  EXPECT_NE(f.server->AddLayer("Top Copper", 11, kLayerSignal, kPolarityPositive, kContextBoard),
            nullptr);
  const double xs[] = {0, 1, 1};
  EXPECT_EQ(f.server->AddStep("mainpcb", xs, xs, 3), nullptr);
  EXPECT_EQ(f.sink.Errors(),
            (std::vector<std::string>{"Package type SO8wide already defined.",
                                      "Layer TopCopper already defined.",
                                      "Step mainpcb already defined."}));
}

TEST(IdfJob, EmptyJobNameWritesNothing) {
  for (const char* jobName : {"", " ()/$ "}) {
    ServerFixture f;
    BuildExampleBoard(f.server);
    f.server->SetJobName(jobName);
    f.sink.Clear();
    EXPECT_FALSE(f.server->WriteIDF(&f.store));
    EXPECT_TRUE(f.store.calls.empty());
    EXPECT_EQ(f.sink.Errors(),
              (std::vector<std::string>{"Job name not set", "Write job '' failed"}));
    EXPECT_TRUE(f.sink.Infos().empty());
  }
}

// What the board file holds and what was said when its outline section
// cannot be written.
void ExpectHeaderOnlyFailure(ServerFixture& f, const std::string& error) {
  f.sink.Clear();
  EXPECT_FALSE(f.server->WriteIDF(&f.store));
  const std::vector<std::string> lines = CrLfLines(f.store, "J.emn");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2], "J MM");
  EXPECT_EQ(lines[3], ".END_HEADER");
  EXPECT_FALSE(f.store.Has("J.emp"));
  EXPECT_EQ(f.sink.Errors(), (std::vector<std::string>{error, "Write job 'J' failed"}));
  EXPECT_EQ(f.sink.Infos(),
            (std::vector<std::string>{"Write job started: J", "Write J.emn complete"}));
}

TEST(IdfJob, OutlineFailuresLeaveOnlyTheHeader) {
  const double xs[] = {0, 1, 1};
  const double ys[] = {0, 0, 1};
  {
    ServerFixture f;
    f.server->SetJobName("J");
    f.server->AddLayer("top", 1, kLayerComponentTop, kPolarityPositive, kContextBoard);
    ExpectHeaderOnlyFailure(f, "No step defined");
  }
  {
    ServerFixture f;
    f.server->SetJobName("J");
    f.server->AddStep("a", xs, ys, 3);
    f.server->AddStep("b", xs, ys, 3);
    ExpectHeaderOnlyFailure(f, "IDF formatter can currently only support one step");
  }
  {
    // One point and its closing repeat make two: no outline.
    ServerFixture f;
    f.server->SetJobName("J");
    f.server->AddStep("Only One", xs, ys, 1);
    ExpectHeaderOnlyFailure(f, "Outline not defined for step OnlyOne");
  }
}

TEST(IdfJob, AFileThatCannotBeOpenedDoesNotStopTheJob) {
  ServerFixture f;
  BuildExampleBoard(f.server);
  f.store.refuseOpen = [](const std::string& path) { return path == "BRD.emn"; };
  f.sink.Clear();
  EXPECT_TRUE(f.server->WriteIDF(&f.store));
  EXPECT_FALSE(f.store.Has("BRD.emn"));
  EXPECT_EQ(f.store.writesToHandleZero, 19);
  EXPECT_EQ(f.store.closesOfHandleZero, 1);
  EXPECT_EQ(CrLfLines(f.store, "BRD.emp").size(), 11u);
  EXPECT_EQ(f.sink.Errors(), std::vector<std::string>{"Could not open output file: BRD.emn"});
  EXPECT_EQ(f.sink.Infos(),
            (std::vector<std::string>{"Write job started: BRD", "Write BRD.emn complete",
                                      "Write BRD.emp complete", "Write job 'BRD' complete"}));
}

// A store whose Write throws once the named file is written to.
class ThrowingStore : public RecordingStore {
 public:
  explicit ThrowingStore(std::string failing) : failing_(std::move(failing)) {}
  FileHandle Open(const char* path) override {
    const FileHandle handle = RecordingStore::Open(path);
    paths_[handle] = path;
    return handle;
  }
  bool Write(FileHandle handle, const char* text) override {
    if (paths_[handle] == failing_) throw std::runtime_error("disk full");
    return RecordingStore::Write(handle, text);
  }

 private:
  std::string failing_;
  std::map<FileHandle, std::string> paths_;
};

TEST(IdfJob, AStoreThatThrowsEndsTheJobWithAMessage) {
  {
    ServerFixture f;
    BuildExampleBoard(f.server);
    ThrowingStore store("BRD.emn");
    f.sink.Clear();
    EXPECT_FALSE(f.server->WriteIDF(&store));
    // The half-written board file is closed, not reported complete, and no
    // library file follows.
    EXPECT_EQ(store.calls, (std::vector<std::string>{"open BRD.emn", "close BRD.emn"}));
    EXPECT_EQ(f.sink.Errors(),
              (std::vector<std::string>{"File was not closed: BRD.emn",
                                        "Unexpected error in WriteIDF", "Write job 'BRD' failed"}));
    EXPECT_EQ(f.sink.Infos(), std::vector<std::string>{"Write job started: BRD"});
  }
  {
    ServerFixture f;
    BuildExampleBoard(f.server);
    ThrowingStore store("BRD.emp");
    f.sink.Clear();
    EXPECT_FALSE(f.server->WriteIDF(&store));
    EXPECT_EQ(CrLfLines(store, "BRD.emn").size(), 19u);
    EXPECT_EQ(store.calls, (std::vector<std::string>{"open BRD.emn", "close BRD.emn",
                                                     "open BRD.emp", "close BRD.emp"}));
    EXPECT_EQ(f.sink.Errors(),
              (std::vector<std::string>{"File was not closed: BRD.emp",
                                        "Unexpected error in WriteIDF", "Write job 'BRD' failed"}));
  }
}

TEST(IdfJob, NoStoreIsAFailureNotACrash) {
  ServerFixture f;
  BuildExampleBoard(f.server);
  f.sink.Clear();
  EXPECT_FALSE(f.server->WriteIDF(nullptr));
  EXPECT_EQ(f.sink.Errors(), (std::vector<std::string>{"Unexpected error in WriteIDF",
                                                       "Write job 'BRD' failed"}));
}

}  // namespace
}  // namespace kelpie::test
