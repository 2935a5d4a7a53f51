// Stand-in until the stroke font lands: it knows no glyph, so every
// character is counted as one it cannot draw.
#include "stroke_font.h"

namespace kelpie::host::kicad {

StrokedText StrokeText(std::string_view utf8, const TextStyle&) {
  StrokedText result;
  for (const char c : utf8) {
    const bool continuation = (static_cast<unsigned char>(c) & 0xC0) == 0x80;
    if (c != '\n' && !continuation) ++result.undrawable;
  }
  return result;
}

}  // namespace kelpie::host::kicad
