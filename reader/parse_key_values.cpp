// Files of "KEY=value" lines (misc/info, stephdr, .sum companions) and of
// ".key = value" lines (attrlist files): the key and the value, each
// without the blanks around it.
#include <string>

#include "parse.h"
#include "text.h"

namespace kelpie::reader {

KeyValueFile ParseKeyValues(std::string_view text, const std::string& path, Problems& problems) {
  KeyValueFile result;
  result.path = path;
  LineReader lines(text);
  while (lines.Next()) {
    const std::string_view line = Trim(lines.line());
    if (line.empty() || line[0] == '#') continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || Trim(line.substr(0, equals)).empty()) {
      problems.Add(path, lines.number(), "not a KEY=value line: '" + std::string(line) + "'");
      continue;
    }
    result.entries.push_back(KeyValue{lines.number(), std::string(Trim(line.substr(0, equals))),
                                      std::string(Trim(line.substr(equals + 1)))});
  }
  return result;
}

Summary ParseSummary(std::string_view text, const std::string& path, const std::string& subject,
                     Problems& problems) {
  Summary result;
  result.path = path;
  result.subject = subject;
  const KeyValueFile file = ParseKeyValues(text, path, problems);
  for (const KeyValue& entry : file.entries) {
    long long number = 0;
    if (entry.key == "SIZE" || entry.key == "SUM") {
      if (!ParseLong(entry.value, number)) {
        problems.Add(path, entry.line, entry.key + " is not a whole number: '" + entry.value + "'");
        continue;
      }
      (entry.key == "SIZE" ? result.size : result.sum) = number;
      (entry.key == "SIZE" ? result.sizeLine : result.sumLine) = entry.line;
    } else if (entry.key == "DATE") {
      result.date = entry.value;
      result.dateLine = entry.line;
    } else if (entry.key == "TIME") {
      result.time = entry.value;
      result.timeLine = entry.line;
    } else if (entry.key == "VERSION") {
      result.version = entry.value;
    } else if (entry.key == "USER") {
      result.user = entry.value;
    } else {
      problems.Add(path, entry.line, "unknown key " + entry.key);
    }
  }
  return result;
}

}  // namespace kelpie::reader
