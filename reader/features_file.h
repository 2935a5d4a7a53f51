// One features file read back: a layer's graphics, a step profile or a
// user symbol. The records stay in file order, which is both the order of
// the feature indices that the EDA data quotes and the order in which they
// are to be drawn (a negative feature clears what was drawn before it).
#ifndef KELPIE_READER_FEATURES_FILE_H
#define KELPIE_READER_FEATURES_FILE_H

#include <span>
#include <string>
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
struct FeatureAttribute {
  int number = 0;
  std::string value;
  bool hasValue = false;
};

enum class FeatureKind { kPad, kLine, kArc, kSurface };

struct Feature {
  FeatureKind kind = FeatureKind::kPad;
  int line = 0;  // of the record ("S" for a surface)
  Polarity polarity = Polarity::kPositive;
  int dcode = 0;
  // Pads, lines and arcs: number of the symbol in the "$" table, which
  // draws the pad or strokes the line or arc.
  int symbol = -1;
  Point start;   // pad: its position; line, arc: the start
  Point end;     // line, arc
  Point center;  // arc
  bool clockwise = false;  // arc
  // Pads: the symbol is mirrored in x (x becomes -x) when `mirrored`, then
  // turned clockwise by `rotation` degrees, as ODB++ turns.
  double rotation = 0;
  bool mirrored = false;
  std::vector<Contour> contours;  // surface: islands and holes, in order
  // The record's attributes: Features::attributeValues from `firstAttribute`
  // on, `attributeCount` of them (one pool per file keeps a pad record
  // free of allocations of its own).
  int firstAttribute = 0;
  int attributeCount = 0;
};

// The entry of a table with this number, or null. Tables are numbered
// 0, 1, ... in order; a file that breaks the order is still searched.
const TableEntry* FindEntry(const std::vector<TableEntry>& table, int number);

struct Features {
  std::string path;
  bool millimetres = false;  // a unit line said MM (coordinates converted)
  std::vector<TableEntry> symbols;     // "$"
  std::vector<TableEntry> attributes;  // "@"
  std::vector<TableEntry> texts;       // "&"
  std::vector<Feature> features;       // index = feature index
  std::vector<FeatureAttribute> attributeValues;  // see Feature::firstAttribute

  // The symbol's name, or an empty text when the number is not in the table.
  const std::string& SymbolName(int number) const;
  const TableEntry* Symbol(int number) const { return FindEntry(symbols, number); }
  const TableEntry* Attribute(int number) const { return FindEntry(attributes, number); }
  const TableEntry* Text(int number) const { return FindEntry(texts, number); }
  std::span<const FeatureAttribute> AttributesOf(const Feature& feature) const;
};

}  // namespace kelpie::reader

#endif  // KELPIE_READER_FEATURES_FILE_H
