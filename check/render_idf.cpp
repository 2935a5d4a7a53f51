#include "render_idf.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <span>
#include <system_error>

#include "render_components.h"
#include "render_layer.h"

namespace kelpie::check {
namespace {

using reader::IdfLoopPoint;
using reader::Point;

constexpr Colour kBackground{0.10, 0.11, 0.12};
constexpr Colour kBoard{0.0, 0.30, 0.12};
constexpr Colour kEdge{0.85, 0.80, 0.40};
constexpr Colour kPlating{0.86, 0.72, 0.33};
constexpr Colour kTopBody{0.55, 0.70, 0.95, 0.35};
constexpr Colour kTopLine{0.65, 0.80, 1.0};
constexpr Colour kBottomLine{1.0, 0.65, 0.35};
constexpr Colour kMissing{1.0, 0.25, 0.25};
constexpr Colour kTopName{0.95, 0.95, 0.95};

constexpr double kPi = std::numbers::pi;

// Millimetres per unit of a unit word; THOU is a thousandth of an inch.
double Millimetres(const std::string& units) { return units == "THOU" ? 0.0254 : 1.0; }

Point Scaled(Point point, double scale) { return {point.x * scale, point.y * scale}; }

// Adds the loops of an outline to the current path, in millimetres. A
// point with an included angle ends an arc from the point before it (the
// angle counter-clockwise when positive); an angle of 360 makes a circle
// about the point before it. Arcs too large to draw are drawn as chords.
void AddLoops(cairo_t* cairo, std::span<const IdfLoopPoint> points, double scale) {
  for (std::size_t i = 0; i < points.size(); ++i) {
    const Point at = Scaled(points[i].at, scale);
    const bool first = i == 0 || points[i].loop != points[i - 1].loop;
    if (first) {
      cairo_move_to(cairo, at.x, at.y);
      continue;
    }
    const Point from = Scaled(points[i - 1].at, scale);
    const double angle = points[i].angle;
    if (std::abs(angle) >= 360) {
      const double radius = std::hypot(at.x - from.x, at.y - from.y);
      if (!Drawable(cairo, radius)) continue;
      cairo_new_sub_path(cairo);
      cairo_arc(cairo, from.x, from.y, radius, 0, 2 * kPi);
      cairo_new_sub_path(cairo);
    } else if (angle == 0) {
      cairo_line_to(cairo, at.x, at.y);
    } else {
      // The centre lies on the chord's perpendicular bisector, to the left
      // of the chord for a counter-clockwise arc of less than half a turn.
      const double sweep = angle * kPi / 180;
      const double chord = std::hypot(at.x - from.x, at.y - from.y);
      if (chord == 0) continue;
      const double offset = chord / 2 / std::tan(sweep / 2);
      const Point middle{(from.x + at.x) / 2, (from.y + at.y) / 2};
      const Point left{-(at.y - from.y) / chord, (at.x - from.x) / chord};
      const Point center{middle.x + left.x * offset, middle.y + left.y * offset};
      const double radius = std::hypot(from.x - center.x, from.y - center.y);
      if (!Drawable(cairo, radius)) {
        cairo_line_to(cairo, at.x, at.y);
        continue;
      }
      const double start = std::atan2(from.y - center.y, from.x - center.x);
      if (sweep > 0) {
        cairo_arc(cairo, center.x, center.y, radius, start, start + sweep);
      } else {
        cairo_arc_negative(cairo, center.x, center.y, radius, start, start + sweep);
      }
    }
  }
}

Box BoxOf(const reader::IdfJob& job, double boardScale) {
  Box box;
  if (job.board.outline) {
    for (const IdfLoopPoint& point : job.board.outline->points) box.Add(Scaled(point.at, boardScale));
  }
  if (!box.empty) return box;
  for (const reader::IdfHole& hole : job.board.holes) box.Add(Scaled(hole.at, boardScale));
  for (const reader::IdfPlacement& placement : job.board.placements) box.Add(Scaled(placement.at, boardScale));
  return box;
}

// The outline points of a placement's package, kept only when every one
// lies where cairo can draw it.
bool Placeable(const View& view, const reader::IdfPackage& package, Point at, double scale) {
  const double reach = 1e6 / view.scale;
  for (const IdfLoopPoint& point : package.outline) {
    if (std::abs(point.at.x * scale) > reach || std::abs(point.at.y * scale) > reach) return false;
  }
  return view.Reaches(at);
}

void DrawPlacement(cairo_t* cairo, const View& view, const reader::IdfJob& job, const reader::IdfPlacement& placement,
                   double boardScale) {
  const Point at = Scaled(placement.at, boardScale);
  if (!view.Reaches(at)) return;
  const bool bottom = placement.side == "BOTTOM";
  const reader::IdfPackage* package = job.library.Find(placement.package, placement.partNumber);
  const double pixel = 1 / view.scale;
  double size = 2;  // millimetres, for the name when there is no package
  if (package != nullptr && Placeable(view, *package, at, Millimetres(package->units))) {
    const double scale = Millimetres(package->units);
    cairo_save(cairo);
    cairo_translate(cairo, at.x, at.y);
    cairo_rotate(cairo, placement.rotation * kPi / 180);
    if (bottom) cairo_scale(cairo, -1, 1);
    AddLoops(cairo, package->outline, scale);
    cairo_restore(cairo);
    if (!bottom) {
      SetColour(cairo, kTopBody);
      cairo_fill_preserve(cairo);
    }
    SetColour(cairo, bottom ? kBottomLine : kTopLine);
    const double dashes[] = {4 * pixel, 3 * pixel};
    cairo_set_dash(cairo, dashes, bottom ? 2 : 0, 0);
    cairo_set_line_width(cairo, 1.5 * pixel);
    cairo_stroke(cairo);
    cairo_set_dash(cairo, nullptr, 0, 0);
    Box box;
    for (const IdfLoopPoint& point : package->outline) box.Add(Scaled(point.at, scale));
    if (!box.empty) size = std::min(box.maxX - box.minX, box.maxY - box.minY);
  } else {
    // No package in the library: a red cross marks the place.
    SetColour(cairo, kMissing);
    cairo_set_line_width(cairo, 2 * pixel);
    const double arm = 6 * pixel;
    cairo_move_to(cairo, at.x - arm, at.y - arm);
    cairo_line_to(cairo, at.x + arm, at.y + arm);
    cairo_move_to(cairo, at.x - arm, at.y + arm);
    cairo_line_to(cairo, at.x + arm, at.y - arm);
    cairo_stroke(cairo);
  }
  SetColour(cairo, package == nullptr ? kMissing : bottom ? kBottomLine : kTopName);
  DrawLabel(cairo, at, placement.reference, std::clamp(0.4 * size * view.scale, 8.0, 22.0));
}

void DrawIdf(cairo_t* cairo, const View& view, const reader::IdfJob& job, double boardScale) {
  SetColour(cairo, kBackground);
  cairo_paint(cairo);
  const cairo_matrix_t matrix = view.Matrix();
  cairo_set_matrix(cairo, &matrix);
  cairo_set_fill_rule(cairo, CAIRO_FILL_RULE_EVEN_ODD);
  const double pixel = 1 / view.scale;
  if (job.board.outline) {
    AddLoops(cairo, job.board.outline->points, boardScale);
    SetColour(cairo, kBoard);
    cairo_fill_preserve(cairo);
    SetColour(cairo, kEdge);
    cairo_set_line_width(cairo, 1.5 * pixel);
    cairo_stroke(cairo);
  }
  for (const reader::IdfHole& hole : job.board.holes) {
    const Point at = Scaled(hole.at, boardScale);
    const double radius = hole.diameter * boardScale / 2;
    if (!view.Reaches(at) || !Drawable(cairo, radius)) continue;
    cairo_new_sub_path(cairo);
    cairo_arc(cairo, at.x, at.y, radius, 0, 2 * kPi);
    SetColour(cairo, kBackground);
    cairo_fill_preserve(cairo);
    SetColour(cairo, kPlating);
    cairo_set_line_width(cairo, (hole.plating == "PTH" ? 1.5 : 0.5) * pixel);
    cairo_stroke(cairo);
  }
  // Bottom components first, so that those on top are drawn over them.
  for (const bool bottom : {true, false}) {
    for (const reader::IdfPlacement& placement : job.board.placements) {
      if ((placement.side == "BOTTOM") == bottom) DrawPlacement(cairo, view, job, placement, boardScale);
    }
  }
}

std::string Counts(const reader::IdfJob& job) {
  std::size_t top = 0;
  std::size_t missing = 0;
  for (const reader::IdfPlacement& placement : job.board.placements) {
    if (placement.side != "BOTTOM") ++top;
    if (job.library.Find(placement.package, placement.partNumber) == nullptr) ++missing;
  }
  std::size_t loops = 0;
  if (job.board.outline) {
    const auto& points = job.board.outline->points;
    for (std::size_t i = 0; i < points.size(); ++i) loops += i == 0 || points[i].loop != points[i - 1].loop;
  }
  std::string text = std::to_string(loops) + (loops == 1 ? " outline loop, " : " outline loops, ") +
                     std::to_string(job.board.holes.size()) + " holes, " + std::to_string(job.board.placements.size()) +
                     " placements (" + std::to_string(top) + " top, " +
                     std::to_string(job.board.placements.size() - top) + " bottom), " +
                     std::to_string(job.library.packages.size()) + " library packages";
  if (missing > 0) text += ", " + std::to_string(missing) + " placements without a package (red)";
  return text;
}

}  // namespace

bool RenderIdfJob(const reader::IdfJob& job, const std::string& directory, const std::string& folder,
                  std::vector<Picture>& pictures, std::string& error) {
  std::error_code failure;
  std::filesystem::create_directories(directory + "/" + folder, failure);
  if (failure) {
    error = "cannot create " + directory + "/" + folder + ": " + failure.message();
    return false;
  }
  const double boardScale = Millimetres(job.board.header ? job.board.header->units : "MM");
  const View view = FitView(BoxOf(job, boardScale), kPictureSize, false);
  const Drawing drawing = [&](cairo_t* cairo) { DrawIdf(cairo, view, job, boardScale); };
  const std::string png = folder + "/top.png";
  const std::string svg = folder + "/top.svg";
  if (!WritePicture(view, drawing, directory + "/" + png, directory + "/" + svg, error)) return false;
  pictures.push_back({"board from above", "IDF board and library", png, svg, Counts(job)});
  return true;
}

}  // namespace kelpie::check
