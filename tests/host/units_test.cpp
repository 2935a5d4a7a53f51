// The host's parts driven directly: path mapping, stores and the design reader.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "console.h"
#include "design.h"
#include "host_test_support.h"
#include "stores.h"

namespace kelpie::host::test {
namespace {

namespace fs = std::filesystem;

TEST(HostStores, LibraryPathsMapUnderTheOutputDirectoryOnly) {
  std::string relative, reason;
  EXPECT_TRUE(MapLibraryPath("job\\steps\\pcb\\profile", relative, reason));
  EXPECT_EQ(relative, "job/steps/pcb/profile");
  EXPECT_TRUE(MapLibraryPath("...emn", relative, reason));  // a name, not a step up
  for (const char* path : {"", "..", ".", "..\\matrix", "job\\..\\x", "job\\.\\x", "job\\\\x", "\\job", "job\\", "a/b"}) {
    EXPECT_FALSE(MapLibraryPath(path, relative, reason)) << path;
    EXPECT_FALSE(reason.empty());
  }
}

TEST(HostStores, WriteFailureIsRememberedAndReported) {
  ScratchDirectory scratch;
  std::FILE* err = std::fopen((scratch / "err").c_str(), "w");
  Console console(stdout, err, true, false);
  // Everything written to /dev/full fails with "No space left on device".
  fs::create_symlink("/dev/full", scratch / "features");
  DirectoryStore store(scratch.path(), "out", console);
  const FileHandle handle = store.Open("features");
  ASSERT_NE(handle, 0);
  store.Write(handle, "P 1 2 0 P 0 0;\n");
  EXPECT_FALSE(store.Close(handle));
  EXPECT_TRUE(store.failed());
  std::fclose(err);
  EXPECT_EQ(ReadFile(scratch / "err"), "kelpie-export: error: cannot write out/features: No space left on device\n");
}

TEST(HostStores, ArchiveTakesEachFileWhenClosedWithTwoOpenAtOnce) {
  for (ArchiveStore::Format format : {ArchiveStore::kTgz, ArchiveStore::kZip}) {
    ScratchDirectory scratch;
    std::FILE* err = std::fopen((scratch / "err").c_str(), "w");
    Console console(stdout, err, true, false);
    {
      ArchiveStore store(format, scratch / "job.archive", "out/job.archive", console);
      const FileHandle features = store.Open("job\\drill\\features");
      const FileHandle tools = store.Open("job\\drill\\tools");
      store.Write(features, "# header\n");
      store.Write(tools, "UNITS=INCH\n");
      store.Write(features, "P 0 0 0 P 0 0;\n");
      store.Close(tools);
      store.Close(features);
      EXPECT_TRUE(store.Finish());
    }
    std::vector<std::string> directories;
    EXPECT_EQ(ArchiveFiles(scratch / "job.archive", &directories),
              (Files{{"job/drill/features", "# header\nP 0 0 0 P 0 0;\n"}, {"job/drill/tools", "UNITS=INCH\n"}}));
    EXPECT_EQ(directories, (std::vector<std::string>{"job/", "job/drill/"}));
    std::fclose(err);
    EXPECT_EQ(ReadFile(scratch / "err"), "");
  }
}

TEST(HostDesignReader, MillimetresAreConvertedAndReferencesScopedToTheirStep) {
  Design design;
  std::string error;
  ASSERT_TRUE(ReadDesign(R"({"units": "mm", "job": {"name": "j", "thickness": 1.6},
    "layers": [{"name": "Top Copper", "id": "top", "type": "signal"}],
    "steps": [{"name": "b", "profile": [[0, 0], [254, 0]], "pinTypes": [{"name": "t"}], "nets": ["N", {"name": "G", "id": "g"}],
       "pins": [{"id": "v1", "pinType": "t", "x": 25.4, "y": 50.8, "angle": 45, "net": "g"}],
       "features": [{"type": "circle", "layer": "top", "center": [0, 0], "radius": 12.7, "width": 0}]}]})",
                         "test.json", design, error)) << error;
  EXPECT_DOUBLE_EQ(*design.thickness, 1.6 / 25.4);
  const StepRecord& step = design.steps[0];
  EXPECT_DOUBLE_EQ(step.profile[1].x, 10);
  EXPECT_DOUBLE_EQ(step.pins[0].y, 2);
  EXPECT_EQ(step.pins[0].angle, 45);  // angles are not lengths
  EXPECT_EQ(step.pins[0].net, 1);
  EXPECT_DOUBLE_EQ(step.features[0].radius, 0.5);
  EXPECT_FALSE(ReadDesign(R"({"layers": [{"name": "top", "type": "signal"}],
    "steps": [{"name": "a", "profile": [[0, 0]], "nets": ["N"]}, {"name": "b", "profile": [[0, 0]], "features": [
       {"type": "line", "layer": "top", "from": [0, 0], "to": [1, 1], "width": 0.1, "net": "N"}]}]})",
                          "test.json", design, error));
  EXPECT_EQ(error, "test.json: $.steps[1].features[0].net: unknown net \"N\"");
}

