// The host's FileStores and staging, driven directly the way the plug-in
// drives them.
#include <gtest/gtest.h>

#include <filesystem>

#include "console.h"
#include "host_test_support.h"
#include "staging.h"
#include "stores.h"

namespace kelpie::host::test {
namespace {

namespace fs = std::filesystem;

// A console that writes into a scratch file, for reading back.
struct CapturedConsole {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  Console console{out, err, false, false};
  ~CapturedConsole() {
    std::fclose(out);
    std::fclose(err);
  }
  static std::string Read(std::FILE* stream) {
    std::fflush(stream);
    std::rewind(stream);
    std::string text;
    for (int c; (c = std::fgetc(stream)) != EOF;) text += static_cast<char>(c);
    return text;
  }
  std::string Out() { return Read(out); }
  std::string Err() { return Read(err); }
};

TEST(HostStores, LibraryPathsMapUnderTheOutputDirectoryOnly) {
  std::string relative, reason;
  EXPECT_TRUE(MapLibraryPath("job\\steps\\pcb\\profile", relative, reason));
  EXPECT_EQ(relative, "job/steps/pcb/profile");
  EXPECT_TRUE(MapLibraryPath("board.emn", relative, reason));
  EXPECT_EQ(relative, "board.emn");
  EXPECT_TRUE(MapLibraryPath("...emn", relative, reason));  // a name, not a step up
  for (const char* path : {"", "..", ".", "..\\matrix\\matrix", "job\\..\\x", "job\\.\\x", "job\\\\x", "\\job",
                           "job\\", "job/..\\x", "a/b"}) {
    EXPECT_FALSE(MapLibraryPath(path, relative, reason)) << path;
    EXPECT_FALSE(reason.empty());
  }
  EXPECT_FALSE(MapLibraryPath(nullptr, relative, reason));
}

TEST(HostStores, DirectoryStoreWritesFilesAndRefusesEscapes) {
  ScratchDirectory scratch;
  CapturedConsole captured;
  fs::create_directory(scratch / "root");
  DirectoryStore store(scratch / "root", "out", captured.console);
  store.MakeDirectory("job\\steps\\pcb");
  const FileHandle a = store.Open("job\\steps\\pcb\\profile");
  const FileHandle b = store.Open("job\\misc\\info");  // parents made on demand
  ASSERT_NE(a, 0);
  ASSERT_NE(b, 0);
  store.Write(a, "one\n");
  store.Write(b, "two\n");
  store.Write(a, "three\n");
  EXPECT_TRUE(store.Close(b));
  EXPECT_TRUE(store.Close(a));
  EXPECT_EQ(ReadFile(scratch / "root/job/steps/pcb/profile"), "one\nthree\n");
  EXPECT_EQ(ReadFile(scratch / "root/job/misc/info"), "two\n");
  EXPECT_FALSE(store.failed());

  // Handle 0 after a failed open is accepted and does nothing.
  EXPECT_EQ(store.Open("..\\escape"), 0);
  store.Write(0, "x");
  store.Close(0);
  EXPECT_FALSE(store.MakeDirectory("job\\..\\..\\up"));
  EXPECT_TRUE(store.failed());
  EXPECT_EQ(store.count(), 2);
  EXPECT_EQ(AllPaths(scratch.path()), (std::vector<std::string>{"root", "root/job", "root/job/misc",
                                                                "root/job/misc/info", "root/job/steps",
                                                                "root/job/steps/pcb", "root/job/steps/pcb/profile"}));
  EXPECT_TRUE(captured.Err().starts_with("kelpie-export: error: refusing the file \"..\\escape\": "));
}

TEST(HostStores, FileLeftOpenByThePlugInIsAnError) {
  ScratchDirectory scratch;
  CapturedConsole captured;
  DirectoryStore store(scratch.path(), "out", captured.console);
  const FileHandle handle = store.Open("job\\data");
  store.Write(handle, "kept");
  EXPECT_FALSE(store.Finish());
  EXPECT_EQ(ReadFile(scratch / "job/data"), "kept");
  EXPECT_EQ(captured.Err(), "kelpie-export: error: the plug-in did not close out/job/data\n");

  ArchiveStore archive(ArchiveStore::kTgz, scratch / "job.tgz", "out/job.tgz", captured.console);
  archive.Open("job\\data");
  EXPECT_FALSE(archive.Finish());
  EXPECT_TRUE(captured.Err().ends_with("kelpie-export: error: the plug-in did not close job/data\n"));
}

TEST(HostStores, DirectoryStoreReportsAFullDisk) {
  ScratchDirectory scratch;
  CapturedConsole captured;
  fs::create_directory(scratch / "root");
  // Everything written to /dev/full fails with "No space left on device".
  fs::create_symlink("/dev/full", scratch / "root/features");
  DirectoryStore store(scratch / "root", "out", captured.console);
  const FileHandle handle = store.Open("features");
  ASSERT_NE(handle, 0);
  store.Write(handle, "P 1 2 0 P 0 0;\n");
  EXPECT_FALSE(store.Close(handle));
  EXPECT_TRUE(store.failed());
  EXPECT_EQ(captured.Err(), "kelpie-export: error: cannot write out/features: No space left on device\n");
}

TEST(HostStores, ArchiveStoreTakesEachFileWhenItIsClosedWithTwoOpenAtOnce) {
  for (ArchiveStore::Format format : {ArchiveStore::kTgz, ArchiveStore::kZip}) {
    ScratchDirectory scratch;
    CapturedConsole captured;
    {
      ArchiveStore store(format, scratch / "job.archive", "out/job.archive", captured.console);
      store.MakeDirectory("job\\layers\\drill");
      const FileHandle features = store.Open("job\\layers\\drill\\features");
      const FileHandle tools = store.Open("job\\layers\\drill\\tools");
      store.Write(features, "# header\n");
      store.Write(tools, "UNITS=INCH\n");
      store.Write(features, "P 0 0 0 P 0 0;\n");
      store.Close(tools);
      store.Close(features);
      const FileHandle other = store.Open("job\\matrix\\matrix");
      store.Write(other, "STEP {\n");
      store.Close(other);
      EXPECT_TRUE(store.Finish());
      EXPECT_FALSE(store.failed());
    }
    std::vector<std::string> directories;
    const std::map<std::string, std::string> files = ArchiveFiles(scratch / "job.archive", &directories);
    EXPECT_EQ(files, (std::map<std::string, std::string>{{"job/layers/drill/features", "# header\nP 0 0 0 P 0 0;\n"},
                                                          {"job/layers/drill/tools", "UNITS=INCH\n"},
                                                          {"job/matrix/matrix", "STEP {\n"}}));
    EXPECT_EQ(directories,
              (std::vector<std::string>{"job/", "job/layers/", "job/layers/drill/", "job/matrix/"}));
    EXPECT_EQ(captured.Err(), "");
  }
}

TEST(HostStores, ArchiveStoreReportsAFullDiskAndRefusesEscapes) {
  CapturedConsole captured;
  ArchiveStore store(ArchiveStore::kZip, "/dev/full", "out/job.zip", captured.console);
  EXPECT_EQ(store.Open("job\\..\\..\\x"), 0);
  const FileHandle handle = store.Open("job\\data");
  ASSERT_NE(handle, 0);
  store.Write(handle, std::string(100000, 'x').c_str());
  store.Close(handle);
  EXPECT_FALSE(store.Finish());
  EXPECT_TRUE(store.failed());
  const std::string errors = captured.Err();
  EXPECT_TRUE(errors.starts_with("kelpie-export: error: refusing the file \"job\\..\\..\\x\": ")) << errors;
  EXPECT_NE(errors.find("kelpie-export: error: cannot write out/job.zip"), std::string::npos) << errors;
}

TEST(HostStores, TeeStoreFillsEveryStoreAndCountsProgress) {
  ScratchDirectory scratch;
  CapturedConsole captured;
  fs::create_directory(scratch / "a");
  fs::create_directory(scratch / "b");
  DirectoryStore a(scratch / "a", "a", captured.console);
  DirectoryStore b(scratch / "b", "b", captured.console);
  TeeStore tee({&a, &b}, captured.console);
  captured.console.BeginExport("test");
  const FileHandle first = tee.Open("job\\one");
  const FileHandle second = tee.Open("job\\two");
  tee.Write(first, "12345");
  tee.Write(second, "67");
  tee.Close(first);
  tee.Close(second);
  EXPECT_EQ(captured.console.files(), 2u);
  EXPECT_EQ(captured.console.bytes(), 7u);
  EXPECT_EQ(TreeFiles(scratch / "a"), TreeFiles(scratch / "b"));
  EXPECT_EQ(ReadFile(scratch / "a/job/one"), "12345");

  // A file that one store cannot open is open in none.
  fs::create_directories(scratch / "b/job/blocked");
  EXPECT_EQ(tee.Open("job\\blocked"), 0);
  tee.Write(0, "x");
  tee.Close(0);
  EXPECT_TRUE(b.failed());
  EXPECT_EQ(captured.console.files(), 2u);
}

TEST(HostStaging, PublishReplacesEarlierOutputsAndCleansUp) {
  ScratchDirectory scratch;
  fs::create_directories(scratch / "out/job/old");
  WriteFile(scratch / "out/job.emn", "old");
  std::string error, path;
  {
    std::unique_ptr<Staging> staging = Staging::Create(scratch / "out", error);
    ASSERT_TRUE(staging) << error;
    path = staging->path();
    fs::create_directories(staging->path() + "/tree/job/new");
    WriteFile(staging->path() + "/tree/job.emn", "new");
    EXPECT_EQ(staging->Entries("tree"), (std::vector<std::string>{"job", "job.emn"}));
    EXPECT_TRUE(staging->Publish("tree/job", "job", error)) << error;
    EXPECT_TRUE(staging->Publish("tree/job.emn", "job.emn", error)) << error;
    EXPECT_FALSE(staging->Publish("tree/missing", "missing", error));
  }
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(AllPaths(scratch / "out"), (std::vector<std::string>{"job", "job.emn", "job/new"}));
  EXPECT_EQ(ReadFile(scratch / "out/job.emn"), "new");

  EXPECT_FALSE(Staging::Create(scratch / "out/job.emn", error));
  EXPECT_TRUE(error.starts_with("cannot write to the output directory " + scratch / "out/job.emn" + ": ")) << error;
}

}  // namespace
}  // namespace kelpie::host::test
