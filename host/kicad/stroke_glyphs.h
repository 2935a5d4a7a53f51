// The glyphs of the stroke font in grid units: x right, y UP from the
// baseline, ink from x = 0 to the glyph's cell width. stroke_font.h describes
// the grid; StrokeText scales, places and turns these.
#ifndef KELPIE_HOST_KICAD_STROKE_GLYPHS_H
#define KELPIE_HOST_KICAD_STROKE_GLYPHS_H

#include <vector>

#include "kicad/stroke_font.h"

namespace kelpie::host::kicad {

inline constexpr double kCapHeight = 10;     // grid units, also the ascender
inline constexpr double kXHeight = 7;
inline constexpr double kDescender = -3;
inline constexpr double kAccentTop = 13.5;   // accents over capitals
inline constexpr double kLetterGap = 3;      // between one cell and the next

struct Glyph {
  double width = 0;             // cell width
  std::vector<Stroke> strokes;  // in grid units, y up
};

// The glyph of a code point, or null when the font has none. Control
// characters have none; the caller handles line breaks and tabs.
const Glyph* FindGlyph(char32_t code);

// Every code point the font draws, ascending.
std::vector<char32_t> CoveredCodePoints();

}  // namespace kelpie::host::kicad

#endif  // KELPIE_HOST_KICAD_STROKE_GLYPHS_H
