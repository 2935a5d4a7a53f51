// Draws the features of one features file with cairo: pads by their symbol
// (a standard symbol told from its name, or a user symbol of the job),
// lines and arcs stroked with their symbol, surfaces with their holes.
//
// Features are drawn in file order in the canvas's colour:
// a positive feature adds its area, a negative one clears what lies
// beneath it (cairo's CLEAR operator), so the caller draws a layer into a
// group of its own when the clearing must not reach other layers.
//
// Runs of features that draw alike (pads, or lines of one width, of one
// polarity) are gathered into one path and filled or stroked at once:
// that is what keeps a board of a hundred thousand features quick to draw
// and its SVG small. Every shape is added counter-clockwise, so that
// overlapping shapes in one path add up under the winding rule; shapes
// seen mirrored (turned clockwise) go into a path of their own.
#ifndef KELPIE_CHECK_RENDER_LAYER_H
#define KELPIE_CHECK_RENDER_LAYER_H

#include <cairo.h>

#include <cstddef>
#include <unordered_map>
#include <vector>

#include "canvas.h"
#include "job.h"
#include "render_view.h"
#include "symbol_name.h"

namespace kelpie::check {

// The largest size, in pixels, of a circle or symbol that is drawn: cairo
// cuts a circle into pieces a fraction of a pixel from the true curve, so
// a hostile radius would cost it millions of pieces.
constexpr double kLargestPixels = 1e5;

// Whether a radius (in the context's user space) is finite and at most
// kLargestPixels pixels.
bool Drawable(cairo_t* cairo, double radius);

// Adds a closed contour to the current path (for filling it or, as a
// board outline, stroking it).
void AddContour(cairo_t* cairo, const reader::Contour& contour);

class FeaturePainter {
 public:
  // `job` provides the user symbols. The view sets how thin a line may be
  // drawn (one pixel at least, so that hair lines stay visible) and how far
  // from the board a feature may lie and still be drawn.
  FeaturePainter(const reader::Job& job, const View& view);

  // Draws every feature of the file in the user space of the canvas's
  // current matrix, which must be the view's. `invert` swaps the polarity
  // of every feature (the features of a negative layer clear).
  void Paint(Canvas& canvas, const reader::Features& features, bool invert = false);

  // Whether painting the file would clear anything: a negative feature, or
  // a negative feature inside a user symbol that a pad places.
  bool Clears(const reader::Features& features, int depth = 0);

  // Features left out so far: their symbol is unknown, they lie absurdly
  // far from the board, or the picture's budget of shapes was spent.
  std::size_t skipped() const { return skipped_; }

 private:
  struct Symbol {
    reader::StandardSymbol standard;
    const reader::Features* user = nullptr;  // the symbol's own features, when not standard
  };

  // What the path being gathered will be drawn with.
  enum class Drawn { kNothing, kFill, kStroke };
  struct Batch {
    Drawn drawn = Drawn::kNothing;
    cairo_operator_t op = CAIRO_OPERATOR_OVER;
    bool mirrored = false;  // fills: the shapes run clockwise
    double width = 0;       // strokes
    cairo_line_cap_t cap = CAIRO_LINE_CAP_ROUND;
    bool operator==(const Batch&) const = default;
  };

  // Draws what was gathered when the next shape draws differently.
  void Gather(Canvas& canvas, const Batch& batch);
  void Flush(Canvas& canvas);
  Batch FillOf(const reader::Feature& feature, bool invert) const;

  void PaintFile(Canvas& canvas, const reader::Features& features, bool invert, int depth);
  void PaintPad(Canvas& canvas, const reader::Feature& pad, const Symbol& symbol, bool invert, int depth);
  void PaintLine(Canvas& canvas, const reader::Feature& line, const Symbol& symbol, bool invert);
  void PaintArc(Canvas& canvas, const reader::Feature& arc, const Symbol& symbol, bool invert);
  void PaintSurface(Canvas& canvas, const reader::Features& features, const reader::Feature& surface, bool invert);
  // The symbols of a file's table, resolved once per file.
  const std::vector<Symbol>& SymbolsOf(const reader::Features& features);
  const Symbol* Find(const reader::Features& features, int number);
  bool Spend();

  const reader::Job& job_;
  View view_;
  double largest_ = 0;       // the largest symbol size drawn
  double minimumWidth_ = 0;  // of a stroke
  std::unordered_map<const reader::Features*, std::vector<Symbol>> symbols_;
  Batch batch_;
  bool mirrored_ = false;  // inside a mirrored pad of a user symbol
  std::size_t budget_;
  std::size_t skipped_ = 0;
};

}  // namespace kelpie::check

#endif  // KELPIE_CHECK_RENDER_LAYER_H
