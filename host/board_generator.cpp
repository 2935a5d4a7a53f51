#include "board_generator.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace kelpie {

namespace {

// A small linear congruential generator: the same seed gives the same board
// on every platform, which the standard distributions do not promise.
class Random {
 public:
  explicit Random(unsigned seed) : state_(0x9E3779B97F4A7C15ULL ^ seed) {}
  std::uint32_t Next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(state_ >> 33);
  }
  // 0 .. n-1.
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }

 private:
  std::uint64_t state_;
};

enum FootprintKind { kChip, kSoic, kQfp, kHeader, kPower };

struct Point {
  double x;
  double y;
};

struct Layers {
  Layer* compTop;
  Layer* silkTop;
  Layer* pasteTop;
  Layer* maskTop;
  Layer* top;
  Layer* in1;
  Layer* plane;
  Layer* in2;
  Layer* bottom;
  Layer* maskBottom;
  Layer* pasteBottom;
  Layer* silkBottom;
  Layer* assembly;
  Layer* compBottom;
  Layer* drill;
};

// How a pin is flashed: on its own side only (surface pins) or through the
// board with a drilled hole.
struct PadStack {
  PinType* pinType;
  PadShape* outer;
  PadShape* drill;  // null for surface pins
};

struct FootprintPin {
  double x, y, angle;
  const PadStack* stack;
};

// One package, declared once per side: a package type placed on both sides
// cannot be written to the EDA data.
struct Footprint {
  PackageType* top;
  PackageType* bottom;
  double halfWidth, halfHeight;
  std::vector<FootprintPin> pins;
};

// A pin's position and side, kept per net for the routing.
struct NetPoint {
  Point at;
  bool bottom;
  bool through;
};

class Generator {
 public:
  Generator(IKELPIE* server, int components, unsigned seed)
      : s_(server), count_(components < 1 ? 1 : components), random_(seed) {}

  GeneratedBoard Run() {
    DescribeJob();
    DescribeLayers();
    DescribeStep();
    DescribeLibrary();
    DescribeNets();
    PlaceComponents();
    RouteNets();
    DrawPlanes();
    DrawBoardDecoration();
    return board_;
  }

 private:
  // ---- Job, layers, step ----

  void DescribeJob() {
    s_->SetJobName(("generated-" + std::to_string(count_)).c_str());
    s_->SetCustomerName("Kelpie generator");
    s_->SetComment("Deterministic generated board");
    s_->SetBoardThickness(0.062);
  }

  void DescribeLayers() {
    int row = 0;
    auto add = [&](const char* name, int type) {
      return s_->AddLayer(name, ++row, type, kPolarityPositive, kContextBoard);
    };
    l_.compTop = add("comp_top", kLayerComponentTop);
    l_.silkTop = add("silk_top", kLayerSilkScreen);
    l_.pasteTop = add("paste_top", kLayerSolderPaste);
    l_.maskTop = add("mask_top", kLayerSolderMask);
    l_.top = add("top", kLayerSignal);
    l_.in1 = add("inner1", kLayerSignal);
    l_.plane = add("gnd_plane", kLayerPowerGround);
    l_.in2 = add("inner2", kLayerSignal);
    l_.bottom = add("bottom", kLayerSignal);
    l_.maskBottom = add("mask_bottom", kLayerSolderMask);
    l_.pasteBottom = add("paste_bottom", kLayerSolderPaste);
    l_.silkBottom = add("silk_bottom", kLayerSilkScreen);
    l_.assembly = add("assembly", kLayerDocument);
    l_.compBottom = add("comp_bottom", kLayerComponentBottom);
    l_.drill = s_->AddDrillLayer("drill", ++row, l_.top, l_.bottom);
  }

