// One features file read back: a layer's graphics, a step profile or a
// user symbol. The records stay in file order, which is both the order of
// the feature indices that the EDA data quotes and the order in which they
// are to be drawn (a negative feature clears what was drawn before it).
#ifndef KELPIE_READER_FEATURES_FILE_H
#define KELPIE_READER_FEATURES_FILE_H

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelpie::reader {

struct Point {
  double x = 0;
  double y = 0;
};

enum class Polarity { kPositive, kNegative };

// A piece of a contour from the previous point to `end`: straight ("OS"),
// or a circular arc ("OC") about `center`.
struct Segment {
  Point end;
  bool arc = false;
  Point center;
  bool clockwise = false;
};

// One closed contour: "OB x y I|H", then "OS"/"OC" records, then "OE".
// An island adds area, a hole takes it away again.
struct Contour {
  int line = 0;  // of "OB"
  bool island = true;
  Point start;
  std::vector<Segment> segments;
};

// A numbered table entry: "$3 r10", "@0 .geometry", "&1 smd".
struct TableEntry {
  int line = 0;
  int number = 0;
  std::string name;  // attribute names keep their leading point
};

// "n" or "n=value" after the ";" of a record: attribute number n of the
// "@" table; for a text attribute the value is a number of the "&" table.
// The value's text lies in Features::attributeText (Features::Value).
struct FeatureAttribute {
  int number = 0;
  int valueStart = 0;
  int valueLength = -1;  // -1: no "=value"
};

enum class FeatureKind : unsigned char { kPad, kLine, kArc, kSurface };

// "pad", "line", "arc" or "surface".
const char* FeatureKindName(FeatureKind kind);

// A range of one of the pools of a Features (its contours or its
// attributes); the pools keep a pad record free of allocations of its own.
struct PoolRange {
  int first = 0;
  int count = 0;
};

struct Feature {
  FeatureKind kind = FeatureKind::kPad;
  Polarity polarity = Polarity::kPositive;
  bool clockwise = false;  // arc
  // Pads: the symbol is mirrored in x (x becomes -x) when `mirrored`, then
  // turned clockwise by `rotation` degrees, as ODB++ turns.
  bool mirrored = false;
  int line = 0;  // of the record ("S" for a surface)
  int dcode = 0;
  // Pads, lines and arcs: number of the symbol in the "$" table, which
  // draws the pad or strokes the line or arc (Features::Symbol).
  int symbol = -1;
  Point start;   // pad: its position; line, arc: the start
  Point end;     // line, arc
  Point center;  // arc
  double rotation = 0;
  PoolRange contours;    // surface: islands and holes, in order (Features::ContoursOf)
  PoolRange attributes;  // Features::AttributesOf
};

// The entry of a table with this number, or null. Tables are numbered
// 0, 1, ... in order; the reader keeps the numbers rising when a file
// skips some, and such a table is still searched.
const TableEntry* FindEntry(const std::vector<TableEntry>& table, int number);

struct Features {
  std::string path;
  bool millimetres = false;  // a unit line said MM (coordinates converted)
  std::vector<TableEntry> symbols;     // "$"
  std::vector<TableEntry> attributes;  // "@"
  std::vector<TableEntry> texts;       // "&"
  std::vector<Feature> features;       // index = feature index
  // Pools that the features' ranges point into.
  std::vector<Contour> contourPool;
  std::vector<FeatureAttribute> attributePool;
  std::string attributeText;

  // The symbol's name, or an empty text when the number is not in the table.
  const std::string& SymbolName(int number) const;
  const TableEntry* Symbol(int number) const { return FindEntry(symbols, number); }
  const TableEntry* Attribute(int number) const { return FindEntry(attributes, number); }
  const TableEntry* Text(int number) const { return FindEntry(texts, number); }
  std::span<const Contour> ContoursOf(const Feature& feature) const;
  std::span<const FeatureAttribute> AttributesOf(const Feature& feature) const;
  std::string_view Value(const FeatureAttribute& attribute) const;
};

}  // namespace kelpie::reader

#endif  // KELPIE_READER_FEATURES_FILE_H
