// Number and text helpers. NumberToText is compared with printf "%f" plus
// the trimming over millions of values.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <random>

#include "output/text.h"

namespace kelpie {
namespace {

// What the text says the formatting is: printf "%f", then trailing zeros
// and a trailing point removed, "0" when nothing is left.
std::string PrintfTrimmed(double value) {
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%f", value);
  std::string text = buffer;
  while (!text.empty()) {
    const char last = text.back();
    if (last == '0') {
      text.pop_back();
      continue;
    }
    if (last == '.') text.pop_back();
    break;
  }
  return text.empty() ? "0" : text;
}

TEST(Text, NumberToTextExamples) {
  EXPECT_EQ(NumberToText(1.5), "1.5");
  EXPECT_EQ(NumberToText(100), "100");
  EXPECT_EQ(NumberToText(10), "10");
  EXPECT_EQ(NumberToText(0), "0");
  EXPECT_EQ(NumberToText(2.54), "2.54");
  EXPECT_EQ(NumberToText(0.1234567), "0.123457");
  EXPECT_EQ(NumberToText(0.0000004), "0");
  EXPECT_EQ(NumberToText(-0.0000004), "-0");
  EXPECT_EQ(NumberToText(1e-7), "0");
  EXPECT_EQ(NumberToText(-1e-7), "-0");
  EXPECT_EQ(NumberToText(-0.0), "-0");
  EXPECT_EQ(NumberToText(-12.25), "-12.25");
  EXPECT_EQ(NumberToText(12.5000004), "12.5");
  EXPECT_EQ(NumberToText(0.0078125), "0.007812");  // an exact tie rounds to even
  EXPECT_EQ(NumberToText(0.0234375), "0.023438");
  EXPECT_EQ(NumberToText(1e22), "10000000000000000000000");
  EXPECT_EQ(NumberToText(-1e41), "-100000000000000000620008645040778319495168");
  // Out of range, but still readable.
  EXPECT_EQ(NumberToText(1e300).size(), 301u);
  EXPECT_EQ(NumberToText(INFINITY), "inf");
  EXPECT_EQ(NumberToText(-INFINITY), "-inf");
  EXPECT_EQ(NumberToText(NAN), "nan");

  std::string out = "X=";
  AppendNumberText(out, 3.25);
  EXPECT_EQ(out, "X=3.25");
  EXPECT_EQ(PrefixedNumber("P", -0.5), "P-0.5");
  EXPECT_EQ(IntToText(0), "0");
  EXPECT_EQ(IntToText(-2147483647 - 1), "-2147483648");
  EXPECT_EQ(IntToText(2147483647), "2147483647");
  EXPECT_EQ(Quoted("a \"b\""), "\"a \"b\"\"");
  EXPECT_EQ(Quoted(""), "\"\"");
}

TEST(Text, NumberToTextEqualsPrintfEverywhere) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_UNDEFINED__) || !defined(__OPTIMIZE__)
  const int scale = 8;  // the same classes, fewer of each
#else
  const int scale = 1;
#endif
  std::mt19937_64 random(20261205);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  long compared = 0;
  int mismatches = 0;
  auto check = [&](double value) {
    if (!std::isfinite(value) || std::fabs(value) >= 1e42) return;
    ++compared;
    const std::string expected = PrintfTrimmed(value);
    const std::string actual = NumberToText(value);
    if (actual != expected && ++mismatches <= 10) {
      ADD_FAILURE() << std::hexfloat << value << ": " << actual << " != " << expected;
    }
  };

  // Random bit patterns: every exponent, mostly far below or above the
  // decimals shown, signs and subnormals included.
  for (int i = 0; i < 600000 / scale; ++i) check(std::bit_cast<double>(random()));
  // Random mantissas with binary exponents spread over the printable range.
  for (int i = 0; i < 600000 / scale; ++i) {
    const int exponent = static_cast<int>(random() % 180) - 40;  // 2^-40 .. 2^139
    const double mantissa = 1 + static_cast<double>(random() >> 12) / 4503599627370496.0;
    check((random() & 1 ? -1 : 1) * std::ldexp(mantissa, exponent));
  }
  // Exact binary fractions at and around the sixth decimal: k/128 are exact
  // ties, k/2^n for larger n lie near them.
  for (int i = 0; i < 300000 / scale; ++i) {
    const int n = 7 + static_cast<int>(random() % 24);
    // Odd k below 2^(n+20): exact, and the value stays below about 10^6.
    const double k = static_cast<double>((random() >> (44 - n)) | 1);
    const double value = std::ldexp(k, -n);
    check(value);
    check(-value);
  }
  // Decimal ties x.xxxxxx5 that binary cannot hold, and their neighbours.
  for (int i = 0; i < 200000 / scale; ++i) {
    const double tie = (2.0 * static_cast<double>(random() % 2000000000000ULL) + 1) / 2e6;
    check(tie);
    check(std::nextafter(tie, 0.0));
    check(std::nextafter(tie, 1e300));
    check(-tie);
  }
  // Negative zeros and tiny values on both sides of the rounding to zero.
  check(0.0);
  check(-0.0);
  for (int i = 0; i < 100000 / scale; ++i) {
    const double tiny = unit(random) * 1e-6;
    check(tiny);
    check(-tiny);
    check(-std::ldexp(unit(random), -static_cast<int>(random() % 1000)));
  }
  // Integers and powers of ten up to the top of the range.
  double power = 1;
  for (int e = 0; e <= 41; ++e, power *= 10) {
    check(power);
    check(-power);
    check(std::nextafter(power, 0.0));
    check(std::nextafter(power, 1e300));
  }
  for (int i = 0; i < 100000 / scale; ++i) check(static_cast<double>(random() >> (random() % 64)));

  EXPECT_EQ(mismatches, 0);
  EXPECT_GT(compared, 2000000 / scale);
}

TEST(Text, RotatePoint) {
  double x = 1, y = 0;
  RotatePoint(x, y, 90);
  EXPECT_NEAR(x, 0, 1e-15);
  EXPECT_DOUBLE_EQ(y, -1);
  x = 0, y = 1;
  RotatePoint(x, y, 90);
  EXPECT_DOUBLE_EQ(x, 1);
  EXPECT_NEAR(y, 0, 1e-15);

  // With angle 0 the round trip leaves traces that print as -0.
  x = 10, y = 0;
  RotatePoint(x, y, 0);
  EXPECT_EQ(NumberToText(x), "10");
  EXPECT_EQ(NumberToText(y), "-0");
  x = 0, y = -5;
  RotatePoint(x, y, 0);
  EXPECT_EQ(NumberToText(x), "-0");
  EXPECT_EQ(NumberToText(y), "-5");
  x = 0, y = 0;
  RotatePoint(x, y, 0);
  EXPECT_EQ(NumberToText(x), "0");
  EXPECT_EQ(NumberToText(y), "0");

  // Elsewhere: a clockwise turn, in any quadrant and beyond a full circle.
  const double points[][2] = {{3, 4}, {-2, 7}, {-5, -1}, {6, -6}};
  for (const auto& p : points) {
    for (const double angle : {0.0, 30.0, -45.0, 270.0, 400.0}) {
      const double r = angle * M_PI / 180;
      double rx = p[0], ry = p[1];
      RotatePoint(rx, ry, angle);
      EXPECT_NEAR(rx, p[0] * std::cos(r) + p[1] * std::sin(r), 1e-12);
      EXPECT_NEAR(ry, -p[0] * std::sin(r) + p[1] * std::cos(r), 1e-12);
    }
  }
}

}  // namespace
}  // namespace kelpie
