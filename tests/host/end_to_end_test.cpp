// kelpie-export run as a user runs it: the real program loading the real
// plug-in, writing into scratch directories.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>

#include "host_test_support.h"

namespace kelpie::host::test {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// Writes TinyDesign changed by change as design.json in directory.
void WriteDesign(const std::string& directory, const std::function<void(Json&)>& change) {
  Json design = Json::parse(TinyDesign());
  change(design);
  WriteFile(directory + "/design.json", design.dump(2));
}

TEST(HostEndToEnd, SampleBoardWritesIdfOdbTreeAndTgz) {
  ScratchDirectory scratch;
  const RunResult run = RunExport({"-o", "out"}, scratch.path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::string out = scratch / "out";
  EXPECT_TRUE(ReadFile(out + "/kelpie-sample.emn").starts_with(".HEADER\r\nBOARD_FILE 3.0 "));
  EXPECT_TRUE(ReadFile(out + "/kelpie-sample.emp").starts_with(".HEADER\r\nLIBRARY_FILE 3.0 "));
  EXPECT_TRUE(fs::is_regular_file(out + "/kelpie-sample.tgz"));
  EXPECT_FALSE(fs::exists(out + "/kelpie-sample.zip"));
  // Fifteen parts on top, six below; every drilled pin and hole on the drill
  // layer; the VIN trace's rounded corners; the two planes.
  const Files tree = TreeFiles(out + "/kelpie-sample/steps/pcb/layers");
  EXPECT_EQ(Count(tree.at("comp_+_top/components"), "\nCMP "), 15u);
  EXPECT_EQ(Count(tree.at("comp_+_bot/components"), "\nCMP "), 6u);
  EXPECT_EQ(Count(tree.at("drill/features"), "\nP "), 19u);
  EXPECT_EQ(Count(tree.at("top/features"), "\nA "), 2u);
  EXPECT_EQ(Count(tree.at("gnd/features") + tree.at("pwr/features"), "\nS P 0\n"), 2u);
  // In a pipe every message is a line of its own.
  EXPECT_TRUE(Contains(run.out, "Wrote out/kelpie-sample.emn, out/kelpie-sample.emp ("));
  EXPECT_TRUE(Contains(run.out, "Wrote out/kelpie-sample, out/kelpie-sample.tgz ("));
}

TEST(HostEndToEnd, OdbTreeTgzAndZipHoldTheSameBytes) {
  ScratchDirectory scratch;
  const RunResult run = RunExport({"--odb", "--tgz", "--zip", "-q", "-o", "out"}, scratch.path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");  // -q
  Files tree;
  for (const auto& [path, data] : TreeFiles(scratch / "out/kelpie-sample")) tree["kelpie-sample/" + path] = data;
  std::vector<std::string> tgzDirectories, zipDirectories;
  EXPECT_GT(tree.size(), 50u);
  EXPECT_TRUE(ArchiveFiles(scratch / "out/kelpie-sample.tgz", &tgzDirectories) == tree);
  EXPECT_TRUE(ArchiveFiles(scratch / "out/kelpie-sample.zip", &zipDirectories) == tree);
  // The job directory is the archives' top folder.
  EXPECT_EQ(tgzDirectories, zipDirectories);
  EXPECT_EQ(tgzDirectories.at(0), "kelpie-sample/");
}

TEST(HostEndToEnd, BadDesignFilesAndUsageGiveExitTwoAndWriteNothing) {
  const std::vector<std::pair<std::function<void(Json&)>, std::string>> cases = {
      {[](Json& d) { d["layers"][0].erase("type"); }, "$.layers[0]: missing field \"type\""},
      {[](Json& d) { d["layers"][1]["row"] = "two"; }, "$.layers[1].row: expected a whole number, found a string"},
      {[](Json& d) { d["steps"][0]["components"][0]["package"] = "R2"; },
       "$.steps[0].components[0].package: unknown package \"R2\""},
      {[](Json& d) { d["steps"][0]["nets"] = Json::array({"A", "B", {{"name", "C"}, {"id", "A"}}}); },
       "$.steps[0].components[0].pins[0].net: ambiguous reference \"A\": 2 nets have this name or id"},
      {[](Json& d) { d["layers"][0]["row"] = -1; }, "$.layers[0].row: must not be negative, found -1"},
      {[](Json& d) { d["layers"][2]["name"] = "top"; },
       "$.layers[2].name: duplicate layer name \"top\" (first at $.layers[1].name)"},
      // A name longer than the file system allows is one error before
      // anything is written, not one per file.
      {[](Json& d) { d["job"]["name"] = std::string(100000, 'j'); },
       "the job name makes a file name of 100004 characters; the file system of out allows 255 (shorten the name)"},
      {[](Json& d) { d["layers"].push_back({{"name", std::string(300, 'L') + " (doc)"}, {"row", 6}, {"type", "document"}}); },
       "the layer name \"" + std::string(40, 'L') + "...\" makes a file name of 303 characters; the file system of out "
       "allows 255 (shorten the name)"},
  };
  for (const auto& [change, message] : cases) {
    SCOPED_TRACE(message);
    ScratchDirectory scratch;
    WriteDesign(scratch.path(), change);
    const RunResult run = RunExport({"design.json", "-o", "out"}, scratch.path());
    EXPECT_EQ(run.status, 2);
    const std::string place = message.starts_with("$") ? "design.json: " : "";
    EXPECT_EQ(run.err, "kelpie-export: error: " + place + message + "\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(AllPaths(scratch.path()), std::vector<std::string>{"design.json"});
  }
  // Errors found while parsing name their place too; bad usage is refused.
  ScratchDirectory scratch;
  WriteFile(scratch / "n.json", "{\"job\": {\"thickness\": 1e999}}");
  WriteFile(scratch / "s.json", "{\"layers\": [{\"name\": \"a\",}]}");
  const std::vector<std::pair<std::vector<std::string>, std::string>> runs = {
      {{"n.json"}, "n.json: $.job.thickness: the number '1e999' is not finite (line 1"},
      {{"s.json"}, "s.json: $.layers[0].name: syntax error"},
      {{"--pdf"}, ""}, {{"-o"}, ""}, {{"--generate", "12x"}, ""}, {{"n.json", "s.json"}, ""}, {{"missing.json"}, ""}};
  for (const auto& [arguments, message] : runs) {
    const RunResult run = RunExport(arguments, scratch.path());
    EXPECT_EQ(run.status, 2) << arguments.front();
    EXPECT_TRUE(run.err.starts_with("kelpie-export: " + (message.empty() ? "" : "error: " + message))) << run.err;
  }
  EXPECT_EQ(AllPaths(scratch.path()), (std::vector<std::string>{"n.json", "s.json"}));
}

TEST(HostEndToEnd, NamesThatWouldLeaveTheOutputDirectoryAreRefused) {
  // A job, a step or a layer named ".." is legal for the plug-in.
  const std::vector<std::function<void(Json&)>> changes = {
      [](Json& d) { d["job"]["name"] = ".."; },
      [](Json& d) { d["steps"][0]["name"] = ".."; },
      [](Json& d) { d["layers"][2]["name"] = ".."; d["layers"][4]["drill"]["to"] = ".."; },
  };
  for (size_t i = 0; i < changes.size(); ++i) {
    SCOPED_TRACE(i);
    ScratchDirectory scratch;
    fs::create_directories(scratch / "work/out");
    WriteDesign(scratch / "work", changes[i]);
    const std::vector<std::string> before = AllPaths(scratch.path());
    const RunResult run = RunExport({"design.json", "--odb", "--tgz", "--zip", "-o", "out"}, scratch / "work");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.err, "which would leave the output directory")) << run.err;
    EXPECT_TRUE(Contains(run.err, "kelpie-export: error: the ODB++ export failed; nothing was written\n"));
    EXPECT_EQ(AllPaths(scratch.path()), before);
  }
}

TEST(HostEndToEnd, FailuresGiveExitOneAndLeaveNoPartialOutput) {
  ScratchDirectory scratch;
  // The plug-in refuses a board thickness of 0 after the matrix was written.
  WriteDesign(scratch.path(), [](Json& d) { d["job"]["thickness"] = 0; });
  RunResult run = RunExport({"design.json", "--odb", "--tgz", "-o", "zero"}, scratch.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Contains(run.err, "error: Write job 'tiny' failed\n")) << run.err;
  EXPECT_EQ(AllPaths(scratch / "zero"), std::vector<std::string>{});

  if (geteuid() != 0) {  // permissions do not stop root
    fs::create_directory(scratch / "ro");
    fs::permissions(scratch / "ro", fs::perms::owner_read | fs::perms::owner_exec);
    run = RunExport({"-o", "ro"}, scratch.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.starts_with("kelpie-export: error: cannot write to the output directory ro: ")) << run.err;
    EXPECT_EQ(AllPaths(scratch / "ro"), std::vector<std::string>{});
  }

  // A full disk keeps the earlier export of the same names untouched.
  ASSERT_EQ(RunExport({"-q", "--idf", "--odb", "--zip", "-o", "out"}, scratch.path()).status, 0);
  const Files earlier = TreeFiles(scratch / "out");
  run = RunExport({"-q", "--idf", "--odb", "--zip", "-o", "out"}, scratch.path(), 1024);
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Contains(run.err, "File too large")) << run.err;
  EXPECT_TRUE(Contains(run.err, "kelpie-export: error: the IDF export failed; nothing was written\n"));
  EXPECT_TRUE(Contains(run.err, "kelpie-export: error: the ODB++ export failed; nothing was written\n"));
  EXPECT_TRUE(TreeFiles(scratch / "out") == earlier);
  for (const std::string& path : AllPaths(scratch / "out")) EXPECT_FALSE(Contains(path, ".kelpie-export-")) << path;
}

// A second export into the same folder replaces the first whole: each
// earlier output is moved aside before the new one takes its name, and
// nothing of it (a layer the new design lacks) or of the staging is left.
TEST(HostEndToEnd, ExportingAgainReplacesTheEarlierOutputsWhole) {
  ScratchDirectory scratch;
  WriteDesign(scratch.path(), [](Json& d) { d["layers"].push_back({{"name", "doc"}, {"row", 6}, {"type", "document"}}); });
  ASSERT_EQ(RunExport({"design.json", "-q", "--idf", "--odb", "--zip", "-o", "out"}, scratch.path()).status, 0);
  ASSERT_TRUE(fs::is_directory(scratch / "out/tiny/steps/pcb/layers/doc"));
  WriteDesign(scratch.path(), [](Json& d) { d["job"]["comment"] = "second"; });
  const RunResult run = RunExport({"design.json", "-q", "--idf", "--odb", "--zip", "-o", "out"}, scratch.path());
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(RunExport({"design.json", "-q", "--idf", "--odb", "--zip", "-o", "fresh"}, scratch.path()).status, 0);
  EXPECT_EQ(AllPaths(scratch / "out"), AllPaths(scratch / "fresh"));
  EXPECT_FALSE(fs::exists(scratch / "out/tiny/steps/pcb/layers/doc"));
  EXPECT_TRUE(Contains(ReadFile(scratch / "out/tiny/misc/attrlist"), ".comment =  second\n"));
}

TEST(HostEndToEnd, NamesWithPercentSignsPrintVerbatim) {
  ScratchDirectory scratch;
  WriteDesign(scratch.path(), [](Json& d) {
    d["job"]["name"] = "tiny%s%n";
    d["job"]["comment"] = "50% off %s %n %d";
    d["layers"].push_back({{"name", "doc%s%n%x"}, {"row", 6}, {"type", "document"}});
    // One pin fewer than the package: the plug-in warns, naming the reference.
    d["steps"][0]["components"][0]["reference"] = "R%s%n1";
    d["steps"][0]["components"][0]["pins"].erase(1);
  });
  const RunResult run = RunExport({"design.json", "--odb", "-o", "out"}, scratch.path());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "Job name: tiny%s%n\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "Comment: 50% off %s %n %d\n"));
  EXPECT_TRUE(Contains(run.out, "Adding layer: doc%s%n%x\n"));
  EXPECT_EQ(run.err, "warning: Component R%s%n1 has less pins than component type r\n");
  EXPECT_TRUE(fs::is_directory(scratch / "out/tinysn"));
}

}  // namespace
}  // namespace kelpie::host::test
