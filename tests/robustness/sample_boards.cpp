#include "sample_boards.h"

#include <limits>
#include <string>

namespace kelpie::samples {
namespace {

// Most kinds of layer, pad and feature, pins without a net; `bad` adds NaN and infinities.
void BuildDemo(IKELPIE& s, bool bad) {
  const double nan = std::numeric_limits<double>::quiet_NaN(),
               inf = std::numeric_limits<double>::infinity();
  auto v = [bad](double good, double hostile) { return bad ? hostile : good; };
  s.SetJobName(bad ? "NonFinite" : "Demo Board (rev.A)");
  s.SetBoardThickness(v(0.062, inf));
  const double ox[] = {0, 4, 4, 2.5, 2.5, 0}, oy[] = {0, 0, 3, 3, 2.5, 2.5};
  s.AddMatrixStep(s.AddStep("pcb", ox, oy, 6), 0, 0);

  const int pos = kPolarityPositive;
  Layer* compTop = s.AddLayer("Top Components", 0, kLayerComponentTop, pos, kContextBoard);
  Layer* silk = s.AddLayer("Silk Top", 0, kLayerSilkScreen, pos, kContextBoard);
  Layer* mask = s.AddLayer("Mask Top", 0, kLayerSolderMask, pos, kContextBoard);
  Layer* top = s.AddLayer("Top", 0, kLayerSignal, pos, kContextBoard);
  Layer* plane = s.AddLayer("GND Plane", 0, kLayerPowerGround, kPolarityNegative, kContextBoard);
  Layer* bottom = s.AddLayer("Bottom", 0, kLayerSignal, pos, kContextBoard);
  Layer* compBottom = s.AddLayer("Bottom Components", 0, kLayerComponentBottom, pos, kContextBoard);
  Layer* drill = s.AddDrillLayer("Drill 1-2", 0, top, bottom);

  PadShape *round = s.AddRoundPadShape("r60", 0.06, 1),
           *hole = s.AddRoundPadShape("d32", v(0.032, nan), 1);
  PadShape* rect = s.AddPadShape("rect 50x30", 2, 0.05, v(0.03, inf), 0, 0);
  const double px[] = {-0.02, 0.02, 0.03, -0.03}, py[] = {-0.02, -0.02, 0.02, v(0.02, -inf)};
  PadShape* poly = s.AddPolygonPadShape("poly#1", px, py, 4);

  PinType* smd = s.AddPinType("SMD");
  s.AddPinTypePad(smd, rect, top);
  s.AddPinTypePadAlias(smd, rect, mask);
  PinType* tht = s.AddPinType("THT");
  s.AddPinTypePad(tht, round, top);
  s.AddPinTypePadAt(tht, round, 0, 0, bottom);
  s.AddPinTypePad(tht, hole, drill);
  PinType* custom = s.AddPinType("POLY");
  s.AddPinTypePad(custom, poly, top);

  PackageType* r0805 = s.AddPackageType("R0805", -0.05, 0.05, -0.03, 0.03);
  const double bx[] = {-0.05, 0.05, 0.05, -0.05}, by[] = {-0.03, -0.03, 0.03, 0.03};
  s.SetPackageOutline(r0805, bx, by, 4, v(0.02, nan));
  s.AddPackagePin(r0805, smd, "1", -0.04, 0, 0, 1);
  s.AddPackagePin(r0805, smd, "2", 0.04, 0, v(180, inf), 2);
  PackageType* dip8 = s.AddPackageType("DIP-8 (300mil)", -0.2, 0.2, -0.15, 0.15);
  auto dipX = [](int i) { return i < 4 ? -0.15 + 0.1 * i : 0.15 - 0.1 * (i - 4); };
  for (int i = 0; i < 8; ++i)
    s.AddPackagePin(dip8, tht, std::to_string(i + 1).c_str(), dipX(i), i < 4 ? -0.15 : 0.15, 0,
                    i + 1);
  PackageType* sot = s.AddPackageType("SOT23", -0.06, 0.06, -0.05, 0.05);  // no outline
  s.AddPackagePin(sot, smd, "1", -0.04, -0.04, 90, 1);
  s.AddPackagePin(sot, custom, "3", 0, 0.04, 270, 3);

  Net *gnd = s.AddNet("GND"), *vcc = s.AddNet("+3V3"), *sig = s.AddNet("Data Bus(0)");
  Component* r1 = s.AddComponent(compTop, r0805, "R1", "", 1, 1, 0, 0);
  Component* r2 = s.AddComponent(compTop, r0805, "R2", "RC0805-10K", 1.5, v(1, nan), 90, 0);
  Component* u1 = s.AddComponent(compTop, dip8, "U1", "NE555", 2, 1.5, v(45, -inf), 0);
  Component* q1 = s.AddComponent(compBottom, sot, "Q1", "", 3, 2, 30, 1);

  auto pin = [&](Component* c, PinType* type, double x, double y, Net* net, PadShape* shape,
                 Layer* layer) {
    s.AddPinPad(layer, shape, s.AddComponentPin(c, type, x, y, 0, 0, 1, net));
  };
  pin(r1, smd, 0.96, 1, gnd, rect, top);
  pin(r1, smd, 1.04, 1, sig, rect, top);
  pin(r2, smd, 1.5, 0.96, vcc, rect, top);
  pin(r2, smd, 1.5, v(1.04, inf), sig, rect, top);
  pin(q1, smd, 2.96, 1.96, gnd, rect, bottom);
  pin(q1, custom, 3, 2.04, vcc, poly, top);
  for (int i = 0; i < 8; ++i) {
    Net* net = i == 0 ? gnd : i == 7 ? vcc : i == 2 ? sig : nullptr;  // the rest have no net
    Pin* p = s.AddComponentPin(u1, tht, 2 + dipX(i), i < 4 ? 1.35 : 1.65, 0, i, 1, net);
    for (Layer* layer : {top, bottom}) s.AddPinPad(layer, round, p);
    s.AddPinPad(drill, hole, p);
  }
  // Vias (kinds 3 and 4, one without a net), a mounting hole, a fiducial.
  for (int i = 0; i < 3; ++i) {
    Pin* via =
        s.AddPin(tht, 1.2 + 0.6 * i, 0.5 + 0.5 * i, 0, 0, 3 + (i & 1), i == 2 ? nullptr : gnd);
    for (Layer* layer : {top, bottom}) s.AddPinPad(layer, round, via);
    s.AddPinPad(drill, hole, via);
  }
  s.AddPad(drill, s.AddRoundPadShape("d125", 0.125, 0), 0.2, 0.2);
  Pin* fiducial = s.AddPin(custom, 3.8, 0.2, 0, 0, 6, nullptr);
  s.AddPinPad(top, s.AddRoundPadShape("fid", 0.04, 0), fiducial);

  s.AddLine(top, 0.96, 1, 1.2, 1.2, 0.01, gnd);
  s.AddLine(top, 1.04, 1, 1.5, v(1.04, nan), 0.008, sig);
  s.AddArc(bottom, 2.96, 1.96, 2.5, 0.5, v(2.7, inf), 1.2, 0, 0.01, gnd);
  s.AddShapeLine(top, rect, 3.9, 0.1, 3.9, 0.4);
  Surface* pour = s.AddSurface(plane, gnd);  // with a hole
  const double sx[] = {0.1, 3.9, 3.9, 0.1}, sy[] = {0.1, 0.1, 2.4, 2.4};
  const double hx[] = {1, 1, 2, 2}, hy[] = {1, 2, 2, 1};
  s.AddSurfaceContour(pour, sx, sy, 4, 1);
  s.AddSurfaceContour(pour, hx, hy, 4, 0);
  s.AddCircle(silk, 1, 1, v(0.1, nan), 0.006, 0);
  s.AddContour(mask, bx, by, 4, 0, 1);
  const double one[] = {v(3.3, inf)};
  s.AddContour(mask, one, one, 0, 0.01, 1);  // degenerate: a lone point
}

}  // namespace

void BuildSmallBoard(IKELPIE& s) {
  s.SetJobName("BRD");
  const double xs[] = {0, 10, 10, 0}, ys[] = {0, 0, 5, 5};
  s.AddMatrixStep(s.AddStep("BRD", xs, ys, 4), 0, 0);
  const int pos = kPolarityPositive;
  Layer* compTop = s.AddLayer("TOP", 0, kLayerComponentTop, pos, kContextBoard);
  Layer* top = s.AddLayer("L1", 0, kLayerSignal, pos, kContextBoard);
  Layer* bottom = s.AddLayer("L2", 0, kLayerSignal, pos, kContextBoard);
  s.AddLayer("BOT", 0, kLayerComponentBottom, pos, kContextBoard);
  Layer* drill = s.AddDrillLayer("DRILL", 0, top, bottom);
  PadShape* hole = s.AddRoundPadShape("H30", 0.03, 1);
  PinType* viaType = s.AddPinType("V30");
  s.AddPinTypePad(viaType, hole, drill);
  s.AddPinPad(drill, hole, s.AddPin(viaType, 1, 1, 0, 0, 3, nullptr));
  s.AddComponent(compTop, s.AddPackageType("R0805", -0.04, 0.04, -0.025, 0.025), "R1", "", 2, 3, 90,
                 0);
}

void BuildDemoBoard(IKELPIE& server) { BuildDemo(server, false); }
void BuildNonFiniteBoard(IKELPIE& server) { BuildDemo(server, true); }

void BuildTwoStepBoard(IKELPIE& s) {
  s.SetJobName("panel");
  const double xs[] = {0, 1, 1, 0}, ys[] = {0, 0, 1, 1};
  for (const std::string name : {"left", "right"}) {
    s.AddMatrixStep(s.AddStep(name.c_str(), xs, ys, 4), 0, 0);
    Layer* top = s.AddLayer(("top_" + name).c_str(), 0, kLayerComponentTop, kPolarityPositive,
                            kContextBoard);
    Layer* copper =
        s.AddLayer(("cu_" + name).c_str(), 0, kLayerSignal, kPolarityPositive, kContextBoard);
    PadShape* pad = s.AddPadShape("sq", 2, 0.04, 0.04, 0, 0);
    PinType* type = s.AddPinType("P");
    s.AddPinTypePad(type, pad, copper);
    Component* tp = s.AddComponent(top, s.AddPackageType("TP", -0.02, 0.02, -0.02, 0.02), "TP1", "",
                                   0.5, 0.5, 0, 0);
    Net* net = s.AddNet("N1");
    s.AddPinPad(copper, pad, s.AddComponentPin(tp, type, 0.5, 0.5, 0, 0, 1, net));
    s.AddLine(copper, 0.5, 0.5, 0.9, 0.5, 0.01, net);
  }
}

}  // namespace kelpie::samples
