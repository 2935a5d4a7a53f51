// How every output file prints numbers and texts, so that all files agree.
#ifndef KELPIE_OUTPUT_TEXT_H
#define KELPIE_OUTPUT_TEXT_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace kelpie {

// The most characters FormatInt and FormatNumber write: "-2147483648", and
// printf "%f" of the largest double (309 digits, the point, six decimals).
inline constexpr size_t kIntTextRoom = 11;
inline constexpr size_t kNumberTextRoom = 330;

// printf "%d".
std::string IntToText(std::int32_t value);
// The same text written at `at`, which has room for kIntTextRoom
// characters; gives the end of the text.
char* FormatInt(char* at, std::int32_t value);
// The same text appended to out, without a temporary string.
void AppendIntText(std::string& out, std::int32_t value);
// printf "%f" (six decimals), then trailing zeros and a trailing point
// removed: 1.5, 100, 0, and -0 for a negative value that rounds to zero.
// Infinities print as inf and -inf, NaN as nan (board data never holds them,
// but a hostile host might, and the text must stay readable).
std::string NumberToText(double value);
// The same text written at `at`, which has room for kNumberTextRoom
// characters; gives the end of the text.
char* FormatNumber(char* at, double value);
// The same text appended to out, without a temporary string.
void AppendNumberText(std::string& out, double value);
// The text between double quotes, not escaped.
std::string Quoted(const std::string& text);

}  // namespace kelpie

#endif
