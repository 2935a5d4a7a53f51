// kelpie-export run as a user runs it: the real program loading the real
// plug-in, writing into scratch directories.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>

#include "host_test_support.h"

namespace kelpie::host::test {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using Files = std::map<std::string, std::string>;

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }
bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// Nothing of a staging directory may stay behind, whatever happened.
void ExpectNoStaging(const std::string& directory) {
  for (const std::string& path : AllPaths(directory))
    EXPECT_FALSE(Contains(path, ".kelpie-export-")) << path;
}

// The files of a tree or an archive without the summary files, whose date
// and time change from run to run.
Files WithoutSummaries(Files files) {
  std::erase_if(files, [](const auto& entry) { return entry.first.ends_with(".sum"); });
  return files;
}

// A file without its second line (the IDF header line with the date).
std::string WithoutSecondLine(const std::string& text) {
  const size_t first = text.find('\n');
  const size_t second = text.find('\n', first + 1);
  return text.substr(0, first + 1) + text.substr(second + 1);
}

Files Prefixed(const std::string& prefix, const Files& files) {
  Files result;
  for (const auto& [path, data] : files) result[prefix + path] = data;
  return result;
}

TEST(HostEndToEnd, SampleBoardWritesIdfOdbTreeAndTgz) {
  ScratchDirectory scratch;
  const RunResult run = RunExport({"-o", "out"}, scratch.path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::string out = scratch / "out";
  EXPECT_EQ(AllPaths(out).size() > 3, true);
  EXPECT_TRUE(StartsWith(ReadFile(out + "/kelpie-sample.emn"), ".HEADER\r\nBOARD_FILE 3.0 "));
  EXPECT_TRUE(StartsWith(ReadFile(out + "/kelpie-sample.emp"), ".HEADER\r\nLIBRARY_FILE 3.0 "));
  EXPECT_TRUE(fs::is_regular_file(out + "/kelpie-sample.tgz"));
  EXPECT_FALSE(fs::exists(out + "/kelpie-sample.zip"));

  const Files tree = TreeFiles(out + "/kelpie-sample");
  for (const char* file : {"matrix/matrix", "misc/info", "steps/pcb/profile", "steps/pcb/eda/data",
                           "steps/pcb/layers/top/features", "steps/pcb/layers/drill/tools",
                           "steps/pcb/netlists/cadnet/netlist", "symbols/dpak_tab/features"})
    EXPECT_EQ(tree.count(file), 1u) << file;
  // Fifteen parts on top, six below; every drilled pin and hole on the drill
  // layer; the VIN trace's rounded corners; the two planes.
  EXPECT_EQ(Count(tree.at("steps/pcb/layers/comp_+_top/components"), "\nCMP "), 15u);
  EXPECT_EQ(Count(tree.at("steps/pcb/layers/comp_+_bot/components"), "\nCMP "), 6u);
  EXPECT_EQ(Count(tree.at("steps/pcb/layers/drill/features"), "\nP "), 19u);
  EXPECT_EQ(Count(tree.at("steps/pcb/layers/top/features"), "\nA "), 2u);
  EXPECT_EQ(Count(tree.at("steps/pcb/layers/gnd/features"), "\nS P 0\n"), 1u);
  EXPECT_EQ(Count(tree.at("steps/pcb/layers/pwr/features"), "\nS P 0\n"), 1u);

  // In a pipe every message is a line of its own.
  EXPECT_TRUE(Contains(run.out, "\nAdding layer: drill\n"));
  EXPECT_TRUE(Contains(run.out, "\nWrite job 'kelpie-sample' complete\n"));
  EXPECT_TRUE(Contains(run.out, "Wrote out/kelpie-sample.emn, out/kelpie-sample.emp ("));
  EXPECT_TRUE(Contains(run.out, "Wrote out/kelpie-sample, out/kelpie-sample.tgz ("));
  ExpectNoStaging(out);
}

TEST(HostEndToEnd, OdbTreeTgzAndZipHoldTheSameBytes) {
  ScratchDirectory scratch;
  const RunResult run = RunExport({"--odb", "--tgz", "--zip", "-q", "-o", "out"}, scratch.path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");  // -q
  const std::string out = scratch / "out";
  EXPECT_EQ(AllPaths(out).front(), "kelpie-sample");
  EXPECT_FALSE(fs::exists(out + "/kelpie-sample.emn"));

  const Files tree = Prefixed("kelpie-sample/", TreeFiles(out + "/kelpie-sample"));
  std::vector<std::string> tgzDirectories, zipDirectories;
  const Files tgz = ArchiveFiles(out + "/kelpie-sample.tgz", &tgzDirectories);
  const Files zip = ArchiveFiles(out + "/kelpie-sample.zip", &zipDirectories);
  EXPECT_GT(tree.size(), 50u);
  EXPECT_TRUE(tgz == tree);
  EXPECT_TRUE(zip == tree);
  // The job directory is the archives' top folder, and each directory is
  // listed once.
  EXPECT_EQ(tgzDirectories, zipDirectories);
  ASSERT_FALSE(tgzDirectories.empty());
  EXPECT_EQ(tgzDirectories.front(), "kelpie-sample/");
  for (const std::string& directory : tgzDirectories) EXPECT_TRUE(StartsWith(directory, "kelpie-sample/"));
  EXPECT_EQ(std::set<std::string>(tgzDirectories.begin(), tgzDirectories.end()).size(), tgzDirectories.size());
}

TEST(HostEndToEnd, ExampleDesignFileIsTheBuiltInSampleAndMillimetresMatchInches) {
  ScratchDirectory scratch;
  ASSERT_EQ(RunExport({"-q", "--idf", "--odb", "-o", "builtin"}, scratch.path()).status, 0);
  const RunResult example =
      RunExport({std::string(KELPIE_EXAMPLES_DIR) + "/sample-board.json", "-q", "--idf", "--odb", "-o", "file"},
                scratch.path());
  ASSERT_EQ(example.status, 0) << example.err;
  for (const char* file : {"kelpie-sample.emn", "kelpie-sample.emp"})
    EXPECT_EQ(WithoutSecondLine(ReadFile(scratch / "builtin/" + file)),
              WithoutSecondLine(ReadFile(scratch / "file/" + file)))
        << file;
  EXPECT_TRUE(WithoutSummaries(TreeFiles(scratch / "builtin/kelpie-sample")) ==
              WithoutSummaries(TreeFiles(scratch / "file/kelpie-sample")));

  // The tiny design in millimetres writes what it writes in inches.
  Json inches = Json::parse(TinyDesign());
  std::function<void(Json&, const std::string&)> scale = [&](Json& value, const std::string& key) {
    if (value.is_number() && key != "row" && key != "kind") value = value.get<double>() * 25.4;
    if (value.is_array())
      for (Json& item : value) scale(item, key);
    if (value.is_object())
      for (auto it = value.begin(); it != value.end(); ++it) scale(it.value(), it.key());
  };
  Json millimetres = inches;
  scale(millimetres, "");
  millimetres["units"] = "mm";
  WriteFile(scratch / "inch.json", inches.dump());
  WriteFile(scratch / "mm.json", millimetres.dump());
  ASSERT_EQ(RunExport({"inch.json", "-q", "--idf", "--odb", "-o", "inch"}, scratch.path()).status, 0);
  ASSERT_EQ(RunExport({"mm.json", "-q", "--idf", "--odb", "-o", "mm"}, scratch.path()).status, 0);
  EXPECT_EQ(WithoutSecondLine(ReadFile(scratch / "inch/tiny.emn")), WithoutSecondLine(ReadFile(scratch / "mm/tiny.emn")));
  EXPECT_TRUE(WithoutSummaries(TreeFiles(scratch / "inch/tiny")) == WithoutSummaries(TreeFiles(scratch / "mm/tiny")));
}

struct BadDesign {
  const char* what;
  std::function<void(Json&)> change;
  std::string message;  // after "kelpie-export: error: bad.json: "
};

TEST(HostEndToEnd, EveryKindOfBadDesignFileGivesExitTwoAndWritesNothing) {
  const std::vector<BadDesign> cases = {
      {"missing field", [](Json& d) { d["layers"][0].erase("type"); }, "$.layers[0]: missing field \"type\""},
      {"wrong type", [](Json& d) { d["layers"][1]["row"] = "two"; },
       "$.layers[1].row: expected a whole number, found a string"},
      {"wrong type of point", [](Json& d) { d["steps"][0]["profile"][2] = Json::array({1}); },
       "$.steps[0].profile[2]: expected a point [x, y], found an array of 1"},
      {"unknown reference", [](Json& d) { d["steps"][0]["components"][0]["package"] = "R2"; },
       "$.steps[0].components[0].package: unknown package \"R2\""},
      {"ambiguous reference", [](Json& d) { d["steps"][0]["nets"] = Json::array({"A", "B", {{"name", "C"}, {"id", "A"}}}); },
       "$.steps[0].components[0].pins[0].net: ambiguous reference \"A\": 2 nets have this name or id"},
      {"negative count", [](Json& d) { d["layers"][0]["row"] = -1; }, "$.layers[0].row: must not be negative, found -1"},
      {"misspelt field", [](Json& d) { d["steps"][0]["features"][0]["widht"] = 1; },
       "$.steps[0].features[0].widht: unknown field"},
      {"component off a component layer", [](Json& d) { d["steps"][0]["components"][0]["layer"] = "top"; },
       "$.steps[0].components[0].layer: layer \"top\" is not a component layer"},
      {"duplicate layer", [](Json& d) { d["layers"][2]["name"] = "top"; },
       "$.layers[2].name: duplicate layer name \"top\" (first at $.layers[1].name)"},
  };
  for (const BadDesign& bad : cases) {
    SCOPED_TRACE(bad.what);
    ScratchDirectory scratch;
    Json design = Json::parse(TinyDesign());
    bad.change(design);
    WriteFile(scratch / "bad.json", design.dump(2));
    const RunResult run = RunExport({"bad.json", "-o", "out"}, scratch.path());
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_EQ(run.err, "kelpie-export: error: bad.json: " + bad.message + "\n");
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(fs::exists(scratch / "out"));
  }

  // Errors found while parsing name their place too.
  const std::vector<std::pair<std::string, std::string>> texts = {
      {"{\"job\": {\"thickness\": 1e999}}", "bad.json: $.job.thickness: the number '1e999' is not finite (line 1"},
      {"{\"layers\": [{\"name\": \"a\",}]}", "bad.json: $.layers[0].name: syntax error"},
      {"{\"job\": {}, \"job\": {}}", "bad.json: $.job: the field \"job\" is given twice"},
  };
  for (const auto& [text, message] : texts) {
    SCOPED_TRACE(text);
    ScratchDirectory scratch;
    WriteFile(scratch / "bad.json", text);
    const RunResult run = RunExport({"bad.json", "-o", "out"}, scratch.path());
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_TRUE(StartsWith(run.err, "kelpie-export: error: " + message)) << run.err;
    EXPECT_FALSE(fs::exists(scratch / "out"));
  }
}

TEST(HostEndToEnd, BadUsageGivesExitTwo) {
  ScratchDirectory scratch;
  WriteFile(scratch / "a.json", TinyDesign());
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"--pdf"}, {"-o"}, {"--generate", "-3"}, {"--generate", "12x"},
                                             {"a.json", "a.json"}, {"a.json", "--generate", "5"}, {"missing.json"}}) {
    const RunResult run = RunExport(arguments, scratch.path());
    EXPECT_EQ(run.status, 2) << arguments.front();
    EXPECT_TRUE(StartsWith(run.err, "kelpie-export: ")) << run.err;
  }
  EXPECT_EQ(AllPaths(scratch.path()), std::vector<std::string>{"a.json"});
  const RunResult help = RunExport({"--help"}, scratch.path());
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(StartsWith(help.out, "usage: kelpie-export "));
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
    Json design = Json::parse(TinyDesign());
    changes[i](design);
    WriteFile(scratch / "work/design.json", design.dump());
    const std::vector<std::string> before = AllPaths(scratch.path());
    const RunResult run = RunExport({"design.json", "--odb", "--tgz", "--zip", "-o", "out"}, scratch / "work");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(Contains(run.err, "which would leave the output directory")) << run.err;
    EXPECT_TRUE(Contains(run.err, "kelpie-export: error: the ODB++ export failed; nothing was written\n"));
    EXPECT_EQ(AllPaths(scratch.path()), before);
  }
}

