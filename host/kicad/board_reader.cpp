// The reader walks the parsed document once. Every list is recognised by
// its head word; what it does not know it passes by whole. Differences
// between file versions are settled here, so that the Board looks the same
// whichever KiCad wrote it:
//  - footprints are (module ...) up to KiCad 5 and (footprint ...) after;
//    reference and value are (fp_text reference ...) texts up to KiCad 7 and
//    (property "Reference" ...) fields after;
//  - arcs are centre, start and sweep up to KiCad 5 and start, middle and
//    end after;
//  - strokes are (width ...) up to KiCad 6 and (stroke (width ...)) after;
//    flags are bare words (hide, bold) up to KiCad 7 and (hide yes) after;
//  - items name their net by number up to KiCad 9 and by name after.
#include "board_reader.h"

#include <charconv>
#include <cmath>
#include <unordered_map>

#include "geometry.h"

namespace kelpie::host::kicad {

namespace {

constexpr double kMaxLength = 100000;  // mm: 100 m, far beyond any board
constexpr double kMaxAngle = 1e6;      // degrees

struct ReadFailure {
  std::uint32_t offset;
  std::string expected;
};

[[noreturn]] void Fail(Expr at, std::string expected) { throw ReadFailure{at.offset(), std::move(expected)}; }

// How a value looks in a message: its text in quotes, or (head ...).
std::string Shown(Expr e) {
  if (e.IsList()) return "(" + std::string(e.Head()) + " ...)";
  std::string text(e.Text().substr(0, 40));
  if (e.Text().size() > 40) text += "...";
  return "\"" + text + "\"";
}

std::string Limit(double limit) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", limit);
  return text;
}

// Reads a decimal number. KiCad writes plain ones ("-12.7"): with at most
// 15 digits their digits divided by a power of ten is the correctly rounded
// value, the same that from_chars gives; anything else goes to from_chars.
constexpr double kPowersOfTen[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// Reads a plain decimal ("-12.345", at most 15 digits) at p: the digits
// divided by a power of ten is then the correctly rounded value, the one that
// from_chars gives. p is moved past it; false for anything else.
inline bool PlainDecimal(const char*& p, const char* end, double& value) {
  const char* q = p;
  const bool negative = q < end && *q == '-';
  q += negative;
  std::uint64_t digits = 0;
  const char* const first = q;
  while (q < end && static_cast<unsigned>(*q - '0') < 10) digits = digits * 10 + static_cast<unsigned>(*q++ - '0');
  const char* const point = q;
  if (q < end && *q == '.') {
    ++q;
    while (q < end && static_cast<unsigned>(*q - '0') < 10) digits = digits * 10 + static_cast<unsigned>(*q++ - '0');
  }
  const long decimals = q > point ? q - point - 1 : 0;
  const long count = (point - first) + decimals;
  if (count == 0 || count > 15) return false;
  value = static_cast<double>(digits) / kPowersOfTen[decimals];
  if (negative) value = -value;
  p = q;
  return true;
}

// Reads a number: KiCad writes plain decimals; anything else goes to
// from_chars.
inline bool ParseNumber(std::string_view text, double& value) {
  const char* p = text.data();
  const char* const end = p + text.size();
  if (PlainDecimal(p, end, value) && p == end) return true;
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && stop == end;
}

double Number(Expr e, double limit) {
  double value = 0;
  if (!e.IsAtom() || !ParseNumber(e.Text(), value) || !std::isfinite(value)) Fail(e, "a number, found " + Shown(e));
  if (std::fabs(value) > limit) Fail(e, "a number from -" + Limit(limit) + " to " + Limit(limit) + ", found " + Shown(e));
  return value;
}

bool IsNumber(Expr e) {
  double value = 0;
  return e.IsAtom() && ParseNumber(e.Text(), value);
}

// An argument of a list: the element at position i (the head is 0).
Expr Arg(Expr list, std::size_t i, const char* what) {
  Expr child = list;
  if (!list.Get(i, child)) Fail(list, std::string(what) + " in (" + std::string(list.Head()) + " ...)");
  return child;
}

// The text as UTF-8: a byte that does not belong to a UTF-8 sequence is
// taken as the Latin-1 character it would be (files of older tools).
std::string ValidUtf8(std::string_view text) {
  std::string valid;
  valid.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const int length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    bool whole = length > 0 && i + length <= text.size();
    for (int k = 1; whole && k < length; ++k) whole = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    // Overlong forms, surrogates and code points past U+10FFFF are no UTF-8 either.
    if (whole && length > 1) {
      const auto next = static_cast<unsigned char>(text[i + 1]);
      whole = !(c == 0xC0 || c == 0xC1 || (c == 0xE0 && next < 0xA0) || (c == 0xED && next >= 0xA0) ||
                (c == 0xF0 && next < 0x90) || (c == 0xF4 && next >= 0x90) || c > 0xF4);
    }
    if (whole) {
      valid.append(text.substr(i, length));
      i += length;
    } else {
      valid += static_cast<char>(0xC0 | c >> 6);
      valid += static_cast<char>(0x80 | (c & 0x3F));
      ++i;
    }
  }
  return valid;
}

// A word or a string (KiCad 5 leaves simple strings unquoted), as UTF-8.
std::string Word(Expr e) {
  if (e.IsList()) Fail(e, "a word or a string, found " + Shown(e));
  const std::string_view text = e.Text();
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return ValidUtf8(text);
  return std::string(text);
}

double Length(Expr list, std::size_t i, const char* what) { return Number(Arg(list, i, what), kMaxLength); }

double Size(Expr list, std::size_t i, const char* what) {
  const Expr e = Arg(list, i, what);
  const double value = Number(e, kMaxLength);
  if (value < 0) Fail(e, "a size of at least 0, found " + Shown(e));
  return value;
}

// (head x y ...): the two numbers after the head, read in one walk.
Vec Point(Expr list) {
  auto it = list.begin();
  const auto end = list.end();
  auto next = [&]() {
    if (it == end || ++it == end) Fail(list, "an x and a y coordinate in (" + std::string(list.Head()) + " ...)");
    return *it;
  };
  const Expr x = next();
  const Expr y = next();
  return {Number(x, kMaxLength), Number(y, kMaxLength)};
}

// (at x y [angle]): the angle, when given, goes to angle.
Vec Position(Expr list, double& angle) {
  const Vec at = Point(list);
  if (list.Has(3) && IsNumber(list.At(3))) angle = Number(list.At(3), kMaxAngle);
  return at;
}

// (hide), (hide yes), (hide no) and the like; a bare flag word counts as yes.
bool Flag(Expr list) {
  if (!list.Has(1)) return true;
  const Expr value = list.At(1);
  return value.IsList() || value.Text() != "no";
}

// Reads the content of a (pts ...) list, "(xy x y) (arc (start x y)
// (mid x y) (end x y)) ...", straight from the text: point lists are most of
// a large board. Arcs become polylines; unknown kinds of point are skipped.
class PointScanner {
 public:
  PointScanner(std::string_view text, std::uint32_t offset)
      : begin_(text.data()), at_(text.data()), end_(text.data() + text.size()), base_(offset) {}

