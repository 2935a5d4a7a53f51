// An IDF board file (.emn) and library file (.emp) read back. Lengths stay
// in the unit the file declares (the board header's MM or THOU; in the
// library each section names its own); angles are degrees. Every record
// keeps the 1-based line it came from.
#ifndef KELPIE_READER_IDF_H
#define KELPIE_READER_IDF_H

#include <optional>
#include <string>
#include <vector>

#include "features_file.h"

namespace kelpie::reader {

struct IdfHeader {
  int line = 0;  // of ".HEADER"
  std::string fileType;  // BOARD_FILE, LIBRARY_FILE
  std::string version;   // 3.0
  std::string system;    // the exporting system, unquoted
  std::string date;
  int fileVersion = 0;
  std::string boardName;  // board file only
  std::string units;      // board file only: MM or THOU
};

// One point of an outline loop: loop label, position, included angle (0 for
// a straight edge to this point, else the arc's sweep, 360 for a circle).
struct IdfLoopPoint {
  int line = 0;
  int loop = 0;
  Point at;
  double angle = 0;
};

struct IdfOutline {
  int line = 0;  // of ".BOARD_OUTLINE"
  std::string owner;
  double thickness = 0;
  std::vector<IdfLoopPoint> points;
};

struct IdfHole {
  int line = 0;
  double diameter = 0;
  Point at;
  std::string plating;  // PTH, NPTH
  std::string part;     // reference designator or BOARD
  std::string type;     // PIN, VIA, MTG, TOOL, ...
  std::string owner;
};

struct IdfPlacement {
  int line = 0;  // of the first of its two lines
  std::string package;
  std::string partNumber;
  std::string reference;
  Point at;
  double offset = 0;
  double rotation = 0;
  std::string side;    // TOP, BOTTOM
  std::string status;  // PLACED, ...
};

struct IdfBoard {
  std::string path;
  std::optional<IdfHeader> header;
  std::optional<IdfOutline> outline;
  std::vector<IdfHole> holes;
  std::vector<IdfPlacement> placements;
};

// An .ELECTRICAL or .MECHANICAL section of the library file.
struct IdfPackage {
  int line = 0;
  bool electrical = true;
  std::string geometry;
  std::string partNumber;
  std::string units;  // MM, THOU
  double height = 0;
  std::vector<IdfLoopPoint> outline;
};

struct IdfLibrary {
  std::string path;
  std::optional<IdfHeader> header;
  std::vector<IdfPackage> packages;

  // The package of this geometry name and part number, or null.
  const IdfPackage* Find(const std::string& geometry, const std::string& partNumber) const;
};

struct IdfJob {
  IdfBoard board;
  IdfLibrary library;
};

}  // namespace kelpie::reader

#endif  // KELPIE_READER_IDF_H
