#include "symbol_name.h"

#include <array>
#include <cmath>
#include <string>

#include "text.h"

namespace kelpie::reader {
namespace {

// Reads "<a>x<b>x<c>..." into sizes (thousandths turned into inches);
// true when the whole text is exactly `count` sizes.
template <std::size_t N>
bool Sizes(std::string_view text, std::size_t count, std::array<double, N>& sizes) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t x = i + 1 < count ? text.find('x') : text.size();
    if (x == std::string_view::npos) return false;
    double value = 0;
    if (!ParseNumber(text.substr(0, x), value) || value < 0) return false;
    sizes[i] = value / 1000;
    text = i + 1 < count ? text.substr(x + 1) : std::string_view();
  }
  return true;
}

struct Prefix {
  const char* text;
  SymbolShape shape;
  std::size_t sizes;
};

// Longer prefixes first, so that "rect" is not read as "r".
constexpr Prefix kPrefixes[] = {
    {"donut_r", SymbolShape::kDonut, 2}, {"hex_l", SymbolShape::kHexagonX, 3}, {"hex_s", SymbolShape::kHexagonY, 3},
    {"rect", SymbolShape::kRectangle, 2}, {"oval", SymbolShape::kOval, 2},     {"oct", SymbolShape::kOctagon, 3},
    {"di", SymbolShape::kDiamond, 2},     {"r", SymbolShape::kRound, 1},       {"s", SymbolShape::kSquare, 1},
};

}  // namespace

StandardSymbol ParseSymbolName(std::string_view name) {
  for (const Prefix& prefix : kPrefixes) {
    if (!name.starts_with(prefix.text)) continue;
    std::array<double, 3> sizes{};
    if (!Sizes(name.substr(std::string_view(prefix.text).size()), prefix.sizes, sizes)) return {};
    StandardSymbol symbol;
    symbol.shape = prefix.shape;
    symbol.width = sizes[0];
    symbol.height = prefix.sizes > 1 ? sizes[1] : sizes[0];
    symbol.corner = prefix.sizes > 2 ? sizes[2] : 0;
    return symbol;
  }
  return {};
}

}  // namespace kelpie::reader
