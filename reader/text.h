// Reading text files: lines, blank-separated fields and numbers. Numbers
// must be whole and finite ("1e999", "nan" and "12abc" are refused).
#ifndef KELPIE_READER_TEXT_H
#define KELPIE_READER_TEXT_H

#include <string>
#include <string_view>

#include "problems.h"

namespace kelpie::reader {

// The lines of a file, without their line feed and carriage return.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : rest_(text) {}
  // Moves to the next line; false after the last one.
  bool Next();
  std::string_view line() const { return line_; }
  int number() const { return number_; }

 private:
  std::string_view rest_;
  std::string_view line_;
  int number_ = 0;
};

bool ParseNumber(std::string_view text, double& value);
bool ParseInteger(std::string_view text, int& value);
bool ParseLong(std::string_view text, long long& value);
std::string_view Trim(std::string_view text);
inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

// One record line read field by field. The first field that is missing or
// malformed adds one problem at the record's line; later fields are still
// read (a bad coordinate does not hide the symbol after it), but a record
// gives one message at most. A field that fails keeps its default value.
class Record {
 public:
  Record(std::string_view text, int line, const std::string& path, Problems& problems)
      : rest_(text), line_(line), path_(path), problems_(problems) {}

  bool Word(std::string_view& value, const char* what);
  bool Number(double& value, const char* what);
  bool Integer(int& value, const char* what);
  // A one-letter field, one of `allowed`.
  bool Letter(char& value, const char* allowed, const char* what);
  // A field that must be "Y" or "N".
  bool YesNo(bool& value, const char* what);
  // Whatever follows the next blank, untrimmed ("" when nothing does).
  std::string_view Rest();
  // True when only blanks are left.
  bool AtEnd() const;
  // Adds a problem about this record unless one was already added.
  void Fail(const std::string& message);
  bool ok() const { return ok_; }
  int line() const { return line_; }

 private:
  bool Next(std::string_view& field, const char* what);

  std::string_view rest_;
  int line_;
  const std::string& path_;
  Problems& problems_;
  bool ok_ = true;
};

}  // namespace kelpie::reader

#endif  // KELPIE_READER_TEXT_H