// A written design reads back into the same records: the sample board, and
// a design whose shapes and nets share names (written with ids), whose pin
// pad feature names its pin, with a -0 angle and a matrix of its own.
TEST(HostDesignWriter, WrittenDesignsReadBackUnchanged) {
  const std::string tricky = R"({"job": {"name": "t"},
    "layers": [{"name": "top", "type": "signal"}, {"name": "doc", "type": 9, "polarity": "negative", "context": "misc"}],
    "steps": [{"name": "a", "profile": [[0, 0], [1, 0], [1, 1]],
       "padShapes": [{"name": "p", "id": "p1", "shape": "round", "diameter": 0.1}, {"name": "p", "id": "p2", "kind": 3, "width": 0.1, "height": 0.2}],
       "pinTypes": [{"name": "t", "pads": [{"shape": "p2", "layer": "top"}]}],
       "nets": ["GND", {"name": "GND", "id": "g2"}],
       "pins": [{"id": "v", "pinType": "t", "x": 0.5, "y": 0.5, "angle": -0.0, "kind": 3, "net": "g2"}],
       "features": [{"type": "pinPad", "layer": "top", "shape": "p1", "pin": "v"},
                    {"type": "contour", "layer": "doc", "points": [[0, 0], [1, 1], [0, 1]], "filled": false, "width": 0.01}]},
      {"name": "b", "profile": [[0, 0], [2, 0], [2, 2]]}],
    "matrix": ["b", "a"]})";
  for (const std::string& text : {ReadFile(std::string(KELPIE_EXAMPLES_DIR) + "/sample-board.json"), tricky}) {
    Design design;
    std::string error;
    ASSERT_TRUE(ReadDesign(text, "in.json", design, error)) << error;
    const std::string written = DesignText(design);
    Design again;
    ASSERT_TRUE(ReadDesign(written, "written.json", again, error)) << error << "\n" << written;
    EXPECT_EQ(DesignText(again), written);
    EXPECT_EQ(again.steps.size(), design.steps.size());
    EXPECT_EQ(again.matrix, design.matrix);
  }
  Design design;
  std::string error;
  ASSERT_TRUE(ReadDesign(tricky, "in.json", design, error)) << error;
  EXPECT_TRUE(std::signbit(design.steps[0].pins[0].angle));
  const std::string written = DesignText(design);
  EXPECT_NE(written.find(R"("angle":-0.0)"), std::string::npos) << written;
  EXPECT_NE(written.find(R"({"name":"GND","id":"net#1"})"), std::string::npos) << written;
  EXPECT_NE(written.find(R"("matrix": ["b","a"])"), std::string::npos) << written;
}

}  // namespace
}  // namespace kelpie::host::test
