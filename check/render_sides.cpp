#include "render_sides.h"

namespace kelpie::check {
namespace {

constexpr Colour kBackground{0.10, 0.11, 0.12};
constexpr Colour kProfileLine{0.60, 0.60, 0.60};
constexpr Colour kLaminate{0.35, 0.32, 0.20};
constexpr Colour kCopper{0.85, 0.55, 0.25};
constexpr Colour kSolderMask{0.0, 0.33, 0.12, 0.72};
constexpr Colour kFinish{0.86, 0.72, 0.33};
constexpr Colour kSilk{0.96, 0.96, 0.93};

// A coverage image as a pattern in device space: as drawn for the top
// view, mirrored left to right for the view from below.
cairo_pattern_t* PatternOf(cairo_surface_t* image, const View& view) {
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(image);
  if (view.fromBelow) {
    cairo_matrix_t mirror;
    cairo_matrix_init(&mirror, -1, 0, 0, 1, (view.box.maxX - view.box.minX) * view.scale, 0);
    cairo_pattern_set_matrix(pattern, &mirror);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
  }
  return pattern;
}

// What any of the images covers, or null when there are none. The
// context's matrix must be the identity.
cairo_pattern_t* Union(cairo_t* cairo, const View& view, const std::vector<cairo_surface_t*>& images) {
  if (images.empty()) return nullptr;
  if (images.size() == 1) return PatternOf(images[0], view);
  cairo_push_group_with_content(cairo, CAIRO_CONTENT_ALPHA);
  cairo_set_source_rgb(cairo, 0, 0, 0);
  for (cairo_surface_t* image : images) {
    cairo_pattern_t* pattern = PatternOf(image, view);
    cairo_mask(cairo, pattern);
    cairo_pattern_destroy(pattern);
  }
  return cairo_pop_group(cairo);
}

void PaintThrough(cairo_t* cairo, Colour colour, cairo_pattern_t* coverage) {
  if (coverage == nullptr) return;
  SetColour(cairo, colour);
  cairo_mask(cairo, coverage);
}

void SetView(cairo_t* cairo, const View& view) {
  const cairo_matrix_t matrix = view.Matrix();
  cairo_set_matrix(cairo, &matrix);
}

// The solder mask covers the board but for its openings; the copper it
// leaves bare gets its finish.
void DrawSolderMask(cairo_t* cairo, const View& view, const reader::Step& step, FeaturePainter& painter,
                    cairo_pattern_t* copper, cairo_pattern_t* openings) {
  cairo_push_group_with_content(cairo, CAIRO_CONTENT_ALPHA);
  SetView(cairo, view);
  cairo_set_source_rgb(cairo, 0, 0, 0);
  Canvas canvas(cairo);
  FillBoard(canvas, view, step, painter);
  cairo_identity_matrix(cairo);
  cairo_set_operator(cairo, CAIRO_OPERATOR_DEST_OUT);
  cairo_mask(cairo, openings);
  cairo_pattern_t* covered = cairo_pop_group(cairo);
  PaintThrough(cairo, kSolderMask, covered);
  cairo_pattern_destroy(covered);
  if (copper == nullptr) return;
  cairo_push_group_with_content(cairo, CAIRO_CONTENT_ALPHA);
  cairo_set_source_rgb(cairo, 0, 0, 0);
  cairo_mask(cairo, copper);
  cairo_set_operator(cairo, CAIRO_OPERATOR_IN);
  cairo_mask(cairo, openings);
  cairo_pattern_t* bare = cairo_pop_group(cairo);
  PaintThrough(cairo, kFinish, bare);
  cairo_pattern_destroy(bare);
}

}  // namespace

void FillBoard(Canvas& canvas, const View& view, const reader::Step& step, FeaturePainter& painter) {
  if (step.profile) {
    painter.Paint(canvas, *step.profile);
    return;
  }
  cairo_rectangle(canvas.cairo(), view.box.minX, view.box.minY, view.box.maxX - view.box.minX,
                  view.box.maxY - view.box.minY);
  canvas.Fill(CAIRO_FILL_RULE_WINDING);
}

void StrokeProfile(Canvas& canvas, const View& view, const reader::Step& step) {
  if (!step.profile) return;
  for (const reader::Feature& feature : step.profile->features) {
    if (feature.kind != reader::FeatureKind::kSurface) continue;
    for (const reader::Contour& contour : step.profile->ContoursOf(feature)) {
      if (view.Reaches(contour.start)) AddContour(canvas.cairo(), contour);
    }
  }
  canvas.SetColour(kProfileLine);
  canvas.SetOperator(CAIRO_OPERATOR_OVER);
  canvas.Stroke(1.5 / view.scale, CAIRO_LINE_CAP_BUTT);
}

void DrawSide(cairo_t* cairo, const View& view, const reader::Step& step, FeaturePainter& painter,
              const SideCoverage& coverage) {
  SetColour(cairo, kBackground);
  cairo_paint(cairo);
  SetView(cairo, view);
  Canvas canvas(cairo);
  canvas.SetColour(kLaminate);
  FillBoard(canvas, view, step, painter);
  cairo_identity_matrix(cairo);
  cairo_pattern_t* copper = Union(cairo, view, coverage.copper);
  PaintThrough(cairo, kCopper, copper);
  cairo_pattern_t* openings = Union(cairo, view, coverage.mask);
  if (openings != nullptr) DrawSolderMask(cairo, view, step, painter, copper, openings);
  for (cairo_pattern_t* pattern : {copper, openings}) {
    if (pattern != nullptr) cairo_pattern_destroy(pattern);
  }
  cairo_pattern_t* silk = Union(cairo, view, coverage.silk);
  PaintThrough(cairo, kSilk, silk);
  cairo_pattern_t* holes = Union(cairo, view, coverage.drill);
  PaintThrough(cairo, kBackground, holes);
  for (cairo_pattern_t* pattern : {silk, holes}) {
    if (pattern != nullptr) cairo_pattern_destroy(pattern);
  }
  SetView(cairo, view);
  StrokeProfile(canvas, view, step);
}

}  // namespace kelpie::check
