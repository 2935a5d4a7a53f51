// The mapping works in millimetres with y up (KiCad's y points down) and
// turns lengths into inches only where a record is made. A footprint's items
// are stored in the file relative to the footprint, already flipped for the
// bottom side; Placement takes them to the board and to the package's own
// frame, which for a bottom package is the footprint as seen from the top
// (mirrored back), because the side itself mirrors a bottom component.
#include "board_mapper.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "design_tables.h"
#include "geometry.h"
#include "outline.h"
#include "pad_geometry.h"
#include "stroke_font.h"

namespace kelpie::host::kicad {

namespace {

constexpr double kMmPerInch = 25.4;

Vec Up(Vec v) { return {v.x, -v.y}; }
// Adding 0 turns -0 into 0, which the exports would print as "-0".
Point Inches(Vec v) { return {v.x / kMmPerInch + 0.0, v.y / kMmPerInch + 0.0}; }
Vec MirrorY(Vec v) { return {v.x, -v.y}; }

// References and part names reach IDF, which is ASCII and quotes names: a
// micro sign becomes "u" (100µF: 100uF), an ohm sign "Ohm", other
// characters beyond ASCII, control characters and double quotes "_".
std::string IdfSafe(const std::string& text) {
  std::string safe;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7f && c != '"') {
      safe += static_cast<char>(c);
      continue;
    }
    if (c < 0x80) {
      safe += '_';
      continue;
    }
    // One UTF-8 character: its lead byte and continuation bytes.
    size_t end = i + 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    const std::string character = text.substr(i, end - i);
    if (character == "\u00B5" || character == "\u03BC") {
      safe += 'u';
    } else if (character == "\u2126" || character == "\u03A9") {
      safe += "Ohm";
    } else {
      safe += '_';
    }
    i = end - 1;
  }
  return safe;
}

// Angles that differ only by rounding noise are the same angle.
double CleanDegrees(double degrees) { return NormalDegrees(std::round(degrees * 1e6) / 1e6) + 0.0; }

// Where a footprint puts its items. Points given in its file frame go to
// the board and to the package frame, both with y up.
struct Placement {
  Vec at;            // y up
  double angle = 0;  // degrees counter-clockwise
  bool bottom = false;

  Vec Board(Vec fileLocal) const { return at + Rotate(Up(fileLocal), angle); }
  Vec BoardFromUp(Vec localUp) const { return at + Rotate(localUp, angle); }
  Vec Package(Vec localUp) const { return bottom ? MirrorY(localUp) : localUp; }
};

const Placement kOnBoard{};

struct BoundingBox {
  double xMin = std::numeric_limits<double>::infinity();
  double yMin = std::numeric_limits<double>::infinity();
  double xMax = -std::numeric_limits<double>::infinity();
  double yMax = -std::numeric_limits<double>::infinity();
  void Add(Point p) {
    xMin = std::min(xMin, p.x);
    yMin = std::min(yMin, p.y);
    xMax = std::max(xMax, p.x);
    yMax = std::max(yMax, p.y);
  }
  bool Empty() const { return xMin > xMax; }
};

// The layers of a pad: copper positions (0 is F.Cu), and which sides have
// mask and paste openings.
struct PadLayers {
  std::vector<int> copper;
  bool mask[2] = {false, false};
  bool paste[2] = {false, false};
};

class Mapper {
 public:
  Mapper(Board& board, Design& design, ImportReport& report)
      : board_(board), design_(design), report_(report), step_(design.steps.emplace_back()), tables_(step_) {}

  void Run(const std::string& jobName) {
    SetJob(jobName);
    MakeLayers();
    step_.name = "pcb";
    step_.nets = board_.nets;
    size_t features = board_.tracks.size() + board_.shapes.size() + board_.zones.size();
    for (const Footprint& footprint : board_.footprints) features += footprint.shapes.size();
    step_.features.reserve(features);
    for (const Footprint& footprint : board_.footprints) MapFootprint(footprint);
    NameParts();
    for (const Via& via : board_.vias) MapVia(via);
    for (const Shape& shape : board_.shapes) MapShape(shape, kOnBoard);
    for (const TextItem& text : board_.texts) MapText(text, kOnBoard, nullptr);
    for (const Track& track : board_.tracks) MapTrack(track);
    for (Zone& zone : board_.zones) MapZone(zone);
    MakeOutline();
    design_.matrix = {0};
    for (const auto& [kind, count] : board_.ignored) {
      const std::string plural = kind.ends_with("x") ? kind + "es" : kind + "s";
      report_.Skipped(kind, plural, "no counterpart in an export", count);
    }
    for (const auto& [head, count] : board_.unknown)
      report_.Skipped("item \"" + head + "\"", "items \"" + head + "\"", "not known to this reader", count);
    if (defaultHeights_ > 0)
      report_.warnings.push_back(std::to_string(defaultHeights_) + " package" + (defaultHeights_ == 1 ? "" : "s") +
                                 " without a \"Height\" property got the height of " + Format(kDefaultHeightMm) +
                                 " mm");
  }

 private:
  static std::string Format(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
  }

  void SetJob(const std::string& jobName) {
    design_.jobName = jobName;
    if (!board_.company.empty()) design_.customer = board_.company;
    std::string comment;
    for (const std::string& line : board_.comments)
      if (!line.empty()) comment += (comment.empty() ? "" : "; ") + line;
    if (!comment.empty()) design_.comment = comment;
    double thickness = board_.thickness;
    if (thickness <= 0) {
      report_.warnings.push_back("the board thickness is not positive; 1.6 mm is used");
      thickness = 1.6;
    }
    design_.thickness = thickness / kMmPerInch;
  }

