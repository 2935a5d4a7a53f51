// Where a picture looks: the board area it shows, its size in pixels, and
// whether it is seen from below. Drawing code works in board units (y up);
// the view's matrix turns them into pixels (y down).
#ifndef KELPIE_CHECK_RENDER_VIEW_H
#define KELPIE_CHECK_RENDER_VIEW_H

#include <cairo.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "features_file.h"

namespace kelpie::check {

// An axis-aligned box in board units; empty until a point is added. Points
// that are not finite are left out, coordinates beyond ten million units
// are taken as ten million.
struct Box {
  double minX = 0;
  double minY = 0;
  double maxX = 0;
  double maxY = 0;
  bool empty = true;

  void Add(reader::Point point);
  void Add(reader::Point center, double radius);  // a circle's extent
};

struct View {
  Box box;             // the board area shown, margin included
  double scale = 1;    // pixels per board unit
  int width = 1;       // pixels
  int height = 1;
  bool fromBelow = false;  // mirrored left to right

  cairo_matrix_t Matrix() const;
  // Whether a point lies near enough to be drawn: within a million pixels
  // of the picture (cairo's fixed-point coordinates end a little above 8
  // million, and a hostile file may hold any number).
  bool Reaches(reader::Point point) const;
};

// The long side of every picture, in pixels.
constexpr int kPictureSize = 2000;

// A view of the box plus a margin of 2% on every side, the long side
// `longSide` pixels. An empty or degenerate box gives a view of one board
// unit around its point.
View FitView(Box box, int longSide, bool fromBelow);

// The box of a features file: pad positions, line and arc ends and arc
// circles, contour points. Sizes of symbols are not added.
void AddToBox(const reader::Features& features, Box& box);

struct Colour {
  double red = 0;
  double green = 0;
  double blue = 0;
  double alpha = 1;
};

void SetColour(cairo_t* cairo, Colour colour);

// A picture as the index page lists it.
struct Picture {
  std::string title;   // a layer name, "top side"
  std::string kind;    // "SIGNAL layer", "composite"
  std::string png;     // path relative to the render directory
  std::string svg;     // "" when there is none
  std::string counts;  // what it shows: "1204 pads, 310 lines"
};

using Drawing = std::function<void(cairo_t* cairo)>;

// Every file of a render directory is written as PartPath(path) and renamed
// to its final name by Publish when complete, so that nothing half-written
// carries a final name. Publish removes the part when the rename fails.
std::string PartPath(const std::string& path);
bool Publish(const std::string& path, std::string& error);

// Writes the pieces one after another as the file's bytes, under the
// temporary name, then publishes the file.
bool WriteFile(const std::string& path, std::initializer_list<std::string_view> pieces, std::string& error);

// Writes an image surface of format RGB24 as a PNG. PNGs are compressed
// for speed rather than size: a board's pictures are large flat areas,
// which compress well anyway.
bool WritePng(cairo_surface_t* image, const std::string& path, std::string& error);

// Draws a picture of the view's size as an SVG.
bool WriteSvg(const View& view, const Drawing& drawing, const std::string& path, std::string& error);

// Draws a picture of the view's size and writes it as a PNG, and as an SVG
// when svgPath is not empty.
bool WritePicture(const View& view, const Drawing& drawing, const std::string& pngPath, const std::string& svgPath,
                  std::string& error);

}  // namespace kelpie::check

#endif  // KELPIE_CHECK_RENDER_VIEW_H
