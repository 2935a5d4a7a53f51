// The standard symbols, told from their names: "r10" is a round symbol of
// 10 thousandths diameter, "rect20x30" a 20 by 30 rectangle. A name that is
// none of these is a user symbol, defined by the features file under
// symbols/<name>.
#ifndef KELPIE_READER_SYMBOL_NAME_H
#define KELPIE_READER_SYMBOL_NAME_H

#include <string_view>

namespace kelpie::reader {

enum class SymbolShape {
  kUser,        // not a standard name
  kRound,       // r<d>
  kSquare,      // s<s>
  kRectangle,   // rect<w>x<h>
  kOval,        // oval<w>x<h>: a rectangle with semicircular short ends
  kDiamond,     // di<w>x<h>
  kOctagon,     // oct<w>x<h>x<r>: corners cut by r
  kDonut,       // donut_r<od>x<id>
  kHexagonX,    // hex_l<w>x<h>x<r>: points left and right
  kHexagonY,    // hex_s<w>x<h>x<r>: points up and down
};

struct StandardSymbol {
  SymbolShape shape = SymbolShape::kUser;
  // Inches (the name's thousandths divided by 1000); for a round symbol
  // width = height = the diameter; kDonut: width outer, height inner
  // diameter; kOctagon, kHexagon*: corner the cut size.
  double width = 0;
  double height = 0;
  double corner = 0;
};

// Parses a symbol name written in thousandths of an inch. A name that
// starts like a standard one but does not parse whole (or has a size that
// is negative or not finite) is a user symbol.
StandardSymbol ParseSymbolName(std::string_view name);

}  // namespace kelpie::reader

#endif  // KELPIE_READER_SYMBOL_NAME_H