  // ---- Layers ----------------------------------------------------------

  int AddLayer(const std::string& name, int type) {
    LayerRecord layer;
    layer.name = name;
    layer.row = static_cast<int>(design_.layers.size()) + 1;
    layer.type = type;
    layer.polarity = kPolarityPositive;
    layer.context = kContextBoard;
    design_.layers.push_back(std::move(layer));
    return static_cast<int>(design_.layers.size()) - 1;
  }

  // Copper in physical order: F.Cu, In1.Cu, In2.Cu, ..., B.Cu.
  void CollectCopper() {
    std::map<int, const LayerDeclaration*> inner;
    for (const LayerDeclaration& layer : board_.layers) {
      const std::string& name = layer.name;
      if (name.size() > 5 && name.starts_with("In") && name.ends_with(".Cu")) {
        int number = 0;
        const auto [end, error] = std::from_chars(name.data() + 2, name.data() + name.size() - 3, number);
        if (error == std::errc() && end == name.data() + name.size() - 3 && number > 0) inner[number] = &layer;
      }
    }
    copperNames_.push_back("F.Cu");
    copperTypes_.push_back(kLayerSignal);
    for (const auto& [number, layer] : inner) {
      copperNames_.push_back(layer->name);
      copperTypes_.push_back(layer->type == "power" ? kLayerPowerGround
                             : layer->type == "mixed" ? kLayerMixed
                                                      : kLayerSignal);
    }
    copperNames_.push_back("B.Cu");
    copperTypes_.push_back(kLayerSignal);
    for (size_t i = 0; i < copperNames_.size(); ++i) copperByName_[copperNames_[i]] = static_cast<int>(i);
  }

  int CopperPosition(const std::string& name) const {
    const auto found = copperByName_.find(name);
    return found == copperByName_.end() ? -1 : found->second;
  }

  void MakeLayers() {
    CollectCopper();
    componentLayer_[0] = AddLayer("comp_top", kLayerComponentTop);
    silk_[0] = AddLayer("F.SilkS", kLayerSilkScreen);
    paste_[0] = AddLayer("F.Paste", kLayerSolderPaste);
    mask_[0] = AddLayer("F.Mask", kLayerSolderMask);
    for (size_t i = 0; i < copperNames_.size(); ++i) copper_.push_back(AddLayer(copperNames_[i], copperTypes_[i]));
    mask_[1] = AddLayer("B.Mask", kLayerSolderMask);
    paste_[1] = AddLayer("B.Paste", kLayerSolderPaste);
    silk_[1] = AddLayer("B.SilkS", kLayerSilkScreen);
    componentLayer_[1] = AddLayer("comp_bottom", kLayerComponentBottom);
    // One drill layer for the through span and one for every other span
    // that a via uses.
    const int last = static_cast<int>(copper_.size()) - 1;
    std::set<std::pair<int, int>> spans{{0, last}};
    for (const Via& via : board_.vias) {
      const std::pair<int, int> span = ViaSpan(via);
      if (span.first >= 0) spans.insert(span);
    }
    AddDrill({0, last});
    for (const auto& span : spans)
      if (span != std::pair<int, int>{0, last}) AddDrill(span);
    cutouts_ = AddLayer("cutouts", kLayerRout);
    for (int side = 0; side < 2; ++side) {
      layerByName_[side == 0 ? "F.SilkS" : "B.SilkS"] = silk_[side];
      layerByName_[side == 0 ? "F.Mask" : "B.Mask"] = mask_[side];
      layerByName_[side == 0 ? "F.Paste" : "B.Paste"] = paste_[side];
    }
    for (size_t i = 0; i < copper_.size(); ++i) layerByName_[copperNames_[i]] = copper_[i];
  }

  void AddDrill(std::pair<int, int> span) {
    const int last = static_cast<int>(copper_.size()) - 1;
    const std::string name =
        span == std::pair<int, int>{0, last} ? "drill" : "drill_" + copperNames_[span.first] + "-" + copperNames_[span.second];
    const int index = AddLayer(name, kLayerDrill);
    LayerRecord& layer = design_.layers[index];
    layer.isDrill = true;
    layer.drillFrom = copper_[span.first];
    layer.drillTo = copper_[span.second];
    drill_[span] = index;
  }

  std::pair<int, int> ViaSpan(const Via& via) const {
    const int from = CopperPosition(via.from);
    const int to = CopperPosition(via.to);
    if (from < 0 || to < 0) return {-1, -1};
    return {std::min(from, to), std::max(from, to)};
  }

  int ThroughDrill() const { return drill_.at({0, static_cast<int>(copper_.size()) - 1}); }

  // The exported layer of a drawing or text; -1 for layers not exported.
  int FeatureLayer(const std::string& name) const {
    const auto found = layerByName_.find(name);
    return found == layerByName_.end() ? -1 : found->second;
  }

  bool IsCopperLayer(int layer) const {
    return std::find(copper_.begin(), copper_.end(), layer) != copper_.end();
  }

