// The contour records shared by surfaces, the profile, user symbols and the
// outlines of the EDA data: "OB x y I|H", then "OS x y" (straight) and
// "OC x y xc yc Y|N" (arc, clockwise or not), then "OE".
#ifndef KELPIE_READER_CONTOUR_RECORDS_H
#define KELPIE_READER_CONTOUR_RECORDS_H

#include <string>
#include <string_view>
#include <vector>

#include "features_file.h"
#include "text.h"

namespace kelpie::reader {

class ContourRecords {
 public:
  // Takes the record if its first word is OB, OS, OC or OE and adds what it
  // reads to `contours`, converting lengths by `scale`; false for any other
  // word.
  bool Take(std::string_view word, Record& record, double scale, std::vector<Contour>& contours);
  // Ends the group (at "SE" or "CE"): a contour still open is a problem at
  // its OB line.
  void Finish(const std::string& path, Problems& problems);
  bool open() const { return open_; }

 private:
  bool open_ = false;
  int openLine_ = 0;
};

// Reads "x y" into a point scaled by `scale`.
bool ReadPoint(Record& record, double scale, Point& point, const char* what);

// The unit line of features files and the EDA data: "UNITS=MM", "U INCH".
// True when the line is one; `scale` becomes the factor to inches.
bool TakeUnitLine(std::string_view line, Record& record, double& scale);

}  // namespace kelpie::reader

#endif  // KELPIE_READER_CONTOUR_RECORDS_H
