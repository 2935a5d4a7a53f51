// Contours as ODB++ records: the "OB"/"OS"/"OE" lines of one polygon, a
// polygon as a surface of its own, and the lines that draw an outline. The
// features files, the profile, the symbols and the EDA pin outlines share
// them.
#ifndef KELPIE_ODB_CONTOUR_RECORDS_H
#define KELPIE_ODB_CONTOUR_RECORDS_H

#include <vector>

#include "model/records.h"
#include "output/file_writer.h"

namespace kelpie {

// Where a contour's points go: turned clockwise by `angle` degrees about the
// origin, then moved by (dx, dy).
struct ContourPlacement {
  double dx = 0;
  double dy = 0;
  double angle = 0;
};

// "OB" with the first point and "I" (island) or "H" (hole), "OS" for every
// further point (the closing repeat of the first included), "OE". Islands are
// walked clockwise, holes counter-clockwise, however the points were given.
// A contour that is not filled writes nothing.
void WriteContourRecords(FileWriter& writer, const Contour& contour,
                         const ContourPlacement& placement = {});
// A filled contour as a surface of its own: "S P 0", its records, "SE";
// nothing for a contour that is not filled.
void WriteContourSurface(FileWriter& writer, const Contour& contour);
// The lines that draw the outline of a contour with a width: walked
// clockwise, one line from each point back to the one before it.
std::vector<LineFeature> OutlineLines(const Contour& contour);

}  // namespace kelpie

#endif
