#include "output/text.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace kelpie {

std::string IntToText(std::int32_t value) {
  char buffer[16];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

char* FormatInt(char* at, std::int32_t value) {
  return std::to_chars(at, at + kIntTextRoom, value).ptr;
}

void AppendIntText(std::string& out, std::int32_t value) {
  char buffer[kIntTextRoom];
  out.append(buffer, FormatInt(buffer, value));
}

namespace {

// Below this magnitude the value times 10^6 fits a 64-bit whole number.
constexpr double kExactLimit = 0x1p43;

// The value times 10^6, rounded to the nearest whole number with ties to
// the even one, for a finite value below kExactLimit in magnitude; the sign
// is left off. This is the rounding printf "%f" makes. A double is a 53-bit
// mantissa m times 2^e, so the exact product m * 10^6 fits in 128 bits and
// the rounding is decided from the bits that the shift by -e drops.
std::uint64_t RoundedMillionths(double value) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  const int biasedExponent = static_cast<int>((bits >> 52) & 0x7ff);
  std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  int exponent = -1074;  // subnormals
  if (biasedExponent != 0) {
    mantissa |= std::uint64_t{1} << 52;
    exponent = biasedExponent - 1075;
  }
  // Below kExactLimit = 2^43 the exponent is at most 43 - 53 = -10: there
  // are always bits to drop.
  const int shift = -exponent;
  // m * 10^6 < 2^73: from a shift of 74 on it is below one half.
  if (shift > 73) return 0;
  using Wide = unsigned __int128;
  const Wide product = static_cast<Wide>(mantissa) * 1000000;
  const Wide one = 1;
  std::uint64_t rounded = static_cast<std::uint64_t>(product >> shift);
  const Wide dropped = product & ((one << shift) - 1);
  const Wide half = one << (shift - 1);
  if (dropped > half || (dropped == half && (rounded & 1) != 0)) ++rounded;
  return rounded;
}

// Values beyond kExactLimit (never board coordinates) go through the
// library's own fixed-point conversion, trimmed the same way.
char* FormatLargeNumber(char* at, double value) {
  // Fixed notation with precision 6 is specified to give exactly what printf
  // "%f" gives.
  char* end = std::to_chars(at, at + kNumberTextRoom, value, std::chars_format::fixed, 6).ptr;
  while (end[-1] == '0') --end;
  if (end[-1] == '.') --end;
  return end;
}

// "00" to "99": the two digits of each number below 100.
constexpr std::array<char, 200> MakeDigitPairs() {
  std::array<char, 200> pairs{};
  for (int i = 0; i < 100; ++i) {
    pairs[static_cast<size_t>(2 * i)] = static_cast<char>('0' + i / 10);
    pairs[static_cast<size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}
constexpr std::array<char, 200> kDigitPairs = MakeDigitPairs();

// The two digits of a number below 100 at `at`.
void PutDigitPair(char* at, std::uint32_t number) {
  at[0] = kDigitPairs[2 * number];
  at[1] = kDigitPairs[2 * number + 1];
}

char* FormatText(char* at, std::string_view text) {
  std::memcpy(at, text.data(), text.size());
  return at + text.size();
}

// The value times 10^6 rounded as RoundedMillionths rounds it, from one
// multiplication where that is certain: below kQuickLimit the product in
// double precision is within 2^-13 of the exact one, so when its fraction is
// further than kTieMargin from one half, both round the same way. Only the
// rare product that close to a tie takes the exact path.
constexpr double kQuickLimit = 1e6;  // the product then stays below 2^40
constexpr double kTieMargin = 0x1p-11;

std::uint64_t QuickRoundedMillionths(double magnitude) {
  const double product = magnitude * 1e6;
  // Not negative and below 2^40: the conversion's truncation is the floor,
  // without the library's floor and its checks for large values.
  const auto whole = static_cast<std::int64_t>(product);
  const double fraction = product - static_cast<double>(whole);  // exact
  if (std::fabs(fraction - 0.5) <= kTieMargin) return RoundedMillionths(magnitude);
  return static_cast<std::uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
}

// "000" to "999": the three digits of each number below 1000, one number
// in each four bytes.
constexpr std::array<char, 4000> MakeDigitTriples() {
  std::array<char, 4000> triples{};
  for (int i = 0; i < 1000; ++i) {
    triples[static_cast<size_t>(4 * i)] = static_cast<char>('0' + i / 100);
    triples[static_cast<size_t>(4 * i + 1)] = static_cast<char>('0' + i / 10 % 10);
    triples[static_cast<size_t>(4 * i + 2)] = static_cast<char>('0' + i % 10);
  }
  return triples;
}
constexpr std::array<char, 4000> kDigitTriples = MakeDigitTriples();

// The three digit characters of a number below 1000 as a little-endian word.
std::uint64_t DigitTripleWord(std::uint32_t number) {
  std::uint32_t triple;
  std::memcpy(&triple, &kDigitTriples[4 * number], 4);
  return triple & 0xffffff;
}

// Six fraction digits at `at`, then the end of the text once the trailing
// zeros are left off (the fraction is not zero, so one digit stays). The
// digits are put together in a register and stored at once, and the zeros
// counted from that word: storing the digits piece by piece and reading them
// back as one word would stall the processor.
char* PutFraction(char* at, std::uint32_t fraction) {
  if constexpr (std::endian::native != std::endian::little) {
    PutDigitPair(at, fraction / 10000);
    PutDigitPair(at + 2, fraction / 100 % 100);
    PutDigitPair(at + 4, fraction % 100);
    char* end = at + 6;
    while (end[-1] == '0') --end;
    return end;
  }
  const std::uint64_t thousandths = DigitTripleWord(fraction / 1000);
  const std::uint64_t digits = thousandths | DigitTripleWord(fraction % 1000) << 24;
  std::memcpy(at, &digits, 6);
  // A byte of zero for each '0'; the last digit is the highest of the six.
  const std::uint64_t differences = digits ^ 0x303030303030ULL;
  const int trailingZeros = (std::countl_zero(differences) - 16) / 8;
  return at + 6 - trailingZeros;
}

// The text of a value whose millionths are known: the sign, the whole part
// and the fraction without its trailing zeros.
char* PutMillionths(char* at, bool negative, std::uint64_t millionths) {
  const std::uint64_t whole = millionths / 1000000;
  const std::uint32_t fraction = static_cast<std::uint32_t>(millionths % 1000000);
  char* end = at;
  // printf keeps the sign of a negative value that rounds to zero: -0.
  *end = '-';
  end += negative ? 1 : 0;
  if (whole < 1000) {
    // The three digits with their leading zeros shifted out, stored as one
    // word whatever the count: mixed one-, two- and three-digit coordinates
    // would otherwise keep the branches guessing.
    const int leadingZeros = (whole < 10 ? 1 : 0) + (whole < 100 ? 1 : 0);
    const auto number = static_cast<std::uint32_t>(whole);
    if constexpr (std::endian::native == std::endian::little) {
      const auto digits = static_cast<std::uint32_t>(DigitTripleWord(number) >> (8 * leadingZeros));
      std::memcpy(end, &digits, 4);
    } else {
      std::memcpy(end, &kDigitTriples[4 * number + static_cast<size_t>(leadingZeros)], 3);
    }
    end += 3 - leadingZeros;
  } else {
    end = std::to_chars(end, end + 20, whole).ptr;  // at most 14 digits below kExactLimit
  }
  if (fraction != 0) {
    *end++ = '.';
    end = PutFraction(end, fraction);
  }
  return end;
}

}  // namespace

char* FormatNumber(char* at, double value) {
  const double magnitude = std::fabs(value);
  // The common case first: a NaN fails this comparison too.
  if (magnitude < kQuickLimit)
    return PutMillionths(at, std::signbit(value), QuickRoundedMillionths(magnitude));
  if (std::isnan(value)) return FormatText(at, "nan");
  if (std::isinf(value)) return FormatText(at, value < 0 ? "-inf" : "inf");
  if (!(magnitude < kExactLimit)) return FormatLargeNumber(at, value);
  return PutMillionths(at, std::signbit(value), RoundedMillionths(magnitude));
}

void AppendNumberText(std::string& out, double value) {
  char buffer[kNumberTextRoom];
  out.append(buffer, FormatNumber(buffer, value));
}

std::string NumberToText(double value) {
  std::string text;
  AppendNumberText(text, value);
  return text;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace kelpie
