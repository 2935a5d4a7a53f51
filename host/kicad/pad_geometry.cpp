#include "pad_geometry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace kelpie::host::kicad {

namespace {

constexpr double kQuarter = std::numbers::pi / 2;

// KiCad's pad frame has y down; ours has y up.
Vec Up(Vec v) { return {v.x, -v.y}; }

PadOutline Circle(Vec center, double diameter) {
  PadOutline outline;
  if (diameter <= 0) return outline;
  outline.form = PadOutline::kCircle;
  outline.center = center;
  outline.width = diameter;
  outline.height = diameter;
  return outline;
}

PadOutline Rect(Vec center, double width, double height) {
  PadOutline outline;
  if (width <= 0 || height <= 0) return outline;
  outline.form = PadOutline::kRect;
  outline.center = center;
  outline.width = width;
  outline.height = height;
  return outline;
}

PadOutline PolygonsAt(Vec center, Polygons polygons) {
  PadOutline outline;
  for (Polyline& polygon : polygons)
    for (Vec& point : polygon) point = point + center;
  std::erase_if(polygons, [](const Polyline& polygon) { return polygon.size() < 3; });
  if (polygons.empty()) return outline;
  outline.form = PadOutline::kPolygons;
  outline.polygons = std::move(polygons);
  return outline;
}

// The corners of a w by h rectangle, counter-clockwise from the lower right,
// with the directions of the edges that arrive at and leave each corner.
struct Corner {
  Vec point;
  Vec in;
  Vec out;
  double arcStart;  // where a rounded corner's arc starts (radians)
};

std::array<Corner, 4> Corners(double w, double h) {
  return {{{{w / 2, -h / 2}, {1, 0}, {0, 1}, -kQuarter},
           {{w / 2, h / 2}, {0, 1}, {-1, 0}, 0},
           {{-w / 2, h / 2}, {-1, 0}, {0, -1}, kQuarter},
           {{-w / 2, -h / 2}, {0, -1}, {1, 0}, 2 * kQuarter}}};
}

// A rectangle whose corners are cut straight (chamfered: bit set in
// chamfered, in the order lower right, upper right, upper left, lower left)
// or rounded with radius.
Polyline CutRectangle(double w, double h, double radius, double chamfer, unsigned chamfered) {
  Polyline points;
  const std::array<Corner, 4> corners = Corners(w, h);
  for (size_t i = 0; i < corners.size(); ++i) {
    const Corner& corner = corners[i];
    if ((chamfered >> i & 1) != 0 && chamfer > 0) {
      points.push_back(corner.point - corner.in * chamfer);
      points.push_back(corner.point + corner.out * chamfer);
    } else if (radius > 0) {
      const Arc arc{corner.point - corner.in * radius + corner.out * radius, radius, corner.arcStart, kQuarter};
      AppendArc(arc, true, points);
    } else {
      points.push_back(corner.point);
    }
  }
  // Where two arcs meet (the ends of a stadium) the point comes twice.
  std::vector<Vec> distinct;
  for (const Vec& point : points)
    if (distinct.empty() || Distance(distinct.back(), point) > 1e-12) distinct.push_back(point);
  if (distinct.size() > 1 && Distance(distinct.front(), distinct.back()) <= 1e-12) distinct.pop_back();
  return distinct;
}

// The stadium of an oval pad: a rectangle with two half circles.
Polyline Stadium(double w, double h) { return CutRectangle(w, h, std::min(w, h) / 2, 0, 0); }

// KiCad's chamfer flags name corners as seen on screen (y down).
unsigned ChamferedCorners(std::uint8_t flags) {
  const bool topLeft = flags & 1, topRight = flags & 2, bottomLeft = flags & 4, bottomRight = flags & 8;
  return (bottomRight ? 1u : 0u) | (topRight ? 2u : 0u) | (topLeft ? 4u : 0u) | (bottomLeft ? 8u : 0u);
}

// A trapezoid: rect_delta's x makes the left edge longer by it and the
// right edge shorter; its y makes the edge at the bottom of the screen
// longer and the top one shorter.
Polyline Trapezoid(Vec size, Vec delta) {
  const double w = size.x / 2, h = size.y / 2, dx = delta.x / 2, dy = delta.y / 2;
  const Vec screen[] = {{w + dy, h - dx}, {w - dy, -h + dx}, {-w + dy, -h - dx}, {-w - dy, h + dx}};
  Polyline points;
  for (const Vec& corner : screen) points.push_back(Up(corner));
  return points;
}

Polyline AllUp(Polyline points) {
  for (Vec& point : points) point = Up(point);
  return points;
}

// The area of one primitive of a custom pad, in the pad's frame (y up).
Polygons PrimitiveArea(const Shape& shape) {
  const double pen = shape.width;
  switch (shape.kind) {
    case Shape::kLine:
      return PenArea({Up(shape.start), Up(shape.end)}, pen, false);
    case Shape::kArc: {
      Arc arc;
      Polyline line;
      if (ArcThrough(Up(shape.start), Up(shape.mid), Up(shape.end), arc)) {
        AppendArc(arc, true, line);
      } else {
        line = {Up(shape.start), Up(shape.end)};
      }
      return PenArea(line, pen, false);
    }
    case Shape::kBezier: {
      Polyline line;
      AppendBezier(Up(shape.points[0]), Up(shape.points[1]), Up(shape.points[2]), Up(shape.points[3]), line);
      return PenArea(line, pen, false);
    }
    case Shape::kCircle: {
      // KiCad 5 marks a filled disc by a zero width.
      if (shape.filled || pen == 0) return {CirclePolygon(Up(shape.center), shape.radius + pen / 2)};
      return PenArea(CirclePolygon(Up(shape.center), shape.radius), pen, true);
    }
    case Shape::kRect:
    case Shape::kPolygon: {
      Polyline outline = shape.kind == Shape::kPolygon
                             ? AllUp(shape.points)
                             : Polyline{Up(shape.start), Up({shape.end.x, shape.start.y}), Up(shape.end),
                                        Up({shape.start.x, shape.end.y})};
      Polygons area = PenArea(outline, pen, true);
      if (shape.filled || shape.kind == Shape::kPolygon) {
        // Counter-clockwise like the pen's outer outlines, so that the two
        // add up instead of cancelling.
        if (DoubleArea(outline) < 0) std::reverse(outline.begin(), outline.end());
        area.push_back(std::move(outline));
      }
      return area;
    }
  }
  return {};
}

}  // namespace

