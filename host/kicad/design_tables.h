// The library records of the imported step (pad shapes, pin types and
// packages), each kept once: a record equal to one already made is shared.
// New records get names that are unique in the step (also once the plug-in
// makes them lower case for ODB++, where polygon shapes name directories).
#ifndef KELPIE_HOST_KICAD_DESIGN_TABLES_H
#define KELPIE_HOST_KICAD_DESIGN_TABLES_H

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "design.h"

namespace kelpie::host::kicad {

class DesignTables {
 public:
  explicit DesignTables(StepRecord& step) : step_(step) {}

  // The position of an equal shape, or of the shape added (its name is
  // made here from its form and size).
  int PadShape(PadShapeRecord shape);

  // The position of a pin type with the same pads, or of a new one named
  // prefix and a number.
  int PinType(const std::string& prefix, std::vector<PinTypePadRecord> pads);

  // The position of a package with the same name and content, or of the
  // package added; an edited copy of a package gets the name with "_2",
  // "_3" and so on.
  int Package(PackageRecord package);

 private:
  std::string UniqueName(std::unordered_set<std::string>& taken, const std::string& base);

  StepRecord& step_;
  std::unordered_map<std::string, int> shapes_;
  std::unordered_map<std::string, int> pinTypes_;
  std::unordered_map<std::string, int> packages_;
  std::unordered_set<std::string> shapeNames_;
  std::unordered_set<std::string> pinTypeNames_;
  std::unordered_set<std::string> packageNames_;
  std::unordered_map<std::string, int> pinTypeCounts_;
};

}  // namespace kelpie::host::kicad

#endif  // KELPIE_HOST_KICAD_DESIGN_TABLES_H
