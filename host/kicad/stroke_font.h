// Kelpie's own stroke font, used to draw the texts of an imported board
// (silk screen and copper) as pen strokes.
//
// The design is proportional and drawn on a grid: capitals and digits are 10
// units tall, the x-height is 7, descenders reach -3 and accents on capitals
// reach 13.5. `height` scales the grid vertically so that the cap height
// equals `height`; `width` scales it horizontally at width/10 per unit. Every
// glyph has a cell of its own width (a capital H is 6 units, digits are all
// 6, an i is 0) and the pen advances by that cell plus a letter gap of 3
// units, so a capital or a digit advances about 0.9 * width. A space advances
// 7 units and a tab moves to the next stop, every four space advances from the
// start of the line. Lines are 1.62 * height apart, baseline to baseline; a
// carriage return just before '\n' belongs to the line break. Characters the
// font lacks (control characters included) and bytes that are not valid UTF-8
// take no room: they are left out and counted, one per byte for bad bytes.
// Italic slants every glyph by 1/8 about its baseline. Round parts of glyphs
// are short polylines (15 degrees per segment), dots are short dashes, and
// every stroke has at least two points.
//
// Layout follows KiCad: each line is justified on its own (left edge, centre
// or right edge of its cells at the anchor); vertically the anchor is at the
// cap top of the first line, the middle of the block, or the baseline of the
// last line. The block is then mirrored about the vertical axis through the
// anchor (when mirrored) and rotated about the anchor.
#ifndef KELPIE_HOST_KICAD_STROKE_FONT_H
#define KELPIE_HOST_KICAD_STROKE_FONT_H

#include <string_view>
#include <vector>

namespace kelpie::host::kicad {

struct StrokePoint {
  double x = 0;
  double y = 0;
};
using Stroke = std::vector<StrokePoint>;  // one pen-down polyline

enum class HorizontalJustify { kLeft, kCenter, kRight };
enum class VerticalJustify { kTop, kCenter, kBottom };

struct TextStyle {
  double height = 1.0;      // glyph size, mm (KiCad `size` height)
  double width = 1.0;       // glyph size, mm (KiCad `size` width)
  double angleDegrees = 0;  // counter-clockwise as seen on screen
  HorizontalJustify horizontal = HorizontalJustify::kCenter;
  VerticalJustify vertical = VerticalJustify::kCenter;
  bool mirrored = false;    // mirrored about the vertical axis through the anchor
  bool italic = false;
};

struct StrokedText {
  std::vector<Stroke> strokes;
  int undrawable = 0;
};

// Lays out UTF-8 text (lines separated by '\n') around the anchor at (0,0) in KiCad's axes
// (x right, y DOWN, mm); the caller translates to the text position and strokes every
// polyline with the text's line thickness. Characters the font lacks are skipped and counted.
StrokedText StrokeText(std::string_view utf8, const TextStyle& style);

}  // namespace kelpie::host::kicad

#endif  // KELPIE_HOST_KICAD_STROKE_FONT_H
