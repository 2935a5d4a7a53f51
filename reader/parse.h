// The parsers, one per file kind. Each takes the file's bytes and the path
// to name in its problems, and records what it cannot read as a problem at
// its line: a record it does not know, a field that is missing or not a
// finite number. It keeps every record that it could read, so that one bad
// line does not hide the rest of the file.
#ifndef KELPIE_READER_PARSE_H
#define KELPIE_READER_PARSE_H

#include <string>
#include <string_view>

#include "idf.h"
#include "job.h"
#include "problems.h"

namespace kelpie::reader {

Features ParseFeatures(std::string_view text, const std::string& path, Problems& problems);
KeyValueFile ParseKeyValues(std::string_view text, const std::string& path, Problems& problems);
Matrix ParseMatrix(std::string_view text, const std::string& path, Problems& problems);
Tools ParseTools(std::string_view text, const std::string& path, Problems& problems);
EdaData ParseEdaData(std::string_view text, const std::string& path, Problems& problems);
ComponentsFile ParseComponents(std::string_view text, const std::string& path, Problems& problems);
Netlist ParseNetlist(std::string_view text, const std::string& path, Problems& problems);
Summary ParseSummary(std::string_view text, const std::string& path, const std::string& subject,
                     Problems& problems);

IdfBoard ParseIdfBoard(std::string_view text, const std::string& path, Problems& problems);
IdfLibrary ParseIdfLibrary(std::string_view text, const std::string& path, Problems& problems);

}  // namespace kelpie::reader

#endif  // KELPIE_READER_PARSE_H
