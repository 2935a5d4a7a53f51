#include "sample_boards.h"

#include <cmath>
#include <limits>
#include <string>

namespace kelpie::samples {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct Stack {
  Layer* compTop = nullptr;
  Layer* top = nullptr;
  Layer* plane = nullptr;
  Layer* bottom = nullptr;
  Layer* compBottom = nullptr;
  Layer* maskTop = nullptr;
  Layer* silkTop = nullptr;
  Layer* drill = nullptr;
};

Stack AddDemoLayers(IKELPIE& s) {
  Stack k;
  k.compTop = s.AddLayer("Top Components", 0, kLayerComponentTop, kPolarityPositive, kContextBoard);
  k.silkTop = s.AddLayer("Silk Top", 0, kLayerSilkScreen, kPolarityPositive, kContextBoard);
  k.maskTop = s.AddLayer("Mask Top", 0, kLayerSolderMask, kPolarityPositive, kContextBoard);
  k.top = s.AddLayer("Top", 0, kLayerSignal, kPolarityPositive, kContextBoard);
  k.plane = s.AddLayer("GND Plane", 0, kLayerPowerGround, kPolarityNegative, kContextBoard);
  k.bottom = s.AddLayer("Bottom", 0, kLayerSignal, kPolarityPositive, kContextBoard);
  k.compBottom =
      s.AddLayer("Bottom Components", 0, kLayerComponentBottom, kPolarityPositive, kContextBoard);
  k.drill = s.AddDrillLayer("Drill 1-2", 0, k.top, k.bottom);
  s.AddLayer("Notes", 0, kLayerDocument, kPolarityPositive, kContextMisc);
  return k;
}

// The body of the demo board; `bad` replaces some values by non-finite ones.
void BuildDemo(IKELPIE& s, bool bad) {
  const double nan = bad ? kNaN : 0;
  auto v = [bad](double good, double hostile) { return bad ? hostile : good; };

  s.SetJobName(bad ? "NonFinite" : "Demo Board (rev.A)");
  s.SetCustomerName("ACME Widgets");
  s.SetComment("robustness sample; 100% synthetic");
  s.SetBoardThickness(v(0.062, kInf));

  const double ox[] = {0, 4, 4, 2.5, 2.5, 0};
  const double oy[] = {0, 0, 3, 3, 2.5, 2.5};
  Step* step = s.AddStep("pcb", ox, oy, 6);
  s.AddMatrixStep(step, 0, 0);
  Stack k = AddDemoLayers(s);

  PadShape* round = s.AddRoundPadShape("r60", 0.06, 1);
  PadShape* hole = s.AddRoundPadShape("d32", v(0.032, nan), 1);
  PadShape* npth = s.AddRoundPadShape("d125", 0.125, 0);
  PadShape* rect = s.AddPadShape("rect 50x30", 2, 0.05, v(0.03, kInf), 0, 0);
  PadShape* oblong = s.AddPadShape("oval", 3, 0.08, 0.04, 0, 0);
  const double px[] = {-0.02, 0.02, 0.03, -0.03};
  const double py[] = {-0.02, -0.02, 0.02, v(0.02, -kInf)};
  PadShape* poly = s.AddPolygonPadShape("poly#1", px, py, 4);
  PadShape* fid = s.AddRoundPadShape("fid", 0.04, 0);

  PinType* smd = s.AddPinType("SMD");
  s.AddPinTypePad(smd, rect, k.top);
  s.AddPinTypePadAlias(smd, rect, k.maskTop);
  PinType* smdBottom = s.AddPinType("SMD_B");
  s.AddPinTypePad(smdBottom, oblong, k.bottom);
  PinType* tht = s.AddPinType("THT");
  s.AddPinTypePad(tht, round, k.top);
  s.AddPinTypePadAt(tht, round, 0, 0, k.bottom);
  s.AddPinTypePad(tht, hole, k.drill);
  PinType* via = s.AddPinType("VIA");
  s.AddPinTypePad(via, round, k.top);
  s.AddPinTypePad(via, round, k.bottom);
  s.AddPinTypePad(via, hole, k.drill);
  PinType* custom = s.AddPinType("POLY");
  s.AddPinTypePad(custom, poly, k.top);

  PackageType* r0805 = s.AddPackageType("R0805", -0.05, 0.05, -0.03, 0.03);
  const double bx[] = {-0.05, 0.05, 0.05, -0.05};
  const double by[] = {-0.03, -0.03, 0.03, 0.03};
  s.SetPackageOutline(r0805, bx, by, 4, v(0.02, nan));
  s.AddPackagePin(r0805, smd, "1", -0.04, 0, 0, 1);
  s.AddPackagePin(r0805, smd, "2", 0.04, 0, v(180, kInf), 2);
  PackageType* dip8 = s.AddPackageType("DIP-8 (300mil)", -0.2, 0.2, -0.15, 0.15);
  for (int i = 0; i < 8; ++i) {
    const double x = i < 4 ? -0.15 + 0.1 * i : 0.15 - 0.1 * (i - 4);
    s.AddPackagePin(dip8, tht, std::to_string(i + 1).c_str(), x, i < 4 ? -0.15 : 0.15, 0, i + 1);
  }
  PackageType* sot = s.AddPackageType("SOT23", -0.06, 0.06, -0.05, 0.05);
  s.AddPackagePin(sot, smdBottom, "1", -0.04, -0.04, 90, 1);
  s.AddPackagePin(sot, smdBottom, "2", 0.04, -0.04, 90, 2);
  s.AddPackagePin(sot, custom, "3", 0, 0.04, 270, 3);

  Net* gnd = s.AddNet("GND");
  Net* vcc = s.AddNet("+3V3");
  Net* sig = s.AddNet("Data Bus(0)");

  Component* r1 = s.AddComponent(k.compTop, r0805, "R1", "", 1, 1, 0, 0);
  Component* r2 = s.AddComponent(k.compTop, r0805, "R2", "RC0805-10K", 1.5, v(1, nan), 90, 0);
  Component* u1 = s.AddComponent(k.compTop, dip8, "U1", "NE555", 2, 1.5, v(45, -kInf), 0);
  Component* q1 = s.AddComponent(k.compBottom, sot, "Q1", "", 3, 2, 30, 1);
  Component* q2 = s.AddComponent(k.compBottom, sot, "Q2", "", 3.5, 2, 270, 3);
  s.AddComponent(k.top, r0805, "R9", "", 0, 0, 0, 0);     // refused: not a component layer
  s.AddComponent(k.compTop, r0805, "R1", "", 0, 0, 0, 0);  // refused: duplicate reference

  auto pinWithPads = [&](Component* c, PinType* type, double x, double y, Net* net,
                         PadShape* shape, Layer* layer) {
    Pin* pin = s.AddComponentPin(c, type, x, y, 0, 0, 1, net);
    s.AddPinPad(layer, shape, pin);
    return pin;
  };
  pinWithPads(r1, smd, 0.96, 1, gnd, rect, k.top);
  pinWithPads(r1, smd, 1.04, 1, sig, rect, k.top);
  pinWithPads(r2, smd, 1.5, 0.96, vcc, rect, k.top);
  pinWithPads(r2, smd, 1.5, v(1.04, kInf), sig, rect, k.top);
  for (int i = 0; i < 8; ++i) {
    const double x = 2 + (i < 4 ? -0.15 + 0.1 * i : 0.15 - 0.1 * (i - 4));
    const double y = 1.5 + (i < 4 ? -0.15 : 0.15);
    Net* net = i == 0 ? gnd : i == 7 ? vcc : i == 2 ? sig : nullptr;  // pins 2, 4-7 have no net
    Pin* pin = s.AddComponentPin(u1, tht, x, y, 0, i, 1, net);
    s.AddPinPad(k.top, round, pin);
    s.AddPinPad(k.bottom, round, pin);
    s.AddPinPad(k.drill, hole, pin);
  }
  pinWithPads(q1, smdBottom, 2.96, 1.96, gnd, oblong, k.bottom);
  pinWithPads(q1, smdBottom, 3.04, 1.96, sig, oblong, k.bottom);
  pinWithPads(q1, custom, 3, 2.04, vcc, poly, k.top);
  pinWithPads(q2, smdBottom, 3.46, 1.96, gnd, oblong, k.bottom);

  // Vias (kinds 3 and 4), a mounting hole and a fiducial pin (kind 6).
  const double viaAt[][2] = {{1.2, 1.2}, {2.5, 0.5}, {0.5, 2}};
  for (int i = 0; i < 3; ++i) {
    Pin* pin = s.AddPin(via, viaAt[i][0], viaAt[i][1], 0, 0, 3 + (i & 1), i == 2 ? nullptr : gnd);
    s.AddPinPad(k.top, round, pin);
    s.AddPinPad(k.bottom, round, pin);
    s.AddPinPad(k.drill, hole, pin);
  }
  s.AddPad(k.drill, npth, 0.2, 0.2);
  Pin* fiducial = s.AddPin(custom, 3.8, 0.2, 0, 0, 6, nullptr);
  s.AddPinPad(k.top, fid, fiducial);

  // Copper.
  s.AddLine(k.top, 0.96, 1, 1.2, 1.2, 0.01, gnd);
  s.AddLine(k.top, 1.04, 1, 1.5, v(1.04, nan), 0.008, sig);
  s.AddArc(k.top, 1.5, 0.96, 1.85, 1.35, 1.85, 0.96, 1, 0.012, vcc);
  s.AddArc(k.bottom, 2.96, 1.96, 2.5, 0.5, v(2.7, kInf), 1.2, 0, 0.01, gnd);
  s.AddLine(k.bottom, 2.5, 0.5, 3.46, 1.96, v(0.01, -kInf), gnd);
  s.AddPlainLine(k.top, 0.1, 0.1, 0.3, 0.1, 0.005);
  s.AddShapeLine(k.top, rect, 3.9, 0.1, 3.9, 0.4);
  Surface* pour = s.AddSurface(k.plane, gnd);
  const double sx[] = {0.1, 3.9, 3.9, 0.1};
  const double sy[] = {0.1, 0.1, 2.4, 2.4};
  s.AddSurfaceContour(pour, sx, sy, 4, 1);
  const double hx[] = {1, 1, 2, 2};
  const double hy[] = {1, 2, 2, 1};
  s.AddSurfaceContour(pour, hx, hy, 4, 0);
  Surface* island = s.AddSurface(k.top, vcc);
  const double ix[] = {3, 3.5, 3.25};
  const double iy[] = {0.2, 0.2, v(0.6, kNaN)};
  s.AddSurfaceContour(island, ix, iy, 3, 1);

  // Silk, mask and notes.
  s.AddCircle(k.silkTop, 2, 1.5, 0.25, 0.006, 0);
  s.AddCircle(k.silkTop, 1, 1, v(0.1, kNaN), 0.006, 0);
  const double cx[] = {0.9, 1.1, 1.1, 0.9};
  const double cy[] = {0.95, 0.95, 1.05, 1.05};
  s.AddContour(k.silkTop, cx, cy, 4, 0.005, 0);
  s.AddContour(k.maskTop, cx, cy, 4, 0, 1);
  const double one[] = {v(3.3, kInf)};
  s.AddContour(k.maskTop, one, one, 0, 0.01, 1);  // degenerate: a lone point
  s.AddPad(k.maskTop, fid, 3.8, 0.2);
  s.AddLine(k.compTop, 0, 0, 0.5, 0, 0.005, nullptr);
}

}  // namespace

