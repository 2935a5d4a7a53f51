// A step's cadnet netlist.
//
//   H optimize n staggered n           the header
//   $<number> <name>                   one line per net
//   <net> <radius> <x> <y> T|D|B ...   the net's probe points
#include <string>

#include "parse.h"
#include "text.h"

namespace kelpie::reader {

Netlist ParseNetlist(std::string_view text, const std::string& path, Problems& problems) {
  Netlist result;
  result.path = path;
  LineReader lines(text);
  while (lines.Next()) {
    const std::string_view line = Trim(lines.line());
    if (line.empty() || line[0] == '#') continue;
    Record record(line, lines.number(), path, problems);
    std::string_view word;
    if (!record.Word(word, "record")) continue;
    if (word == "H") {
      result.header = std::string(line);
    } else if (word[0] == '$') {
      NetlistNet net;
      net.line = lines.number();
      if (!ParseInteger(word.substr(1), net.number) || net.number < 0) {
        record.Fail("net number is not a whole number: '" + std::string(word) + "'");
        continue;
      }
      if (net.number != static_cast<int>(result.nets.size()))
        record.Fail("net number " + std::to_string(net.number) + " out of order (expected " +
                    std::to_string(result.nets.size()) + ")");
      net.name = std::string(Trim(record.Rest()));
      result.nets.push_back(std::move(net));
    } else {
      NetlistPoint point;
      point.line = lines.number();
      if (!ParseInteger(word, point.net)) {
        record.Fail("unknown record '" + std::string(word) + "'");
        continue;
      }
      record.Number(point.radius, "radius");
      record.Number(point.at.x, "x");
      record.Number(point.at.y, "y");
      record.Letter(point.side, "TDB", "side");
      if (record.ok()) result.points.push_back(point);
    }
  }
  return result;
}

}  // namespace kelpie::reader
