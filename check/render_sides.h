// The board as it will look from one side, composed from the layers'
// coverage (what each layer covers, drawn once as an 8-bit alpha image of
// the top view): laminate, copper, solder mask with its openings, the
// finish on the copper that the openings bare, silk, drilled holes and the
// outline, in the colours a board has. The view from below mirrors the
// coverage images rather than drawing the layers again.
#ifndef KELPIE_CHECK_RENDER_SIDES_H
#define KELPIE_CHECK_RENDER_SIDES_H

#include <cairo.h>

#include <vector>

#include "job.h"
#include "render_layer.h"
#include "render_view.h"

namespace kelpie::check {

// Coverage images of the layers that make up a side, each the size of the
// top view and drawn in it.
struct SideCoverage {
  std::vector<cairo_surface_t*> copper, mask, silk, drill;
};

// `view` is the top view or the view from below of the same box.
void DrawSide(cairo_t* cairo, const View& view, const reader::Step& step, FeaturePainter& painter,
              const SideCoverage& coverage);

// Fills the step's profile (the view's whole box when there is none) in
// the canvas's colour; the matrix must be the view's.
void FillBoard(Canvas& canvas, const View& view, const reader::Step& step, FeaturePainter& painter);

// Strokes the outline of the step's profile thinly in grey.
void StrokeProfile(Canvas& canvas, const View& view, const reader::Step& step);

}  // namespace kelpie::check

#endif  // KELPIE_CHECK_RENDER_SIDES_H
