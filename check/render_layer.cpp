#include "render_layer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace kelpie::check {
namespace {

using reader::Feature;
using reader::Point;
using reader::SymbolShape;

constexpr double kPi = std::numbers::pi;
// Shapes one picture draws at most, so that a hostile job (a user symbol
// of many features placed by many pads) cannot keep the renderer busy for
// hours.
constexpr std::size_t kShapeBudget = 50'000'000;
// User symbols placed inside user symbols, at most.
constexpr int kSymbolDepth = 4;

bool Same(Point a, Point b) { return std::abs(a.x - b.x) < 1e-9 && std::abs(a.y - b.y) < 1e-9; }

double Angle(Point center, Point point) { return std::atan2(point.y - center.y, point.x - center.x); }

// An arc from the current point to `end` about `center`; ending where it
// starts makes a full circle, as in ODB++. An arc too large to draw is
// drawn as its chord.
void AddArc(cairo_t* cairo, Point start, Point end, Point center, bool clockwise) {
  const double radius = std::hypot(start.x - center.x, start.y - center.y);
  if (!Drawable(cairo, radius)) {
    cairo_line_to(cairo, end.x, end.y);
    return;
  }
  const double from = Angle(center, start);
  double to = Angle(center, end);
  if (Same(start, end)) to = clockwise ? from - 2 * kPi : from + 2 * kPi;
  // y points up in board units, so growing angles turn counter-clockwise.
  if (clockwise) {
    cairo_arc_negative(cairo, center.x, center.y, radius, from, to);
  } else {
    cairo_arc(cairo, center.x, center.y, radius, from, to);
  }
}

void AddPolygon(cairo_t* cairo, std::span<const Point> points) {
  cairo_move_to(cairo, points[0].x, points[0].y);
  for (const Point& point : points.subspan(1)) cairo_line_to(cairo, point.x, point.y);
  cairo_close_path(cairo);
}

// The outline of a standard symbol about the origin, counter-clockwise.
void AddStandardShape(cairo_t* cairo, const reader::StandardSymbol& symbol) {
  const double w = symbol.width / 2;
  const double h = symbol.height / 2;
  const double c = std::min({symbol.corner, w, h});
  switch (symbol.shape) {
    case SymbolShape::kRound:
      cairo_new_sub_path(cairo);
      cairo_arc(cairo, 0, 0, w, 0, 2 * kPi);
      break;
    case SymbolShape::kSquare:
    case SymbolShape::kRectangle:
      cairo_rectangle(cairo, -w, -h, 2 * w, 2 * h);
      break;
    case SymbolShape::kOval: {
      const double r = std::min(w, h);
      cairo_new_sub_path(cairo);
      cairo_arc(cairo, w - r, h - r, r, 0, kPi / 2);
      cairo_arc(cairo, -w + r, h - r, r, kPi / 2, kPi);
      cairo_arc(cairo, -w + r, -h + r, r, kPi, 1.5 * kPi);
      cairo_arc(cairo, w - r, -h + r, r, 1.5 * kPi, 2 * kPi);
      cairo_close_path(cairo);
      break;
    }
    case SymbolShape::kDiamond: {
      const std::array<Point, 4> points{{{-w, 0}, {0, -h}, {w, 0}, {0, h}}};
      AddPolygon(cairo, points);
      break;
    }
    case SymbolShape::kOctagon: {
      const std::array<Point, 8> points{
          {{-w + c, -h}, {w - c, -h}, {w, -h + c}, {w, h - c}, {w - c, h}, {-w + c, h}, {-w, h - c}, {-w, -h + c}}};
      AddPolygon(cairo, points);
      break;
    }
    case SymbolShape::kHexagonX: {
      const double cx = std::min(symbol.corner, w);
      const std::array<Point, 6> points{{{-w, 0}, {-w + cx, -h}, {w - cx, -h}, {w, 0}, {w - cx, h}, {-w + cx, h}}};
      AddPolygon(cairo, points);
      break;
    }
    case SymbolShape::kHexagonY: {
      const double cy = std::min(symbol.corner, h);
      const std::array<Point, 6> points{{{0, -h}, {w, -h + cy}, {w, h - cy}, {0, h}, {-w, h - cy}, {-w, -h + cy}}};
      AddPolygon(cairo, points);
      break;
    }
    case SymbolShape::kDonut:
      // The inner circle runs the other way round and stays open.
      cairo_new_sub_path(cairo);
      cairo_arc(cairo, 0, 0, w, 0, 2 * kPi);
      cairo_close_path(cairo);
      cairo_new_sub_path(cairo);
      cairo_arc_negative(cairo, 0, 0, h, 2 * kPi, 0);
      cairo_close_path(cairo);
      break;
    case SymbolShape::kUser:
      break;
  }
}

bool Rectangular(SymbolShape shape) { return shape == SymbolShape::kSquare || shape == SymbolShape::kRectangle; }

// The area a rectangle sweeps along a segment: the convex hull of the
// rectangle at both ends, counter-clockwise.
void AddSweptRectangle(cairo_t* cairo, Point start, Point end, double w, double h) {
  std::array<Point, 8> corners{};
  int n = 0;
  for (const Point& at : {start, end}) {
    for (const double dx : {-w, w}) {
      for (const double dy : {-h, h}) corners[static_cast<std::size_t>(n++)] = {at.x + dx, at.y + dy};
    }
  }
  std::sort(corners.begin(), corners.end(), [](Point a, Point b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
  auto turn = [](Point o, Point a, Point b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); };
  std::array<Point, 16> hull{};
  std::size_t size = 0;
  for (const Point& point : corners) {  // lower half
    while (size >= 2 && turn(hull[size - 2], hull[size - 1], point) <= 0) --size;
    hull[size++] = point;
  }
  const std::size_t lower = size + 1;
  for (auto point = corners.rbegin() + 1; point != corners.rend(); ++point) {  // upper half
    while (size >= lower && turn(hull[size - 2], hull[size - 1], *point) <= 0) --size;
    hull[size++] = *point;
  }
  AddPolygon(cairo, std::span<const Point>(hull.data(), size - 1));
}

}  // namespace

FeaturePainter::FeaturePainter(const reader::Job& job, const View& view)
    : job_(job), view_(view), largest_(kLargestPixels / view.scale), minimumWidth_(1 / view.scale), budget_(kShapeBudget) {}

bool Drawable(cairo_t* cairo, double radius) {
  double dx = radius;
  double dy = 0;
  cairo_user_to_device_distance(cairo, &dx, &dy);
  const double pixels = std::hypot(dx, dy);
  return std::isfinite(pixels) && pixels <= kLargestPixels;
}

void AddContour(cairo_t* cairo, const reader::Contour& contour) {
  cairo_move_to(cairo, contour.start.x, contour.start.y);
  Point previous = contour.start;
  for (const reader::Segment& segment : contour.segments) {
    if (segment.arc) {
      AddArc(cairo, previous, segment.end, segment.center, segment.clockwise);
    } else {
      cairo_line_to(cairo, segment.end.x, segment.end.y);
    }
    previous = segment.end;
  }
  cairo_close_path(cairo);
}

void FeaturePainter::Paint(Canvas& canvas, const reader::Features& features, bool invert) {
  cairo_save(canvas.cairo());
  cairo_new_path(canvas.cairo());
  PaintFile(canvas, features, invert, 0);
  Flush(canvas);
  cairo_restore(canvas.cairo());
}

void FeaturePainter::Gather(Canvas& canvas, const Batch& batch) {
  if (batch == batch_) return;
  Flush(canvas);
  batch_ = batch;
}

void FeaturePainter::Flush(Canvas& canvas) {
  canvas.SetOperator(batch_.op);
  if (batch_.drawn == Drawn::kFill) {
    canvas.Fill(CAIRO_FILL_RULE_WINDING);
  } else if (batch_.drawn == Drawn::kStroke) {
    canvas.Stroke(batch_.width, batch_.cap);
  }
  batch_ = Batch{};
}

FeaturePainter::Batch FeaturePainter::FillOf(const Feature& feature, bool invert) const {
  Batch batch;
  batch.drawn = Drawn::kFill;
  const bool negative = (feature.polarity == reader::Polarity::kNegative) != invert;
  batch.op = negative ? CAIRO_OPERATOR_CLEAR : CAIRO_OPERATOR_OVER;
  batch.mirrored = mirrored_;
  return batch;
}

bool FeaturePainter::Clears(const reader::Features& features, int depth) {
  for (const Feature& feature : features.features) {
    if (feature.polarity == reader::Polarity::kNegative) return true;
  }
  if (depth >= kSymbolDepth) return false;
  for (const Symbol& symbol : SymbolsOf(features)) {
    if (symbol.user != nullptr && Clears(*symbol.user, depth + 1)) return true;
  }
  return false;
}

bool FeaturePainter::Spend() {
  if (budget_ == 0) {
    ++skipped_;
    return false;
  }
  --budget_;
  return true;
}

const std::vector<FeaturePainter::Symbol>& FeaturePainter::SymbolsOf(const reader::Features& features) {
  auto found = symbols_.find(&features);
  if (found != symbols_.end()) return found->second;
  std::vector<Symbol> symbols(features.symbols.size());
  for (std::size_t i = 0; i < symbols.size(); ++i) {
    const std::string& name = features.symbols[i].name;
    symbols[i].standard = reader::ParseSymbolName(name);
    if (symbols[i].standard.shape != SymbolShape::kUser) continue;
    const reader::UserSymbol* user = job_.FindSymbol(name);
    if (user != nullptr && user->features) symbols[i].user = &*user->features;
  }
  return symbols_.emplace(&features, std::move(symbols)).first->second;
}

const FeaturePainter::Symbol* FeaturePainter::Find(const reader::Features& features, int number) {
  const reader::TableEntry* entry = features.Symbol(number);
  if (entry == nullptr) return nullptr;
  const Symbol& symbol = SymbolsOf(features)[static_cast<std::size_t>(entry - features.symbols.data())];
  const bool known = symbol.standard.shape != SymbolShape::kUser || symbol.user != nullptr;
  const bool sensible = symbol.standard.width <= largest_ && symbol.standard.height <= largest_;
  return known && sensible ? &symbol : nullptr;
}

void FeaturePainter::PaintFile(Canvas& canvas, const reader::Features& features, bool invert, int depth) {
  for (const Feature& feature : features.features) {
    if (!Spend()) return;
    if (feature.kind == reader::FeatureKind::kSurface) {
      PaintSurface(canvas, features, feature, invert);
      continue;
    }
    const Symbol* symbol = Find(features, feature.symbol);
    const bool near = view_.Reaches(feature.start) &&
                      (feature.kind == reader::FeatureKind::kPad || view_.Reaches(feature.end)) &&
                      (feature.kind != reader::FeatureKind::kArc || view_.Reaches(feature.center));
    if (symbol == nullptr || !near) {
      ++skipped_;
      continue;
    }
    switch (feature.kind) {
      case reader::FeatureKind::kPad:
        PaintPad(canvas, feature, *symbol, invert, depth);
        break;
      case reader::FeatureKind::kLine:
        PaintLine(canvas, feature, *symbol, invert);
        break;
      case reader::FeatureKind::kArc:
        PaintArc(canvas, feature, *symbol, invert);
        break;
      case reader::FeatureKind::kSurface:
        break;
    }
  }
}

void FeaturePainter::PaintPad(Canvas& canvas, const Feature& pad, const Symbol& symbol, bool invert, int depth) {
  cairo_t* cairo = canvas.cairo();
  if (symbol.user != nullptr && depth >= kSymbolDepth) {
    ++skipped_;
    return;
  }
  cairo_matrix_t outside;
  cairo_get_matrix(cairo, &outside);
  // The symbol is mirrored first, then turned clockwise, then moved.
  cairo_translate(cairo, pad.start.x, pad.start.y);
  cairo_rotate(cairo, -pad.rotation * kPi / 180);
  if (pad.mirrored) cairo_scale(cairo, -1, 1);
  if (symbol.user == nullptr) {
    Batch batch = FillOf(pad, invert);
    batch.mirrored = mirrored_ != pad.mirrored;
    Gather(canvas, batch);
    AddStandardShape(cairo, symbol.standard);
  } else {
    // A negative pad of a user symbol swaps the polarity of its features.
    const bool mirrored = mirrored_;
    mirrored_ = mirrored_ != pad.mirrored;
    PaintFile(canvas, *symbol.user, (pad.polarity == reader::Polarity::kNegative) != invert, depth + 1);
    mirrored_ = mirrored;
  }
  cairo_set_matrix(cairo, &outside);
}

void FeaturePainter::PaintLine(Canvas& canvas, const Feature& line, const Symbol& symbol, bool invert) {
  cairo_t* cairo = canvas.cairo();
  const reader::StandardSymbol& shape = symbol.standard;
  Batch batch = FillOf(line, invert);
  if (Rectangular(shape.shape)) {
    Gather(canvas, batch);
    const double w = std::max(shape.width, minimumWidth_) / 2;
    const double h = std::max(shape.height, minimumWidth_) / 2;
    AddSweptRectangle(cairo, line.start, line.end, w, h);
    return;
  }
  // Round ends for round symbols, and for any other shape its narrow side.
  batch.drawn = Drawn::kStroke;
  batch.mirrored = false;
  batch.width = std::max(std::min(shape.width, shape.height), minimumWidth_);
  Gather(canvas, batch);
  cairo_move_to(cairo, line.start.x, line.start.y);
  cairo_line_to(cairo, line.end.x, line.end.y);
}

void FeaturePainter::PaintArc(Canvas& canvas, const Feature& arc, const Symbol& symbol, bool invert) {
  cairo_t* cairo = canvas.cairo();
  const reader::StandardSymbol& shape = symbol.standard;
  const bool rectangular = Rectangular(shape.shape);
  Batch batch = FillOf(arc, invert);
  batch.drawn = Drawn::kStroke;
  batch.mirrored = false;
  batch.width = std::max(std::min(shape.width, shape.height), minimumWidth_);
  batch.cap = rectangular ? CAIRO_LINE_CAP_BUTT : CAIRO_LINE_CAP_ROUND;
  Gather(canvas, batch);
  cairo_move_to(cairo, arc.start.x, arc.start.y);
  AddArc(cairo, arc.start, arc.end, arc.center, arc.clockwise);
  if (!rectangular) return;
  // A square symbol leaves its square at both ends.
  Gather(canvas, FillOf(arc, invert));
  for (const Point& end : {arc.start, arc.end}) {
    cairo_rectangle(cairo, end.x - shape.width / 2, end.y - shape.height / 2, shape.width, shape.height);
  }
}

void FeaturePainter::PaintSurface(Canvas& canvas, const reader::Features& features, const Feature& surface,
                                  bool invert) {
  cairo_t* cairo = canvas.cairo();
  const std::span<const reader::Contour> contours = features.ContoursOf(surface);
  for (const reader::Contour& contour : contours) {
    bool near = view_.Reaches(contour.start);
    for (const reader::Segment& segment : contour.segments) near = near && view_.Reaches(segment.end);
    if (!near) {
      ++skipped_;
      return;
    }
  }
  // Each island is filled on its own with the holes that follow it,
  // even-odd, whichever way its contours run: a hole takes away only from
  // its own island, and islands that overlap each other add up.
  Flush(canvas);
  canvas.SetOperator(FillOf(surface, invert).op);
  for (std::size_t i = 0; i < contours.size(); ++i) {
    AddContour(cairo, contours[i]);
    if (i + 1 == contours.size() || contours[i + 1].island) canvas.Fill(CAIRO_FILL_RULE_EVEN_ODD);
  }
}

}  // namespace kelpie::check
