#include "contour_records.h"

#include <string>

namespace kelpie::reader {

bool ReadPoint(Record& record, double scale, Point& point, const char* what) {
  double x = 0;
  double y = 0;
  const std::string name(what);
  const bool readX = record.Number(x, (name + " x").c_str());
  const bool readY = record.Number(y, (name + " y").c_str());  // read even after a bad x
  point = Point{x * scale, y * scale};
  return readX && readY;
}

bool TakeUnitLine(std::string_view line, Record& record, double& scale) {
  std::string_view unit;
  if (line.starts_with("UNITS=")) {
    unit = Trim(line.substr(6));
  } else if (line.starts_with("U ")) {
    unit = Trim(line.substr(2));
  } else {
    return false;
  }
  if (unit == "INCH") {
    scale = 1;
  } else if (unit == "MM") {
    scale = 1 / 25.4;
  } else {
    record.Fail("unknown unit '" + std::string(unit) + "' (INCH or MM)");
  }
  return true;
}

bool ContourRecords::Take(std::string_view word, Record& record, double scale, std::vector<Contour>& contours) {
  if (word == "OB") {
    if (open_) {
      record.Fail("OB before the OE of the contour at line " + std::to_string(openLine_));
      return true;
    }
    contours.emplace_back();
    Contour& contour = contours.back();
    contour.line = record.line();
    open_ = true;
    openLine_ = record.line();
    char kind = 'I';
    ReadPoint(record, scale, contour.start, "start");
    record.Letter(kind, "IH", "island or hole");
    contour.island = kind == 'I';
    return true;
  }
  if (word != "OS" && word != "OC" && word != "OE") return false;
  if (!open_) {
    record.Fail(std::string(word) + " outside a contour");
    return true;
  }
  if (word == "OE") {
    open_ = false;
    if (contours.back().segments.empty()) record.Fail("contour without segments");
    return true;
  }
  Segment segment;
  if (!ReadPoint(record, scale, segment.end, "end")) return true;
  if (word == "OC") {
    segment.arc = true;
    const bool center = ReadPoint(record, scale, segment.center, "center");
    if (!record.YesNo(segment.clockwise, "clockwise") || !center) return true;
  }
  contours.back().segments.push_back(segment);
  return true;
}

void ContourRecords::Finish(const std::string& path, Problems& problems) {
  if (!open_) return;
  problems.Add(path, openLine_, "contour without OE");
  open_ = false;
}

}  // namespace kelpie::reader
