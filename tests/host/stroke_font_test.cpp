// The stroke font: glyph table, layout, justification and turning.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "kicad/stroke_font.h"
#include "kicad/stroke_glyphs.h"

namespace kelpie::host::kicad {
namespace {

struct Box {
  double minX = HUGE_VAL;
  double minY = HUGE_VAL;
  double maxX = -HUGE_VAL;
  double maxY = -HUGE_VAL;
};

Box Bounds(const std::vector<Stroke>& strokes) {
  Box box;
  for (const Stroke& stroke : strokes) {
    for (const StrokePoint& point : stroke) {
      box.minX = std::min(box.minX, point.x);
      box.maxX = std::max(box.maxX, point.x);
      box.minY = std::min(box.minY, point.y);
      box.maxY = std::max(box.maxY, point.y);
    }
  }
  return box;
}

TextStyle Style(HorizontalJustify horizontal, VerticalJustify vertical) {
  TextStyle style;
  style.height = 2;
  style.width = 3;  // unlike the height, so that swapped axes show
  style.horizontal = horizontal;
  style.vertical = vertical;
  return style;
}

constexpr double kNear = 1e-9;

std::string CodeName(char32_t code) {
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
  return name;
}

TEST(StrokeFont, EveryGlyphHasDrawnStrokesInsideItsCell) {
  for (char32_t code = 32; code <= 126; ++code) {
    EXPECT_NE(FindGlyph(code), nullptr) << CodeName(code);
  }
  for (char32_t code : CoveredCodePoints()) {
    const Glyph& glyph = *FindGlyph(code);
    EXPECT_EQ(glyph.strokes.empty(), code == U' ' || code == U'\u00A0') << CodeName(code);
    for (const Stroke& stroke : glyph.strokes) {
      EXPECT_GE(stroke.size(), 2u) << CodeName(code);
    }
    const Box box = Bounds(glyph.strokes);
    EXPECT_GE(box.minX, -kNear) << CodeName(code);
    EXPECT_LE(box.maxX, glyph.width + kNear) << CodeName(code);
    EXPECT_GE(box.minY, kDescender - kNear) << CodeName(code);
    EXPECT_LE(box.maxY, kAccentTop + kNear) << CodeName(code);
  }
  // Capitals and digits stand exactly on the cap height, short lowercase
  // letters on the x-height: a misplaced point shows.
  for (char32_t code : std::u32string(U"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789")) {
    EXPECT_NEAR(Bounds(FindGlyph(code)->strokes).maxY, kCapHeight, kNear) << CodeName(code);
  }
  for (char32_t code : std::u32string(U"acemnorsuvwxz")) {
    EXPECT_NEAR(Bounds(FindGlyph(code)->strokes).maxY, kXHeight, kNear) << CodeName(code);
  }
}

TEST(StrokeFont, LatinOneLettersAndBoardSymbolsAreDrawn) {
  const StrokedText text = StrokeText("°µ\u03BCΩ\u2126±×²ÀÉÎÕÜàéîõüçÇñÑßøØ€", TextStyle{});
  EXPECT_EQ(text.undrawable, 0);
  // Accents over capitals clear the cap height, those over lowercase do not
  // float up there.
  TextStyle style = Style(HorizontalJustify::kLeft, VerticalJustify::kBottom);
  EXPECT_LT(Bounds(StrokeText("É", style).strokes).minY, -style.height * 1.25);
  EXPECT_GT(Bounds(StrokeText("é", style).strokes).minY, -style.height * 1.1);
}

TEST(StrokeFont, AnchorSitsAtTheJustifiedEdgeOrCentre) {
  // H fills its 6 x 10 cell: 1.8 mm by 2 mm here.
  struct Case {
    HorizontalJustify horizontal;
    VerticalJustify vertical;
    double minX;
    double minY;
  };
  const Case cases[] = {
      {HorizontalJustify::kLeft, VerticalJustify::kTop, 0, 0},
      {HorizontalJustify::kCenter, VerticalJustify::kTop, -0.9, 0},
      {HorizontalJustify::kRight, VerticalJustify::kTop, -1.8, 0},
      {HorizontalJustify::kLeft, VerticalJustify::kCenter, 0, -1},
      {HorizontalJustify::kCenter, VerticalJustify::kCenter, -0.9, -1},
      {HorizontalJustify::kRight, VerticalJustify::kCenter, -1.8, -1},
      {HorizontalJustify::kLeft, VerticalJustify::kBottom, 0, -2},
      {HorizontalJustify::kCenter, VerticalJustify::kBottom, -0.9, -2},
      {HorizontalJustify::kRight, VerticalJustify::kBottom, -1.8, -2},
  };
  for (const Case& c : cases) {
    const Box box = Bounds(StrokeText("H", Style(c.horizontal, c.vertical)).strokes);
    EXPECT_NEAR(box.minX, c.minX, kNear);
    EXPECT_NEAR(box.maxX, c.minX + 1.8, kNear);
    EXPECT_NEAR(box.minY, c.minY, kNear);
    EXPECT_NEAR(box.maxY, c.minY + 2, kNear);
  }
  // Two H cells and the 3-unit gap between them: 15 units of 0.3 mm.
  const Box pair = Bounds(StrokeText("HH", Style(HorizontalJustify::kRight, VerticalJustify::kBottom)).strokes);
  EXPECT_NEAR(pair.minX, -4.5, kNear);
}

TEST(StrokeFont, LinesAreSpacedAndEachJustifiedOnItsOwn) {
  const double pitch = 1.62 * 2;
  const Box top = Bounds(StrokeText("H\nH\nH", Style(HorizontalJustify::kLeft, VerticalJustify::kTop)).strokes);
  EXPECT_NEAR(top.minY, 0, kNear);
  EXPECT_NEAR(top.maxY, 2 + 2 * pitch, kNear);
  const Box middle = Bounds(StrokeText("H\nH\nH", Style(HorizontalJustify::kLeft, VerticalJustify::kCenter)).strokes);
  EXPECT_NEAR(middle.minY, -middle.maxY, kNear);
  const Box bottom = Bounds(StrokeText("H\r\nH\nH", Style(HorizontalJustify::kLeft, VerticalJustify::kBottom)).strokes);
  EXPECT_NEAR(bottom.minY, -2 - 2 * pitch, kNear);
  EXPECT_NEAR(bottom.maxY, 0, kNear);
  // The short line ends where the long one does.
  const StrokedText right = StrokeText("HH\nH", Style(HorizontalJustify::kRight, VerticalJustify::kTop));
  ASSERT_EQ(right.strokes.size(), 9u);
  const Box lastLine = Bounds({right.strokes.begin() + 6, right.strokes.end()});
  EXPECT_NEAR(lastLine.maxX, 0, kNear);
  EXPECT_NEAR(lastLine.minX, -1.8, kNear);
  EXPECT_NEAR(lastLine.minY, pitch, kNear);
}

TEST(StrokeFont, TabsMoveToTheNextStopOfFourSpaces) {
  TextStyle style = Style(HorizontalJustify::kLeft, VerticalJustify::kBottom);
  style.width = 10;  // one grid unit per millimetre
  const double stop = 4 * (4 + 3);
  EXPECT_NEAR(Bounds(StrokeText("\tI", style).strokes).maxX, stop, kNear);
  EXPECT_NEAR(Bounds(StrokeText("A\tI", style).strokes).maxX, stop, kNear);
  EXPECT_NEAR(Bounds(StrokeText("AAA\tI", style).strokes).maxX, 2 * stop, kNear);
  style.horizontal = HorizontalJustify::kRight;
  EXPECT_NEAR(Bounds(StrokeText("I\t", style).strokes).minX, -stop, kNear);
}

TEST(StrokeFont, RotationMirrorAndItalicTurnTheLaidOutText) {
  // "LI": the L's foot points along the text towards the I.
  TextStyle style = Style(HorizontalJustify::kLeft, VerticalJustify::kBottom);
  style.angleDegrees = 90;
  const StrokedText upward = StrokeText("LI", style);
  ASSERT_EQ(upward.strokes.size(), 2u);
  const Box turned = Bounds(upward.strokes);
  EXPECT_NEAR(turned.minX, -2, kNear);
  EXPECT_NEAR(turned.maxX, 0, kNear);
  EXPECT_NEAR(turned.maxY, 0, kNear);
  EXPECT_NEAR(turned.minY, -(5 + 3) * 0.3, kNear);
  EXPECT_NEAR(upward.strokes[1].front().y, -(5 + 3) * 0.3, kNear);

  // Mirrored first, then turned: the text runs downwards.
  style.mirrored = true;
  const StrokedText downward = StrokeText("LI", style);
  EXPECT_NEAR(downward.strokes[1].front().y, (5 + 3) * 0.3, kNear);
  style.angleDegrees = 0;
  const StrokedText mirrored = StrokeText("LI", style);
  EXPECT_NEAR(Bounds(mirrored.strokes).maxX, 0, kNear);
  EXPECT_NEAR(mirrored.strokes[0].back().x, -1.5, kNear);  // the L's foot

  // Italic leans the tops to the right by an eighth of the height.
  style.mirrored = false;
  style.italic = true;
  const StrokedText italic = StrokeText("I", style);
  ASSERT_EQ(italic.strokes.size(), 1u);
  EXPECT_NEAR(italic.strokes[0][0].x, 0, kNear);
  EXPECT_NEAR(italic.strokes[0][1].x, 0.25, kNear);
  EXPECT_NEAR(italic.strokes[0][1].y, -2, kNear);
}

TEST(StrokeFont, UndrawableCharactersAndBadBytesAreSkippedAndCounted) {
  const TextStyle style = Style(HorizontalJustify::kLeft, VerticalJustify::kBottom);
  const StrokedText plain = StrokeText("AB", style);
  struct Case {
    std::string text;
    int undrawable;
  };
  const Case cases[] = {
      {"A\u4E2DB", 1},              // a character the font lacks
      {"A\U0001F600B", 1},          // four bytes, one character
      {"A\x01" "B", 1},             // a control character
      {"A\xFF" "B", 1},             // never a UTF-8 byte
      {"A\x80" "B", 1},             // a continuation byte on its own
      {"A\xE2\x82" "B", 2},         // a sequence cut short
      {"A\xC0\xAF" "B", 2},         // an overlong form
      {"A\xED\xA0\x80" "B", 3},     // a surrogate
      {"A\xF4\x90\x80\x80" "B", 4}, // past U+10FFFF
      {"AB\xF0\x9F\x98", 3},        // cut short at the end
  };
  for (const Case& c : cases) {
    const StrokedText text = StrokeText(c.text, style);
    EXPECT_EQ(text.undrawable, c.undrawable) << c.text;
    ASSERT_EQ(text.strokes.size(), plain.strokes.size()) << c.text;
    for (size_t i = 0; i < plain.strokes.size(); ++i) {
      EXPECT_EQ(text.strokes[i].back().x, plain.strokes[i].back().x) << c.text;
    }
  }
  const StrokedText empty = StrokeText("\n", style);
  EXPECT_TRUE(empty.strokes.empty());
  EXPECT_EQ(empty.undrawable, 0);
}

}  // namespace
}  // namespace kelpie::host::kicad
