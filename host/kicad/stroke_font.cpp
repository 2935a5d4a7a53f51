// Lays out a text with the stroke font: decodes UTF-8, breaks lines, places
// glyphs in grid units, then scales, justifies, slants, mirrors and rotates.
#include "kicad/stroke_font.h"

#include <cmath>
#include <numbers>
#include <optional>

#include "kicad/stroke_glyphs.h"

namespace kelpie::host::kicad {
namespace {

constexpr double kLinePitch = 1.62;  // times the glyph height
constexpr double kItalicSlant = 1.0 / 8;
constexpr int kSpacesPerTab = 4;

// The code point at `pos`, which moves past it; or nothing for a byte that
// does not start a valid UTF-8 sequence (overlong forms, surrogates and values
// past U+10FFFF included), and `pos` moves past that one byte.
std::optional<char32_t> NextCodePoint(std::string_view text, size_t& pos) {
  const unsigned lead = static_cast<unsigned char>(text[pos]);
  ++pos;
  if (lead < 0x80) {
    return lead;
  }
  int continuations = 0;
  char32_t code = 0;
  unsigned low = 0x80;  // bounds of the first continuation byte
  unsigned high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    continuations = 1;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    continuations = 2;
    code = lead & 0x0F;
    low = lead == 0xE0 ? 0xA0 : low;
    high = lead == 0xED ? 0x9F : high;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    continuations = 3;
    code = lead & 0x07;
    low = lead == 0xF0 ? 0x90 : low;
    high = lead == 0xF4 ? 0x8F : high;
  } else {
    return std::nullopt;
  }
  size_t at = pos;
  for (int i = 0; i < continuations; ++i) {
    if (at >= text.size()) {
      return std::nullopt;
    }
    const unsigned byte = static_cast<unsigned char>(text[at]);
    if (byte < low || byte > high) {
      return std::nullopt;
    }
    code = (code << 6) | (byte & 0x3F);
    low = 0x80;
    high = 0xBF;
    ++at;
  }
  pos = at;
  return code;
}

struct PlacedGlyph {
  const Glyph* glyph;
  double x;  // left edge of its cell, grid units from the line start
};

struct Line {
  std::vector<PlacedGlyph> glyphs;
  double width = 0;  // grid units, from the first cell's left edge to the last one's right edge
};

// Splits the text into lines of placed glyphs and counts what cannot be drawn.
std::vector<Line> PlaceGlyphs(std::string_view utf8, int& undrawable) {
  const double tabStop = kSpacesPerTab * (FindGlyph(U' ')->width + kLetterGap);
  std::vector<Line> lines(1);
  double pen = 0;
  size_t pos = 0;
  while (pos < utf8.size()) {
    const std::optional<char32_t> code = NextCodePoint(utf8, pos);
    Line& line = lines.back();
    if (code == U'\r' && pos < utf8.size() && utf8[pos] == '\n') {
      continue;
    }
    if (code == U'\n') {
      lines.emplace_back();
      pen = 0;
    } else if (code == U'\t') {
      pen = (std::floor(pen / tabStop) + 1) * tabStop;
      line.width = pen;
    } else if (const Glyph* glyph = code ? FindGlyph(*code) : nullptr) {
      line.glyphs.push_back({glyph, pen});
      line.width = pen + glyph->width;
      pen = line.width + kLetterGap;
    } else {
      ++undrawable;
    }
  }
  return lines;
}

}  // namespace

StrokedText StrokeText(std::string_view utf8, const TextStyle& style) {
  StrokedText result;
  const std::vector<Line> lines = PlaceGlyphs(utf8, result.undrawable);
  const double unitX = style.width / kCapHeight;
  const double unitY = style.height / kCapHeight;
  const double pitch = kLinePitch * style.height;
  const double lastBaseline = pitch * static_cast<double>(lines.size() - 1);
  // The first line's baseline, y down from the anchor.
  double firstBaseline = (style.height - lastBaseline) / 2;
  if (style.vertical == VerticalJustify::kTop) {
    firstBaseline = style.height;
  } else if (style.vertical == VerticalJustify::kBottom) {
    firstBaseline = -lastBaseline;
  }
  const double radians = style.angleDegrees * std::numbers::pi / 180;
  const double cosine = std::cos(radians);
  const double sine = std::sin(radians);
  const double slant = style.italic ? kItalicSlant : 0;
  const double mirror = style.mirrored ? -1 : 1;

  for (size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    const double baseline = firstBaseline + pitch * static_cast<double>(i);
    double left = -line.width * unitX / 2;
    if (style.horizontal == HorizontalJustify::kLeft) {
      left = 0;
    } else if (style.horizontal == HorizontalJustify::kRight) {
      left = -line.width * unitX;
    }
    for (const PlacedGlyph& placed : line.glyphs) {
      for (const Stroke& stroke : placed.glyph->strokes) {
        Stroke& out = result.strokes.emplace_back();
        out.reserve(stroke.size());
        for (const StrokePoint& point : stroke) {
          const double rise = point.y * unitY;
          const double x = mirror * (left + (placed.x + point.x) * unitX + rise * slant);
          const double y = baseline - rise;
          // Counter-clockwise on screen is clockwise in axes with y down.
          out.push_back({x * cosine + y * sine, y * cosine - x * sine});
        }
      }
    }
  }
  return result;
}

}  // namespace kelpie::host::kicad
