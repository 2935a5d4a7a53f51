#include "text.h"

#include <charconv>
#include <cmath>

namespace kelpie::reader {

bool LineReader::Next() {
  if (rest_.empty()) return false;
  const std::size_t end = rest_.find('\n');
  if (end == std::string_view::npos) {
    line_ = rest_;
    rest_ = {};
  } else {
    line_ = rest_.substr(0, end);
    rest_.remove_prefix(end + 1);
  }
  if (!line_.empty() && line_.back() == '\r') line_.remove_suffix(1);
  ++number_;
  return true;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool ParseNumber(std::string_view text, double& value) {
  // from_chars takes no leading '+'; a written number may have one.
  if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, std::chars_format::general);
  return error == std::errc() && stop == end && std::isfinite(value);
}

bool ParseLong(std::string_view text, long long& value) {
  if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && stop == end;
}

bool ParseInteger(std::string_view text, int& value) {
  long long wide = 0;
  if (!ParseLong(text, wide) || wide < -2147483647LL || wide > 2147483647LL) return false;
  value = static_cast<int>(wide);
  return true;
}

bool Record::Next(std::string_view& field, const char* what) {
  while (!rest_.empty() && IsBlank(rest_.front())) rest_.remove_prefix(1);
  std::size_t length = 0;
  while (length < rest_.size() && !IsBlank(rest_[length])) ++length;
  if (length == 0) {
    Fail(std::string("missing ") + what);
    return false;
  }
  field = rest_.substr(0, length);
  rest_.remove_prefix(length);
  return true;
}

bool Record::Word(std::string_view& value, const char* what) { return Next(value, what); }

bool Record::Number(double& value, const char* what) {
  std::string_view field;
  if (!Next(field, what)) return false;
  if (ParseNumber(field, value)) return true;
  Fail(std::string(what) + " is not a finite number: '" + std::string(field) + "'");
  return false;
}

bool Record::Integer(int& value, const char* what) {
  std::string_view field;
  if (!Next(field, what)) return false;
  if (ParseInteger(field, value)) return true;
  Fail(std::string(what) + " is not a whole number: '" + std::string(field) + "'");
  return false;
}

bool Record::Letter(char& value, const char* allowed, const char* what) {
  std::string_view field;
  if (!Next(field, what)) return false;
  if (field.size() == 1 && std::string_view(allowed).find(field[0]) != std::string_view::npos) {
    value = field[0];
    return true;
  }
  std::string choices;
  for (const char* c = allowed; *c != '\0'; ++c) choices += std::string(choices.empty() ? "" : ", ") + *c;
  Fail(std::string(what) + " must be one of " + choices + ", not '" + std::string(field) + "'");
  return false;
}

bool Record::YesNo(bool& value, const char* what) {
  char letter = 'N';
  if (!Letter(letter, "YN", what)) return false;
  value = letter == 'Y';
  return true;
}

std::string_view Record::Rest() {
  if (!rest_.empty() && IsBlank(rest_.front())) rest_.remove_prefix(1);
  const std::string_view rest = rest_;
  rest_ = {};
  return rest;
}

bool Record::AtEnd() const { return Trim(rest_).empty(); }

void Record::Fail(const std::string& message) {
  if (!ok_) return;
  ok_ = false;
  problems_.Add(path_, line_, message);
}

}  // namespace kelpie::reader
