// An IDF board and library pair: the board has its header and outline,
// every outline loop closes, and every placement's package is in the
// library file. (Sections that do not close and numbers that are not
// finite are found while the files are read.)
#include <cmath>
#include <string>

#include "checks.h"

namespace kelpie::reader {
namespace {

bool Near(Point a, Point b) { return std::fabs(a.x - b.x) < 1e-9 && std::fabs(a.y - b.y) < 1e-9; }

// Each run of points with one loop label must end where it begins; a loop
// of two points whose second has an included angle of 360 is a circle.
void CheckLoops(const std::string& path, const std::vector<IdfLoopPoint>& points, Problems& problems) {
  std::size_t first = 0;
  while (first < points.size()) {
    std::size_t last = first;
    while (last + 1 < points.size() && points[last + 1].loop == points[first].loop) ++last;
    const bool circle = last == first + 1 && std::fabs(std::fabs(points[last].angle) - 360) < 1e-9;
    if (last == first) {
      problems.Add(path, points[first].line, "loop " + std::to_string(points[first].loop) + " has a single point");
    } else if (!circle && !Near(points[first].at, points[last].at)) {
      problems.Add(path, points[last].line, "loop " + std::to_string(points[first].loop) +
                                                " does not end where it begins (line " +
                                                std::to_string(points[first].line) + ")");
    }
    first = last + 1;
  }
}

}  // namespace

void CheckIdf(const IdfJob& job, Problems& problems) {
  const IdfBoard& board = job.board;
  if (!board.outline) {
    problems.Add(board.path, 0, "no .BOARD_OUTLINE section");
  } else if (board.outline->points.empty()) {
    problems.Add(board.path, board.outline->line, "the board outline has no points");
  } else {
    CheckLoops(board.path, board.outline->points, problems);
  }
  for (const IdfPlacement& placement : board.placements) {
    if (job.library.Find(placement.package, placement.partNumber) == nullptr)
      problems.Add(board.path, placement.line, "package \"" + placement.package + "\" \"" + placement.partNumber +
                                                   "\" of " + placement.reference + " is not in " + job.library.path);
  }
  for (const IdfPackage& package : job.library.packages) {
    if (package.outline.empty()) {
      problems.Add(job.library.path, package.line, "package " + package.geometry + " has no outline");
    } else {
      CheckLoops(job.library.path, package.outline, problems);
    }
  }
}

}  // namespace kelpie::reader