  void DescribeStep() {
    // Components sit on a square grid of cells with a margin around it.
    columns_ = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count_))));
    const int rows = (count_ + columns_ - 1) / columns_;
    width_ = 2 * kMargin + columns_ * kCell;
    height_ = 2 * kMargin + rows * kCell;
    // A rectangle with two chamfered corners, counter-clockwise.
    const double cornerX[] = {0, width_ - 0.2, width_, width_, 0.2, 0};
    const double cornerY[] = {0, 0, 0.2, height_, height_, height_ - 0.2};
    Step* step = s_->AddStep("pcb", cornerX, cornerY, 6);
    s_->AddMatrixStep(step, 0, 0);
  }

  // ---- Library ----

  void DescribeLibrary() {
    PadShape* rectSmall = s_->AddPadShape("rect20x30", 2, 0.02, 0.03, 0, 0);
    PadShape* rectLong = s_->AddPadShape("rect15x60", 3, 0.015, 0.06, 0, 0);
    PadShape* landing = s_->AddRoundPadShape("round60", 0.06, 1);
    PadShape* hole = s_->AddRoundPadShape("drill35", 0.035, 1);
    // A "D"-shaped power pad.
    const double px[] = {-0.04, 0.02, 0.04, 0.04, 0.02, -0.04};
    const double py[] = {-0.03, -0.03, -0.01, 0.01, 0.03, 0.03};
    PadShape* dPad = s_->AddPolygonPadShape("dpad", px, py, 6);
    viaPad_ = s_->AddRoundPadShape("via24", 0.024, 1);
    viaHole_ = s_->AddRoundPadShape("drill12", 0.012, 1);
    mountPad_ = s_->AddRoundPadShape("mount150", 0.15, 1);
    mountHole_ = s_->AddRoundPadShape("drill125", 0.125, 0);
    fiducialPad_ = s_->AddRoundPadShape("fid40", 0.04, 0);

    smallStack_ = {SurfaceType("smd_small", rectSmall), rectSmall, nullptr};
    longStack_ = {SurfaceType("smd_long", rectLong), rectLong, nullptr};
    polygonStack_ = {SurfaceType("smd_dpad", dPad), dPad, nullptr};
    PinType* through = s_->AddPinType("tht60");
    for (Layer* layer : {l_.top, l_.in1, l_.in2, l_.bottom}) s_->AddPinTypePad(through, landing, layer);
    s_->AddPinTypePad(through, hole, l_.drill);
    throughStack_ = {through, landing, hole};
    viaType_ = s_->AddPinType("via");
    for (Layer* layer : {l_.top, l_.in1, l_.in2, l_.bottom}) s_->AddPinTypePad(viaType_, viaPad_, layer);
    s_->AddPinTypePadAt(viaType_, viaHole_, 0, 0, l_.drill);
    mountType_ = s_->AddPinType("mount");
    s_->AddPinTypePad(mountType_, mountPad_, l_.top);
    s_->AddPinTypePad(mountType_, mountPad_, l_.bottom);
    s_->AddPinTypePad(mountType_, mountHole_, l_.drill);
    fiducialType_ = s_->AddPinType("fiducial");
    s_->AddPinTypePadAlias(fiducialType_, fiducialPad_, l_.top);

    // In the order of FootprintKind.
    footprints_.push_back(TwoPinChip());
    footprints_.push_back(DualRow("soic8", 4, 0.05, 0.11, &longStack_));
    footprints_.push_back(Quad("qfp32", 8, 0.03, 0.17));
    footprints_.push_back(Header("hdr10", 5));
    footprints_.push_back(PowerPads());
  }

  // A surface pin type with the same pad on both outer layers, so that its
  // packages find their pad on either side.
  PinType* SurfaceType(const char* name, PadShape* shape) {
    PinType* pinType = s_->AddPinType(name);
    s_->AddPinTypePad(pinType, shape, l_.top);
    s_->AddPinTypePad(pinType, shape, l_.bottom);
    return pinType;
  }

  Footprint TwoPinChip() {
    Footprint f{nullptr, nullptr, 0.045, 0.025, {}};
    f.pins = {{-0.03, 0, 0, &smallStack_}, {0.03, 0, 0, &smallStack_}};
    Declare(f, "r0603", 0.025);
    return f;
  }

  Footprint DualRow(const char* name, int perSide, double pitch, double rowX, const PadStack* stack) {
    Footprint f{nullptr, nullptr, rowX + 0.04, pitch * perSide / 2 + 0.02, {}};
    for (int i = 0; i < perSide; ++i)
      f.pins.push_back({-rowX, (perSide - 1) * pitch / 2 - i * pitch, 90, stack});
    for (int i = 0; i < perSide; ++i)
      f.pins.push_back({rowX, -(perSide - 1) * pitch / 2 + i * pitch, 90, stack});
    Declare(f, name, 0.06);
    return f;
  }

  Footprint Quad(const char* name, int perSide, double pitch, double edge) {
    Footprint f{nullptr, nullptr, edge + 0.04, edge + 0.04, {}};
    const double first = (perSide - 1) * pitch / 2;
    for (int side = 0; side < 4; ++side) {
      for (int i = 0; i < perSide; ++i) {
        const double along = first - i * pitch;
        switch (side) {
          case 0: f.pins.push_back({-edge, along, 90, &longStack_}); break;
          case 1: f.pins.push_back({-along, -edge, 0, &longStack_}); break;
          case 2: f.pins.push_back({edge, -along, 90, &longStack_}); break;
          default: f.pins.push_back({along, edge, 0, &longStack_}); break;
        }
      }
    }
    Declare(f, name, 0.07);
    return f;
  }

  Footprint Header(const char* name, int perRow) {
    Footprint f{nullptr, nullptr, perRow * 0.05 + 0.02, 0.12, {}};
    for (int i = 0; i < perRow; ++i) {
      f.pins.push_back({(i - (perRow - 1) / 2.0) * 0.1, -0.05, 0, &throughStack_});
      f.pins.push_back({(i - (perRow - 1) / 2.0) * 0.1, 0.05, 0, &throughStack_});
    }
    Declare(f, name, 0.35);
    return f;
  }

  Footprint PowerPads() {
    Footprint f{nullptr, nullptr, 0.14, 0.14, {}};
    f.pins = {{-0.08, -0.08, 0, &polygonStack_},
              {0.08, -0.08, 90, &polygonStack_},
              {0.08, 0.08, 180, &polygonStack_},
              {-0.08, 0.08, 270, &polygonStack_}};
    Declare(f, "pwr4", 0.12);
    return f;
  }

  void Declare(Footprint& f, const std::string& name, double height) {
    const double xs[] = {-f.halfWidth, f.halfWidth, f.halfWidth, -f.halfWidth};
    const double ys[] = {-f.halfHeight, -f.halfHeight, f.halfHeight, f.halfHeight};
    for (const bool bottom : {false, true}) {
      const std::string sideName = name + (bottom ? "_bot" : "_top");
      PackageType* package =
          s_->AddPackageType(sideName.c_str(), -f.halfWidth, f.halfWidth, -f.halfHeight, f.halfHeight);
      s_->SetPackageOutline(package, xs, ys, 4, height);
      int number = 1;
      for (const FootprintPin& pin : f.pins) {
        const std::string pinName = std::to_string(number);
        s_->AddPackagePin(package, pin.stack->pinType, pinName.c_str(), pin.x, pin.y, pin.angle,
                          number);
        ++number;
      }
      (bottom ? f.bottom : f.top) = package;
    }
  }

  // ---- Nets and components ----

  void DescribeNets() {
    // About two nets per component, each shared by the pins of a few
    // neighbouring components; ground and power, the last two, reach every
    // header and power pad.
    signalNets_ = 2 * count_;
    char name[32];
    for (int i = 0; i < signalNets_; ++i) {
      std::snprintf(name, sizeof name, "N%05d", i + 1);
      nets_.push_back(s_->AddNet(name));
    }
    nets_.push_back(s_->AddNet("GND"));
    nets_.push_back(s_->AddNet("VCC"));
    netPoints_.resize(nets_.size());
    board_.nets = static_cast<int>(nets_.size());
  }

  Net* Ground() const { return nets_[static_cast<size_t>(signalNets_)]; }

  void PlaceComponents() {
    char reference[32];
    for (int i = 0; i < count_; ++i) {
      // Half of the parts are chips, a quarter SOICs, the rest QFPs,
      // headers and power parts.
      const int pick = random_.Below(100);
      const FootprintKind which = pick < 50   ? kChip
                                  : pick < 75 ? kSoic
                                  : pick < 85 ? kQfp
                                  : pick < 95 ? kHeader
                                              : kPower;
      const Footprint& f = footprints_[which];
      const bool bottom = random_.Below(10) < 3;
      const double rotation = 90.0 * random_.Below(4);
      const Point centre{kMargin + (i % columns_ + 0.5) * kCell,
                         kMargin + (i / columns_ + 0.5) * kCell};
      static const char* const kPrefix[] = {"R", "U", "U", "J", "Q"};
      std::snprintf(reference, sizeof reference, "%s%d", kPrefix[which], i + 1);
      Component* component =
          s_->AddComponent(bottom ? l_.compBottom : l_.compTop, bottom ? f.bottom : f.top,
                           reference, "", centre.x, centre.y, rotation, 0);
      ++board_.components;
      int pinNumber = 0;
      for (const FootprintPin& pin : f.pins) {
        PlacePin(component, pin, centre, rotation, bottom, NetForPin(i, which, pinNumber));
        ++pinNumber;
      }
      DrawSilkOutline(f, centre, rotation, bottom);
      // A ground stitching via in the corner of the cell.
      Via({centre.x + kCell / 2 - 0.05, centre.y + kCell / 2 - 0.05}, Ground());
    }
  }

  // Nets are local: a component's pins join the nets of its neighbours in
  // placement order. Headers and power pads carry ground and power; a few
  // pins stay unconnected (-1).
  int NetForPin(int component, FootprintKind footprint, int pinNumber) {
    if ((footprint == kHeader || footprint == kPower) && pinNumber < 2) return signalNets_ + pinNumber;
    if (random_.Below(100) < 3) return -1;
    return (2 * component + random_.Below(6)) % signalNets_;
  }

  static Point Turn(double x, double y, double degrees) {
    const double a = degrees * M_PI / 180;
    return {x * std::cos(a) - y * std::sin(a), x * std::sin(a) + y * std::cos(a)};
  }

  void PlacePin(Component* component, const FootprintPin& footprintPin, Point centre,
                double rotation, bool bottom, int netNumber) {
    // Seen from the top, a bottom component is mirrored in x.
    const double localX = bottom ? -footprintPin.x : footprintPin.x;
    const Point offset = Turn(localX, footprintPin.y, rotation);
    const Point at{centre.x + offset.x, centre.y + offset.y};
    const PadStack& stack = *footprintPin.stack;
    Net* net = netNumber >= 0 ? nets_[static_cast<size_t>(netNumber)] : nullptr;
    Pin* pin = s_->AddComponentPin(component, stack.pinType, at.x, at.y,
                                   footprintPin.angle + rotation, 0, 1, net);
    ++board_.pins;
    if (stack.drill != nullptr) {
      for (Layer* layer : {l_.top, l_.bottom, l_.maskTop, l_.maskBottom}) Pad(layer, stack.outer, pin);
      Pad(l_.drill, stack.drill, pin);
    } else if (bottom) {
      for (Layer* layer : {l_.bottom, l_.maskBottom, l_.pasteBottom}) Pad(layer, stack.outer, pin);
    } else {
      for (Layer* layer : {l_.top, l_.maskTop, l_.pasteTop}) Pad(layer, stack.outer, pin);
    }
    if (netNumber < 0) return;
    netPoints_[static_cast<size_t>(netNumber)].push_back({at, bottom, stack.drill != nullptr});
    // A short fan-out stub away from the body on the pin's copper side.
    const double length = std::sqrt(offset.x * offset.x + offset.y * offset.y);
    if (length > 0) {
      const Point stub{at.x + 0.03 * offset.x / length, at.y + 0.03 * offset.y / length};
      Line(bottom && stack.drill == nullptr ? l_.bottom : l_.top, at, stub, net);
    }
  }

  void Pad(Layer* layer, PadShape* shape, Pin* pin) {
    s_->AddPinPad(layer, shape, pin);
    ++board_.features;
  }

  void DrawSilkOutline(const Footprint& f, Point centre, double rotation, bool bottom) {
    Layer* silk = bottom ? l_.silkBottom : l_.silkTop;
    const double w = f.halfWidth + 0.01;
    const double h = f.halfHeight + 0.01;
    const Point corners[] = {Turn(-w, -h, rotation), Turn(w, -h, rotation), Turn(w, h, rotation),
                             Turn(-w, h, rotation)};
    for (int i = 0; i < 4; ++i) {
      const Point a = corners[i];
      const Point b = corners[(i + 1) % 4];
      s_->AddPlainLine(silk, centre.x + a.x, centre.y + a.y, centre.x + b.x, centre.y + b.y, 0.006);
    }
    // The body on the assembly drawing, with rounded corners.
    const double r = 0.01;
    const double bw = f.halfWidth - r;
    const double bh = f.halfHeight - r;
    const Point body[] = {Turn(-bw, -f.halfHeight, rotation), Turn(bw, -f.halfHeight, rotation),
                          Turn(f.halfWidth, -bh, rotation),   Turn(f.halfWidth, bh, rotation),
                          Turn(bw, f.halfHeight, rotation),   Turn(-bw, f.halfHeight, rotation),
                          Turn(-f.halfWidth, bh, rotation),   Turn(-f.halfWidth, -bh, rotation)};
    const Point centres[] = {Turn(bw, -bh, rotation), Turn(bw, bh, rotation), Turn(-bw, bh, rotation),
                             Turn(-bw, -bh, rotation)};
    for (int i = 0; i < 4; ++i) {
      const Point from = body[2 * i];
      const Point to = body[2 * i + 1];
      const Point next = body[(2 * i + 2) % 8];
      const Point c = centres[i];
      s_->AddPlainLine(l_.assembly, centre.x + from.x, centre.y + from.y, centre.x + to.x,
                       centre.y + to.y, 0.004);
      s_->AddArc(l_.assembly, centre.x + to.x, centre.y + to.y, centre.x + next.x, centre.y + next.y,
                 centre.x + c.x, centre.y + c.y, 0, 0.004, nullptr);
    }
    board_.features += 8;
    // The pin-1 mark.
    const Point mark = Turn(-w - 0.02, h, rotation);
    s_->AddCircle(silk, centre.x + mark.x, centre.y + mark.y, 0.008, 0.005, 0);
    board_.features += 5;
  }

  // ---- Routing ----

  // Joins the pins of every net in placement order: neighbours on the same
  // side mostly by an outer trace with a rounded corner, the others through
  // two vias and an inner layer.
  void RouteNets() {
    for (size_t n = 0; n < netPoints_.size(); ++n) {
      Net* net = nets_[n];
      const std::vector<NetPoint>& points = netPoints_[n];
      for (size_t k = 1; k < points.size(); ++k) {
        const NetPoint& a = points[k - 1];
        const NetPoint& b = points[k];
        const bool sameSide = a.bottom == b.bottom || a.through || b.through;
        if (sameSide && random_.Below(3) != 0) {
          Layer* layer = (a.bottom && !a.through) ? l_.bottom : l_.top;
          DogLeg(layer, a.at, b.at, net);
        } else {
          const Point viaA{a.at.x + 0.04, a.at.y + 0.04};
          const Point viaB{b.at.x + 0.04, b.at.y - 0.04};
          Line(a.bottom ? l_.bottom : l_.top, a.at, viaA, net);
          Via(viaA, net);
          DogLeg(k % 2 == 0 ? l_.in1 : l_.in2, viaA, viaB, net);
          Via(viaB, net);
          Line(b.bottom ? l_.bottom : l_.top, viaB, b.at, net);
        }
      }
    }
  }

  void Line(Layer* layer, Point a, Point b, Net* net) {
    s_->AddLine(layer, a.x, a.y, b.x, b.y, 0.008, net);
    ++board_.features;
  }

  // Along x, a quarter-circle corner, then along y; a straight line when the
  // pins are too close for the corner.
  void CornerTrace(Layer* layer, Point a, Point b, Net* net) {
    const double r = 0.02;
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    if (std::fabs(dx) < 2 * r || std::fabs(dy) < 2 * r) {
      Line(layer, a, b, net);
      return;
    }
    const double sx = dx > 0 ? 1 : -1;
    const double sy = dy > 0 ? 1 : -1;
    const Point start{b.x - r * sx, a.y};
    const Point end{b.x, a.y + r * sy};
    Line(layer, a, start, net);
    Arc(layer, start, end, {b.x - r * sx, a.y + r * sy}, sx * sy < 0, net);
    Line(layer, end, b, net);
  }

  // Along x to half way, up or down, along x again, with rounded corners;
  // a single corner when the pins are too close for two.
  void DogLeg(Layer* layer, Point a, Point b, Net* net) {
    const double r = 0.02;
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    if (std::fabs(dx) < 4 * r || std::fabs(dy) < 2 * r) {
      CornerTrace(layer, a, b, net);
      return;
    }
    const double sx = dx > 0 ? 1 : -1;
    const double sy = dy > 0 ? 1 : -1;
    const double xm = (a.x + b.x) / 2;
    const Point firstStart{xm - r * sx, a.y};
    const Point firstEnd{xm, a.y + r * sy};
    const Point secondStart{xm, b.y - r * sy};
    const Point secondEnd{xm + r * sx, b.y};
    Line(layer, a, firstStart, net);
    Arc(layer, firstStart, firstEnd, {xm - r * sx, a.y + r * sy}, sx * sy < 0, net);
    Line(layer, firstEnd, secondStart, net);
    Arc(layer, secondStart, secondEnd, {xm + r * sx, b.y - r * sy}, sx * sy > 0, net);
    Line(layer, secondEnd, b, net);
  }

  void Arc(Layer* layer, Point start, Point end, Point centre, bool clockwise, Net* net) {
    s_->AddArc(layer, start.x, start.y, end.x, end.y, centre.x, centre.y, clockwise ? 1 : 0, 0.008,
               net);
    ++board_.features;
  }

  void Via(Point at, Net* net) {
    Pin* via = s_->AddPin(viaType_, at.x, at.y, 0, 0, 3, net);
    ++board_.pins;
    for (Layer* layer : {l_.top, l_.in1, l_.in2, l_.bottom}) Pad(layer, viaPad_, via);
    Pad(l_.drill, viaHole_, via);
  }

  // ---- Planes and decoration ----

  // The ground plane covers the board on its own layer; every block of
  // about a hundred components gets a ground pour on the bottom layer.
  void DrawPlanes() {
    Surface* plane = s_->AddSurface(l_.plane, Ground());
    Rectangle(plane, 0.05, 0.05, width_ - 0.05, height_ - 0.05, true);
    ++board_.features;
    const int blocks = (count_ + 99) / 100;
    for (int i = 0; i < blocks; ++i) {
      const double x = kMargin + (i * 10 % columns_) * kCell;
      const double y = kMargin + (i * 10 / columns_) * 10 * kCell;
      Surface* pour = s_->AddSurface(l_.bottom, Ground());
      Rectangle(pour, x, y, x + 0.3, y + 0.2, true);
      Rectangle(pour, x + 0.35, y, x + 0.5, y + 0.2, true);
      Rectangle(pour, x + 0.55, y, x + 0.6, y + 0.2, false);  // an unfilled outline
      board_.features += 1;
    }
  }

  void Rectangle(Surface* surface, double x0, double y0, double x1, double y1, bool filled) {
    const double xs[] = {x0, x1, x1, x0};
    const double ys[] = {y0, y0, y1, y1};
    s_->AddSurfaceContour(surface, xs, ys, 4, filled ? 1 : 0);
    ++board_.features;
  }

  void DrawBoardDecoration() {
    // A stroked, unfilled logo outline on the top silk and a filled keep-out
    // on the top mask.
    const double lx[] = {0.1, 0.4, 0.25};
    const double ly[] = {0.05, 0.05, 0.3};
    s_->AddContour(l_.silkTop, lx, ly, 3, 0.005, 0);
    s_->AddContour(l_.maskTop, lx, ly, 3, 0, 1);
    board_.features += 2;
    // A frame on the bottom silk drawn with a pad shape's width.
    s_->AddShapeLine(l_.silkBottom, fiducialPad_, 0.02, 0.02, width_ - 0.02, 0.02);
    ++board_.features;
    // Mounting holes in three corners and fiducials beside them.
    const Point corners[] = {{0.1, 0.1}, {width_ - 0.1, 0.1}, {width_ - 0.1, height_ - 0.1}};
    for (const Point& at : corners) {
      Pin* hole = s_->AddPin(mountType_, at.x, at.y, 0, 0, 0, Ground());
      ++board_.pins;
      Pad(l_.top, mountPad_, hole);
      Pad(l_.bottom, mountPad_, hole);
      Pad(l_.drill, mountHole_, hole);
      s_->AddCircle(l_.silkTop, at.x, at.y, 0.09, 0.006, 0);
      ++board_.features;
      Pin* fiducial = s_->AddPin(fiducialType_, at.x, at.y + 0.2, 0, 0, 6, nullptr);
      ++board_.pins;
      Pad(l_.top, fiducialPad_, fiducial);
      Pad(l_.maskTop, fiducialPad_, fiducial);
      // A test point with no pin beside it.
      s_->AddPad(l_.maskTop, fiducialPad_, at.x + 0.2, at.y);
      ++board_.features;
    }
  }

  static constexpr double kCell = 0.6;
  static constexpr double kMargin = 0.5;

  IKELPIE* s_;
  int count_;
  Random random_;
  GeneratedBoard board_;
  Layers l_{};
  int columns_ = 1;
  double width_ = 0;
  double height_ = 0;
  PadStack smallStack_{}, longStack_{}, polygonStack_{}, throughStack_{};
  PadShape* viaPad_ = nullptr;
  PadShape* viaHole_ = nullptr;
  PadShape* mountPad_ = nullptr;
  PadShape* mountHole_ = nullptr;
  PadShape* fiducialPad_ = nullptr;
  PinType* viaType_ = nullptr;
  PinType* mountType_ = nullptr;
  PinType* fiducialType_ = nullptr;
  std::vector<Footprint> footprints_;
  int signalNets_ = 0;
  std::vector<Net*> nets_;                       // the signal nets, then GND and VCC
  std::vector<std::vector<NetPoint>> netPoints_;  // the connected pins of each net
};

}  // namespace

GeneratedBoard GenerateBoard(IKELPIE* server, int components, unsigned seed) {
  return Generator(server, components, seed).Run();
}

}  // namespace kelpie
