// IDF board (.emn) and library (.emp) files: sections that open with
// ".NAME" and close with ".END_NAME", fields separated by blanks, texts
// with blanks in double quotes.
#include <string>
#include <vector>

#include "parse.h"
#include "text.h"

namespace kelpie::reader {
namespace {

// One line's fields, quotes removed.
std::vector<std::string> SplitFields(std::string_view line, bool& unbalanced) {
  std::vector<std::string> fields;
  unbalanced = false;
  std::size_t i = 0;
  while (i < line.size()) {
    if (IsBlank(line[i])) {
      ++i;
      continue;
    }
    if (line[i] == '"') {
      const std::size_t close = line.find('"', i + 1);
      if (close == std::string_view::npos) {
        unbalanced = true;
        fields.emplace_back(line.substr(i + 1));
        return fields;
      }
      fields.emplace_back(line.substr(i + 1, close - i - 1));
      i = close + 1;
      continue;
    }
    std::size_t end = i;
    while (end < line.size() && !IsBlank(line[end])) ++end;
    fields.emplace_back(line.substr(i, end - i));
    i = end;
  }
  return fields;
}

// ".NAME", as a section opens.
std::string Dotted(const std::string& name) {
  std::string text = ".";
  text += name;
  return text;
}

// A section's lines, with the fields of each.
struct SectionLine {
  int line = 0;
  std::vector<std::string> fields;
};

struct Section {
  int line = 0;  // of ".NAME"
  std::string name;
  std::vector<std::string> opening;  // the fields after ".NAME"
  std::vector<SectionLine> lines;
};

std::vector<Section> ReadSections(std::string_view text, const std::string& path, Problems& problems) {
  std::vector<Section> sections;
  bool open = false;
  LineReader lines(text);
  while (lines.Next()) {
    const std::string_view line = Trim(lines.line());
    if (line.empty() || line[0] == '#') continue;
    bool unbalanced = false;
    std::vector<std::string> fields = SplitFields(line, unbalanced);
    if (unbalanced) problems.Add(path, lines.number(), "a quoted text without its closing quote");
    const std::string& first = fields.front();
    if (first.starts_with(".END_")) {
      if (!open) {
        problems.Add(path, lines.number(), first + " outside a section");
      } else if (first.substr(5) != sections.back().name) {
        problems.Add(path, lines.number(), first + " closes " + Dotted(sections.back().name) + " of line " +
                                               std::to_string(sections.back().line));
      }
      open = false;
    } else if (first.starts_with(".")) {
      if (open)
        problems.Add(path, sections.back().line, Dotted(sections.back().name) + " not closed before line " +
                                                     std::to_string(lines.number()));
      Section& section = sections.emplace_back();
      section.line = lines.number();
      section.name = first.substr(1);
      section.opening.assign(fields.begin() + 1, fields.end());
      open = true;
    } else if (!open) {
      problems.Add(path, lines.number(), "a line outside a section: '" + std::string(line) + "'");
    } else {
      sections.back().lines.push_back(SectionLine{lines.number(), std::move(fields)});
    }
  }
  if (open)
    problems.Add(path, sections.back().line,
                 Dotted(sections.back().name) + " without .END_" + sections.back().name);
  return sections;
}

// Reads the fields of one section line in turn; the first missing or bad
// field adds one problem.
class Fields {
 public:
  Fields(const SectionLine& line, const std::string& path, Problems& problems)
      : line_(line), path_(path), problems_(problems) {}
  std::string Text(const char* what) {
    if (next_ >= line_.fields.size()) {
      Fail(std::string("missing ") + what);
      return "";
    }
    return line_.fields[next_++];
  }
  double Number(const char* what) {
    const std::string field = Text(what);
    double value = 0;
    if (ok_ && !ParseNumber(field, value)) Fail(std::string(what) + " is not a finite number: '" + field + "'");
    return value;
  }
  int Integer(const char* what) {
    const std::string field = Text(what);
    int value = 0;
    if (ok_ && !ParseInteger(field, value)) Fail(std::string(what) + " is not a whole number: '" + field + "'");
    return value;
  }
  void End() {
    if (ok_ && next_ < line_.fields.size()) Fail("unexpected fields at the end: '" + line_.fields[next_] + "'");
  }
  void Fail(const std::string& message) {
    if (ok_) problems_.Add(path_, line_.line, message);
    ok_ = false;
  }

