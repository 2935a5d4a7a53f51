#include "polygons.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <polyclipping/clipper.hpp>

namespace kelpie::host::kicad {

namespace {

constexpr double kUnitsPerMm = 1e6;
// Round corners stay within the importer's chord error.
constexpr double kArcTolerance = kChordError * kUnitsPerMm;

ClipperLib::Path ToPath(const Polyline& line) {
  ClipperLib::Path path;
  path.reserve(line.size());
  for (const Vec& p : line)
    path.emplace_back(static_cast<ClipperLib::cInt>(std::llround(p.x * kUnitsPerMm)),
                      static_cast<ClipperLib::cInt>(std::llround(p.y * kUnitsPerMm)));
  return path;
}

Polyline FromPath(const ClipperLib::Path& path) {
  Polyline line;
  line.reserve(path.size());
  for (const ClipperLib::IntPoint& p : path)
    line.push_back({static_cast<double>(p.X) / kUnitsPerMm, static_cast<double>(p.Y) / kUnitsPerMm});
  return line;
}

ClipperLib::Paths ToPaths(const Polygons& polygons) {
  ClipperLib::Paths paths;
  paths.reserve(polygons.size());
  for (const Polyline& polygon : polygons)
    if (polygon.size() >= 3) paths.push_back(ToPath(polygon));
  return paths;
}

// The outlines of a union, each with its holes cut in.
Polygons Outlines(const ClipperLib::Paths& paths) {
  ClipperLib::Clipper clipper;
  clipper.AddPaths(paths, ClipperLib::ptSubject, true);
  ClipperLib::PolyTree tree;
  clipper.Execute(ClipperLib::ctUnion, tree, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
  Polygons outlines;
  for (ClipperLib::PolyNode* node = tree.GetFirst(); node != nullptr; node = node->GetNext()) {
    if (node->IsHole() || node->Contour.size() < 3) continue;
    std::vector<Polyline> holes;
    for (const ClipperLib::PolyNode* hole : node->Childs)
      if (hole->Contour.size() >= 3) holes.push_back(FromPath(hole->Contour));
    outlines.push_back(Fracture(FromPath(node->Contour), std::move(holes)));
  }
  return outlines;
}

}  // namespace

Polygons Union(const Polygons& polygons) { return Outlines(ToPaths(polygons)); }

Polygons Offset(const Polygons& polygons, double delta) {
  ClipperLib::ClipperOffset offset(2.0, kArcTolerance);
  offset.AddPaths(ToPaths(polygons), delta > 0 ? ClipperLib::jtRound : ClipperLib::jtMiter,
                  ClipperLib::etClosedPolygon);
  ClipperLib::Paths grown;
  offset.Execute(grown, delta * kUnitsPerMm);
  return Outlines(grown);
}

Polyline Fracture(Polyline outline, std::vector<Polyline> holes) {
  auto leftmost = [](const Polyline& polygon) {
    return static_cast<size_t>(std::min_element(polygon.begin(), polygon.end(), [](Vec a, Vec b) {
                                 return a.x < b.x || (a.x == b.x && a.y < b.y);
                               }) - polygon.begin());
  };
  std::sort(holes.begin(), holes.end(),
            [&](const Polyline& a, const Polyline& b) { return a[leftmost(a)].x < b[leftmost(b)].x; });
  for (const Polyline& hole : holes) {
    const size_t first = leftmost(hole);
    const Vec corner = hole[first];
    // The nearest crossing of the outline to the left of the corner. The
    // holes further left are part of the outline by now, so the cut crosses
    // nothing on its way.
    size_t edge = outline.size();
    double nearest = -std::numeric_limits<double>::infinity();
    for (size_t i = 0, n = outline.size(); i < n; ++i) {
      const Vec a = outline[i];
      const Vec b = outline[(i + 1) % n];
      if ((a.y > corner.y) == (b.y > corner.y)) continue;
      const double x = a.x + (corner.y - a.y) * (b.x - a.x) / (b.y - a.y);
      if (x <= corner.x && x > nearest) {
        nearest = x;
        edge = i;
      }
    }
    if (edge == outline.size()) continue;  // not inside the outline: nothing to cut
    const Vec entry{nearest, corner.y};
    Polyline joined(outline.begin(), outline.begin() + static_cast<std::ptrdiff_t>(edge) + 1);
    joined.push_back(entry);
    for (size_t k = 0; k <= hole.size(); ++k) joined.push_back(hole[(first + k) % hole.size()]);
    joined.push_back(entry);
    joined.insert(joined.end(), outline.begin() + static_cast<std::ptrdiff_t>(edge) + 1, outline.end());
    outline = std::move(joined);
  }
  return outline;
}

Polygons PenArea(const Polyline& line, double width, bool closed) {
  if (line.empty() || width <= 0) return {};
  ClipperLib::ClipperOffset offset(2.0, kArcTolerance);
  offset.AddPath(ToPath(line), ClipperLib::jtRound, closed ? ClipperLib::etClosedLine : ClipperLib::etOpenRound);
  ClipperLib::Paths area;
  offset.Execute(area, width / 2 * kUnitsPerMm);
  Polygons result;
  for (const ClipperLib::Path& path : area) result.push_back(FromPath(path));
  return result;
}

}  // namespace kelpie::host::kicad