  // The points up to the ')' that closes the list; consumed() tells how far
  // that is.
  std::vector<Vec> Read() {
    std::vector<Vec> points;
    while (Blanks() && *at_ != ')') {
      Expect('(');
      const std::string_view kind = Word();
      if (kind == "xy") {
        points.push_back(Xy());
        Expect(')');
      } else if (kind == "arc") {
        ReadArc(points);
      } else {
        SkipList();
      }
    }
    return points;
  }

  std::size_t consumed() const { return static_cast<std::size_t>(at_ - begin_); }

 private:
  [[noreturn]] void Fail(const char* at, std::string expected) const {
    throw ReadFailure{static_cast<std::uint32_t>(base_ + (at - begin_)), std::move(expected)};
  }

  // Skips blanks; false at the end of the text.
  bool Blanks() {
    while (at_ < end_ && ClassOf(*at_) == kBlankChar) ++at_;
    return at_ < end_;
  }

  void Expect(char c) {
    if (!Blanks() || *at_ != c) Fail(at_, std::string("'") + c + "'");
    ++at_;
  }

  std::string_view Word() {
    Blanks();
    const char* const start = at_;
    while (at_ < end_ && ClassOf(*at_) == kWordChar) ++at_;
    return {start, static_cast<std::size_t>(at_ - start)};
  }

