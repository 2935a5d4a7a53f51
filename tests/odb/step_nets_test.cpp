// The EDA data, components and netlist files, written by their writers alone
// (feature indices and subnets set by hand), and the EDA refusals in the job.
#include <gtest/gtest.h>

#include <string>

#include "model/design.h"
#include "odb_job_board.h"

namespace kelpie::test {
namespace {

// Layer numbers in the EDA data: ctop 0, top 1, inner 2, bottom 3, cbot 4.
struct NetBoard : JobBoard {
  NetBoard() : JobBoard(true, true) {
    WriteAlone();
    round = host->AddRoundPadShape("r60", 0.06, 1);
    smd = PinTypeOn("smd", round, top);
  }
  PinType* PinTypeOn(const char* name, PadShape* shape, Layer* layer) {
    PinType* pinType = host->AddPinType(name);
    host->AddPinTypePad(pinType, shape, layer);
    return pinType;
  }
  Lines Eda() {
    EXPECT_FALSE(WriteEdaData("pcb", step));
    return Body("pcb\\eda\\data");
  }
  PadShape* round = nullptr;
  PinType* smd = nullptr;
};

// The text's GND net; subnets run traces, pins, planes (arcs not traced);
// pin layer kinds are set once; a missing pad gets the stand-in square.
TEST(OdbEdaData, NetsWithTheirSubnetsAndPackagesWithTheirPins) {
  NetBoard b;
  Net* gnd = b.host->AddNet("GND");
  Net* sig = b.host->AddNet("SIG");
  PinType* through = b.PinTypeOn("thru", b.round, b.top);
  through->drillSize = 0.04;
  PackageType* package = b.host->AddPackageType("soic", -0.1, 0.1, -0.05, 0.05);
  PinType* pinTypes[] = {b.smd, through, b.PinTypeOn("inner", b.round, b.inner)};
  for (int i = 0; i < 3; ++i) b.host->AddPackagePin(package, pinTypes[i], "p", 0.1 * i - 0.05, 0, 0, i + 1);
  Component* u0 = b.host->AddComponent(b.ctop, package, "U0", "", 1, 1, 0, 0);
  Pin* pin0 = b.host->AddComponentPin(u0, b.smd, 0.95, 1, 0, 0, 1, sig);
  Pin* pin1 = b.host->AddComponentPin(u0, b.smd, 1.05, 1, 0, 0, 1, gnd);
  Pin* via = b.host->AddPin(b.smd, 2, 2, 0, 0, 4, sig);
  const struct { Layer* layer; Pin* pin; int index; } pads[] = {
      {b.bottom, pin1, 2}, {b.ctop, pin1, 7}, {b.top, via, 5}};
  for (const auto& p : pads) {
    b.host->AddPinPad(p.layer, b.round, p.pin);
    p.layer->pads.back().featureIndex = p.index;
  }
  b.host->AddLine(b.ctop, 0, 0, 1, 1, 0.01, gnd)->featureIndex = 4;
  b.host->AddArc(b.ctop, 0, 0, 1, 1, 0, 1, 1, 0.01, sig)->featureIndex = 8;
  b.host->AddSurface(b.inner, sig)->featureIndex = 9;
  b.host->AddLine(b.bottom, 0, 1, 1, 1, 0.01, sig)->featureIndex = 3;
  const Lines expected = {"HDR Valor", "LYR ctop top inner bottom cbot ", "NET GND", "SNT TRC", "FID C 0 4",
                          "SNT TOP T 0 1", "FID C 0 7", "FID C 3 2", "NET SIG", "SNT TRC", "FID C 3 3", "SNT TOP T 0 0",
                          "SNT VIA", "FID C 1 5", "SNT PLN S E 0", "FID C 2 9", "PKG soic 0 -0.1 -0.05 0.1 0.05",
                          "RC -0.1 -0.05 0.2 0.1", "PIN 1 S -0.05 0 0 U U", "CR -0.05 0 0.03", "PIN 2 T 0.05 0 0 U U",
                          "CR 0.05 0 0.03", "PIN 3 S 0.15 0 0 U U", "RC 0.145 -0.005 0.01 0.01"};
  EXPECT_EQ(b.Eda(), expected);
  EXPECT_EQ(b.f.sink.Warnings(), Lines{"Could not find surface pad: soic pin 2 at 0.15,0 Package at 0,0 (inches)"});
  EXPECT_EQ((std::vector<int>{pin0->subnetIndex, pin1->subnetIndex, via->subnetIndex}), (std::vector<int>{1, 1, -1}));
  through->drillSize = 0;  // once given, the kind stays
  EXPECT_EQ(b.Eda(), expected);
}

// A quarter turn (-270, brought to 90) swaps the rectangle's sides; 45
// degrees turns its corners counter-clockwise.
TEST(OdbEdaData, PinOutlinesFollowThePadShapeOnThePackagesSide) {
  NetBoard b;
  PinType* rectType = b.PinTypeOn("rect", b.host->AddPadShape("rect", 2, 0.02, 0.06, 0, 0), b.top);
  PackageType* package = b.host->AddPackageType("pk", -1, 1, -1, 1);
  b.host->AddPackagePin(package, rectType, "a", 1, 0, -270, 1);
  b.host->AddPackagePin(package, rectType, "b", 0, 0, 45, 2);
  b.host->AddComponent(b.ctop, package, "U1", "", 0, 0, 0, 0);
  EXPECT_EQ(b.Eda(), (Lines{"HDR Valor", "LYR ctop top inner bottom cbot ", "PKG pk 0 -1 -1 1 1", "RC -1 -1 2 2",
                            "PIN 1 S 1 0 0 U U", "RC 0.97 -0.01 0.06 0.02", "PIN 2 S 0 0 0 U U", "CT",
                            "OB 0.014142 -0.028284 I ", "OS -0.028284 0.014142 ", "OS -0.014142 0.028284 ",
                            "OS 0.028284 -0.014142 ", "OS 0.014142 -0.028284 ", "OE", "CE"}));
}

// Each refusal ends the file at its package, and the job there.
TEST(OdbEdaData, PackageRefusalsEndTheFile) {
  const std::string data = "board\\steps\\pcb\\eda\\data";
  const auto package = [](JobBoard& b, const char* name, PinType* pinType, PadShape* shape, Layer* layer) {
    if (shape) b.host->AddPinTypePad(pinType, shape, layer);
    PackageType* p = b.host->AddPackageType(name, -0.2, 0.4, 0, 0.2);
    b.host->AddPackagePin(p, pinType, "1", 0.1, 0, 0, 1);
    b.host->AddPackageType("after", 0, 1, 0, 1);
    return p;
  };
  ExpectFailure(
      [&](JobBoard& b) {
        PackageType* p = package(b, "twoside", b.host->AddPinType("t"), b.host->AddRoundPadShape("r", 0.1, 1), b.top);
        b.host->AddComponent(b.ctop, p, "T", "", 0, 0, 0, 0);
        b.host->AddComponent(b.cbot, p, "B", "", 0, 0, 0, 0);
      },
      {"Package twoside cannot be used on both sides"}, data, {"PKG twoside 0 -0.2 0 0.4 0.2", "RC -0.2 0 0.6 0.2"});
  ExpectFailure(
      [&](JobBoard& b) {
        PinType* odd = b.host->AddPinType("odd");
        odd->pinLayerKind = 7;
        package(b, "oddpkg", odd, b.host->AddRoundPadShape("r", 0.1, 1), b.bottom);
      },
      {"Invalid pinlayer"}, data, {"RC -0.2 0 0.6 0.2"});
  ExpectFailure([&](JobBoard& b) { package(b, "bare", b.host->AddPinType("nopads"), nullptr, nullptr); },
                {"Pintype 'nopads' at 0.1,0 Package at 0.1,0.1 (inches) has no pads"}, data, {"PIN 1 S 0.1 0 0 U U"});
  ExpectFailure(
      [&](JobBoard& b) {
        package(b, "kind9", b.host->AddPinType("s"), b.host->AddPadShape("s", 9, 0.1, 0.1, 0, 0), b.bottom);
      },
      {"Pin shape 9 not yet implemented"}, data, {"PIN 1 S 0.1 0 0 U U"});
}

// The text's example (U1; U2 on the bottom), then mirror modes 1 to 3.
TEST(OdbComponents, PlacementMirroringAndToeprintsWithNetAndSubnet) {
  NetBoard b;
  Net* nets[] = {b.host->AddNet("n0"), b.host->AddNet("n1"), b.host->AddNet("n2"), b.host->AddNet("n3")};
  PackageType* soic = b.host->AddPackageType("soic", -0.1, 0.1, -0.05, 0.05);
  for (int i = 0; i < 2; ++i) b.host->AddPackagePin(soic, b.smd, "p", 0.05 * i, 0, 0, i + 1);
  PackageType* second = b.host->AddPackageType("second", 0, 1, 0, 1);
  second->partName = "part-2";  // the interface never sets it; the file prefers it
  Component* u1 = b.host->AddComponent(b.ctop, soic, "U1", "", 1, 2, 90, 0);
  b.host->AddComponentPin(u1, b.smd, 0.95, 2, 90, 0, 1, nets[3])->subnetIndex = 5;  // as the EDA data numbers it
  b.host->AddComponentPin(u1, b.smd, 1.05, 2, 90, 0, 1, nets[3]);
  b.host->AddComponent(b.cbot, soic, "U2", "", 1, 2, 90, 0);
  for (const int mode : {1, 2, 3}) {
    b.host->AddComponent(b.ctop, mode == 3 ? second : soic, ("T" + std::to_string(mode)).c_str(), "", 0, 0, 30, mode);
    b.host->AddComponent(b.cbot, soic, ("B" + std::to_string(mode)).c_str(), "", 0, 0, 30, mode);
  }
  EXPECT_FALSE(WriteComponents("ctop", b.step, b.ctop));
  EXPECT_FALSE(WriteComponents("cbot", b.step, b.cbot));
  EXPECT_EQ(b.Body("ctop\\components"), (Lines{"CMP 0 1 2 -90 N U1 PartName", "TOP 0 0.95 2 90 N 3 5 1",
                                               "TOP 1 1.05 2 90 N 3 -1 2", "CMP 0 0 0 -30 M T1 PartName",
                                               "CMP 0 0 0 150 M T2 PartName", "CMP 1 0 0 150 N T3 part-2"}));
  EXPECT_EQ(b.Body("cbot\\components"), (Lines{"CMP 0 1 2 90 M U2 PartName", "CMP 0 0 0 30 N B1 PartName",
                                               "CMP 0 0 0 210 N B2 PartName", "CMP 0 0 0 210 M B3 PartName"}));
  EXPECT_FALSE(WriteComponents("top", b.step, b.top));
  EXPECT_EQ(b.store.opened, (Lines{"ctop\\components", "cbot\\components"}));  // no summaries
}

TEST(OdbComponents, PinCountAgainstThePackage) {
  NetBoard b;
  Net* net = b.host->AddNet("n");
  PackageType* two = b.host->AddPackageType("two", 0, 1, 0, 1);
  for (int i = 0; i < 2; ++i) b.host->AddPackagePin(two, b.smd, "p", i, 0, 0, i + 1);
  const int pins[] = {1, 3, 0};
  for (int c = 0; c < 3; ++c) {
    Component* part = b.host->AddComponent(b.ctop, two, ("U" + std::to_string(c + 1)).c_str(), "", c, 0, 0, 0);
    for (int i = 0; i < pins[c]; ++i) b.host->AddComponentPin(part, b.smd, c, 0, 0, 0, 1, net);
  }
  EXPECT_TRUE(WriteComponents("ctop", b.step, b.ctop));
  EXPECT_EQ(b.f.sink.Warnings(), Lines{"Component U1 has less pins than component type two"});
  EXPECT_EQ(b.f.sink.Errors(), Lines{"Component U2 has more pins than component type two"});
  EXPECT_EQ(b.Body("ctop\\components"), (Lines{"CMP 0 0 0 -0 N U1 PartName", "TOP 0 0 0 0 N 0 -1 1"}));
  EXPECT_EQ(b.store.calls.back(), "close ctop\\components");
}

// Points net by net, top before bottom; no inner pads, pads without net (the
// last pin got "$NONE$" after its pad) or pads of a net of the same name.
TEST(OdbNetlist, ListsNetsThenOuterPointsNetByNetTopBeforeBottom) {
  NetBoard b;
  const auto pin = [&](double x, double y, Net* net, std::initializer_list<Layer*> layers) {
    Pin* p = b.host->AddPin(b.smd, x, y, 0, 0, 3, net);
    for (Layer* layer : layers) b.host->AddPinPad(layer, b.round, p);
    return p;
  };
  Net* nets[] = {b.host->AddNet("gnd"), b.host->AddNet("vcc"), b.host->AddNet("gnd"), b.host->AddNet("clk"),
                 b.host->AddNet("")};
  pin(0.5, 0.25, nets[0], {b.bottom});
  pin(1.5, 0, nets[3], {b.top});
  pin(2, 1, nets[0], {b.top, b.inner, b.bottom});
  pin(-1.25, 0.125, nets[1], {b.top});
  pin(3, 3, nets[2], {b.top});
  b.host->AddPad(b.top, b.round, 4, 4);
  pin(5, 5, nullptr, {b.top})->net = AddNet(*b.step, "$NONE$");
  EXPECT_FALSE(WriteNetlist("pcb", b.step));
  EXPECT_EQ(b.Body("pcb\\netlists\\cadnet\\netlist"),
            (Lines{"H optimize n staggered n", "$0 gnd", "$1 vcc", "$2 gnd", "$3 clk", "$4 ", "$5 $NONE$",
                   "0 0.002 2 1 T e e staggered 0 0 0", "0 0.002 0.5 0.25 D e e staggered 0 0 0",
                   "0 0.002 2 1 D e e staggered 0 0 0", "1 0.002 -1.25 0.125 T e e staggered 0 0 0",
                   "2 0.002 3 3 T e e staggered 0 0 0", "3 0.002 1.5 0 T e e staggered 0 0 0"}));
}

}  // namespace
}  // namespace kelpie::test
