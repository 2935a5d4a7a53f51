// The whole ODB++ job: tree, summaries, renaming, cross references, failures.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "odb_job_board.h"

namespace kelpie::test {
namespace {

const std::string kJob = "board1rev.b";
const char* const kLayerNames[] = {"comp_+_top", "top", "inner", "bottom", "comp_+_bot", "drill"};

// Every kind of feature and file, a pin without net, an outline of two host
// points, a negative thickness (only 0 is refused) and a byte above 127 (in a
// features text) for the summaries.
struct RichBoard : JobBoard {
  RichBoard() : JobBoard(true, true) {
    host->SetJobName("Board #1 (Rev.B)");
    host->SetBoardThickness(-0.062);
    Layer* drill = host->AddDrillLayer("Drill", 6, top, bottom);
    const double xs[] = {0, 4, 4, 0}, ys[] = {0, 0, 3, 3};
    PadShape* poly = host->AddPolygonPadShape("Poly A", kSquareX, kSquareY, 4);
    PadShape *pad = host->AddRoundPadShape("r40", 0.04, 1),
             *hole = host->AddRoundPadShape("d12", 0.012, 1);
    PinType* smd = host->AddPinType("smd\xe9");
    host->AddPinTypePad(smd, poly, top);
    host->AddPinTypePad(smd, pad, bottom);
    PackageType* chips[] = {host->AddPackageType("chip_t", -0.05, 0.05, -0.02, 0.02),
                            host->AddPackageType("chip_b", -0.05, 0.05, -0.02, 0.02)};
    for (int i = 0; i < 4; ++i)
      host->AddPackagePin(chips[i / 2], smd, "p", i % 2 ? 0.03 : -0.03, 0, 0, i % 2 + 1);
    Net* nets[] = {host->AddNet("a"), host->AddNet("b"), host->AddNet("gnd"), nullptr};
    const int netOf[3][2] = {{0, 2}, {1, 2}, {0, 3}};  // the pins' nets, component by component
    for (int c = 0; c < 3; ++c) {
      const std::string reference = "R" + std::to_string(c);
      Component* part = host->AddComponent(c == 1 ? cbot : ctop, chips[c == 1], reference.c_str(),
                                           "", c + 1, 1, 0, 0);
      for (int i = 0; i < 2; ++i)
        host->AddPinPad(
            c == 1 ? bottom : top, c == 1 ? pad : poly,
            host->AddComponentPin(part, smd, c + 0.97 + 0.06 * i, 1, 0, 0, 1, nets[netOf[c][i]]));
    }
    Pin* via = host->AddPin(host->AddPinType("via"), 2, 2, 0, 0, 3, nets[1]);
    for (Layer* layer : {top, inner, bottom, drill})
      host->AddPinPad(layer, layer == drill ? hole : pad, via);
    host->AddContour(top, xs, ys, 3, 0, 1);
    host->AddContour(top, xs, ys, 4, 0.01, 0);
    host->AddLine(top, 1, 1, 2, 2, 0.01, nets[0]);
    host->AddLine(inner, 2, 2, 2, 1, 0.01, nets[1]);
    host->AddArc(inner, 2, 1, 2.1, 1.1, 2.1, 1, 1, 0.01, nets[1]);
    host->AddLine(bottom, 2, 1, 2, 2, 0.01, nets[1]);
    host->AddSurfaceContour(host->AddSurface(inner, nets[2]), xs, ys, 4, 1);
    host->AddStep("Panel", xs, ys, 2);
    host->AddPolygonPadShape("Poly B", kSquareX, kSquareY, 4);
    host->AddPackageType("Chip T", 0, 1, 0, 1);
  }
};

Lines StepFiles(const std::string& step, bool withComponents) {
  const std::string s = kJob + "\\steps\\" + step + "\\";
  Lines files = {s + "profile", s + ".profile.sum", s + "attrlist", s + "stephdr",
                 s + ".stephdr.sum"};
  for (const std::string layer : kLayerNames) {
    const std::string d = s + "layers\\" + layer + "\\";
    files.push_back(d + "features");
    if (layer == "drill") files.insert(files.end(), {d + "tools", d + ".tools.sum"});
    files.insert(files.end(), {d + ".features.sum", d + "attrlist", d + ".attrlist.sum"});
  }
  files.push_back(s + "eda\\data");
  if (withComponents)
    files.insert(files.end(),
                 {s + "layers\\comp_+_top\\components", s + "layers\\comp_+_bot\\components"});
  return Join({files, {s + "netlists\\cadnet\\netlist", s + "netlists\\cadnet\\.netlist.sum"}});
}

// The order of the files and of the directories asked for; the renamed
// names in the duplicate checks. (The files themselves: the golden tests.)
TEST(OdbJob, WritesTheTreeInOrderAndRenamesForGood) {
  RichBoard b;
  b.f.sink.Clear();
  ASSERT_TRUE(b.Export());
  Lines expected;
  for (const std::string shape : {"polya", "polyb"})
    for (const std::string file : {"attrlist", ".attrlist.sum", "features", ".features.sum"})
      expected.push_back(kJob + "\\symbols\\" + shape + "\\" + file);
  for (const std::string file :
       {"matrix\\matrix", "matrix\\.matrix.sum", "fonts\\standard", "misc\\attrlist", "misc\\info",
        "misc\\job_name", "misc\\last_read", "misc\\last_save"})
    expected.push_back(kJob + "\\" + file);
  EXPECT_EQ(b.store.opened, Join({expected, StepFiles("pcb", true), StepFiles("panel", false)}));

  // Each file's own directory is asked for, and no other (no bare parent).
  Lines directories, fileDirectories;
  for (const std::string& call : b.store.calls) {
    if (call.rfind("mkdir ", 0) == 0) directories.push_back(call.substr(6));
    if (call.rfind("open ", 0) == 0 && call.find("\\.") == std::string::npos)
      fileDirectories.push_back(call.substr(5, call.rfind('\\') - 5));
  }
  EXPECT_EQ(directories, fileDirectories);

  EXPECT_EQ(b.f.sink.Infos().front(), "Write job started: " + kJob);
  EXPECT_EQ(b.f.sink.Infos().back(), "Write job '" + kJob + "' complete");

  // The duplicate checks see the legal names; the old ones are free again.
  for (const char* name : {"chipt", "Chip T"}) b.host->AddPackageType(name, 0, 1, 0, 1);
  for (const char* name : {"drill", "Drill"}) b.host->AddLayer(name, 9, kLayerSignal, 1, 1);
  for (const char* name : {"panel", "Panel"}) b.host->AddStep(name, kSquareX, kSquareY, 4);
  EXPECT_EQ(b.f.sink.Errors(),
            (Lines{"Package type chipt already defined.", "Layer drill already defined.",
                   "Step panel already defined."}));
}

TEST(OdbJob, EveryFeatureIdAndEveryToeprintOfTheEdaDataPointsWhereItShould) {
  RichBoard b;
  ASSERT_TRUE(b.Export()) << ::testing::PrintToString(b.f.sink.Errors());
  const std::string step = kJob + "\\steps\\pcb\\";
  Lines kinds;  // by layer, the kinds of the records by feature index: P, L, A or S
  for (const std::string layer : kLayerNames) {
    kinds.emplace_back();
    for (const std::string& line : b.store.Lines(step + "layers\\" + layer + "\\features"))
      if (line == "S P 0" || (line.find_first_of("PLA") == 0 && line.find(' ') == 1))
        kinds.back() += line[0];
  }
  // Every feature id names a record of the kind its subnet needs.
  std::vector<Lines> subnets;  // by net number
  char needed = 0;
  int featureIds = 0;
  for (const std::string& line : b.store.Lines(step + "eda\\data")) {
    std::istringstream in(line);
    std::string kind, word;
    size_t layer = 0, index = 0;
    in >> kind >> word;
    if (kind == "NET") subnets.emplace_back();
    if (kind == "SNT") subnets.back().push_back(line);
    if (kind == "SNT") needed = word == "TRC" ? 'L' : word == "PLN" ? 'S' : 'P';
    if (kind != "FID" || !(in >> layer >> index)) continue;
    ASSERT_TRUE(layer < kinds.size() && index < kinds[layer].size()) << line;
    EXPECT_EQ(kinds[layer][index], needed) << line;
    ++featureIds;
  }
  EXPECT_EQ(featureIds, 14);  // 3 traces, 6 component pads, 4 via pads, 1 plane
  ASSERT_EQ(subnets.size(),
            4u);  // a, b, gnd and the job's $NONE$, which the pin without net joined

  // Every toeprint names its net and the subnet that lists this very pin.
  int toeprints = 0;
  for (const std::string side : {"T", "B"}) {
    int component = -1;
    const std::string file =
        step + "layers\\comp_+_" + (side == "T" ? "top" : "bot") + "\\components";
    for (const std::string& line : b.store.Lines(file)) {
      std::istringstream in(line);
      std::string kind, pin, skip;
      size_t net = 0, subnet = 0;
      in >> kind >> pin;
      component += kind == "CMP";
      if (kind != "TOP" || !(in >> skip >> skip >> skip >> skip >> net >> subnet)) continue;
      ASSERT_TRUE(net < subnets.size() && subnet < subnets[net].size()) << line;
      EXPECT_EQ(subnets[net][subnet],
                "SNT TOP " + side + " " + std::to_string(component) + " " + pin)
          << line;
      ++toeprints;
    }
  }
  EXPECT_EQ(toeprints, 6);
}

TEST(OdbJob, FailuresEndTheTreeWhereTheyHappen) {
  const std::string pcbDone = "board\\steps\\pcb\\netlists\\cadnet\\.netlist.sum";
  const Lines netlist = {"H optimize n staggered n", "$0 $NONE$"};
  ExpectFailure([](JobBoard& b) { b.host->SetJobName("###"); }, {"Job name not set"}, "", {});
  ExpectFailure(
      [](JobBoard& b) {
        b.host->SetBoardThickness(0);
        b.host->AddPolygonPadShape("poly", kSquareX, kSquareY, 4);
      },
      {"Board thickness 0"}, "board\\fonts\\standard", {"ECHAR"});
  ExpectFailure([](JobBoard& b) { b.host->AddStep("%%%", kSquareX, kSquareY, 4); },
                {"Step name not set"}, pcbDone, netlist);
  ExpectFailure([](JobBoard& b) { b.host->AddStep("bad", kSquareX, kSquareY, 0); },
                {"Outline not defined for step bad"}, pcbDone, netlist);
  JobBoard b;
  EXPECT_FALSE(b.host->WriteODB(nullptr));
  EXPECT_EQ(b.f.sink.Errors(), (Lines{"Unexpected error in WriteODB", "Write job 'board' failed"}));
}

}  // namespace
}  // namespace kelpie::test
