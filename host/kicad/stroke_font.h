// The stroke font that draws board texts as polylines.
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