  PadLayers LayersOf(const Pad& pad) const {
    PadLayers layers;
    std::vector<bool> copper(copper_.size(), false);
    for (const std::string& name : pad.layers) {
      if (name == "*.Cu") {
        std::fill(copper.begin(), copper.end(), true);
      } else if (name == "F&B.Cu") {
        copper.front() = true;
        copper.back() = true;
      } else if (const int position = CopperPosition(name); position >= 0) {
        copper[position] = true;
      }
      if (name == "*.Mask" || name == "F.Mask") layers.mask[0] = true;
      if (name == "*.Mask" || name == "B.Mask") layers.mask[1] = true;
      if (name == "*.Paste" || name == "F.Paste") layers.paste[0] = true;
      if (name == "*.Paste" || name == "B.Paste") layers.paste[1] = true;
    }
    for (size_t i = 0; i < copper.size(); ++i)
      if (copper[i]) layers.copper.push_back(static_cast<int>(i));
    return layers;
  }

  // ---- Features --------------------------------------------------------

  FeatureRecord& NewFeature(FeatureRecord::Kind kind, int layer) {
    FeatureRecord& feature = step_.features.emplace_back();
    feature.kind = kind;
    feature.layer = layer;
    return feature;
  }

  void Extend(int layer, Point p) {
    (IsCopperLayer(layer) ? copperBox_ : anyBox_).Add(p);
  }

  // Points are millimetres with y up from here on.
  void Line(int layer, Vec from, Vec to, double width, int net) {
    FeatureRecord& line = NewFeature(FeatureRecord::kLine, layer);
    line.from = Inches(from);
    line.to = Inches(to);
    line.width = width / kMmPerInch;
    line.net = net;
    Extend(layer, line.from);
    Extend(layer, line.to);
  }

  void ArcOrLine(int layer, Vec start, Vec mid, Vec end, double width, int net) {
    Arc arc;
    if (!ArcThrough(start, mid, end, arc)) {
      Line(layer, start, end, width, net);
      return;
    }
    FeatureRecord& feature = NewFeature(FeatureRecord::kArc, layer);
    feature.from = Inches(start);
    feature.to = Inches(end);
    feature.center = Inches(arc.center);
    feature.clockwise = arc.sweep < 0;
    feature.width = width / kMmPerInch;
    feature.net = net;
    Extend(layer, feature.from);
    Extend(layer, feature.to);
  }

  void Contour(int layer, const Polyline& points, double width, bool filled) {
    FeatureRecord& contour = NewFeature(FeatureRecord::kContour, layer);
    for (const Vec& point : points) {
      contour.points.push_back(Inches(point));
      Extend(layer, contour.points.back());
    }
    contour.width = width / kMmPerInch;
    contour.filled = filled;
  }

  // ---- Footprints ------------------------------------------------------

  void MapFootprint(const Footprint& footprint) {
    Placement placement;
    placement.at = Up(footprint.at);
    placement.angle = footprint.angle;
    placement.bottom = footprint.layer == "B.Cu";
    const int side = placement.bottom ? 1 : 0;
    (placement.bottom ? report_.footprintsBottom : report_.footprintsTop)++;

    PackageRecord package;
    const size_t colon = footprint.name.rfind(':');
    package.name = colon == std::string::npos ? footprint.name : footprint.name.substr(colon + 1);
    if (package.name.empty()) package.name = "footprint";
    if (placement.bottom) package.name += "_bottom";

    ComponentRecord component;
    component.layer = componentLayer_[side];
    component.reference = UniqueReference(footprint.reference);
    const Point at = Inches(placement.at);
    component.x = at.x;
    component.y = at.y;
    component.rotation = CleanDegrees(footprint.angle + (placement.bottom ? 180 : 0));
    const int componentIndex = static_cast<int>(step_.components.size());

    std::vector<PinRecord> pins;
    Polyline padExtent;  // in the package frame
    for (const Pad& pad : footprint.pads) {
      PinRecord pin;
      PackagePinRecord packagePin;
      if (!MapPad(pad, footprint, placement, pin, packagePin, padExtent)) continue;
      pin.component = componentIndex;
      packagePin.number = static_cast<int>(package.pins.size()) + 1;
      package.pins.push_back(std::move(packagePin));
      pins.push_back(std::move(pin));
    }
    SetPackageBody(footprint, placement, padExtent, package);
    const bool defaultHeight = !HeightOf(footprint, package.height);
    const size_t packagesBefore = step_.packages.size();
    component.package = tables_.Package(std::move(package));
    if (defaultHeight && step_.packages.size() > packagesBefore) ++defaultHeights_;
    values_.push_back(footprint.value);
    step_.components.push_back(std::move(component));
    for (PinRecord& pin : pins) step_.pins.push_back(std::move(pin));

    for (const Shape& shape : footprint.shapes) {
      if (shape.layer == "F.CrtYd" || shape.layer == "B.CrtYd") continue;  // the package outline
      MapShape(shape, placement);
    }
    for (const TextItem& text : footprint.texts) MapText(text, placement, &footprint);
  }

  std::string UniqueReference(const std::string& reference) {
    const std::string base = reference.empty() ? "unnamed" : IdfSafe(reference);
    std::string name = base;
    for (int n = 2; !references_.insert(name).second; ++n) name = base + "_" + std::to_string(n);
    if (name != reference) ++renamedReferences_;
    return name;
  }

