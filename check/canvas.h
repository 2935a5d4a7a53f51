// Where the painters' shapes go. A Canvas fills and strokes with cairo
// itself; an SvgCanvas writes each filled or stroked path into an SVG of
// plain paths in pixels, which for a layer of a hundred thousand features
// is several times smaller and quicker to write than cairo's SVG surface.
// Either way the shapes are built as cairo paths on the canvas's context,
// in board units through the view's matrix.
#ifndef KELPIE_CHECK_CANVAS_H
#define KELPIE_CHECK_CANVAS_H

#include <cairo.h>

#include <string>

#include "render_view.h"

namespace kelpie::check {

class Canvas {
 public:
  explicit Canvas(cairo_t* cairo) : cairo_(cairo) {}
  virtual ~Canvas() = default;
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  // The context to build paths on (and, on a plain Canvas, to draw on).
  cairo_t* cairo() const { return cairo_; }

  virtual void SetColour(Colour colour);
  // OVER adds, CLEAR clears. An SvgCanvas cannot clear: pictures that
  // clear are drawn on cairo's SVG surface instead.
  virtual void SetOperator(cairo_operator_t op);
  // Fill or stroke the current path, which is then cleared. The width is in
  // board units.
  virtual void Fill(cairo_fill_rule_t rule);
  virtual void Stroke(double width, cairo_line_cap_t cap);

 protected:
  cairo_t* cairo_;
};

class SvgCanvas final : public Canvas {
 public:
  // A picture of the view's size, painted with the background colour.
  SvgCanvas(const View& view, Colour background);
  ~SvgCanvas() override;

  void SetColour(Colour colour) override;
  void SetOperator(cairo_operator_t op) override;
  void Fill(cairo_fill_rule_t rule) override;
  void Stroke(double width, cairo_line_cap_t cap) override;

  // Writes the SVG under a temporary name and renames it when complete.
  bool Save(const std::string& path, std::string& error) const;

 private:
  // The current path in pixels, as the "d" of an SVG path.
  void AppendPathData();

  double scale_;
  std::string colour_;  // "#rrggbb"
  double opacity_ = 1;
  std::string text_;
};

}  // namespace kelpie::check

#endif  // KELPIE_CHECK_CANVAS_H