TEST(HostEndToEnd, PlugInFailureGivesExitOneAndWritesNothing) {
  // The plug-in refuses a board thickness of 0 in the middle of the job,
  // after the matrix and the fonts were written.
  ScratchDirectory scratch;
  Json design = Json::parse(TinyDesign());
  design["job"]["thickness"] = 0;
  WriteFile(scratch / "design.json", design.dump());
  const RunResult run = RunExport({"design.json", "--odb", "--tgz", "-o", "out"}, scratch.path());
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_TRUE(Contains(run.err, "error: Write job 'tiny' failed\n")) << run.err;
  EXPECT_EQ(AllPaths(scratch / "out"), std::vector<std::string>{});
}

TEST(HostEndToEnd, OutputDirectoryThatCannotBeMadeGivesExitOne) {
  ScratchDirectory scratch;
  WriteFile(scratch / "file", "not a directory");
  const RunResult run = RunExport({"-o", "file/out"}, scratch.path());
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_TRUE(StartsWith(run.err, "kelpie-export: error: cannot create the output directory file/out: ")) << run.err;
  EXPECT_EQ(AllPaths(scratch.path()), std::vector<std::string>{"file"});
}

TEST(HostEndToEnd, ReadOnlyOutputDirectoryGivesExitOne) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
  ScratchDirectory scratch;
  fs::create_directory(scratch / "out");
  fs::permissions(scratch / "out", fs::perms::owner_read | fs::perms::owner_exec);
  const RunResult run = RunExport({"-o", "out"}, scratch.path());
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_TRUE(StartsWith(run.err, "kelpie-export: error: cannot write to the output directory out: ")) << run.err;
  EXPECT_EQ(AllPaths(scratch / "out"), std::vector<std::string>{});
}

