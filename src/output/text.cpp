#include "output/text.h"

#include <charconv>
#include <cmath>

namespace kelpie {

std::string IntToText(std::int32_t value) {
  char buffer[16];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

void AppendIntText(std::string& out, std::int32_t value) {
  char buffer[16];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void AppendNumberText(std::string& out, double value) {
  if (std::isnan(value)) {
    out += "nan";
    return;
  }
  if (std::isinf(value)) {
    out += value < 0 ? "-inf" : "inf";
    return;
  }
  // Fixed notation with precision 6 is specified to give exactly what printf
  // "%f" gives; 1e308 needs 309 digits before the point.
  char buffer[330];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
  char* end = result.ptr;
  while (end != buffer) {
    const char last = end[-1];
    if (last == '0') {
      --end;
    } else {
      if (last == '.') --end;
      break;
    }
  }
  if (end == buffer) {
    out += '0';
  } else {
    out.append(buffer, end);
  }
}

std::string NumberToText(double value) {
  std::string text;
  AppendNumberText(text, value);
  return text;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace kelpie