PadOutline OutlineOf(const Pad& pad, Vec grow) {
  const Vec center = Up(pad.drillOffset);
  const double w = pad.size.x + 2 * grow.x;
  const double h = pad.size.y + 2 * grow.y;
  const double smaller = std::min(pad.size.x, pad.size.y);
  switch (pad.form) {
    case Pad::kCircle:
      return Circle(center, pad.size.x + 2 * grow.x);
    case Pad::kRect:
      return Rect(center, w, h);
    case Pad::kOval:
      if (w <= 0 || h <= 0) return {};
      if (w == h) return Circle(center, w);
      return PolygonsAt(center, {Stadium(w, h)});
    case Pad::kRoundRect: {
      if (w <= 0 || h <= 0) return {};
      const double radius = std::clamp(std::clamp(pad.roundRatio, 0.0, 0.5) * smaller + grow.x, 0.0, std::min(w, h) / 2);
      const double chamfer = std::clamp(pad.chamferRatio, 0.0, 0.5) * smaller;
      if (pad.chamferCorners != 0 && chamfer > 0) {
        // Cut at the pad's own size, then grown like any polygon.
        const Polyline cut = CutRectangle(pad.size.x, pad.size.y, std::clamp(pad.roundRatio, 0.0, 0.5) * smaller,
                                          chamfer, ChamferedCorners(pad.chamferCorners));
        Polygons area = grow.x != 0 ? Offset({cut}, grow.x) : Polygons{cut};
        return PolygonsAt(center, std::move(area));
      }
      if (radius <= 0) return Rect(center, w, h);
      return PolygonsAt(center, {CutRectangle(w, h, radius, 0, 0)});
    }
    case Pad::kTrapezoid: {
      const Polyline trapezoid = Trapezoid(pad.size, pad.delta);
      Polygons area = grow.x != 0 ? Offset({trapezoid}, grow.x) : Polygons{trapezoid};
      return PolygonsAt(center, std::move(area));
    }
    case Pad::kCustom: {
      Polygons parts;
      if (pad.customCircleAnchor) {
        if (pad.size.x > 0) parts.push_back(CirclePolygon({0, 0}, pad.size.x / 2));
      } else if (pad.size.x > 0 && pad.size.y > 0) {
        parts.push_back(CutRectangle(pad.size.x, pad.size.y, 0, 0, 0));
      }
      for (const Shape& primitive : pad.primitives) {
        Polygons area = PrimitiveArea(primitive);
        parts.insert(parts.end(), std::make_move_iterator(area.begin()), std::make_move_iterator(area.end()));
      }
      Polygons area = Union(parts);
      if (grow.x != 0) area = Offset(area, grow.x);
      return PolygonsAt(center, std::move(area));
    }
  }
  return {};
}

Polyline OutlinePoints(const PadOutline& outline) {
  switch (outline.form) {
    case PadOutline::kNone:
      return {};
    case PadOutline::kCircle:
    case PadOutline::kRect: {
      const Vec half{outline.width / 2, outline.height / 2};
      return {outline.center - half, outline.center + half};
    }
    case PadOutline::kPolygons: {
      Polyline points;
      for (const Polyline& polygon : outline.polygons) points.insert(points.end(), polygon.begin(), polygon.end());
      return points;
    }
  }
  return {};
}

}  // namespace kelpie::host::kicad
