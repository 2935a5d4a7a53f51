// The ODB++ job as the host sees it: the renaming, the "$NONE$" nets, the
// order of the tree, the summaries, the job's messages and its failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "odb_job_board.h"

namespace kelpie::test {
namespace {

// Everything the tree can hold at least once: two steps, each with a
// polygon pad shape, a drill layer, a component with a pad.
struct TreeBoard : JobBoard {
  TreeBoard() {
    AddStack();
    drill = host->AddDrillLayer("Drill", 5, top, bottom);
    AddStep("PCB");
    const double px[] = {0, 0.1, 0.1, 0};
    const double py[] = {0, 0, 0.1, 0.1};
    PadShape* poly = host->AddPolygonPadShape("Poly A", px, py, 4);
    PadShape* round = host->AddRoundPadShape("via", 0.03, 1);
    PinType* pinType = host->AddPinType("pt");
    host->AddPinTypePad(pinType, poly, top);
    PackageType* package = host->AddPackageType("pkg", -0.1, 0.1, -0.1, 0.1);
    host->AddPackagePin(package, pinType, "1", 0, 0, 0, 1);
    Net* gnd = host->AddNet("GND");
    Component* u1 = host->AddComponent(ctop, package, "U1", "", 1, 1, 0, 0);
    Pin* pin = host->AddComponentPin(u1, pinType, 1, 1, 0, 0, 1, gnd);
    host->AddPinPad(top, poly, pin);
    host->AddPad(drill, round, 2, 2);
    AddStep("Panel");
    host->AddPolygonPadShape("Poly B", px, py, 4);
  }
  Layer* drill = nullptr;
};

// The files of one step in the order of the tree: profile, step files,
// every layer's features (tools on the drill layer) and attrlist, EDA data,
// the components files, the netlist; each summary right after its file.
Lines StepFiles(const std::string& step, bool withComponents) {
  const std::string s = "board\\steps\\" + step + "\\";
  Lines files = {s + "profile", s + ".profile.sum", s + "attrlist", s + "stephdr",
                 s + ".stephdr.sum"};
  for (const char* layer : {"comp_+_top", "top", "bottom", "comp_+_bot", "drill"}) {
    const std::string d = s + "layers\\" + layer + "\\";
    files.push_back(d + "features");
    if (std::string(layer) == "drill") {
      files.push_back(d + "tools");
      files.push_back(d + ".tools.sum");
    }
    files.insert(files.end(), {d + ".features.sum", d + "attrlist", d + ".attrlist.sum"});
  }
  files.push_back(s + "eda\\data");
  if (withComponents) files.push_back(s + "layers\\comp_+_top\\components");
  files.insert(files.end(), {s + "netlists\\cadnet\\netlist", s + "netlists\\cadnet\\.netlist.sum"});
  return files;
}

TEST(OdbJob, WritesTheTreeInItsFixedOrderWithSummariesWhereDue) {
  TreeBoard b;
  b.f.sink.Clear();
  ASSERT_TRUE(b.Export());

  Lines expected = {"board\\symbols\\polya\\attrlist", "board\\symbols\\polya\\.attrlist.sum",
                    "board\\symbols\\polya\\features", "board\\symbols\\polya\\.features.sum",
                    "board\\symbols\\polyb\\attrlist", "board\\symbols\\polyb\\.attrlist.sum",
                    "board\\symbols\\polyb\\features", "board\\symbols\\polyb\\.features.sum",
                    "board\\matrix\\matrix",           "board\\matrix\\.matrix.sum",
                    "board\\fonts\\standard",          "board\\misc\\attrlist",
                    "board\\misc\\info",               "board\\misc\\job_name",
                    "board\\misc\\last_read",          "board\\misc\\last_save"};
  for (const std::string& file : StepFiles("pcb", true)) expected.push_back(file);
  for (const std::string& file : StepFiles("panel", false)) expected.push_back(file);
  EXPECT_EQ(b.Opened(), expected);

  // Every file (not summary) is opened right after its own directory was
  // asked for, and no bare parent directory is ever asked for.
  const Lines& calls = b.f.store.calls;
  std::set<std::string> directories;
  for (size_t i = 0; i < calls.size(); ++i) {
    if (calls[i].rfind("open ", 0) != 0) continue;
    const std::string path = calls[i].substr(5);
    const std::string directory = path.substr(0, path.rfind('\\'));
    const std::string name = path.substr(directory.size() + 1);
    if (name[0] == '.') {
      // A summary follows the close of its own file: ".features.sum" after
      // "features".
      EXPECT_EQ(calls[i - 1], "close " + directory + "\\" + name.substr(1, name.size() - 5));
    } else {
      ASSERT_GT(i, 0u);
      EXPECT_EQ(calls[i - 1], "mkdir " + directory) << path;
      directories.insert(directory);
    }
  }
  for (const char* parent : {"board", "board\\steps", "board\\steps\\pcb\\layers",
                             "board\\symbols", "board\\steps\\pcb\\netlists"})
    EXPECT_EQ(directories.count(parent), 0u) << parent;

  // Every file was closed; every summary tells the size and byte sum of
  // what its file really received.
  for (const std::string& path : expected) {
    EXPECT_NE(std::find(calls.begin(), calls.end(), "close " + path), calls.end()) << path;
    if (path.find("\\.") == std::string::npos && b.Has(SummaryPath(path)))
      ExpectSummaryMatchesFile(b.f.store, path);
  }

  const Lines infos = b.f.sink.Infos();
  ASSERT_FALSE(infos.empty());
  EXPECT_EQ(infos.front(), "Write job started: board");
  EXPECT_EQ(infos.back(), "Write job 'board' complete");
  EXPECT_TRUE(b.f.sink.Has(Message::kInfo, "Write board\\matrix\\matrix complete"));
  EXPECT_TRUE(b.f.sink.Errors().empty());
  EXPECT_TRUE(b.f.sink.Warnings().empty());
}

TEST(OdbJob, EveryFileBeginsWithTheHeaderLineAndEndsLinesWithLineFeedsAlone) {
  TreeBoard b;
  ASSERT_TRUE(b.Export());
  for (const auto& [path, bytes] : b.f.store.files) {
    EXPECT_EQ(bytes.find('\r'), std::string::npos) << path;
    if (path.find("\\.") != std::string::npos) continue;  // summaries have no header line
    EXPECT_EQ(bytes.rfind(std::string(kHeaderLine) + "\n", 0), 0u) << path;
  }
}

TEST(OdbJob, NamesBecomeLegalInTheModelAndInEveryMessage) {
  JobBoard b;
  b.host->SetJobName("Board #1 (Rev.B)");
  Layer* ctop = b.host->AddLayer("Top Components", 1, kLayerComponentTop, 1, 1);
  Layer* copper = b.host->AddLayer("Top Copper", 2, kLayerSignal, 1, 1);
  b.host->AddLayer("Bottom", 3, kLayerComponentBottom, 1, 1);
  b.AddStep("PCB 1");
  const double px[] = {0, 0.1, 0.1, 0};
  const double py[] = {0, 0, 0.1, 0.1};
  b.host->AddPolygonPadShape("Poly A", px, py, 4);
  Net* net = b.host->AddNet("GND/1");
  PadShape* round = b.host->AddRoundPadShape("r", 0.05, 1);
  PinType* pinType = b.host->AddPinType("PT 1");
  b.host->AddPinTypePad(pinType, round, copper);
  PackageType* package = b.host->AddPackageType("SOIC 8", -0.1, 0.1, -0.1, 0.1);
  b.host->AddPackagePin(package, pinType, "1", 0, 0, 0, 1);
  b.host->AddComponent(ctop, package, "U1", "", 1, 1, 0, 0);
  (void)net;
  b.f.sink.Clear();
  ASSERT_TRUE(b.Export());

  const std::string job = "board1rev.b";
  EXPECT_EQ(std::string(b.host->GetOdbJobName()), job);
  EXPECT_EQ(b.f.sink.Infos().front(), "Write job started: " + job);
  EXPECT_EQ(b.f.sink.Infos().back(), "Write job '" + job + "' complete");
  EXPECT_TRUE(b.Has(job + "\\symbols\\polya\\features"));
  EXPECT_TRUE(b.Has(job + "\\steps\\pcb1\\layers\\comp_+_top\\features"));
  EXPECT_TRUE(b.Has(job + "\\steps\\pcb1\\layers\\topcopper\\features"));
  EXPECT_TRUE(b.Has(job + "\\steps\\pcb1\\layers\\comp_+_bot\\features"));
  EXPECT_EQ(b.Body(job + "\\misc\\job_name"), Lines{job});
  const Lines netlist = b.Body(job + "\\steps\\pcb1\\netlists\\cadnet\\netlist");
  ASSERT_GE(netlist.size(), 3u);
  EXPECT_EQ(netlist[1], "$0 gnd1");
  EXPECT_EQ(netlist[2], "$1 $NONE$");

  // The duplicate checks of the interface now see the legal names.
  b.f.sink.Clear();
  EXPECT_EQ(b.host->AddLayer("topcopper", 9, kLayerSignal, 1, 1), nullptr);
  EXPECT_TRUE(b.f.sink.HasError("Layer topcopper already defined."));
  EXPECT_NE(b.host->AddLayer("Top Copper", 10, kLayerSignal, 1, 1), nullptr);
  EXPECT_EQ(b.host->AddPackageType("soic8", 0, 1, 0, 1), nullptr);
  EXPECT_TRUE(b.f.sink.HasError("Package type soic8 already defined."));
  EXPECT_NE(b.host->AddPackageType("SOIC 8", 0, 1, 0, 1), nullptr);
  EXPECT_EQ(b.AddStep("pcb1"), nullptr);
  EXPECT_TRUE(b.f.sink.HasError("Step pcb1 already defined."));
  EXPECT_NE(b.AddStep("PCB 1"), nullptr);
}

TEST(OdbJob, JobNameWithoutLegalCharactersWritesNothing) {
  JobBoard b;
  b.AddStack();
  b.AddStep("pcb");
  b.host->SetJobName("###");
  b.f.sink.Clear();
  EXPECT_FALSE(b.Export());
  EXPECT_TRUE(b.f.store.calls.empty());
  EXPECT_EQ(b.f.sink.Errors(), (Lines{"Job name not set", "Write job '' failed"}));
  EXPECT_TRUE(b.f.sink.Infos().empty());
}

TEST(OdbJob, PinsWithoutNetGetTheStepsNoneNetOncePerExport) {
  JobBoard b;
  b.AddStack();
  b.AddStep("pcb");
  PadShape* round = b.host->AddRoundPadShape("r", 0.05, 1);
  PinType* pinType = b.host->AddPinType("pt");
  b.host->AddPinTypePad(pinType, round, b.top);
  PackageType* package = b.host->AddPackageType("pkg", -0.1, 0.1, -0.1, 0.1);
  b.host->AddPackagePin(package, pinType, "1", 0, 0, 0, 1);
  b.host->AddNet("gnd");
  Component* u1 = b.host->AddComponent(b.ctop, package, "U1", "", 1, 1, 0, 0);
  Pin* pin = b.host->AddComponentPin(u1, pinType, 1, 1, 0, 0, 1, nullptr);
  b.host->AddPinPad(b.top, round, pin);
  const std::string netlist = "board\\steps\\pcb\\netlists\\cadnet\\netlist";

  ASSERT_TRUE(b.Export());
  // The pin belongs to "$NONE$" (net 1); its pad, made before, has no net
  // and so gives no point.
  EXPECT_EQ(b.Body(netlist), (Lines{"H optimize n staggered n", "$0 gnd", "$1 $NONE$"}));
  const Lines components = b.Body("board\\steps\\pcb\\layers\\comp_+_top\\components");
  ASSERT_EQ(components.size(), 2u);
  EXPECT_EQ(components[1].substr(0, 16), "TOP 0 1 1 0 N 1 ");

  ASSERT_TRUE(b.Export());
  EXPECT_EQ(b.Body(netlist),
            (Lines{"H optimize n staggered n", "$0 gnd", "$1 $NONE$", "$2 $NONE$"}));
}

TEST(OdbJob, ZeroBoardThicknessStopsTheJobAtTheMiscFiles) {
  JobBoard b;
  b.host->SetBoardThickness(0);
  b.AddStack();
  b.AddStep("pcb");
  const double px[] = {0, 0.1, 0.1, 0};
  const double py[] = {0, 0, 0.1, 0.1};
  b.host->AddPolygonPadShape("poly", px, py, 4);
  b.f.sink.Clear();
  EXPECT_FALSE(b.Export());
  EXPECT_EQ(b.Opened(), (Lines{"board\\symbols\\poly\\attrlist", "board\\symbols\\poly\\.attrlist.sum",
                               "board\\symbols\\poly\\features", "board\\symbols\\poly\\.features.sum",
                               "board\\matrix\\matrix", "board\\matrix\\.matrix.sum",
                               "board\\fonts\\standard"}));
  EXPECT_EQ(b.f.sink.Errors(), (Lines{"Board thickness 0", "Write job 'board' failed"}));
}

TEST(OdbJob, NegativeBoardThicknessPasses) {
  JobBoard b;
  b.host->SetBoardThickness(-0.5);
  b.AddStack();
  b.AddStep("pcb");
  EXPECT_TRUE(b.Export());
  EXPECT_EQ(b.Body("board\\misc\\attrlist").back(), ".board_thickness =  -0.5");
}

TEST(OdbJob, StepWithoutOutlineFailsAfterTheStepsBeforeIt) {
  JobBoard b;
  b.AddStack();
  b.AddStep("pcb");
  const double one[] = {1};
  b.host->AddStep("bad", one, one, 0);
  b.AddStep("after");
  b.f.sink.Clear();
  EXPECT_FALSE(b.Export());
  EXPECT_EQ(b.Opened().back(), "board\\steps\\pcb\\netlists\\cadnet\\.netlist.sum");
  EXPECT_EQ(b.f.sink.Errors(),
            (Lines{"Outline not defined for step bad", "Write job 'board' failed"}));
}

TEST(OdbJob, OutlineOfTwoHostPointsIsWritten) {
  JobBoard b;
  b.AddStack();
  const double xs[] = {0, 1};
  const double ys[] = {0, 1};
  b.host->AddStep("pcb", xs, ys, 2);
  EXPECT_TRUE(b.Export());
  EXPECT_EQ(b.Body("board\\steps\\pcb\\profile"),
            (Lines{"S P 0", "OB 0 0 I ", "OS 1 1 ", "OS 0 0 ", "OE", "SE"}));
}

TEST(OdbJob, StepNameWithoutLegalCharactersFailsTheJob) {
  JobBoard b;
  b.AddStack();
  b.AddStep("pcb");
  b.AddStep("%%%");
  b.f.sink.Clear();
  EXPECT_FALSE(b.Export());
  EXPECT_TRUE(b.Has("board\\steps\\pcb\\netlists\\cadnet\\netlist"));
  EXPECT_EQ(b.Opened().back(), "board\\steps\\pcb\\netlists\\cadnet\\.netlist.sum");
  EXPECT_EQ(b.f.sink.Errors(), (Lines{"Step name not set", "Write job 'board' failed"}));
}

TEST(OdbJob, DesignWithoutStepsWritesTheJobLevelFilesOnly) {
  JobBoard b;
  b.AddStack();
  EXPECT_TRUE(b.Export());
  EXPECT_EQ(b.Opened(), (Lines{"board\\matrix\\matrix", "board\\matrix\\.matrix.sum",
                               "board\\fonts\\standard", "board\\misc\\attrlist",
                               "board\\misc\\info", "board\\misc\\job_name",
                               "board\\misc\\last_read", "board\\misc\\last_save"}));
}

TEST(OdbJob, AnExceptionFromTheStoreEndsTheJobWithItsMessages) {
  JobBoard b;
  b.AddStack();
  b.AddStep("pcb");
  ThrowingStore store("board\\misc\\info");
  b.f.sink.Clear();
  EXPECT_FALSE(b.host->WriteODB(&store));
  EXPECT_EQ(store.opened.back(), "board\\misc\\info");
  EXPECT_EQ(b.f.sink.Errors(), (Lines{"File was not closed: board\\misc\\info",
                                      "Unexpected error in WriteODB", "Write job 'board' failed"}));

  // Nothing of the failed run is left behind: the next export is complete.
  b.f.sink.Clear();
  EXPECT_TRUE(b.Export());
  EXPECT_TRUE(b.f.sink.Errors().empty());
}

TEST(OdbJob, NoStoreIsAnUnexpectedError) {
  JobBoard b;
  b.AddStack();
  b.f.sink.Clear();
  EXPECT_FALSE(b.host->WriteODB(nullptr));
  EXPECT_EQ(b.f.sink.Errors(),
            (Lines{"Unexpected error in WriteODB", "Write job 'board' failed"}));
}

}  // namespace
}  // namespace kelpie::test
