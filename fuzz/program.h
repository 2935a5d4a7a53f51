// The byte encoding of a fuzz input: a program of interface calls.
//
// The fuzz target reads it with ProgramReader; the seed maker writes it with
// ProgramWriter while a board is built through the interface, so that every
// seed replays a realistic board exactly. Both sides share the tables below,
// so change them together.
//
// Layout of an input:
//   header byte      bits 0-1: number of final export rounds - 1 (1 to 4);
//                    bits 2-5: per round, 1 = ODB++ first, 0 = IDF first;
//                    bit 6: end with three clean ODB++ exports and compare
//                    the last two (every input ends with two clean IDF
//                    exports that are compared)
//   per final export one store plan (see StorePlan), 2 per round
//   then operations until the input ends: an opcode byte and its arguments.
//
// A reader that runs out of bytes returns zeros, so every input is a valid
// program. Sizes are capped so that no single input can need more than a few
// hundred megabytes.
#ifndef KELPIE_FUZZ_PROGRAM_H
#define KELPIE_FUZZ_PROGRAM_H

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace kelpie::fuzz {

// Opcodes 0 to 39 are the interface slots; 40 is createkelpieserver with a
// wrong interface version (which must hand back the live server).
constexpr int kOpWrongVersionCreate = 40;
constexpr int kOpCount = 41;

// Caps that keep one input's memory and time bounded.
constexpr int kMaxOperations = 3000;
constexpr int kMaxPoints = 2048;             // points in one list
constexpr std::size_t kPointBudget = 400000;  // points in all lists of one input
constexpr std::size_t kNameBudget = 4u << 20;  // bytes in all names of one input
constexpr std::size_t kMaxLongName = 65535;

// Names that a one-byte selector picks: hostile forms and ordinary ones.
inline const std::vector<std::string>& NameDictionary() {
  static const std::vector<std::string> names = {
      "",          "TOP",          "BOTTOM",        "GND",        "VCC",
      "R1",        "C1",           "U1",            "board",      "pcb",
      "Main Board (rev.B)",        "%s",            "%n%n%s%d%%", "..",
      "../..",     "$NONE$",       "comp_+_top",    "comp_+_bot", "a\\b",
      "\t\r\n",    "\x01\x7f",     "\xe9\xff\x80",  " ",          "-",
      "+",         ".",            "_",             "###",        "SMD_0805",
      "R0805",     "via",          "pin 1",         "1",          "drill",
      "Z",         "DIP8",         "Top Components", "inner1",    "$NONE",
      "NONE"};
  return names;
}
constexpr int kNameDictionarySelectors = 40;  // selectors 0..39 pick from the dictionary
constexpr int kNameShortRawBase = 40;         // 40..253: that many minus 40 raw bytes follow
constexpr int kNameLongRaw = 254;             // u16 length, then raw bytes
constexpr int kNameLongRepeat = 255;          // u16 length, then one fill byte

// Numbers that a one-byte selector picks.
inline const std::vector<double>& NumberSpecials() {
  static const std::vector<double> numbers = {
      0.0,      -0.0,     1.0,      -1.0,     0.5,      0.001,   1e-7,     -1e-7,
      1e-300,   5e-324,   1e300,    -1e300,   DBL_MAX,  -DBL_MAX, 1e42,    -1e42,
      std::numeric_limits<double>::quiet_NaN(),  -std::numeric_limits<double>::quiet_NaN(),
      std::numeric_limits<double>::infinity(),   -std::numeric_limits<double>::infinity(),
      0.062,    25.4,     360.0,    -180.0,   90.0,     270.0,   1e-3,     2.0,
      0.01,     0.025,    10.0,     100.0};
  return numbers;
}
constexpr int kNumberSpecialSelectors = 32;  // 0..31 pick a special
constexpr int kNumberThousandths = 32;       // 32..127: an int16 in thousandths follows
constexpr int kNumberRaw = 128;              // 128..255: the 8 bytes of a double follow

// Integers: selectors 0..239 stand for the values -16..223; 240..255 are
// followed by the 4 bytes of an int32.
constexpr int kIntSmallOffset = 16;
constexpr int kIntSmallLimit = 240;

// Point list modes.
enum PointMode : std::uint8_t {
  kPointsExplicit = 0,  // every point as two numbers
  kPointsPolygon = 1,   // regular polygon: centre, radius, direction byte
  kPointsSame = 2,      // one point repeated
  kPointsScatter = 3,   // pseudo-random points from a 16-bit seed and a scale
};

// A point list as the interface takes it: the arrays hold at least one
// point and at least `count` points.
struct Points {
  std::vector<double> xs;
  std::vector<double> ys;
  int count = 0;
};

// Handles: a selector below 128 counts back from the newest handle of the
// type; 128 and above take an absolute index from 7 bits and a following u16.
constexpr int kHandleAbsolute = 128;

// The store's behaviour during one export (StorePlan byte):
//   bits 0-2 refusal of Open: 0 never, 1 always, 2 every second, 3 every
//            third, 4 only the first, 5 summary files, 6 by a path hash,
//            7 never;
//   bits 3-5 throwing: 0-3 never, 4 the Nth call of any kind, 5 the Nth
//            Write, 6 the Nth Close, 7 the Nth MakeDirectory or Open
//            (N from the following byte, plus one);
//   bits 6-7 what is thrown: a std::runtime_error, an int,
//            std::bad_alloc, or a plain struct.
struct StorePlan {
  std::uint8_t refusal = 0;
  std::uint8_t throwing = 0;
  std::uint8_t thrown = 0;
  int nth = 0;
};

class ProgramReader {
 public:
  ProgramReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return at_ >= size_; }

  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }

  std::uint16_t U16() {
    const std::uint16_t high = Byte();
    return static_cast<std::uint16_t>(high << 8 | Byte());
  }

  std::uint32_t U32() {
    const std::uint32_t high = U16();
    return high << 16 | U16();
  }

  int Int() {
    const int selector = Byte();
    if (selector < kIntSmallLimit) return selector - kIntSmallOffset;
    return static_cast<int>(U32());
  }

  double Number() {
    const int selector = Byte();
    if (selector < kNumberSpecialSelectors) return NumberSpecials()[selector];
    if (selector < kNumberRaw) return static_cast<std::int16_t>(U16()) / 1000.0;
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits = bits << 8 | Byte();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

  std::string Name() {
    const int selector = Byte();
    std::string name;
    if (selector < kNameDictionarySelectors) {
      const auto& names = NameDictionary();
      name = names[static_cast<std::size_t>(selector) % names.size()];
    } else if (selector < kNameLongRaw) {
      name = RawBytes(static_cast<std::size_t>(selector - kNameShortRawBase));
    } else if (selector == kNameLongRaw) {
      name = RawBytes(U16());
    } else {
      std::size_t length = U16();
      const std::uint8_t fill = Byte();
      if (nameBytes_ + length > kNameBudget) length = 16;
      name.assign(length, fill != 0 ? static_cast<char>(fill) : 'W');
    }
    nameBytes_ += name.size();
    return name;
  }

  Points PointList() {
    Points points;
    int count = Int();
    if (count > kMaxPoints) count = count % (kMaxPoints + 1);
    if (count > 0 && pointsUsed_ + static_cast<std::size_t>(count) > kPointBudget) count %= 8;
    points.count = count;
    const int stored = count > 0 ? count : 1;
    pointsUsed_ += static_cast<std::size_t>(stored);
    points.xs.resize(static_cast<std::size_t>(stored));
    points.ys.resize(static_cast<std::size_t>(stored));
    switch (Byte() % 4) {
      case kPointsExplicit:
        for (int i = 0; i < stored; ++i) {
          points.xs[i] = Number();
          points.ys[i] = Number();
        }
        break;
      case kPointsPolygon: {
        const double cx = Number(), cy = Number(), r = Number();
        const bool clockwise = (Byte() & 1) != 0;
        for (int i = 0; i < stored; ++i) {
          const double a = (clockwise ? -2 : 2) * M_PI * i / stored;
          points.xs[i] = cx + r * std::cos(a);
          points.ys[i] = cy + r * std::sin(a);
        }
        break;
      }
      case kPointsSame: {
        const double x = Number(), y = Number();
        for (int i = 0; i < stored; ++i) {
          points.xs[i] = x;
          points.ys[i] = y;
        }
        break;
      }
      default: {
        std::uint32_t state = U16() + 1u;
        const double scale = Number();
        for (int i = 0; i < stored; ++i) {
          state = state * 1664525u + 1013904223u;
          points.xs[i] = scale * static_cast<double>(state >> 16) / 65536.0;
          state = state * 1664525u + 1013904223u;
          points.ys[i] = scale * static_cast<double>(state >> 16) / 65536.0;
        }
      }
    }
    return points;
  }

  // An index into a list of `size` handles (size > 0).
  std::size_t Handle(std::size_t size) {
    const int selector = Byte();
    if (selector < kHandleAbsolute) {
      const std::size_t back = static_cast<std::size_t>(selector) % size;
      return size - 1 - back;
    }
    const std::size_t index = static_cast<std::size_t>(selector - kHandleAbsolute) << 16 | U16();
    return index % size;
  }

  StorePlan Store() {
    StorePlan plan;
    const std::uint8_t bits = Byte();
    plan.refusal = bits & 7;
    plan.throwing = (bits >> 3) & 7;
    plan.thrown = (bits >> 6) & 3;
    if (plan.throwing >= 4) plan.nth = Byte() + 1;
    return plan;
  }

 private:
  std::string RawBytes(std::size_t length) {
    if (length > size_ - at_) length = size_ - at_;
    std::string text(reinterpret_cast<const char*>(data_ + at_), length);
    at_ += length;
    return text;
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
  std::size_t pointsUsed_ = 0;
  std::size_t nameBytes_ = 0;
};

// Writes programs that ProgramReader reads back exactly.
class ProgramWriter {
 public:
  std::vector<std::uint8_t> bytes;

  void Byte(std::uint8_t value) { bytes.push_back(value); }
  void U16(std::uint16_t value) {
    Byte(static_cast<std::uint8_t>(value >> 8));
    Byte(static_cast<std::uint8_t>(value));
  }
  void U32(std::uint32_t value) {
    U16(static_cast<std::uint16_t>(value >> 16));
    U16(static_cast<std::uint16_t>(value));
  }
  void Op(int opcode) { Byte(static_cast<std::uint8_t>(opcode)); }

  void Int(int value) {
    if (value >= -kIntSmallOffset && value < kIntSmallLimit - kIntSmallOffset) {
      Byte(static_cast<std::uint8_t>(value + kIntSmallOffset));
    } else {
      Byte(255);
      U32(static_cast<std::uint32_t>(value));
    }
  }

  void Number(double value) {
    const auto& specials = NumberSpecials();
    for (int i = 0; i < kNumberSpecialSelectors; ++i) {
      if (std::memcmp(&specials[i], &value, sizeof value) == 0) {
        Byte(static_cast<std::uint8_t>(i));
        return;
      }
    }
    const double thousandths = std::round(value * 1000);
    if (std::fabs(thousandths) <= 32767 && thousandths / 1000.0 == value && value != 0) {
      Byte(kNumberThousandths);
      U16(static_cast<std::uint16_t>(static_cast<std::int16_t>(thousandths)));
      return;
    }
    Byte(kNumberRaw);
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int shift = 56; shift >= 0; shift -= 8) Byte(static_cast<std::uint8_t>(bits >> shift));
  }

  void Name(const char* text) {
    const std::string name = text != nullptr ? text : "";
    const auto& names = NameDictionary();
    for (int i = 0; i < kNameDictionarySelectors && i < static_cast<int>(names.size()); ++i) {
      if (names[i] == name) {
        Byte(static_cast<std::uint8_t>(i));
        return;
      }
    }
    if (name.size() < static_cast<std::size_t>(kNameLongRaw - kNameShortRawBase)) {
      Byte(static_cast<std::uint8_t>(kNameShortRawBase + name.size()));
    } else {
      Byte(kNameLongRaw);
      U16(static_cast<std::uint16_t>(name.size() < kMaxLongName ? name.size() : kMaxLongName));
    }
    for (std::size_t i = 0; i < name.size() && i < kMaxLongName; ++i)
      Byte(static_cast<std::uint8_t>(name[i]));
  }

  void PointList(const double* xs, const double* ys, int count) {
    Int(count);
    Byte(kPointsExplicit);
    const int stored = count > 0 ? count : 1;
    for (int i = 0; i < stored; ++i) {
      Number(xs[i]);
      Number(ys[i]);
    }
  }

  // Handle `index` of a list that holds `size` handles.
  void Handle(std::size_t index, std::size_t size) {
    const std::size_t back = size - 1 - index;
    if (back < kHandleAbsolute) {
      Byte(static_cast<std::uint8_t>(back));
    } else {
      Byte(static_cast<std::uint8_t>(kHandleAbsolute | (index >> 16)));
      U16(static_cast<std::uint16_t>(index));
    }
  }
};

}  // namespace kelpie::fuzz

#endif