  // Plain decimals ("-12.345") are read as they are scanned; anything else
  // is read as a word.
  double Coordinate() {
    Blanks();
    const char* const start = at_;
    const char* p = at_;
    double plain = 0;
    if (PlainDecimal(p, end_, plain) && (p == end_ || ClassOf(*p) != kWordChar) && std::fabs(plain) <= kMaxLength) {
      at_ = p;
      return plain;
    }
    const std::string_view word = Word();
    double value = 0;
    if (word.empty() || !ParseNumber(word, value) || !std::isfinite(value) || std::fabs(value) > kMaxLength)
      Fail(start, "a coordinate from -" + Limit(kMaxLength) + " to " + Limit(kMaxLength) + ", found \"" +
                      std::string(word.substr(0, 40)) + "\"");
    return value;
  }

  Vec Xy() {
    const double x = Coordinate();
    return {x, Coordinate()};
  }

  // (arc (start x y) (mid x y) (end x y)) after its head.
  void ReadArc(std::vector<Vec>& points) {
    Vec start, mid, end;
    for (int i = 0; i < 3; ++i) {
      Expect('(');
      Blanks();
      const char* const at = at_;
      const std::string_view which = Word();
      const Vec point = Xy();
      Expect(')');
      if (which == "start") start = point;
      else if (which == "mid") mid = point;
      else if (which == "end") end = point;
      else Fail(at, "(start ...), (mid ...) or (end ...) in the arc");
    }
    Expect(')');
    const bool continues = !points.empty() && Distance(points.back(), start) < 1e-9;
    Arc arc;
    if (ArcThrough(start, mid, end, arc)) {
      AppendArc(arc, !continues, points);
    } else {
      if (!continues) points.push_back(start);
      points.push_back(end);
    }
  }

  // The rest of a list whose '(' and head were read, strings and all.
  void SkipList() {
    for (std::size_t depth = 1; depth > 0 && at_ < end_; ++at_) {
      if (*at_ == '"') {
        while (++at_ < end_ && *at_ != '"') at_ += *at_ == '\\';
      } else if (*at_ == '(' && ++depth > kMaxPointDepth) {
        Fail(at_, "at most " + std::to_string(kMaxPointDepth) + " lists nested in a point list");
      } else if (*at_ == ')') {
        --depth;
      }
    }
  }

  static constexpr std::size_t kMaxPointDepth = 50;

  const char* begin_;
  const char* at_;
  const char* end_;
  std::uint32_t base_;
};

// The point lists of a board by the offset of their '(' in the text.
using PointLists = std::unordered_map<std::uint32_t, std::vector<Vec>>;

class Reader {
 public:
  Reader(Board& board, PointLists& points) : board_(board), points_(&points) {}

  void Read(Expr root) {
    if (!root.IsList() || root.Head() != "kicad_pcb") Fail(root, "(kicad_pcb at the start of a KiCad board");
    // Nets first, so that items may name any of them; and room for the
    // items, so that the lists are not copied while they grow.
    size_t tracks = 0, vias = 0, footprints = 0;
    for (const Expr item : root) {
      const std::string_view head = item.Head();
      if (head == "net") DeclareNet(item);
      tracks += head == "segment" || head == "arc";
      vias += head == "via";
      footprints += head == "footprint" || head == "module";
    }
    board_.tracks.reserve(tracks);
    board_.vias.reserve(vias);
    board_.footprints.reserve(footprints);
    bool versioned = false;
    for (const Expr item : root) {
      if (!item.IsList()) continue;
      const std::string_view head = item.Head();
      if (head == "version") {
        ReadVersion(item);
        versioned = true;
      } else if (head == "general") {
        Expr thickness = item;
        if (item.Find("thickness", thickness)) board_.thickness = Size(thickness, 1, "the board thickness");
      } else if (head == "title_block") {
        ReadTitleBlock(item);
      } else if (head == "layers") {
        ReadLayers(item);
      } else if (head == "setup") {
        ReadSetup(item);
      } else if (head == "footprint" || head == "module") {
        ReadFootprint(item);
      } else if (IsShape(head, "gr_")) {
        board_.shapes.push_back(ReadShape(item, head.substr(3)));
      } else if (head == "gr_text") {
        board_.texts.push_back(ReadText(item, 1, false));
      } else if (head == "segment" || head == "arc") {
        board_.tracks.push_back(ReadTrack(item));
      } else if (head == "via") {
        board_.vias.push_back(ReadVia(item));
      } else if (head == "zone") {
        board_.zones.push_back(ReadZone(item));
      } else if (!IgnoredItem(head) && !IsStructure(head)) {
        ++board_.unknown[std::string(head)];
      }
    }
    if (!versioned) Fail(root, "(version ...) in the board");
  }

