// The design database: plain records in ordered lists. Every record is owned
// by its list and lives until the server is destroyed; the host holds raw
// pointers to them as handles, so the lists never move their elements
// (std::deque keeps addresses stable while it grows at the end).
#ifndef KELPIE_MODEL_RECORDS_H
#define KELPIE_MODEL_RECORDS_H

#include <deque>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "kelpie/kelpie.h"
#include "model/contour.h"

namespace kelpie {

// ---- Library records of a step ----

struct PadShape {
  std::string name;
  int kind = 0;  // 1 round, 2 and 3 rectangular, 4 polygon
  double width = 0;
  double height = 0;
  bool plated = false;
  Contour outline;  // polygon shapes only
};

struct PinTypePad {
  PadShape* shape = nullptr;
  Layer* layer = nullptr;
};

struct PinType {
  std::string name;
  int pinLayerKind = 0;  // 0 unknown, 1 through, 2 blind, 3 surface
  std::vector<PinTypePad> pads;
  double drillSize = 0;
};

struct PackagePin {
  PinType* pinType = nullptr;
  double x = 0, y = 0, angle = 0;
  int number = 0;
  int index = 0;
  std::string name;
};

struct PackageType {
  std::string name;
  std::string partName;
  double pitch = 0;
  double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
  bool usedOnTop = false;
  bool usedOnBottom = false;
  int index = 0;
  std::unique_ptr<Contour> outline;
  double height = 0;
  std::vector<PackagePin> pins;
};

// ---- Instances of a step ----

struct Net {
  std::string name;
  int index = 0;
};

struct Component;

struct Pin {
  PinType* pinType = nullptr;
  double x = 0, y = 0, angle = 0;
  int value = 0;
  Net* net = nullptr;
  Component* component = nullptr;
  int indexInComponent = -1;
  int kind = 0;  // 3, 4 and 5 are vias, 6 fiducials
  int subnetIndex = -1;
};

inline bool IsViaKind(int kind) { return kind == 3 || kind == 4 || kind == 5; }

struct Component {
  Layer* layer = nullptr;
  PackageType* packageType = nullptr;
  std::string partName;
  double x = 0, y = 0, rotation = 0;
  std::string reference;
  int mirrorMode = 0;  // 0 none, 1 mirrored in x, 2 in y, 3 both
  std::vector<Pin*> pins;
  int indexOnLayer = 0;
};

// ---- Layer features ----

struct PadFeature {
  double x = 0, y = 0;
  PadShape* shape = nullptr;
  Pin* pin = nullptr;
  Net* net = nullptr;
  int featureIndex = -1;
};

struct LineFeature {
  double xs = 0, ys = 0, xe = 0, ye = 0;
  double width = 0;
  Net* net = nullptr;
  bool positive = true;
  int featureIndex = -1;
};

struct ArcFeature {
  double xs = 0, ys = 0, xe = 0, ye = 0;
  double width = 0;
  Net* net = nullptr;
  double xc = 0, yc = 0;
  bool clockwise = false;
  int featureIndex = -1;
};

struct Surface {
  Net* net = nullptr;
  Layer* layer = nullptr;
  int featureIndex = -1;
};

struct Layer {
  std::string name;
  int row = 0;
  int polarity = 0;
  int context = 0;
  int type = 0;
  int componentCount = 0;
  std::deque<PadFeature> pads;
  std::deque<LineFeature> lines;
  std::deque<ArcFeature> arcs;
  std::deque<Contour> contours;
  std::deque<Surface> surfaces;
  Layer* drillStart = nullptr;
  Layer* drillEnd = nullptr;
};

// ---- Steps ----

struct Step {
  std::string name;
  std::deque<Component> components;
  std::deque<PinType> pinTypes;
  std::deque<PackageType> packageTypes;
  std::deque<PadShape> padShapes;
  std::deque<Net> nets;
  std::deque<Pin> pins;
  Contour profile;

  // Name indexes beside the lists, so that duplicate checks cost O(1).
  // Pin type names and references are never rewritten; package type names
  // are, and the export jobs rebuild that index after renaming.
  std::unordered_set<std::string> pinTypeNames;
  std::unordered_set<std::string> packageTypeNames;
  std::unordered_set<std::string> references;
};

struct MatrixStep {
  int column = 0;
  std::string name;
  Step* step = nullptr;
};

}  // namespace kelpie

#endif
