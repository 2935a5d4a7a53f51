#include "odb/contour_records.h"

#include "model/geometry.h"

namespace kelpie {

void WriteContourRecords(FileWriter& writer, const Contour& contour,
                         const ContourPlacement& placement) {
  if (!contour.filled) return;
  const PointList& points = contour.points;
  const Walk walk = WalkOrder(points, !contour.hole);
  const int count = points.Count();
  for (int i = 0; i < count; ++i) {
    const size_t at = static_cast<size_t>(walk.start + i * walk.step);
    double x = points.xs[at];
    double y = points.ys[at];
    RotatePoint(x, y, placement.angle);
    writer.BeginLine(i == 0 ? "OB" : "OS");
    writer.AddNumber(placement.dx + x);
    writer.AddNumber(placement.dy + y);
    if (i == 0) writer.AddField(contour.hole ? "H" : "I");
    writer.EndLine("");
  }
  writer.WriteLine("OE");
}

void WriteContourSurface(FileWriter& writer, const Contour& contour) {
  if (!contour.filled) return;
  writer.WriteLine("S P 0");
  WriteContourRecords(writer, contour);
  writer.WriteLine("SE");
}

std::vector<LineFeature> OutlineLines(const Contour& contour) {
  std::vector<LineFeature> lines;
  const PointList& points = contour.points;
  const Walk walk = WalkOrder(points, true);
  const int count = points.Count();
  double previousX = 0;
  double previousY = 0;
  for (int i = 0; i < count; ++i) {
    const size_t at = static_cast<size_t>(walk.start + i * walk.step);
    double x = points.xs[at];
    double y = points.ys[at];
    RotatePoint(x, y, 0);
    if (i >= 1) {
      LineFeature& line = lines.emplace_back();
      line.xs = x;
      line.ys = y;
      line.xe = previousX;
      line.ye = previousY;
      line.width = contour.width;
      line.positive = !contour.hole;
    }
    previousX = x;
    previousY = y;
  }
  return lines;
}

}  // namespace kelpie