  std::vector<std::string> warnings;

 private:
  static bool IsShape(std::string_view head, std::string_view prefix) {
    if (head.substr(0, prefix.size()) != prefix) return false;
    const std::string_view kind = head.substr(prefix.size());
    return kind == "line" || kind == "arc" || kind == "circle" || kind == "rect" || kind == "poly" || kind == "curve";
  }

  // Items with no counterpart in an export; counted for the summary.
  bool IgnoredItem(std::string_view head) {
    static const std::unordered_map<std::string_view, const char*> kinds = {
        {"dimension", "dimension"}, {"target", "target"},     {"image", "image"},
        {"gr_text_box", "text box"}, {"fp_text_box", "text box"}, {"table", "table"},
        {"gr_bbox", "bounding box"}, {"gr_vector", "vector"}, {"barcode", "barcode"}};
    const auto found = kinds.find(head);
    if (found == kinds.end()) return false;
    ++board_.ignored[found->second];
    return true;
  }

  // Lists that describe the file rather than items of the board.
  static bool IsStructure(std::string_view head) {
    static const char* const heads[] = {"generator", "generator_version", "host",    "paper",
                                        "page",      "net",               "net_class", "property",
                                        "group",     "generated",         "embedded_files", "embedded_fonts",
                                        "uuid",      "tstamp",            "teardrops", "legacy_teardrops"};
    for (const char* known : heads)
      if (head == known) return true;
    return false;
  }