  // The package outline: the courtyard when it is one closed loop, else the
  // box around it; without a courtyard the box around the pads, else around
  // the drawings.
  void SetPackageBody(const Footprint& footprint, const Placement& placement, const Polyline& padExtent,
                      PackageRecord& package) {
    std::vector<OutlinePiece> courtyard;
    Polyline drawings;
    for (const Shape& shape : footprint.shapes) {
      OutlinePiece piece = PieceOf(shape, [&](Vec p) { return placement.Package(Up(p)); });
      if (shape.layer == "F.CrtYd" || shape.layer == "B.CrtYd") {
        courtyard.push_back(std::move(piece));
      } else {
        drawings.insert(drawings.end(), piece.points.begin(), piece.points.end());
      }
    }
    Polyline outline;
    Polyline extent;
    if (!courtyard.empty()) {
      Polyline all;
      for (const OutlinePiece& piece : courtyard) all.insert(all.end(), piece.points.begin(), piece.points.end());
      OutlineLoops loops = JoinOutline(std::move(courtyard));
      if (loops.loops.size() == 1 && loops.openChains == 0) outline = std::move(loops.loops.front());
      extent = std::move(all);
    } else if (!padExtent.empty()) {
      extent = padExtent;
    } else {
      extent = std::move(drawings);
    }
    if (extent.empty()) extent = {{-0.5, -0.5}, {0.5, 0.5}};
    BoundingBox box;
    for (const Vec& p : extent) box.Add(Inches(p));
    if (box.xMax - box.xMin <= 0 || box.yMax - box.yMin <= 0) {
      const double half = 0.5 / kMmPerInch;  // a point or a line: a 1 mm body around it
      box.Add({box.xMin - half, box.yMin - half});
      box.Add({box.xMax + half, box.yMax + half});
    }
    package.xMin = box.xMin;
    package.xMax = box.xMax;
    package.yMin = box.yMin;
    package.yMax = box.yMax;
    if (outline.size() >= 3) {
      Canonical(outline);
      for (const Vec& p : outline) package.outline.push_back(Inches(p));
    } else {
      package.outline = {{box.xMin, box.yMin}, {box.xMax, box.yMin}, {box.xMax, box.yMax}, {box.xMin, box.yMax}};
    }
  }

  // The "Height" property in mm ("1.2" or "1.2 mm"); false when absent.
  static bool HeightOf(const Footprint& footprint, double& height) {
    height = kDefaultHeightMm / kMmPerInch;
    const auto found = footprint.properties.find("Height");
    if (found == footprint.properties.end()) return false;
    const std::string& text = found->second;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    std::string_view rest(end, text.data() + text.size() - end);
    while (rest.starts_with(' ')) rest.remove_prefix(1);
    if (error != std::errc() || !(rest.empty() || rest == "mm") || !std::isfinite(value) || value <= 0 ||
        value > 1000)
      return false;
    height = value / kMmPerInch;
    return true;
  }

  // Mask opening margin: the pad's own, else the footprint's, else the
  // board's; it never shrinks the opening below nothing.
  double MaskMargin(const Pad& pad, const Footprint& footprint) const {
    double margin = board_.maskMargin;
    if (footprint.maskMargin) margin = *footprint.maskMargin;
    if (pad.maskMargin) margin = *pad.maskMargin;
    return std::max(margin, -std::min(pad.size.x, pad.size.y) / 2);
  }

  // Paste opening margin along x and y: margin plus ratio times the size.
  Vec PasteMargin(const Pad& pad, const Footprint& footprint) const {
    double margin = board_.pasteMargin;
    double ratio = board_.pasteRatio;
    if (footprint.pasteMargin) margin = *footprint.pasteMargin;
    if (footprint.pasteRatio) ratio = *footprint.pasteRatio;
    if (pad.pasteMargin) margin = *pad.pasteMargin;
    if (pad.pasteRatio) ratio = *pad.pasteRatio;
    return {std::max(margin + ratio * pad.size.x, -pad.size.x / 2), std::max(margin + ratio * pad.size.y, -pad.size.y / 2)};
  }

  // Pad shapes that draw the outline turned by angle (mirrored top to
  // bottom first when asked).
  std::vector<int> ShapesOf(const PadOutline& outline, double angle, bool mirrored) {
    auto place = [&](Vec p) { return Rotate(mirrored ? MirrorY(p) : p, angle); };
    std::vector<int> shapes;
    const bool centered = outline.center.x == 0 && outline.center.y == 0;
    PadShapeRecord shape;
    if (outline.form == PadOutline::kCircle && centered) {
      shape.form = PadShapeRecord::kRound;
      shape.kind = 1;
      shape.width = shape.height = outline.width / kMmPerInch;
      shapes.push_back(tables_.PadShape(std::move(shape)));
      return shapes;
    }
    if (outline.form == PadOutline::kRect && centered && IsRightAngleMultiple(angle)) {
      const bool across = static_cast<int>(std::round(NormalDegrees(angle) / 90)) % 2 == 1;
      shape.form = PadShapeRecord::kSized;
      shape.kind = 2;
      shape.width = (across ? outline.height : outline.width) / kMmPerInch;
      shape.height = (across ? outline.width : outline.height) / kMmPerInch;
      shapes.push_back(tables_.PadShape(std::move(shape)));
      return shapes;
    }
    Polygons polygons = outline.polygons;
    if (outline.form == PadOutline::kCircle) {
      polygons = {CirclePolygon(outline.center, outline.width / 2)};
    } else if (outline.form == PadOutline::kRect) {
      const Vec half{outline.width / 2, outline.height / 2};
      const Vec c = outline.center;
      polygons = {{{c.x - half.x, c.y - half.y}, {c.x + half.x, c.y - half.y}, {c.x + half.x, c.y + half.y},
                   {c.x - half.x, c.y + half.y}}};
    }
    for (const Polyline& polygon : polygons) {
      PadShapeRecord part;
      part.form = PadShapeRecord::kPolygon;
      part.kind = 4;
      for (const Vec& p : polygon) part.points.push_back(Inches(place(p)));
      shapes.push_back(tables_.PadShape(std::move(part)));
    }
    return shapes;
  }