void BuildSmallBoard(IKELPIE& s) {
  s.SetJobName("BRD");
  s.SetBoardThickness(0.0625);
  const double xs[] = {0, 10, 10, 0};
  const double ys[] = {0, 0, 5, 5};
  Step* step = s.AddStep("BRD", xs, ys, 4);
  s.AddMatrixStep(step, 0, 0);
  Layer* compTop = s.AddLayer("TOP", 0, kLayerComponentTop, kPolarityPositive, kContextBoard);
  Layer* top = s.AddLayer("L1", 0, kLayerSignal, kPolarityPositive, kContextBoard);
  Layer* bottom = s.AddLayer("L2", 0, kLayerSignal, kPolarityPositive, kContextBoard);
  s.AddLayer("BOT", 0, kLayerComponentBottom, kPolarityPositive, kContextBoard);
  Layer* drill = s.AddDrillLayer("DRILL", 0, top, bottom);
  PadShape* hole = s.AddRoundPadShape("H30", 0.03, 1);
  PinType* viaType = s.AddPinType("V30");
  s.AddPinTypePad(viaType, hole, drill);
  Pin* via = s.AddPin(viaType, 1, 1, 0, 0, 3, nullptr);
  s.AddPinPad(drill, hole, via);
  PackageType* r0805 = s.AddPackageType("R0805", -0.04, 0.04, -0.025, 0.025);
  s.AddComponent(compTop, r0805, "R1", "", 2, 3, 90, 0);
}

