// The EDA data file, written directly by WriteEdaData on a model described
// through the interface, with the feature indices that the features files
// would have given.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "model/design.h"
#include "odb/odb_writers.h"
#include "recording_host.h"
#include "server/host_services.h"
#include "server/server.h"

namespace kelpie::test {
namespace {

const char* const kPath = "job\\steps\\pcb\\eda\\data";

using Lines = std::vector<std::string>;

// A step on the stack top (signal, row 2), ctop (component top, row 1),
// inner (signal, row 3), bottom (signal, row 4), cbot (component bottom,
// row 5): layer numbers 0 to 4 in the file.
struct Board {
  Board() : model(*static_cast<KELPIE*>(f.server)) {
    fileStore = &f.store;
    top = f.server->AddLayer("top", 2, kLayerSignal, 1, 1);
    ctop = f.server->AddLayer("ctop", 1, kLayerComponentTop, 1, 1);
    inner = f.server->AddLayer("inner", 3, kLayerSignal, 1, 1);
    bottom = f.server->AddLayer("bottom", 4, kLayerSignal, 1, 1);
    cbot = f.server->AddLayer("cbot", 5, kLayerComponentBottom, 1, 1);
    const double xs[] = {0, 4, 4, 0};
    const double ys[] = {0, 0, 3, 3};
    step = f.server->AddStep("pcb", xs, ys, 4);
    round = f.server->AddRoundPadShape("r60", 0.06, 1);
    smd = f.server->AddPinType("smd");
    f.server->AddPinTypePad(smd, round, top);
    f.server->AddPinTypePad(smd, round, bottom);
  }

  // A package of `pins` pins of type `pinType` at x = -0.05, 0.05, ...
  PackageType* Package(const char* name, int pins, PinType* pinType) {
    PackageType* package = f.server->AddPackageType(name, -0.1, 0.1, -0.05, 0.05);
    for (int i = 0; i < pins; ++i)
      f.server->AddPackagePin(package, pinType, "p", -0.05 + 0.1 * i, 0, 0, i + 1);
    return package;
  }

  // The last pad of a layer, with the index that its features file gave.
  PadFeature& PadWithIndex(Layer* layer, int featureIndex) {
    PadFeature& pad = layer->pads.back();
    pad.featureIndex = featureIndex;
    return pad;
  }

  bool Write() { return WriteEdaData("job\\steps\\pcb", step); }
  Lines Written() const { return f.store.Lines(kPath); }

  // The lines of the file from the NET line of `name` up to the next NET or
  // PKG line.
  Lines NetRecord(const std::string& name, int occurrence = 0) const {
    Lines record;
    bool inside = false;
    for (const std::string& line : Written()) {
      const bool starts = line.rfind("NET ", 0) == 0 || line.rfind("PKG ", 0) == 0;
      if (inside && starts) break;
      if (line == "NET " + name && occurrence-- == 0) inside = true;
      if (inside) record.push_back(line);
    }
    return record;
  }