  int HoleShape(const Pad& pad) {
    PadShapeRecord hole;
    hole.form = PadShapeRecord::kRound;
    hole.kind = 1;
    hole.width = hole.height = std::min(pad.drill.x, pad.drill.y) / kMmPerInch;
    hole.plated = pad.type == Pad::kThroughHole;
    return tables_.PadShape(std::move(hole));
  }

  // A pad's outline grown by grow, with the shapes that draw it at each
  // angle: pads of one geometry (most of a board's) share them.
  struct CachedOutline {
    PadOutline outline;
    std::map<std::pair<double, bool>, std::vector<int>> shapes;  // by angle and mirroring
  };

  CachedOutline& OutlineOf(const Pad& pad, Vec grow) {
    std::string key;
    auto add = [&key](const auto& value) { key.append(reinterpret_cast<const char*>(&value), sizeof value); };
    for (const double value : {pad.size.x, pad.size.y, pad.delta.x, pad.delta.y, pad.drillOffset.x, pad.drillOffset.y,
                               pad.roundRatio, pad.chamferRatio, grow.x, grow.y})
      add(value);
    add(pad.form);
    add(pad.chamferCorners);
    add(pad.customCircleAnchor);
    for (const Shape& primitive : pad.primitives) {
      add(primitive.kind);
      for (const double value : {primitive.start.x, primitive.start.y, primitive.mid.x, primitive.mid.y, primitive.end.x,
                                 primitive.end.y, primitive.center.x, primitive.center.y, primitive.radius, primitive.width})
        add(value);
      add(primitive.filled);
      for (const Vec& point : primitive.points) add(point);
    }
    const auto [it, added] = outlines_.try_emplace(std::move(key));
    if (added) it->second.outline = kicad::OutlineOf(pad, grow);
    return it->second;
  }

  const std::vector<int>& ShapesAt(CachedOutline& cached, double angle, bool mirrored) {
    const auto [it, added] = cached.shapes.try_emplace({angle, mirrored});
    if (added) it->second = ShapesOf(cached.outline, angle, mirrored);
    return it->second;
  }

  // One layer's outline of a pad: the pin type gets it in the pad's own
  // frame (mirrored for a bottom package), the board gets it turned by the
  // pad's angle.
  void AddPadLayer(int layer, CachedOutline& outline, const Placement& placement, double padAngle,
                   std::vector<PinTypePadRecord>& stack, std::vector<PinPadRecord>& flashes) {
    for (const int shape : ShapesAt(outline, 0, placement.bottom)) stack.push_back({shape, layer});
    for (const int shape : ShapesAt(outline, padAngle, false)) flashes.push_back({layer, shape});
  }

  bool MapPad(const Pad& pad, const Footprint& footprint, const Placement& placement, PinRecord& pin,
              PackagePinRecord& packagePin, Polyline& padExtent) {
    PadLayers layers = LayersOf(pad);
    const bool listsCopper = !layers.copper.empty();
    const bool hole = (pad.type == Pad::kThroughHole || pad.type == Pad::kNptHole) && pad.drill.x > 0 &&
                      pad.drill.y > 0;
    CachedOutline& copper = OutlineOf(pad, {0, 0});
    // An unplated hole as large as its pad leaves no copper.
    const bool holeOnly = pad.type == Pad::kNptHole && pad.size.x <= pad.drill.x && pad.size.y <= pad.drill.y;
    if (copper.outline.form == PadOutline::kNone || holeOnly) layers.copper.clear();
    const Vec localUp = Up(pad.at);
    const Vec position = placement.BoardFromUp(localUp);
    const double padAngle = CleanDegrees(pad.angle);

    if (layers.copper.empty() && !hole) {
      MapAperturePad(pad, layers, position, padAngle);
      return false;
    }
    std::vector<PinTypePadRecord> stack;
    std::vector<PinPadRecord> flashes;
    for (const int level : layers.copper) AddPadLayer(copper_[level], copper, placement, padAngle, stack, flashes);
    const double mask = listsCopper ? MaskMargin(pad, footprint) : 0;
    const Vec paste = listsCopper ? PasteMargin(pad, footprint) : Vec{0, 0};
    for (int side = 0; side < 2; ++side) {
      if (layers.mask[side]) AddPadLayer(mask_[side], OutlineOf(pad, {mask, mask}), placement, padAngle, stack, flashes);
      if (layers.paste[side]) AddPadLayer(paste_[side], OutlineOf(pad, paste), placement, padAngle, stack, flashes);
    }
    if (hole) {
      const int drill = ThroughDrill();
      const int shape = HoleShape(pad);
      stack.push_back({shape, drill});
      flashes.push_back({drill, shape});
      ++report_.holes;
      if (pad.drill.x != pad.drill.y) MapSlot(pad, position, padAngle, drill);
    }
    // The plug-in outlines a package pin by its pad on the outer copper
    // layer of the package's side; a pin without copper there lists its
    // first other shape for it (nothing is drawn).
    const int outer = copper_[placement.bottom ? copper_.size() - 1 : 0];
    const bool hasOuter = std::any_of(stack.begin(), stack.end(), [&](const PinTypePadRecord& p) { return p.layer == outer; });
    if (!hasOuter && !stack.empty()) {
      const auto copperPad = std::find_if(stack.begin(), stack.end(), [&](const PinTypePadRecord& p) { return IsCopperLayer(p.layer); });
      const int drillShape = hole ? stack.back().shape : stack.front().shape;
      stack.push_back({copperPad != stack.end() ? copperPad->shape : drillShape, outer});
    }
    const char* prefix = !hole ? "smd" : pad.type == Pad::kThroughHole ? "tht" : "npth";
    const int pinType = tables_.PinType(prefix, std::move(stack));

    const double relative = CleanDegrees(pad.angle - footprint.angle);
    packagePin.name = pad.number;
    packagePin.pinType = pinType;
    const Point packagePoint = Inches(placement.Package(localUp));
    packagePin.x = packagePoint.x;
    packagePin.y = packagePoint.y;
    packagePin.angle = CleanDegrees(placement.bottom ? -relative : relative);
    for (const Vec& p : OutlinePoints(copper.outline)) padExtent.push_back(placement.Package(localUp + Rotate(p, relative)));

    const Point at = Inches(position);
    pin.pinType = pinType;
    pin.x = at.x;
    pin.y = at.y;
    pin.angle = padAngle;
    pin.kind = pad.fiducial ? 6 : 0;
    pin.net = pad.net;
    pin.pads = std::move(flashes);
    for (const PinPadRecord& flash : pin.pads)
      if (IsCopperLayer(flash.layer)) copperBox_.Add(at);
    ++report_.pads;
    return true;
  }