void BuildDemoBoard(IKELPIE& server) { BuildDemo(server, false); }

void BuildNonFiniteBoard(IKELPIE& server) { BuildDemo(server, true); }

void BuildTwoStepBoard(IKELPIE& s) {
  s.SetJobName("panel");
  s.SetBoardThickness(0.031);
  const double xs[] = {0, 1, 1, 0};
  const double ys[] = {0, 0, 1, 1};
  for (const char* name : {"left", "right"}) {
    Step* step = s.AddStep(name, xs, ys, 4);
    s.AddMatrixStep(step, 0, 0);
    Layer* top = s.AddLayer((std::string("top_") + name).c_str(), 0, kLayerComponentTop,
                            kPolarityPositive, kContextBoard);
    Layer* copper = s.AddLayer((std::string("cu_") + name).c_str(), 0, kLayerSignal,
                               kPolarityPositive, kContextBoard);
    PadShape* pad = s.AddPadShape("sq", 2, 0.04, 0.04, 0, 0);
    PinType* type = s.AddPinType("P");
    s.AddPinTypePad(type, pad, copper);
    PackageType* package = s.AddPackageType("TP", -0.02, 0.02, -0.02, 0.02);
    Component* tp = s.AddComponent(top, package, "TP1", "", 0.5, 0.5, 0, 0);
    Net* net = s.AddNet("N1");
    Pin* pin = s.AddComponentPin(tp, type, 0.5, 0.5, 0, 0, 1, net);
    s.AddPinPad(copper, pad, pin);
    s.AddLine(copper, 0.5, 0.5, 0.9, 0.5, 0.01, net);
  }
}

}  // namespace kelpie::samples