 private:
  const SectionLine& line_;
  const std::string& path_;
  Problems& problems_;
  std::size_t next_ = 0;
  bool ok_ = true;
};

// The header section: its first line, and for a board file the board name
// and units line.
IdfHeader ReadHeader(const Section& section, bool board, const std::string& path, Problems& problems) {
  IdfHeader header;
  header.line = section.line;
  const std::size_t expected = board ? 2 : 1;
  if (section.lines.size() != expected) {
    problems.Add(path, section.line, "the header has " + std::to_string(section.lines.size()) + " lines, not " +
                                         std::to_string(expected));
  }
  if (!section.lines.empty()) {
    Fields fields(section.lines[0], path, problems);
    header.fileType = fields.Text("file type");
    header.version = fields.Text("version");
    header.system = fields.Text("system");
    header.date = fields.Text("date");
    header.fileVersion = fields.Integer("file version");
    fields.End();
    const char* expectedType = board ? "BOARD_FILE" : "LIBRARY_FILE";
    if (header.fileType != expectedType) fields.Fail(std::string("file type is not ") + expectedType);
  }
  if (board && section.lines.size() > 1) {
    Fields fields(section.lines[1], path, problems);
    header.boardName = fields.Text("board name");
    header.units = fields.Text("units");
    fields.End();
    if (header.units != "MM" && header.units != "THOU") fields.Fail("units must be MM or THOU");
  }
  return header;
}

IdfLoopPoint ReadLoopPoint(const SectionLine& line, const std::string& path, Problems& problems) {
  Fields fields(line, path, problems);
  IdfLoopPoint point;
  point.line = line.line;
  point.loop = fields.Integer("loop label");
  point.at.x = fields.Number("x");
  point.at.y = fields.Number("y");
  point.angle = fields.Number("included angle");
  fields.End();
  return point;
}

void ReadOutline(const Section& section, IdfOutline& outline, const std::string& path, Problems& problems) {
  outline.line = section.line;
  outline.owner = section.opening.empty() ? "" : section.opening[0];
  if (section.lines.empty()) {
    problems.Add(path, section.line, "outline without its thickness");
    return;
  }
  Fields thickness(section.lines[0], path, problems);
  outline.thickness = thickness.Number("thickness");
  thickness.End();
  for (std::size_t i = 1; i < section.lines.size(); ++i)
    outline.points.push_back(ReadLoopPoint(section.lines[i], path, problems));
}

void ReadHoles(const Section& section, IdfBoard& board, const std::string& path, Problems& problems) {
  for (const SectionLine& line : section.lines) {
    Fields fields(line, path, problems);
    IdfHole& hole = board.holes.emplace_back();
    hole.line = line.line;
    hole.diameter = fields.Number("diameter");
    hole.at.x = fields.Number("x");
    hole.at.y = fields.Number("y");
    hole.plating = fields.Text("plating");
    hole.part = fields.Text("associated part");
    hole.type = fields.Text("hole type");
    hole.owner = fields.Text("owner");
    fields.End();
    if (hole.plating != "PTH" && hole.plating != "NPTH") fields.Fail("plating must be PTH or NPTH");
  }
}

void ReadPlacements(const Section& section, IdfBoard& board, const std::string& path, Problems& problems) {
  if (section.lines.size() % 2 != 0)
    problems.Add(path, section.lines.back().line, "a placement without its second line");
  for (std::size_t i = 0; i + 1 < section.lines.size(); i += 2) {
    IdfPlacement& placement = board.placements.emplace_back();
    placement.line = section.lines[i].line;
    Fields names(section.lines[i], path, problems);
    placement.package = names.Text("package name");
    placement.partNumber = names.Text("part number");
    placement.reference = names.Text("reference designator");
    names.End();
    Fields place(section.lines[i + 1], path, problems);
    placement.at.x = place.Number("x");
    placement.at.y = place.Number("y");
    placement.offset = place.Number("mounting offset");
    placement.rotation = place.Number("rotation");
    placement.side = place.Text("side");
    placement.status = place.Text("placement status");
    place.End();
    if (placement.side != "TOP" && placement.side != "BOTTOM") place.Fail("side must be TOP or BOTTOM");
  }
}

}  // namespace

IdfBoard ParseIdfBoard(std::string_view text, const std::string& path, Problems& problems) {
  IdfBoard board;
  board.path = path;
  for (const Section& section : ReadSections(text, path, problems)) {
    if (section.name == "HEADER") {
      board.header = ReadHeader(section, true, path, problems);
    } else if (section.name == "BOARD_OUTLINE") {
      board.outline.emplace();
      ReadOutline(section, *board.outline, path, problems);
    } else if (section.name == "DRILLED_HOLES") {
      ReadHoles(section, board, path, problems);
    } else if (section.name == "PLACEMENT") {
      ReadPlacements(section, board, path, problems);
    }
  }
  if (!board.header) problems.Add(path, 0, "no .HEADER section");
  return board;
}

IdfLibrary ParseIdfLibrary(std::string_view text, const std::string& path, Problems& problems) {
  IdfLibrary library;
  library.path = path;
  for (const Section& section : ReadSections(text, path, problems)) {
    if (section.name == "HEADER") {
      library.header = ReadHeader(section, false, path, problems);
      continue;
    }
    if (section.name != "ELECTRICAL" && section.name != "MECHANICAL") continue;
    IdfPackage& package = library.packages.emplace_back();
    package.line = section.line;
    package.electrical = section.name == "ELECTRICAL";
    if (section.lines.empty()) {
      problems.Add(path, section.line, Dotted(section.name) + " without its name line");
      continue;
    }
    Fields fields(section.lines[0], path, problems);
    package.geometry = fields.Text("geometry name");
    package.partNumber = fields.Text("part number");
    package.units = fields.Text("units");
    package.height = fields.Number("height");
    fields.End();
    if (package.units != "MM" && package.units != "THOU") fields.Fail("units must be MM or THOU");
    for (std::size_t i = 1; i < section.lines.size(); ++i) {
      if (section.lines[i].fields.front() == "PROP") continue;
      package.outline.push_back(ReadLoopPoint(section.lines[i], path, problems));
    }
  }
  if (!library.header) problems.Add(path, 0, "no .HEADER section");
  return library;
}

}  // namespace kelpie::reader