  // A slot: the hole's round tool at the pad, and a line of the tool's width
  // from one end of the slot to the other on the drill layer.
  void MapSlot(const Pad& pad, Vec position, double padAngle, int drill) {
    const double width = std::min(pad.drill.x, pad.drill.y);
    const double half = (std::max(pad.drill.x, pad.drill.y) - width) / 2;
    const Vec along = pad.drill.x > pad.drill.y ? Vec{half, 0} : Vec{0, half};
    const Vec offset = Rotate(along, padAngle);
    Line(drill, position - offset, position + offset, width, -1);
    ++report_.slots;
  }

  // A pad without copper or hole: openings in the mask or the paste only,
  // at the pad's own size and with no pin.
  void MapAperturePad(const Pad& pad, const PadLayers& layers, Vec position, double padAngle) {
    bool drawn = false;
    for (int side = 0; side < 2; ++side) {
      for (const int layer : {layers.mask[side] ? mask_[side] : -1, layers.paste[side] ? paste_[side] : -1}) {
        if (layer < 0) continue;
        for (const int shape : ShapesAt(OutlineOf(pad, {0, 0}), padAngle, false)) {
          FeatureRecord& flash = NewFeature(FeatureRecord::kPad, layer);
          flash.shape = shape;
          flash.from = Inches(position);
          drawn = true;
        }
      }
    }
    if (drawn) {
      ++report_.aperturePads;
    } else {
      report_.Skipped("pad on no exported layer", "pads on no exported layer", "");
    }
  }

  // Part names carry the value; a value shared by packages of different
  // outlines names the package too, so that IDF never sees one name with
  // two outlines.
  void NameParts() {
    std::unordered_map<std::string, std::set<std::string>> bodies;
    auto body = [&](const ComponentRecord& c) {
      const PackageRecord& package = step_.packages[c.package];
      std::vector<double> numbers{package.height};
      for (const Point& p : package.outline) numbers.insert(numbers.end(), {p.x, p.y});
      return std::string(reinterpret_cast<const char*>(numbers.data()), numbers.size() * sizeof(double));
    };
    for (size_t i = 0; i < step_.components.size(); ++i)
      if (!values_[i].empty()) bodies[values_[i]].insert(body(step_.components[i]));
    for (size_t i = 0; i < step_.components.size(); ++i) {
      ComponentRecord& component = step_.components[i];
      component.part = IdfSafe(values_[i]);
      if (!values_[i].empty() && bodies[values_[i]].size() > 1)
        component.part += " (" + step_.packages[component.package].name + ")";
    }
    if (renamedReferences_ > 0)
      report_.warnings.push_back(std::to_string(renamedReferences_) + " footprint reference" +
                                 (renamedReferences_ == 1 ? " was" : "s were") +
                                 " empty, taken or not plain ASCII; they were renamed (\"REF**\" to \"REF**_2\")");
  }

  // ---- Vias, tracks, zones ---------------------------------------------

  void MapVia(const Via& via) {
    const std::pair<int, int> span = ViaSpan(via);
    if (span.first < 0 || (via.size <= 0 && via.drill <= 0)) {
      report_.Skipped("via on layers the board does not have", "vias on layers the board does not have", "");
      return;
    }
    std::vector<PinTypePadRecord> stack;
    if (via.size > 0) {
      PadShapeRecord land;
      land.form = PadShapeRecord::kRound;
      land.kind = 1;
      land.width = land.height = via.size / kMmPerInch;
      const int shape = tables_.PadShape(std::move(land));
      for (int position = span.first; position <= span.second; ++position) stack.push_back({shape, copper_[position]});
    }
    if (via.drill > 0) {
      PadShapeRecord hole;
      hole.form = PadShapeRecord::kRound;
      hole.kind = 1;
      hole.width = hole.height = via.drill / kMmPerInch;
      hole.plated = true;
      stack.push_back({tables_.PadShape(std::move(hole)), drill_.at(span)});
      ++report_.holes;
    }
    PinRecord pin;
    pin.pads.reserve(stack.size());
    for (const PinTypePadRecord& pad : stack) pin.pads.push_back({pad.layer, pad.shape});
    pin.pinType = tables_.PinType("via", std::move(stack));
    const Point at = Inches(Up(via.at));
    pin.x = at.x;
    pin.y = at.y;
    pin.kind = via.type == Via::kThrough ? 3 : via.type == Via::kBlindOrBuried ? 4 : 5;
    pin.net = via.net;
    copperBox_.Add(at);
    step_.pins.push_back(std::move(pin));
    ++report_.vias;
  }