  void ReadVersion(Expr item) {
    const Expr value = Arg(item, 1, "the file version");
    long version = 0;
    const std::string_view text = value.Text();
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), version);
    if (!value.IsAtom() || error != std::errc() || end != text.data() + text.size())
      Fail(value, "a file version (a date like 20211014), found " + Shown(value));
    if (version < kOldestVersion)
      Fail(value, "a board of KiCad 5.1 or later (version " + std::to_string(kOldestVersion) +
                      " or higher), found version " + std::to_string(version));
    if (version > kNewestKnownVersion)
      warnings.push_back("the file version " + std::to_string(version) +
                         " is newer than the versions known (up to KiCad 9); what is known is read");
    board_.version = version;
  }

  void ReadTitleBlock(Expr block) {
    for (const Expr field : block) {
      if (!field.IsList()) continue;
      if (field.Head() == "company") board_.company = Word(Arg(field, 1, "the company"));
      if (field.Head() != "comment") continue;
      const Expr number = Arg(field, 1, "the comment's number");
      const double n = Number(number, 1000);
      if (n < 1 || n > 9 || n != std::floor(n)) Fail(number, "a comment number from 1 to 9, found " + Shown(number));
      const size_t index = static_cast<size_t>(n) - 1;
      if (board_.comments.size() <= index) board_.comments.resize(index + 1);
      board_.comments[index] = Word(Arg(field, 2, "the comment's text"));
    }
  }

  void ReadLayers(Expr section) {
    for (const Expr layer : section) {
      if (!layer.IsList()) continue;
      board_.layers.push_back({Word(Arg(layer, 1, "the layer's name")), Word(Arg(layer, 2, "the layer's type"))});
    }
  }

  void ReadSetup(Expr setup) {
    for (const Expr item : setup) {
      if (!item.IsList()) continue;
      const std::string_view head = item.Head();
      if (head == "pad_to_mask_clearance") board_.maskMargin = Length(item, 1, "the mask clearance");
      if (head == "pad_to_paste_clearance") board_.pasteMargin = Length(item, 1, "the paste clearance");
      if (head == "pad_to_paste_clearance_ratio") board_.pasteRatio = Number(Arg(item, 1, "the paste ratio"), 1);
    }
  }

  void DeclareNet(Expr item) {
    const Expr number = Arg(item, 1, "the net's number");
    const Expr name = Arg(item, 2, "the net's name");
    const double value = Number(number, 1e9);
    if (value < 0 || value != std::floor(value)) Fail(number, "a net number of 0 or more, found " + Shown(number));
    const std::string text = Word(name);
    if (text.empty()) return;  // net 0, "no net"
    netByNumber_[static_cast<long>(value)] = NetNamed(text);
  }

  int NetNamed(const std::string& name) {
    const auto [it, added] = netByName_.emplace(name, static_cast<int>(board_.nets.size()));
    if (added) board_.nets.push_back(name);
    return it->second;
  }

  // (net 3), (net 3 "GND") or (net "GND"); -1 for no net.
  int NetReference(Expr item) {
    const Expr first = Arg(item, 1, "the net");
    if (first.IsAtom() && IsNumber(first)) {
      const double number = Number(first, 1e9);
      if (number == 0) return -1;
      const auto found = netByNumber_.find(static_cast<long>(number));
      if (number != std::floor(number) || found == netByNumber_.end())
        Fail(first, "a net that the board declares, found net " + Shown(first));
      return found->second;
    }
    const std::string name = Word(first);
    return name.empty() ? -1 : NetNamed(name);
  }

  // A drawn shape; kind is what follows "gr_" or "fp_".
  Shape ReadShape(Expr item, std::string_view kind) {
    Shape shape;
    shape.where = item.offset();
    Vec start, mid, end, center;
    bool hasMid = false, hasCenter = false, hasFill = false;
    double sweep = 0;
    bool hasSweep = false;
    for (const Expr field : item) {
      if (!field.IsList()) continue;
      const std::string_view head = field.Head();
      if (head == "start") {
        start = Point(field);
      } else if (head == "end") {
        end = Point(field);
      } else if (head == "mid") {
        mid = Point(field);
        hasMid = true;
      } else if (head == "center") {
        center = Point(field);
        hasCenter = true;
      } else if (head == "angle") {
        sweep = Number(Arg(field, 1, "the arc's angle"), kMaxAngle);
        hasSweep = true;
      } else if (head == "pts") {
        shape.points = ReadPoints(field);
      } else if (head == "layer") {
        shape.layer = Word(Arg(field, 1, "the layer"));
      } else if (head == "width") {
        shape.width = Size(field, 1, "the line width");
      } else if (head == "stroke") {
        shape.width = StrokeWidth(field);
      } else if (head == "fill") {
        shape.filled = FillFlag(field);
        hasFill = true;
      }
    }
    if (kind == "line") {
      shape.kind = Shape::kLine;
    } else if (kind == "rect") {
      shape.kind = Shape::kRect;
    } else if (kind == "circle") {
      shape.kind = Shape::kCircle;
      if (!hasCenter) Fail(item, "(center ...) in the circle");
      shape.center = center;
      shape.radius = Distance(center, end);
    } else if (kind == "arc") {
      shape.kind = Shape::kArc;
      if (!hasMid) {
        // KiCad 5: (start centre) (end first point) (angle sweep), the sweep
        // turning clockwise on screen, which is counter-clockwise in the
        // file's axes (y down).
        if (!hasSweep) Fail(item, "(mid ...) or (angle ...) in the arc");
        const Vec from = end - start;
        mid = start + Rotate(from, sweep / 2);
        end = start + Rotate(from, sweep);
        start = start + from;
      }
    } else if (kind == "poly") {
      shape.kind = Shape::kPolygon;
      if (!hasFill) shape.filled = true;  // KiCad 5 polygons are always filled
    } else {
      shape.kind = Shape::kBezier;
      if (shape.points.size() != 4) Fail(item, "four control points in (pts ...) of the curve");
      start = shape.points.front();
      end = shape.points.back();
    }
    shape.start = start;
    shape.mid = mid;
    shape.end = end;
    return shape;
  }

  static double StrokeWidth(Expr stroke) {
    Expr width = stroke;
    return stroke.Find("width", width) ? Size(width, 1, "the line width") : 0;
  }

  static bool FillFlag(Expr fill) {
    if (!fill.Has(1)) return true;
    const Expr value = fill.At(1);
    if (value.IsList())  // (fill (type ...)) of text boxes
      return value.Head() == "type" && value.Has(1) && value.At(1).Text() != "none";
    return value.Text() == "solid" || value.Text() == "yes";
  }

  // (pts ...): the points were read while the document was parsed.
  std::vector<Vec> ReadPoints(Expr pts) {
    const auto found = points_->find(pts.offset());
    return found == points_->end() ? std::vector<Vec>{} : std::move(found->second);
  }

  // fp_text and gr_text: the text is the element at textIndex.
  TextItem ReadText(Expr item, std::size_t textIndex, bool inFootprint) {
    TextItem text;
    text.text = Word(Arg(item, textIndex, "the text"));
    text.keepUpright = inFootprint;
    for (const Expr field : item) {
      if (field.IsAtom() && field.Text() == "hide") text.hidden = true;
      if (!field.IsList()) continue;
      const std::string_view head = field.Head();
      if (head == "at") {
        text.at = Position(field, text.angle);
        for (const Expr word : field)
          if (word.IsAtom() && word.Text() == "unlocked") text.keepUpright = false;
      } else if (head == "unlocked") {
        text.keepUpright = !Flag(field);
      } else if (head == "hide") {
        text.hidden = Flag(field);
      } else if (head == "layer") {
        text.layer = Word(Arg(field, 1, "the layer"));
      } else if (head == "effects") {
        ReadEffects(field, text);
      }
    }
    return text;
  }

  static void ReadEffects(Expr effects, TextItem& text) {
    for (const Expr field : effects) {
      if (field.IsAtom() && field.Text() == "hide") text.hidden = true;
      if (!field.IsList()) continue;
      const std::string_view head = field.Head();
      if (head == "hide") text.hidden = Flag(field);
      if (head == "justify") {
        for (const Expr word : field) {
          const std::string_view w = word.Text();
          if (w == "left") text.horizontal = -1;
          if (w == "right") text.horizontal = 1;
          if (w == "top") text.vertical = -1;
          if (w == "bottom") text.vertical = 1;
          if (w == "mirror") text.mirrored = true;
        }
      }
      if (head != "font") continue;
      for (const Expr font : field) {
        if (font.IsAtom() && font.Text() == "bold") text.bold = true;
        if (font.IsAtom() && font.Text() == "italic") text.italic = true;
        if (!font.IsList()) continue;
        if (font.Head() == "size") {
          text.height = Size(font, 1, "the text height");
          text.width = Size(font, 2, "the text width");
        }
        if (font.Head() == "thickness") text.thickness = Size(font, 1, "the stroke thickness");
        if (font.Head() == "bold") text.bold = Flag(font);
        if (font.Head() == "italic") text.italic = Flag(font);
      }
    }
  }

  void ReadFootprint(Expr item) {
    Footprint footprint;
    footprint.where = item.offset();
    footprint.name = Word(Arg(item, 1, "the footprint's name"));
    for (const Expr field : item) {
      if (!field.IsList()) continue;
      const std::string_view head = field.Head();
      if (head == "layer") {
        footprint.layer = Word(Arg(field, 1, "the footprint's layer"));
      } else if (head == "at") {
        footprint.at = Position(field, footprint.angle);
      } else if (head == "property") {
        ReadProperty(field, footprint);
      } else if (head == "fp_text") {
        const std::string kind = Word(Arg(field, 1, "the text's kind"));
        footprint.texts.push_back(ReadText(field, 2, true));
        if (kind == "reference") footprint.reference = footprint.texts.back().text;
        if (kind == "value") footprint.value = footprint.texts.back().text;
      } else if (IsShape(head, "fp_")) {
        footprint.shapes.push_back(ReadShape(field, head.substr(3)));
      } else if (head == "pad") {
        footprint.pads.push_back(ReadPad(field));
      } else if (head == "zone") {
        board_.zones.push_back(ReadZone(field));
      } else if (head == "solder_mask_margin") {
        footprint.maskMargin = Length(field, 1, "the mask margin");
      } else if (head == "solder_paste_margin") {
        footprint.pasteMargin = Length(field, 1, "the paste margin");
      } else if (head == "solder_paste_ratio" || head == "solder_paste_margin_ratio") {
        footprint.pasteRatio = Number(Arg(field, 1, "the paste ratio"), 1);
      } else {
        IgnoredItem(head);
      }
    }
    board_.footprints.push_back(std::move(footprint));
  }

  // (property "Key" "Value"), which KiCad 8 and later draw as a text when it
  // has a position and a layer.
  void ReadProperty(Expr field, Footprint& footprint) {
    const std::string key = Word(Arg(field, 1, "the property's name"));
    const std::string value = field.Has(2) && !field.At(2).IsList() ? std::string(field.At(2).Text()) : "";
    footprint.properties[key] = value;
    if (key == "Reference") footprint.reference = value;
    if (key == "Value") footprint.value = value;
    Expr at = field, layer = field;
    if (field.Find("at", at) && field.Find("layer", layer)) footprint.texts.push_back(ReadText(field, 2, true));
  }

  Pad ReadPad(Expr item) {
    Pad pad;
    pad.where = item.offset();
    pad.number = Word(Arg(item, 1, "the pad's number"));
    const Expr type = Arg(item, 2, "the pad's type");
    const std::string_view typeName = type.Text();
    if (typeName == "smd") pad.type = Pad::kSmd;
    else if (typeName == "thru_hole") pad.type = Pad::kThroughHole;
    else if (typeName == "np_thru_hole") pad.type = Pad::kNptHole;
    else if (typeName == "connect") pad.type = Pad::kConnect;
    else Fail(type, "a pad type (smd, thru_hole, np_thru_hole or connect), found " + Shown(type));
    const Expr form = Arg(item, 3, "the pad's shape");
    const std::string_view formName = form.Text();
    if (formName == "circle") pad.form = Pad::kCircle;
    else if (formName == "rect") pad.form = Pad::kRect;
    else if (formName == "oval") pad.form = Pad::kOval;
    else if (formName == "trapezoid") pad.form = Pad::kTrapezoid;
    else if (formName == "roundrect") pad.form = Pad::kRoundRect;
    else if (formName == "custom") pad.form = Pad::kCustom;
    else Fail(form, "a pad shape (circle, rect, oval, trapezoid, roundrect or custom), found " + Shown(form));
    for (const Expr field : item) {
      if (!field.IsList()) continue;
      const std::string_view head = field.Head();
      if (head == "at") {
        pad.at = Position(field, pad.angle);
      } else if (head == "size") {
        pad.size = {Size(field, 1, "the pad's width"), Size(field, 2, "the pad's height")};
      } else if (head == "rect_delta") {
        pad.delta = Point(field);
      } else if (head == "drill") {
        ReadDrill(field, pad);
      } else if (head == "layers") {
        for (const Expr layer : field)
          if (!layer.IsList() && layer.Text() != "layers") pad.layers.push_back(std::string(layer.Text()));
      } else if (head == "net") {
        pad.net = NetReference(field);
      } else if (head == "roundrect_rratio") {
        pad.roundRatio = Number(Arg(field, 1, "the corner ratio"), 1);
      } else if (head == "chamfer_ratio") {
        pad.chamferRatio = Number(Arg(field, 1, "the chamfer ratio"), 1);
      } else if (head == "chamfer") {
        for (const Expr corner : field) {
          const std::string_view c = corner.Text();
          if (c == "top_left") pad.chamferCorners |= 1;
          if (c == "top_right") pad.chamferCorners |= 2;
          if (c == "bottom_left") pad.chamferCorners |= 4;
          if (c == "bottom_right") pad.chamferCorners |= 8;
        }
      } else if (head == "solder_mask_margin") {
        pad.maskMargin = Length(field, 1, "the mask margin");
      } else if (head == "solder_paste_margin") {
        pad.pasteMargin = Length(field, 1, "the paste margin");
      } else if (head == "solder_paste_margin_ratio") {
        pad.pasteRatio = Number(Arg(field, 1, "the paste ratio"), 1);
      } else if (head == "options") {
        Expr anchor = field;
        if (field.Find("anchor", anchor)) pad.customCircleAnchor = Word(Arg(anchor, 1, "the anchor")) == "circle";
      } else if (head == "primitives") {
        for (const Expr primitive : field)
          if (primitive.IsList() && IsShape(primitive.Head(), "gr_"))
            pad.primitives.push_back(ReadShape(primitive, primitive.Head().substr(3)));
      } else if (head == "property") {
        for (const Expr word : field) {
          const std::string_view w = word.Text();
          if (w == "pad_prop_fiducial_glob" || w == "pad_prop_fiducial_loc") pad.fiducial = true;
        }
      }
    }
    return pad;
  }

  // (drill [oval] [W [H]] [(offset x y)]).
  static void ReadDrill(Expr field, Pad& pad) {
    bool oval = false;
    std::vector<double> sizes;
    bool first = true;
    for (const Expr part : field) {
      if (first) {  // the head
        first = false;
        continue;
      }
      if (part.IsList()) {
        if (part.Head() == "offset") pad.drillOffset = Point(part);
      } else if (part.Text() == "oval") {
        oval = true;
      } else {
        const double size = Number(part, kMaxLength);
        if (size < 0) Fail(part, "a hole size of at least 0, found " + Shown(part));
        sizes.push_back(size);
      }
    }
    if (sizes.empty()) return;
    pad.drill.x = sizes[0];
    pad.drill.y = oval && sizes.size() > 1 ? sizes[1] : sizes[0];
  }

  Track ReadTrack(Expr item) {
    Track track;
    track.isArc = item.Head() == "arc";
    bool hasMid = false;
    for (const Expr field : item) {
      if (!field.IsList()) continue;
      const std::string_view head = field.Head();
      if (head == "start") track.start = Point(field);
      if (head == "mid") {
        track.mid = Point(field);
        hasMid = true;
      }
      if (head == "end") track.end = Point(field);
      if (head == "width") track.width = Size(field, 1, "the track width");
      if (head == "layer") track.layer = Word(Arg(field, 1, "the layer"));
      if (head == "net") track.net = NetReference(field);
    }
    if (track.isArc && !hasMid) Fail(item, "(mid ...) in the arc track");
    return track;
  }

  Via ReadVia(Expr item) {
    Via via;
    for (const Expr field : item) {
      if (field.IsAtom()) {
        if (field.Text() == "blind" || field.Text() == "buried") via.type = Via::kBlindOrBuried;
        if (field.Text() == "micro") via.type = Via::kMicro;
        continue;
      }
      const std::string_view head = field.Head();
      if (head == "at") via.at = Point(field);
      if (head == "size") via.size = Size(field, 1, "the via's size");
      if (head == "drill") via.drill = Size(field, 1, "the via's hole size");
      if (head == "net") via.net = NetReference(field);
      if (head == "layers") {
        via.from = Word(Arg(field, 1, "the via's first layer"));
        via.to = Word(Arg(field, 2, "the via's last layer"));
      }
    }
    return via;
  }

  Zone ReadZone(Expr item) {
    Zone zone;
    bool netByNumber = false;
    for (const Expr field : item) {
      if (!field.IsList()) continue;
      const std::string_view head = field.Head();
      if (head == "net") {
        zone.net = NetReference(field);
        netByNumber = true;
      } else if (head == "net_name" && !netByNumber) {
        const std::string name = field.Has(1) ? Word(field.At(1)) : "";
        zone.net = name.empty() ? -1 : NetNamed(name);
      } else if (head == "layer" || head == "layers") {
        for (const Expr layer : field)
          if (!layer.IsList() && layer.Text() != head) zone.layers.push_back(std::string(layer.Text()));
      } else if (head == "keepout") {
        zone.keepout = true;
      } else if (head == "filled_polygon") {
        Zone::Fill fill;
        for (const Expr part : field) {
          if (!part.IsList()) continue;
          if (part.Head() == "layer") fill.layer = Word(Arg(part, 1, "the layer"));
          if (part.Head() == "pts") fill.points = ReadPoints(part);
        }
        zone.fills.push_back(std::move(fill));
      }
    }
    for (Zone::Fill& fill : zone.fills)
      if (fill.layer.empty() && !zone.layers.empty()) fill.layer = zone.layers.front();
    return zone;
  }

  Board& board_;
  PointLists* points_;
  std::unordered_map<long, int> netByNumber_;
  std::unordered_map<std::string, int> netByName_;
};