TEST(HostEndToEnd, FullDiskGivesExitOneAndKeepsTheEarlierExport) {
  ScratchDirectory scratch;
  ASSERT_EQ(RunExport({"-q", "--idf", "--odb", "--zip", "-o", "out"}, scratch.path()).status, 0);
  const Files earlier = TreeFiles(scratch / "out");
  // A file size limit makes every write past 1 kB fail the way a full disk
  // does.
  RunSettings settings;
  settings.fileSizeLimit = 1024;
  const RunResult run = RunExport({"-q", "--idf", "--odb", "--zip", "-o", "out"}, scratch.path(), settings);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_TRUE(Contains(run.err, "File too large")) << run.err;
  EXPECT_TRUE(Contains(run.err, "kelpie-export: error: the IDF export failed; nothing was written\n"));
  EXPECT_TRUE(Contains(run.err, "kelpie-export: error: the ODB++ export failed; nothing was written\n"));
  EXPECT_TRUE(TreeFiles(scratch / "out") == earlier);
  ExpectNoStaging(scratch / "out");
}

TEST(HostEndToEnd, NamesWithPercentSignsPrintVerbatim) {
  ScratchDirectory scratch;
  Json design = Json::parse(TinyDesign());
  design["job"]["name"] = "tiny%s%n";
  design["job"]["comment"] = "50% off %s %n %d";
  design["layers"].push_back({{"name", "doc%s%n%x"}, {"row", 6}, {"type", "document"}});
  // One pin fewer than the package: the plug-in warns, naming the reference.
  design["steps"][0]["components"][0]["reference"] = "R%s%n1";
  design["steps"][0]["components"][0]["pins"].erase(1);
  WriteFile(scratch / "design.json", design.dump());
  const RunResult run = RunExport({"design.json", "--odb", "-o", "out"}, scratch.path());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "Job name: tiny%s%n\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "Comment: 50% off %s %n %d\n"));
  EXPECT_TRUE(Contains(run.out, "Adding layer: doc%s%n%x\n"));
  EXPECT_EQ(run.err, "warning: Component R%s%n1 has less pins than component type r\n");
  EXPECT_TRUE(fs::is_directory(scratch / "out/tinysn"));
}