  void MapTrack(const Track& track) {
    const int position = CopperPosition(track.layer);
    if (position < 0) {
      report_.Skipped("track not on a copper layer", "tracks not on a copper layer", "");
      return;
    }
    if (track.isArc) {
      ArcOrLine(copper_[position], Up(track.start), Up(track.mid), Up(track.end), track.width, track.net);
      ++report_.arcs;
    } else {
      Line(copper_[position], Up(track.start), Up(track.end), track.width, track.net);
      ++report_.segments;
    }
  }

  void MapZone(Zone& zone) {
    if (zone.keepout) {
      report_.Skipped("keep-out area", "keep-out areas", "rule areas have no counterpart in an export");
      return;
    }
    if (zone.fills.empty()) {
      report_.Skipped("zone without a fill", "zones without a fill", "fill the zones in KiCad before exporting");
      return;
    }
    int exported = 0;
    for (Zone::Fill& fill : zone.fills) {
      const int layer = FeatureLayer(fill.layer);
      Polyline& points = fill.points;
      if (points.size() > 1 && Distance(points.front(), points.back()) < 1e-9) points.pop_back();
      if (layer < 0) {
        report_.Skipped("zone fill on a layer that is not exported", "zone fills on layers that are not exported", "");
      } else if (points.size() < 3) {
        report_.Skipped("zone fill with fewer than three corners", "zone fills with fewer than three corners", "");
      } else {
        FeatureRecord& surface = NewFeature(FeatureRecord::kSurface, layer);
        surface.net = zone.net;
        SurfaceContourRecord& contour = surface.contours.emplace_back();
        for (Vec& p : points) {
          p = Inches(Up(p));
          Extend(layer, p);
        }
        contour.points = std::move(points);
        ++exported;
      }
    }
    report_.zoneFills += exported;
    if (exported > 0) ++report_.zones;
  }

  // ---- Drawings and texts ----------------------------------------------

  // A shape as an outline piece, its points taken through place.
  template <typename Place>
  static OutlinePiece PieceOf(const Shape& shape, Place place) {
    OutlinePiece piece;
    switch (shape.kind) {
      case Shape::kLine:
        piece.points = {place(shape.start), place(shape.end)};
        break;
      case Shape::kArc: {
        Arc arc;
        const Vec start = place(shape.start), mid = place(shape.mid), end = place(shape.end);
        if (ArcThrough(start, mid, end, arc)) {
          AppendArc(arc, true, piece.points);
        } else {
          piece.points = {start, end};
        }
        break;
      }
      case Shape::kCircle:
        piece.points = CirclePolygon(place(shape.center), shape.radius);
        piece.closed = true;
        break;
      case Shape::kRect:
        piece.points = {place(shape.start), place({shape.end.x, shape.start.y}), place(shape.end),
                        place({shape.start.x, shape.end.y})};
        piece.closed = true;
        break;
      case Shape::kPolygon:
        for (const Vec& p : shape.points) piece.points.push_back(place(p));
        piece.closed = true;
        break;
      case Shape::kBezier:
        AppendBezier(place(shape.points[0]), place(shape.points[1]), place(shape.points[2]), place(shape.points[3]),
                     piece.points);
        break;
    }
    return piece;
  }

  void MapShape(const Shape& shape, const Placement& placement) {
    auto place = [&](Vec p) { return placement.Board(p); };
    if (shape.layer == "Edge.Cuts") {
      edgePieces_.push_back(PieceOf(shape, place));
      return;
    }
    const int layer = FeatureLayer(shape.layer);
    if (layer < 0) {
      report_.Skipped("drawing on a layer that is not exported", "drawings on layers that are not exported",
                      "fabrication, user and other layers");
      return;
    }
    ++report_.graphics;
    switch (shape.kind) {
      case Shape::kLine:
        Line(layer, place(shape.start), place(shape.end), shape.width, -1);
        break;
      case Shape::kArc:
        ArcOrLine(layer, place(shape.start), place(shape.mid), place(shape.end), shape.width, -1);
        break;
      case Shape::kCircle:
        if (shape.filled) {
          Contour(layer, CirclePolygon(place(shape.center), shape.radius), shape.width, true);
        } else {
          FeatureRecord& circle = NewFeature(FeatureRecord::kCircle, layer);
          circle.center = Inches(place(shape.center));
          circle.radius = shape.radius / kMmPerInch;
          circle.width = shape.width / kMmPerInch;
          Extend(layer, circle.center);
        }
        break;
      case Shape::kRect:
      case Shape::kPolygon: {
        const Polyline points = PieceOf(shape, place).points;
        if (points.size() < 3) {
          report_.Skipped("polygon with fewer than three corners", "polygons with fewer than three corners", "");
          --report_.graphics;
          return;
        }
        Contour(layer, points, shape.width, shape.filled);
        break;
      }
      case Shape::kBezier: {
        const Polyline points = PieceOf(shape, place).points;
        for (size_t i = 1; i < points.size(); ++i) Line(layer, points[i - 1], points[i], shape.width, -1);
        break;
      }
    }
  }

  static std::string Substituted(std::string text, const Footprint* footprint) {
    if (footprint == nullptr) return text;
    auto replace = [&](const std::string& from, const std::string& to) {
      for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    };
    replace("${REFERENCE}", footprint->reference);
    replace("${VALUE}", footprint->value);
    if (text == "%R") text = footprint->reference;  // KiCad 5
    if (text == "%V") text = footprint->value;
    for (const auto& [key, value] : footprint->properties) replace("${" + key + "}", value);
    return text;
  }