  ServerFixture f;
  KELPIE& model;
  Step* step = nullptr;
  Layer* top = nullptr;
  Layer* ctop = nullptr;
  Layer* inner = nullptr;
  Layer* bottom = nullptr;
  Layer* cbot = nullptr;
  PadShape* round = nullptr;
  PinType* smd = nullptr;
};

TEST(EdaData, GroundNetOfTraceAndComponentPinAndTheWholeFile) {
  Board b;
  b.model.writeHeaderLine = true;
  Net* gnd = b.f.server->AddNet("GND");
  Net* sig = b.f.server->AddNet("SIG");
  PackageType* package = b.Package("soic", 2, b.smd);
  Component* u0 = b.f.server->AddComponent(b.ctop, package, "U0", "", 1, 1, 0, 0);
  b.f.server->AddComponentPin(u0, b.smd, 0.95, 1, 0, 0, 1, sig);
  Pin* pin1 = b.f.server->AddComponentPin(u0, b.smd, 1.05, 1, 0, 0, 1, gnd);
  b.f.server->AddLine(b.top, 0, 0, 1, 1, 0.01, gnd)->featureIndex = 4;
  b.f.server->AddPinPad(b.bottom, b.round, pin1);
  b.PadWithIndex(b.bottom, 2);
  b.f.server->AddPinPad(b.top, b.round, pin1);
  b.PadWithIndex(b.top, 7);

  EXPECT_FALSE(b.Write());
  const Lines expected = {
      "# KELPIE converter version 211",
      "HDR Valor",
      "LYR top ctop inner bottom cbot ",
      "NET GND",
      "SNT TRC",
      "FID C 0 4",
      "SNT TOP T 0 1",
      "FID C 0 7",
      "FID C 3 2",
      "NET SIG",
      "SNT TOP T 0 0",
      "PKG soic 0 -0.1 -0.05 0.1 0.05",
      "RC -0.1 -0.05 0.2 0.1",
      "PIN 1 S -0.05 0 0 U U",
      "CR -0.05 0 0.03",
      "PIN 2 S 0.05 0 0 U U",
      "CR 0.05 0 0.03",
  };
  EXPECT_EQ(b.Written(), expected);
  EXPECT_EQ(pin1->subnetIndex, 1);
  EXPECT_FALSE(b.f.store.Has("job\\steps\\pcb\\eda\\.data.sum"));
  EXPECT_TRUE(b.f.sink.Errors().empty());
}

TEST(EdaData, SubnetsRunTracesThenPinsThenPlanesAndOnlyForTheNetItself) {
  Board b;
  Net* n = b.f.server->AddNet("n");
  Net* twin = b.f.server->AddNet("n");
  b.f.server->AddNet("idle");
  PackageType* package = b.Package("p", 1, b.smd);

  b.f.server->AddLine(b.bottom, 0, 0, 1, 0, 0.01, n)->featureIndex = 11;
  b.f.server->AddLine(b.top, 0, 0, 1, 0, 0.01, twin)->featureIndex = 12;
  b.f.server->AddLine(b.top, 0, 1, 1, 1, 0.01, n)->featureIndex = 13;
  b.f.server->AddArc(b.top, 0, 0, 1, 1, 0, 1, 1, 0.01, n)->featureIndex = 14;  // arcs are not traced
  Pin* via = b.f.server->AddPin(b.smd, 2, 2, 0, 0, 4, n);
  b.f.server->AddPinPad(b.top, b.round, via);
  b.PadWithIndex(b.top, 20);
  b.f.server->AddPinPad(b.bottom, b.round, via);
  b.PadWithIndex(b.bottom, 21);
  b.f.server->AddComponent(b.cbot, package, "B0", "", 0, 0, 0, 0);
  Component* secondBottom = b.f.server->AddComponent(b.cbot, package, "B1", "", 0, 0, 0, 0);
  Pin* bottomPin = b.f.server->AddComponentPin(secondBottom, b.smd, 1, 1, 0, 0, 1, n);  // no pads
  Component* onTop = b.f.server->AddComponent(b.ctop, b.Package("q", 1, b.smd), "T0", "", 0, 0, 0, 0);
  Pin* topPin = b.f.server->AddComponentPin(onTop, b.smd, 3, 3, 0, 0, 1, n);
  b.f.server->AddPinPad(b.top, b.round, topPin);
  b.PadWithIndex(b.top, 22);
  b.f.server->AddSurface(b.inner, n)->featureIndex = 30;
  b.f.server->AddSurface(b.inner, twin)->featureIndex = 31;

  EXPECT_FALSE(b.Write());
  const Lines expectedN = {
      "NET n",        "SNT TRC",   "FID C 0 13", "SNT TRC",       "FID C 3 11",
      "SNT VIA",      "FID C 0 20", "FID C 3 21", "SNT TOP B 1 0", "SNT TOP T 0 0",
      "FID C 0 22",   "SNT PLN S E 0", "FID C 2 30",
  };
  EXPECT_EQ(b.NetRecord("n"), expectedN);
  const Lines expectedTwin = {"NET n", "SNT TRC", "FID C 0 12", "SNT PLN S E 0", "FID C 2 31"};
  EXPECT_EQ(b.NetRecord("n", 1), expectedTwin);
  EXPECT_EQ(b.NetRecord("idle"), Lines{"NET idle"});
  EXPECT_EQ(via->subnetIndex, -1);
  EXPECT_EQ(bottomPin->subnetIndex, 3);
  EXPECT_EQ(topPin->subnetIndex, 4);
}

TEST(EdaData, PinGivenTheNoneNetKeepsItsPadsThroughThePin) {
  Board b;
  Pin* loose = b.f.server->AddPin(b.smd, 1, 1, 0, 0, 3, nullptr);
  b.f.server->AddPinPad(b.top, b.round, loose);  // the pad carries no net
  b.PadWithIndex(b.top, 0);
  loose->net = AddNet(*b.step, "$NONE$");  // what the job does before writing

  EXPECT_FALSE(b.Write());
  EXPECT_EQ(b.NetRecord("$NONE$"), (Lines{"NET $NONE$", "SNT VIA", "FID C 0 0"}));
}

TEST(EdaData, PinLayerKindsAreGivenOnceAndKept) {
  Board b;
  PinType* through = b.f.server->AddPinType("thru");
  b.f.server->AddPinTypePad(through, b.round, b.top);
  through->drillSize = 0.04;
  PinType* blind = b.f.server->AddPinType("blind");
  b.f.server->AddPinTypePad(blind, b.round, b.top);
  blind->pinLayerKind = 2;
  PackageType* package = b.f.server->AddPackageType("mix", -0.1, 0.1, -0.05, 0.05);
  b.f.server->AddPackagePin(package, b.smd, "a", -0.05, 0, 0, 1);
  b.f.server->AddPackagePin(package, through, "b", 0, 0, 0, 2);
  b.f.server->AddPackagePin(package, blind, "c", 0.05, 0, 0, 3);
  b.f.server->AddComponent(b.ctop, package, "U1", "", 0, 0, 0, 0);

  EXPECT_FALSE(b.Write());
  const Lines written = b.Written();
  const Lines pins(written.end() - 6, written.end());
  const Lines expected = {"PIN 1 S -0.05 0 0 U U", "CR -0.05 0 0.03", "PIN 2 T 0 0 0 U U",
                          "CR 0 0 0.03",           "PIN 3 B 0.05 0 0 U U", "CR 0.05 0 0.03"};
  EXPECT_EQ(pins, expected);
  EXPECT_EQ(b.smd->pinLayerKind, 3);
  EXPECT_EQ(through->pinLayerKind, 1);
  EXPECT_EQ(blind->pinLayerKind, 2);

  // Once given, the kind stays, whatever the drill size says later.
  through->drillSize = 0;
  EXPECT_FALSE(b.Write());
  EXPECT_EQ(b.Written().at(b.Written().size() - 4), "PIN 2 T 0 0 0 U U");
}

// The pin outlines of one package on the top side, one pin per shape.
TEST(EdaData, PinOutlinesFollowThePadShapeOnThePackagesSide) {
  Board b;
  PadShape* rect = b.f.server->AddPadShape("rect", 2, 0.02, 0.06, 0, 0);
  const double xs[] = {0, 0.1, 0.1, 0};
  const double ys[] = {0, 0, 0.1, 0.1};
  PadShape* polygon = b.f.server->AddPolygonPadShape("poly", xs, ys, 4);
  PinType* rectType = b.f.server->AddPinType("rect");
  b.f.server->AddPinTypePad(rectType, b.round, b.inner);  // inner pads are passed over
  b.f.server->AddPinTypePad(rectType, rect, b.top);
  PinType* polygonType = b.f.server->AddPinType("poly");
  b.f.server->AddPinTypePad(polygonType, polygon, b.top);
  PackageType* package = b.f.server->AddPackageType("pk", -1, 1, -1, 1);
  b.f.server->AddPackagePin(package, rectType, "a", 1, 0, 90, 1);
  b.f.server->AddPackagePin(package, rectType, "b", 1, 0, -270, 2);
  b.f.server->AddPackagePin(package, rectType, "c", 1, 0, 0, 3);
  b.f.server->AddPackagePin(package, rectType, "d", 0, 0, 45, 4);
  b.f.server->AddPackagePin(package, polygonType, "e", 0.5, 0.25, 0, 5);
  b.f.server->AddComponent(b.ctop, package, "U1", "", 0, 0, 0, 0);

  EXPECT_FALSE(b.Write());
  Lines written = b.Written();
  const auto pinLine = std::find(written.begin(), written.end(), "PIN 1 S 1 0 0 U U");
  ASSERT_NE(pinLine, written.end());
  const Lines outlines(pinLine, written.end());
  // Exact quarter turns swap the sides; -270 is a quarter turn too.
  EXPECT_EQ(outlines.at(1), "RC 0.97 -0.01 0.06 0.02");
  EXPECT_EQ(outlines.at(3), "RC 0.97 -0.01 0.06 0.02");
  EXPECT_EQ(outlines.at(5), "RC 0.99 -0.03 0.02 0.06");
  // 45 degrees: the corners turned counter-clockwise, walked clockwise from
  // the first corner given.
  ASSERT_EQ(outlines.at(6), "PIN 4 S 0 0 0 U U");
  ASSERT_EQ(outlines.at(7), "CT");
  ASSERT_EQ(outlines.at(13), "OE");
  ASSERT_EQ(outlines.at(14), "CE");
  const double c = std::cos(M_PI / 4);
  const double corners[][2] = {{-0.01, -0.03}, {-0.01, 0.03}, {0.01, 0.03}, {0.01, -0.03}, {-0.01, -0.03}};
  for (int i = 0; i < 5; ++i) {
    std::istringstream fields(outlines.at(static_cast<size_t>(8 + i)));
    std::string kind;
    double x = 0;
    double y = 0;
    fields >> kind >> x >> y;
    EXPECT_EQ(kind, i == 0 ? "OB" : "OS");
    EXPECT_NEAR(x, (corners[i][0] - corners[i][1]) * c, 1e-6) << i;
    EXPECT_NEAR(y, (corners[i][0] + corners[i][1]) * c, 1e-6) << i;
  }
  EXPECT_EQ(outlines.at(8).substr(outlines.at(8).size() - 2), "I ");
  const Lines polygonOutline(outlines.begin() + 15, outlines.end());
  const Lines expectedPolygon = {"PIN 5 S 0.5 0.25 0 U U", "CT", "OB 0.5 0.25 I ", "OS 0.5 0.35 ",
                                 "OS 0.6 0.35 ",           "OS 0.6 0.25 ", "OS 0.5 0.25 ", "OE", "CE"};
  EXPECT_EQ(polygonOutline, expectedPolygon);
}

TEST(EdaData, MissingSurfacePadGivesTheStandInSquareAndAWarning) {
  Board b;
  PinType* innerOnly = b.f.server->AddPinType("inner-only");
  b.f.server->AddPinTypePad(innerOnly, b.round, b.inner);
  PinType* bottomOnly = b.f.server->AddPinType("bottom-only");
  b.f.server->AddPinTypePad(bottomOnly, b.round, b.bottom);
  b.Package("unused", 1, bottomOnly);  // on neither side: the bottom layer's pads
  b.Package("lost", 2, innerOnly);
  b.f.sink.Clear();

  EXPECT_FALSE(b.Write());
  const Lines written = b.Written();
  const Lines packages(written.end() - 10, written.end());
  const Lines expected = {"PKG unused 0 -0.1 -0.05 0.1 0.05", "RC -0.1 -0.05 0.2 0.1",
                          "PIN 1 S -0.05 0 0 U U",            "CR -0.05 0 0.03",
                          "PKG lost 0 -0.1 -0.05 0.1 0.05",   "RC -0.1 -0.05 0.2 0.1",
                          "PIN 1 S -0.05 0 0 U U",            "RC -0.055 -0.005 0.01 0.01",
                          "PIN 2 S 0.05 0 0 U U",             "RC 0.045 -0.005 0.01 0.01"};
  EXPECT_EQ(packages, expected);
  const Lines warnings = {
      "Could not find surface pad: lost pin 0 at -0.05,0 Package at 0,0 (inches)",
      "Could not find surface pad: lost pin 1 at 0.05,0 Package at 0,0 (inches)"};
  EXPECT_EQ(b.f.sink.Warnings(), warnings);
}

// Each refusal of a package stops it and every package after it; the nets
// before and the lines already written stay, and the file is closed.
TEST(EdaData, PackageRefusalsEndTheFile) {
  struct Case {
    const char* name;
    std::function<PackageType*(Board&)> make;  // the refused package
    const char* error;
    Lines tail;  // the last lines of the file
  };
  const std::vector<Case> cases = {
      {"both sides",
       [](Board& b) {
         PackageType* p = b.Package("twoside", 1, b.smd);
         b.f.server->AddComponent(b.ctop, p, "T", "", 0, 0, 0, 0);
         b.f.server->AddComponent(b.cbot, p, "B", "", 0, 0, 0, 0);
         return p;
       },
       "Package twoside cannot be used on both sides",
       {"PKG twoside 0 -0.1 -0.05 0.1 0.05", "RC -0.1 -0.05 0.2 0.1"}},
      {"invalid pin layer",
       [](Board& b) {
         PinType* odd = b.f.server->AddPinType("odd");
         b.f.server->AddPinTypePad(odd, b.round, b.top);
         odd->pinLayerKind = 7;
         return b.Package("oddpkg", 1, odd);
       },
       "Invalid pinlayer",
       {"PKG oddpkg 0 -0.1 -0.05 0.1 0.05", "RC -0.1 -0.05 0.2 0.1"}},
      {"pin type without pads",
       [](Board& b) {
         PackageType* p = b.f.server->AddPackageType("bare", -0.2, 0.4, 0, 0.2);
         b.f.server->AddPackagePin(p, b.f.server->AddPinType("nopads"), "a", 0.1, 0, 0, 1);
         return p;
       },
       "Pintype 'nopads' at 0.1,0 Package at 0.1,0.1 (inches) has no pads",
       {"PKG bare 0 -0.2 0 0.4 0.2", "RC -0.2 0 0.6 0.2", "PIN 1 S 0.1 0 0 U U"}},
      {"pad shape kind outside the table",
       [](Board& b) {
         PinType* shaped = b.f.server->AddPinType("shaped");
         b.f.server->AddPinTypePad(shaped, b.f.server->AddPadShape("s", 9, 0.1, 0.1, 0, 0), b.bottom);
         return b.Package("kind9", 1, shaped);
       },
       "Pin shape 9 not yet implemented",
       {"PKG kind9 0 -0.1 -0.05 0.1 0.05", "RC -0.1 -0.05 0.2 0.1", "PIN 1 S -0.05 0 0 U U"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Board b;
    b.f.server->AddNet("gnd");
    b.Package("before", 1, b.smd);
    c.make(b);
    b.Package("after", 1, b.smd);
    b.f.sink.Clear();

    EXPECT_TRUE(b.Write());
    EXPECT_EQ(b.f.sink.Errors(), Lines{c.error});
    const Lines written = b.Written();
    ASSERT_GE(written.size(), c.tail.size());
    EXPECT_EQ(Lines(written.end() - static_cast<long>(c.tail.size()), written.end()), c.tail);
    EXPECT_EQ(written.at(2), "NET gnd");
    EXPECT_EQ(written.at(3), "PKG before 0 -0.1 -0.05 0.1 0.05");
    EXPECT_EQ(b.f.store.calls.back(), std::string("close ") + kPath);
  }
}

// ---- The EDA data within the whole job ----

// The kinds of the feature records of a features file, by feature index:
// 'P' pad, 'L' line, 'A' arc, 'S' surface.
std::string FeatureKinds(const Lines& features) {
  std::string kinds;
  bool inSurface = false;
  for (const std::string& line : features) {
    if (inSurface) {
      inSurface = line != "SE";
      continue;
    }
    if (line == "S P 0") {
      kinds += 'S';
      inSurface = true;
    } else if (line.size() > 1 && line[1] == ' ' && std::string("PLA").find(line[0]) != std::string::npos) {
      kinds += line[0];
    }
  }
  return kinds;
}

std::vector<std::string> Fields(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> fields;
  for (std::string field; in >> field;) fields.push_back(field);
  return fields;
}

TEST(EdaData, InTheJobEveryFeatureIdAndEveryToeprintPointsWhereItShould) {
  ServerFixture f;
  IKELPIE* s = f.server;
  s->SetJobName("board");
  s->SetBoardThickness(0.062);
  Layer* ctop = s->AddLayer("ctop", 1, kLayerComponentTop, 1, 1);
  Layer* top = s->AddLayer("top", 2, kLayerSignal, 1, 1);
  Layer* inner = s->AddLayer("inner", 3, kLayerSignal, 1, 1);
  Layer* bottom = s->AddLayer("bottom", 4, kLayerSignal, 1, 1);
  Layer* cbot = s->AddLayer("cbot", 5, kLayerComponentBottom, 1, 1);
  Layer* drill = s->AddDrillLayer("drill", 6, top, bottom);
  const double xs[] = {0, 4, 4, 0};
  const double ys[] = {0, 0, 3, 3};
  s->AddStep("pcb", xs, ys, 4);
  PadShape* pad = s->AddRoundPadShape("r40", 0.04, 1);
  PadShape* hole = s->AddRoundPadShape("d12", 0.012, 1);
  PinType* smd = s->AddPinType("smd");
  s->AddPinTypePad(smd, pad, top);
  s->AddPinTypePad(smd, pad, bottom);
  PinType* via = s->AddPinType("via");
  for (Layer* layer : {top, inner, bottom}) s->AddPinTypePad(via, pad, layer);
  s->AddPinTypePad(via, hole, drill);
  PackageType* chipTop = s->AddPackageType("chip_t", -0.05, 0.05, -0.02, 0.02);
  PackageType* chipBottom = s->AddPackageType("chip_b", -0.05, 0.05, -0.02, 0.02);
  for (PackageType* package : {chipTop, chipBottom}) {
    s->AddPackagePin(package, smd, "1", -0.03, 0, 0, 1);
    s->AddPackagePin(package, smd, "2", 0.03, 0, 0, 2);
  }
  Net* a = s->AddNet("a");
  Net* b = s->AddNet("b");
  Net* gnd = s->AddNet("gnd");
  // A lone filled contour and a stroked one come first in the top features
  // file and shift every index after them.
  s->AddContour(top, xs, ys, 3, 0, 1);
  s->AddContour(top, xs, ys, 4, 0.01, 0);
  struct Placed {
    Layer* layer;
    PackageType* package;
    double x;
    Net* nets[2];
  };
  const Placed placed[] = {{ctop, chipTop, 1, {a, gnd}},
                           {cbot, chipBottom, 2, {b, gnd}},
                           {ctop, chipTop, 3, {a, nullptr}}};
  int n = 0;
  for (const Placed& p : placed) {
    const std::string reference = "R" + std::to_string(++n);
    Component* component = s->AddComponent(p.layer, p.package, reference.c_str(), "", p.x, 1, 0, 0);
    for (int i = 0; i < 2; ++i) {
      Pin* pin = s->AddComponentPin(component, smd, p.x - 0.03 + 0.06 * i, 1, 0, 0, 1, p.nets[i]);
      s->AddPinPad(p.layer == ctop ? top : bottom, pad, pin);
    }
  }
  Pin* v = s->AddPin(via, 2, 2, 0, 0, 3, b);
  for (Layer* layer : {top, inner, bottom, drill}) s->AddPinPad(layer, layer == drill ? hole : pad, v);
  s->AddLine(top, 1, 1, 2, 2, 0.01, a);
  s->AddLine(inner, 2, 2, 2, 1, 0.01, b);
  s->AddArc(inner, 2, 1, 2.1, 1.1, 2.1, 1, 1, 0.01, b);
  s->AddLine(bottom, 2, 1, 2, 2, 0.01, b);
  s->AddLine(top, 3, 1, 1, 1, 0.01, a);
  s->AddSurfaceContour(s->AddSurface(inner, gnd), xs, ys, 4, 1);

  ASSERT_TRUE(s->WriteODB(&f.store)) << ::testing::PrintToString(f.sink.Errors());
  const std::string stepPath = "board\\steps\\pcb\\";
  const std::vector<std::string> layerNames = {"comp_+_top", "top",       "inner",
                                               "bottom",     "comp_+_bot", "drill"};
  std::vector<std::string> kinds;
  for (const std::string& name : layerNames)
    kinds.push_back(FeatureKinds(f.store.Lines(stepPath + "layers\\" + name + "\\features")));

  // Every feature id names a record of the kind its subnet needs; each
  // net's subnets are kept in order for the toeprints below.
  const Lines eda = f.store.Lines(stepPath + "eda\\data");
  std::vector<std::vector<std::string>> subnets;  // by net number
  char needed = 0;
  int featureIds = 0;
  for (const std::string& line : eda) {
    const std::vector<std::string> fields = Fields(line);
    if (fields.empty()) continue;
    if (fields[0] == "NET") subnets.emplace_back();
    if (fields[0] == "SNT") {
      subnets.back().push_back(line);
      needed = fields[1] == "TRC" ? 'L' : fields[1] == "PLN" ? 'S' : 'P';
    }
    if (fields[0] == "FID") {
      const size_t layer = std::stoul(fields[2]);
      const size_t index = std::stoul(fields[3]);
      ASSERT_LT(layer, kinds.size()) << line;
      ASSERT_LT(index, kinds[layer].size()) << line;
      EXPECT_EQ(kinds[layer][index], needed) << line;
      ++featureIds;
    }
  }
  EXPECT_EQ(featureIds, 15);  // 3 traces, 7 component pads, 4 via pads, 1 plane
  ASSERT_EQ(subnets.size(), 4u);  // a, b, gnd and the job's $NONE$

  // Every toeprint names its net and the subnet that lists this very pin.
  int toeprints = 0;
  for (const auto& [file, side] : {std::pair<std::string, std::string>{"comp_+_top", "T"}, {"comp_+_bot", "B"}}) {
    int componentOnLayer = -1;
    for (const std::string& line : f.store.Lines(stepPath + "layers\\" + file + "\\components")) {
      const std::vector<std::string> fields = Fields(line);
      if (fields.empty()) continue;
      if (fields[0] == "CMP") ++componentOnLayer;
      if (fields[0] != "TOP") continue;
      const size_t net = std::stoul(fields[6]);
      const size_t subnet = std::stoul(fields[7]);
      ASSERT_LT(net, subnets.size()) << line;
      ASSERT_LT(subnet, subnets[net].size()) << line;
      EXPECT_EQ(subnets[net][subnet],
                "SNT TOP " + side + " " + std::to_string(componentOnLayer) + " " + fields[1])
          << line;
      ++toeprints;
    }
  }
  EXPECT_EQ(toeprints, 6);
}

}  // namespace
}  // namespace kelpie::test
