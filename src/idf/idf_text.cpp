#include <ctime>

#include "idf/idf_writers.h"
#include "output/clock.h"
#include "output/text.h"

namespace kelpie {

const std::string& IdfPartName(const Component& component) {
  return component.partName.empty() ? component.packageType->name : component.partName;
}

std::string IdfDateStamp() {
  const std::tm moment = MomentOfWriting();
  char buffer[64];
  const size_t length = std::strftime(buffer, sizeof buffer, "%Y/%m/%d.%H:%M:%S", &moment);
  return std::string(buffer, length);
}

void WriteIdfFileLine(cFileWriter& writer, const std::string& fileKind) {
  writer.WriteLine(fileKind + " 3.0 " + Quoted("Quillmark IDF Export") + " " + IdfDateStamp() +
                   " 1");
}

void WriteIdfLoop(cFileWriter& writer, const PointList& points) {
  // IDF loops run counter-clockwise; a positive turn sum marks a clockwise
  // list, which is therefore walked backwards. The model's own walk order is
  // left alone for the other exporters.
  const int count = points.Count();
  const bool backwards = points.turnSum > 0;
  for (int n = 0; n < count; ++n) {
    const size_t i = static_cast<size_t>(backwards ? count - 1 - n : n);
    double x = points.xs[i];
    double y = points.ys[i];
    // The round trip through a compass bearing is what prints a point on the
    // positive x axis with a Y of -0; readers of our files have seen it so.
    RotatePoint(x, y, 0);
    writer.BeginLine("0");
    writer.AddNumber(x * kMillimetresPerInch);
    writer.AddNumber(y * kMillimetresPerInch);
    writer.EndLine("0");
  }
}

}  // namespace kelpie