TEST(HostEndToEnd, GeneratedBoardsExportTheSameBytesEveryTime) {
  ScratchDirectory scratch;
  ASSERT_EQ(RunExport({"--generate", "40", "-q", "--idf", "--zip", "-o", "a"}, scratch.path()).status, 0);
  ASSERT_EQ(RunExport({"--generate", "40", "-q", "--idf", "--zip", "-o", "b"}, scratch.path()).status, 0);
  const std::vector<std::string> outputs = AllPaths(scratch / "a");
  ASSERT_EQ(outputs.size(), 3u);
  EXPECT_EQ(outputs, AllPaths(scratch / "b"));
  for (const std::string& name : outputs) {
    if (name.ends_with(".zip")) {
      const Files a = ArchiveFiles(scratch / "a/" + name);
      EXPECT_GT(a.size(), 30u);
      EXPECT_TRUE(WithoutSummaries(a) == WithoutSummaries(ArchiveFiles(scratch / "b/" + name)));
    } else {
      EXPECT_EQ(WithoutSecondLine(ReadFile(scratch / "a/" + name)), WithoutSecondLine(ReadFile(scratch / "b/" + name)));
    }
  }
}

TEST(HostEndToEnd, LibraryIsFoundNextToTheProgramOrWhereItIsNamed) {
  ScratchDirectory scratch;
  RunResult run = RunExport({"--library", scratch / "nowhere.so", "--idf", "-o", "out"}, scratch.path());
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_TRUE(StartsWith(run.err, "kelpie-export: error: cannot load the plug-in " + scratch / "nowhere.so"));
  run = RunExport({"--idf", "-q", "-o", "out"}, scratch.path(), {{{"KELPIE_LIBRARY", scratch / "none.so"}}});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_FALSE(fs::exists(scratch / "out"));
  run = RunExport({"--idf", "-q", "-o", "out"}, scratch.path(), {{{"KELPIE_LIBRARY", KELPIE_LIBRARY_FILE}}});
  EXPECT_EQ(run.status, 0) << run.err;
  run = RunExport({"--idf", "-q", "-o", "out2"}, scratch.path(), {{{"KELPIE_LIBRARY", std::nullopt}}});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::exists(scratch / "out2/kelpie-sample.emn"));
}

}  // namespace
}  // namespace kelpie::host::test
