#include "geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kelpie::host::kicad {

namespace {

constexpr double kPi = std::numbers::pi;
// Enough for an arc of 10 m radius; larger ones are drawn coarser.
constexpr int kMaxChordsPerTurn = 8192;
constexpr int kMinChordsPerTurn = 8;

}  // namespace

double Distance(Vec a, Vec b) { return std::hypot(a.x - b.x, a.y - b.y); }

double NormalDegrees(double degrees) {
  double normal = std::fmod(degrees, 360.0);
  if (normal < 0) normal += 360.0;
  if (normal >= 360.0) normal -= 360.0;
  return normal;
}

bool IsRightAngleMultiple(double degrees) {
  const double quarter = NormalDegrees(degrees) / 90.0;
  return std::fabs(quarter - std::round(quarter)) < 1e-9;
}

Vec Rotate(Vec v, double degrees) {
  if (IsRightAngleMultiple(degrees)) {
    switch (static_cast<int>(std::round(NormalDegrees(degrees) / 90.0)) % 4) {
      case 0: return v;
      case 1: return {-v.y, v.x};
      case 2: return {-v.x, -v.y};
      default: return {v.y, -v.x};
    }
  }
  const double radians = degrees * kPi / 180.0;
  const double c = std::cos(radians);
  const double s = std::sin(radians);
  return {v.x * c - v.y * s, v.x * s + v.y * c};
}

bool ArcThrough(Vec start, Vec mid, Vec end, Arc& arc) {
  // The centre is where the perpendicular bisectors of the two chords meet.
  const Vec a = mid - start;
  const Vec b = end - start;
  const double cross = a.x * b.y - a.y * b.x;
  const double scale = std::max({std::fabs(a.x), std::fabs(a.y), std::fabs(b.x), std::fabs(b.y)});
  if (scale == 0 || std::fabs(cross) <= 1e-12 * scale * scale) return false;
  const double aa = a.x * a.x + a.y * a.y;
  const double bb = b.x * b.x + b.y * b.y;
  const Vec offset{(b.y * aa - a.y * bb) / (2 * cross), (a.x * bb - b.x * aa) / (2 * cross)};
  arc.center = start + offset;
  arc.radius = std::hypot(offset.x, offset.y);
  arc.start = std::atan2(start.y - arc.center.y, start.x - arc.center.x);
  const double midAngle = std::atan2(mid.y - arc.center.y, mid.x - arc.center.x);
  const double endAngle = std::atan2(end.y - arc.center.y, end.x - arc.center.x);
  auto forward = [](double from, double to) {  // counter-clockwise turn from one angle to the other
    double turn = std::fmod(to - from, 2 * kPi);
    if (turn < 0) turn += 2 * kPi;
    return turn;
  };
  const double toEnd = forward(arc.start, endAngle);
  // Counter-clockwise when the middle point lies on the counter-clockwise way to the end.
  arc.sweep = forward(arc.start, midAngle) <= toEnd ? toEnd : toEnd - 2 * kPi;
  return std::isfinite(arc.radius) && std::isfinite(arc.center.x) && std::isfinite(arc.center.y);
}

int ChordCount(double radius, double sweep) {
  const double turns = std::fabs(sweep) / (2 * kPi);
  double perTurn = kMinChordsPerTurn;
  if (radius > kChordError) {
    // A chord of angle t stays within r (1 - cos(t / 2)) of its arc.
    const double step = 2 * std::acos(1 - kChordError / radius);
    perTurn = std::clamp(2 * kPi / step, static_cast<double>(kMinChordsPerTurn),
                         static_cast<double>(kMaxChordsPerTurn));
  }
  return std::max(1, static_cast<int>(std::ceil(turns * perTurn - 1e-9)));
}

Vec PointOnArc(const Arc& arc, double fraction) {
  const double angle = arc.start + arc.sweep * fraction;
  return {arc.center.x + arc.radius * std::cos(angle), arc.center.y + arc.radius * std::sin(angle)};
}

void AppendArc(const Arc& arc, bool withStart, Polyline& points) {
  const int chords = ChordCount(arc.radius, arc.sweep);
  for (int i = withStart ? 0 : 1; i <= chords; ++i) points.push_back(PointOnArc(arc, static_cast<double>(i) / chords));
}

Polyline CirclePolygon(Vec center, double radius) {
  const Arc circle{center, radius, 0, 2 * kPi};
  Polyline points;
  AppendArc(circle, true, points);
  points.pop_back();  // the first point again
  return points;
}

void AppendBezier(Vec p0, Vec p1, Vec p2, Vec p3, Polyline& points) {
  // Split in halves until each piece's control points lie within the chord
  // error of its chord: the curve stays inside their hull.
  struct Piece {
    Vec p0, p1, p2, p3;
    int depth;
  };
  auto flat = [](const Piece& piece) {
    const Vec chord = piece.p3 - piece.p0;
    const double length = std::hypot(chord.x, chord.y);
    auto away = [&](Vec p) {
      const Vec d = p - piece.p0;
      return length > 0 ? std::fabs(d.x * chord.y - d.y * chord.x) / length : std::hypot(d.x, d.y);
    };
    return std::max(away(piece.p1), away(piece.p2)) <= kChordError;
  };
  points.push_back(p0);
  std::vector<Piece> stack{{p0, p1, p2, p3, 0}};
  while (!stack.empty()) {
    const Piece piece = stack.back();
    stack.pop_back();
    if (piece.depth >= 16 || flat(piece)) {
      points.push_back(piece.p3);
      continue;
    }
    const Vec a = (piece.p0 + piece.p1) * 0.5;
    const Vec b = (piece.p1 + piece.p2) * 0.5;
    const Vec c = (piece.p2 + piece.p3) * 0.5;
    const Vec ab = (a + b) * 0.5;
    const Vec bc = (b + c) * 0.5;
    const Vec middle = (ab + bc) * 0.5;
    stack.push_back({middle, bc, c, piece.p3, piece.depth + 1});  // the second half after the first
    stack.push_back({piece.p0, a, ab, middle, piece.depth + 1});
  }
}

double DoubleArea(const Polyline& polygon) {
  double area = 0;
  for (size_t i = 0, n = polygon.size(); i < n; ++i) {
    const Vec& a = polygon[i];
    const Vec& b = polygon[(i + 1) % n];
    area += a.x * b.y - b.x * a.y;
  }
  return area;
}

void Canonical(Polyline& loop) {
  if (loop.empty()) return;
  if (DoubleArea(loop) < 0) std::reverse(loop.begin(), loop.end());
  const auto lowest = std::min_element(loop.begin(), loop.end(), [](Vec a, Vec b) {
    return a.y < b.y || (a.y == b.y && a.x < b.x);
  });
  std::rotate(loop.begin(), lowest, loop.end());
}

}  // namespace kelpie::host::kicad
