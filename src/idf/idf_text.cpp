#include "idf/idf_text.h"

#include <ctime>

#include "model/geometry.h"
#include "output/clock.h"
#include "output/text.h"

namespace kelpie {

std::string LegalIdfName(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (const char raw : text) {
    const unsigned char c = static_cast<unsigned char>(raw);
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' ||
        c == '_' || c == '.' || c == '+')
      result += raw;
  }
  return result;
}

const std::string& IdfPartName(const Component& component) {
  return component.partName.empty() ? component.packageType->name : component.partName;
}

std::string IdfDateStamp() {
  const std::tm moment = MomentOfWriting();
  char buffer[64];
  const size_t length = std::strftime(buffer, sizeof buffer, "%Y/%m/%d.%H:%M:%S", &moment);
  return std::string(buffer, length);
}

void WriteIdfFileLine(FileWriter& writer, const std::string& fileKind) {
  writer.WriteLine(fileKind + " 3.0 " + Quoted("Quillmark IDF Export") + " " + IdfDateStamp() +
                   " 1");
}

void BeginPartNameLine(FileWriter& writer, const std::string& name) {
  writer.BeginLine("\"");
  writer.Append(name);
  writer.Append("\" \"");
  writer.Append(name);
  writer.Append("\"");
}

std::vector<std::string> IdfLoopLines(const PointList& points) {
  const int count = points.Count();
  const Walk walk = WalkOrder(points, false);
  std::vector<std::string> lines;
  lines.reserve(static_cast<size_t>(count));
  for (int n = 0; n < count; ++n) {
    const size_t i = static_cast<size_t>(walk.start + n * walk.step);
    double x = points.xs[i];
    double y = points.ys[i];
    // The round trip through a compass bearing is what prints a point on the
    // positive x axis with a Y of -0; readers of our files have seen it so.
    RotatePoint(x, y, 0);
    std::string& line = lines.emplace_back("0 ");
    AppendNumberText(line, x * kMillimetresPerInch);
    line += ' ';
    AppendNumberText(line, y * kMillimetresPerInch);
    line += " 0";
  }
  return lines;
}

void WriteIdfLoop(FileWriter& writer, const PointList& points) {
  for (const std::string& line : IdfLoopLines(points)) writer.WriteLine(line);
}

}  // namespace kelpie