std::string Place(const std::string& source, const Document& document, std::size_t offset) {
  const Location location = document.Locate(offset);
  return source + ":" + std::to_string(location.line) + ":" + std::to_string(location.column) + ": ";
}

}  // namespace

bool ReadBoard(std::string_view text, const std::string& source, const ParseLimits& limits, Board& board,
               std::vector<std::string>& warnings, std::string& error) {
  board = Board{};
  // A byte order mark is passed over (columns of the first line then count
  // from after it).
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  Document document;
  std::size_t offset = 0;
  std::string expected;
  // Point lists, most of a large board, are read straight from the text
  // while it is parsed.
  PointLists points;
  const Document::Verbatim pointLists{"pts", [&](std::string_view rest, std::uint32_t list) {
                                        const std::uint32_t base = static_cast<std::uint32_t>(rest.data() - text.data());
                                        PointScanner scanner(rest, base);
                                        points[list] = scanner.Read();
                                        return scanner.consumed();
                                      }};
  Reader reader(board, points);
  try {
    if (!document.Parse(text, limits, offset, expected, &pointLists)) {
      error = Place(source, document, offset) + "expected " + expected;
      return false;
    }
    reader.Read(document.Root());
  } catch (const ReadFailure& failure) {
    error = Place(source, document, failure.offset) + "expected " + failure.expected;
    board = Board{};
    return false;
  }
  warnings.insert(warnings.end(), reader.warnings.begin(), reader.warnings.end());
  return true;
}

}  // namespace kelpie::host::kicad