  void MapText(const TextItem& text, const Placement& placement, const Footprint* footprint) {
    const int layer = FeatureLayer(text.layer);
    if (text.text.empty()) return;  // an empty field draws nothing
    if (text.hidden) {
      report_.Skipped("hidden text", "hidden texts", "");
      return;
    }
    if (layer != silk_[0] && layer != silk_[1] && !IsCopperLayer(layer)) {
      report_.Skipped("text on a layer that is not exported", "texts on layers that are not exported",
                      "fabrication, user and other layers");
      return;
    }
    TextStyle style;
    style.height = text.height;
    style.width = text.width;
    double angle = NormalDegrees(text.angle);
    if (text.keepUpright && angle > 90 && angle <= 270) angle -= 180;  // KiCad keeps such texts readable
    style.angleDegrees = angle;
    style.horizontal = text.horizontal < 0   ? HorizontalJustify::kLeft
                       : text.horizontal > 0 ? HorizontalJustify::kRight
                                             : HorizontalJustify::kCenter;
    style.vertical = text.vertical < 0   ? VerticalJustify::kTop
                     : text.vertical > 0 ? VerticalJustify::kBottom
                                         : VerticalJustify::kCenter;
    style.mirrored = text.mirrored;
    style.italic = text.italic;
    const StrokedText stroked = StrokeText(Substituted(text.text, footprint), style);
    const double pen = text.thickness > 0 ? text.thickness : std::min(text.height, text.width) / (text.bold ? 5 : 8);
    // The strokes are in KiCad's axes around the anchor.
    const Vec anchor = placement.Board(text.at);
    for (const Stroke& stroke : stroked.strokes)
      for (size_t i = 1; i < stroke.size(); ++i)
        Line(layer, anchor + Vec{stroke[i - 1].x, -stroke[i - 1].y}, anchor + Vec{stroke[i].x, -stroke[i].y}, pen, -1);
    if (stroked.undrawable > 0) {
      report_.Skipped("text that could not be drawn", "texts that could not be drawn", "");
      missingCharacters_ += stroked.undrawable;
    } else {
      ++report_.texts;
    }
  }

  // ---- Outline ---------------------------------------------------------

  void MakeOutline() {
    OutlineLoops outline = JoinOutline(std::move(edgePieces_));
    if (outline.openChains > 0)
      report_.warnings.push_back(std::to_string(outline.openChains) + " Edge.Cuts chain" +
                                 (outline.openChains == 1 ? " does" : "s do") + " not close into a loop and " +
                                 (outline.openChains == 1 ? "is" : "are") + " left out");
    if (outline.loops.empty()) {
      report_.warnings.push_back("the board has no closed outline on Edge.Cuts; the profile is the box around the copper");
      BoundingBox box = copperBox_.Empty() ? anyBox_ : copperBox_;
      if (box.Empty()) box.Add({0, 0});
      if (box.xMax - box.xMin <= 0 || box.yMax - box.yMin <= 0) {
        box.Add({box.xMin - 0.5, box.yMin - 0.5});
        box.Add({box.xMax + 0.5, box.yMax + 0.5});
      }
      step_.profile = {{box.xMin, box.yMin}, {box.xMax, box.yMin}, {box.xMax, box.yMax}, {box.xMin, box.yMax}};
      return;
    }
    for (Polyline& loop : outline.loops) Canonical(loop);
    size_t largest = 0;
    for (size_t i = 1; i < outline.loops.size(); ++i)
      if (std::fabs(DoubleArea(outline.loops[i])) > std::fabs(DoubleArea(outline.loops[largest]))) largest = i;
    for (const Vec& p : outline.loops[largest]) step_.profile.push_back(Inches(p));
    for (size_t i = 0; i < outline.loops.size(); ++i) {
      if (i == largest) continue;
      Contour(cutouts_, outline.loops[i], 0, true);
      ++report_.cutouts;
    }
  }

 public:
  int missingCharacters() const { return missingCharacters_; }

 private:
  Board& board_;
  Design& design_;
  ImportReport& report_;
  StepRecord& step_;
  DesignTables tables_;

  std::vector<std::string> copperNames_;
  std::vector<int> copperTypes_;
  std::unordered_map<std::string, int> copperByName_;
  std::vector<int> copper_;  // design layer of each copper position
  int componentLayer_[2] = {-1, -1};
  int silk_[2] = {-1, -1};
  int paste_[2] = {-1, -1};
  int mask_[2] = {-1, -1};
  std::map<std::pair<int, int>, int> drill_;
  int cutouts_ = -1;
  std::unordered_map<std::string, int> layerByName_;

  std::unordered_map<std::string, CachedOutline> outlines_;
  std::unordered_set<std::string> references_;
  int renamedReferences_ = 0;
  std::vector<std::string> values_;  // per component
  int defaultHeights_ = 0;
  int missingCharacters_ = 0;
  std::vector<OutlinePiece> edgePieces_;
  BoundingBox copperBox_;
  BoundingBox anyBox_;
};

}  // namespace

void MapBoard(Board& board, const std::string& jobName, Design& design, ImportReport& report) {
  design = Design{};
  Mapper mapper(board, design, report);
  mapper.Run(jobName);
  if (mapper.missingCharacters() > 0)
    report.skipped["text that could not be drawn"].reason =
        std::to_string(mapper.missingCharacters()) + " characters missing from the stroke font";
}

}  // namespace kelpie::host::kicad
