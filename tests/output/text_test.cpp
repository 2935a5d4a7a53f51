// Number and text helpers. NumberToText is compared with printf "%f" plus
// the trimming over millions of values.
#include "output/text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <random>

namespace kelpie {
namespace {

std::string PrintfTrimmed(double value) {
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%f", value);
  std::string text = buffer;
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text;
}

TEST(Text, NumberToTextEqualsPrintfEverywhere) {
#if defined(__SANITIZE_ADDRESS__) || !defined(__OPTIMIZE__)
  const int scale = 8;  // the same classes, fewer of each
#else
  const int scale = 1;
#endif
  std::mt19937_64 random(20261205);
  long compared = 0;
  int mismatches = 0;
  auto check = [&](double value) {
    if (!std::isfinite(value) || std::fabs(value) >= 1e41) return;
    ++compared;
    if (NumberToText(value) != PrintfTrimmed(value) && ++mismatches <= 10)
      ADD_FAILURE() << std::hexfloat << value << ": " << NumberToText(value);
  };
  for (int i = 0; i < 400000 / scale; ++i) {
    // Any bit pattern: every exponent, signs and subnormals included.
    check(std::bit_cast<double>(random()));
    // Random mantissas with exponents over the printable range.
    const double mantissa = 1 + static_cast<double>(random() >> 12) / 4503599627370496.0;
    check((random() & 1 ? -1 : 1) * std::ldexp(mantissa, static_cast<int>(random() % 180) - 40));
    // Odd multiples of 2^-n near the sixth decimal (k/128 are exact ties).
    const int n = 7 + static_cast<int>(random() % 24);
    check(-std::ldexp(static_cast<double>((random() >> (44 - n)) | 1), -n));
    // Decimal ties x.xxxxxx5 that binary cannot hold, and their neighbours.
    const double tie = (2.0 * static_cast<double>(random() % 2000000000000ULL) + 1) / 2e6;
    check(tie);
    check(std::nextafter(-tie, 0.0));
    check(std::nextafter(tie, 1e300));
    // Tiny values on both sides of the rounding to zero, and integers.
    check(-std::ldexp(static_cast<double>(random() >> 11), -53 - static_cast<int>(random() % 30)));
    check(static_cast<double>(random() >> (random() % 64)));
  }
  for (double power = 1; power < 1e41; power *= 10) {
    for (const double value : {power, std::nextafter(power, 0.0), std::nextafter(-power, -1e300)})
      check(value);
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_GT(compared, 3000000 / scale);
}

}  // namespace
}  // namespace kelpie
