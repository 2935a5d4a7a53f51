// A board design as kelpie-export reads it from a design file: plain records
// that mirror the plug-in's interface operations one to one, with every
// reference already resolved to a position in its list and every length in
// inches. ReadDesign checks everything a design can get wrong before the
// plug-in sees any of it; DescribeDesign then replays the records through the
// interface table in a fixed order.
#ifndef KELPIE_HOST_DESIGN_H
#define KELPIE_HOST_DESIGN_H

#include <optional>
#include <string>
#include <vector>

#include "kelpie/kelpie.h"

namespace kelpie::host {

struct Point {
  double x = 0;
  double y = 0;
};
using Points = std::vector<Point>;

// A layer (AddLayer) or, with isDrill, a drill layer spanning two layers
// (AddDrillLayer, which fixes type, polarity and context itself).
struct LayerRecord {
  std::string name;
  int row = 0;  // 0: the plug-in numbers the layer itself
  int type = 0;
  int polarity = 0;
  int context = 0;
  bool isDrill = false;
  int drillFrom = -1;  // layer positions
  int drillTo = -1;
};

struct PadShapeRecord {
  enum Form { kRound, kPolygon, kSized };
  std::string name;
  Form form = kSized;
  int kind = 0;  // kSized: the plug-in's shape kind (2 and 3 are rectangles)
  double width = 0;  // kRound: the diameter
  double height = 0;
  bool plated = false;  // kRound only
  Points points;        // kPolygon only
};

struct PinTypePadRecord {
  int shape = -1;
  int layer = -1;
};

struct PinTypeRecord {
  std::string name;
  std::vector<PinTypePadRecord> pads;
};

struct PackagePinRecord {
  std::string name;
  int pinType = -1;
  double x = 0;
  double y = 0;
  double angle = 0;
  int number = 0;
};

struct PackageRecord {
  std::string name;
  double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
  Points outline;  // empty: no SetPackageOutline
  double height = 0;
  std::vector<PackagePinRecord> pins;
};

// A pad that the host flashes for a pin right after creating it (AddPinPad).
struct PinPadRecord {
  int layer = -1;
  int shape = -1;
};

struct PinRecord {
  int component = -1;  // -1: a free pin (AddPin), else AddComponentPin
  int pinType = -1;
  double x = 0;
  double y = 0;
  double angle = 0;
  int value = 0;
  int kind = 0;
  int net = -1;  // -1: no net
  std::vector<PinPadRecord> pads;
};

struct ComponentRecord {
  int layer = -1;
  int package = -1;
  std::string reference;
  std::string part;
  double x = 0;
  double y = 0;
  double rotation = 0;
  int mirror = 0;
};

struct SurfaceContourRecord {
  Points points;
  bool filled = true;
};

struct FeatureRecord {
  enum Kind { kPad, kPinPad, kLine, kArc, kCircle, kContour, kSurface, kShapeLine };
  Kind kind = kPad;
  int layer = -1;
  int shape = -1;  // kPad, kPinPad, kShapeLine
  int pin = -1;    // kPinPad: position in the step's pins
  int net = -1;    // kLine, kArc, kSurface; -1: no net
  Point from;      // kLine, kArc, kShapeLine; kPad: the position
  Point to;        // kLine, kArc, kShapeLine
  Point center;    // kArc, kCircle
  double radius = 0;
  double width = 0;
  bool clockwise = false;
  bool filled = true;  // kContour
  Points points;       // kContour
  std::vector<SurfaceContourRecord> contours;  // kSurface
};

struct StepRecord {
  std::string name;
  Points profile;
  std::vector<PadShapeRecord> padShapes;
  std::vector<PinTypeRecord> pinTypes;
  std::vector<PackageRecord> packages;
  std::vector<std::string> nets;
  std::vector<ComponentRecord> components;
  // Every pin in the order the plug-in receives them: the pins of each
  // component in component order, then the free pins.
  std::vector<PinRecord> pins;
  std::vector<FeatureRecord> features;
};

struct Design {
  std::optional<std::string> jobName;
  std::optional<std::string> customer;
  std::optional<std::string> comment;
  std::optional<double> thickness;
  std::vector<LayerRecord> layers;
  std::vector<StepRecord> steps;
  std::vector<int> matrix;  // step positions, in column order
};

// Reads a design from JSON text. On failure returns false and sets error to
// one line naming the source, the JSON path and what is wrong.
bool ReadDesign(const std::string& text, const std::string& source, Design& design,
                std::string& error);

// Reads a design file from disk (the source in messages is the path).
bool ReadDesignFile(const std::string& path, Design& design, std::string& error);

// The largest input file that kelpie-export reads.
constexpr std::size_t kMaxInputBytes = std::size_t{256} << 20;

// Reads a whole input file (at most kMaxInputBytes). False with a message.
bool ReadInputFile(const std::string& path, std::string& text, std::string& error);

// The design as design file text; ReadDesign reads it back into the same
// records.
std::string DesignText(const Design& design);

// Writes DesignText to path (complete or not at all). False with a message.
bool WriteDesignFile(const std::string& path, const Design& design, std::string& error);

// Describes the design to a fresh server through the interface table. Returns
// false with a message when the plug-in refused a record that the design
// reader had accepted.
bool DescribeDesign(IKELPIE& server, const Design& design, std::string& error);

}  // namespace kelpie::host

#endif  // KELPIE_HOST_DESIGN_H
