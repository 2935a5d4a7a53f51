// The design database: plain records in ordered lists. Every record is owned
// by its list and lives until the server is destroyed; the host holds raw
// pointers to them as handles, so the lists never move their elements
// (RecordList keeps addresses stable while it grows at the end).
//
// The host's coded values arrive as int and are kept as the enumerations
// below, converted once where the interface receives them. A value outside
// the named ones is kept as it came: the exporters report or pass it on.
#ifndef KELPIE_MODEL_RECORDS_H
#define KELPIE_MODEL_RECORDS_H

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "kelpie/kelpie.h"
#include "model/contour.h"
#include "model/record_list.h"

namespace kelpie {

// ---- Coded values ----

enum class LayerKind : int {
  kNotSet = 0,
  kSignal = 1,
  kPowerGround = 2,
  kMixed = 3,
  kSolderMask = 4,
  kSolderPaste = 5,
  kSilkScreen = 6,
  kDrill = 7,
  kRout = 8,
  kDocument = 9,
  kComponentTop = 10,
  kComponentBottom = 11,
  kMask = 12,
};
enum class Polarity : int { kNotSet = 0, kPositive = 1, kNegative = 2 };
// Whether a layer belongs to the board or is a misc layer of the job.
enum class MatrixContext : int { kNotSet = 0, kBoard = 1, kMisc = 2 };

enum class PadKind : int { kRound = 1, kRectangle = 2, kOtherRectangle = 3, kPolygon = 4 };
// How the pins of a pin type reach the board; unknown until an ODB++ export
// classifies the pin type.
enum class PinLayerKind : int { kUnknown = 0, kThrough = 1, kBlind = 2, kSurface = 3 };
// The host's pin kind: 3, 4 and 5 mark vias, 6 a fiducial; any other value
// an ordinary pin.
enum class PinKind : int { kFirstVia = 3, kLastVia = 5, kFiducial = 6 };
enum class MirrorMode : int { kNone = 0, kMirrorX = 1, kMirrorY = 2, kMirrorBoth = 3 };

inline bool IsVia(PinKind kind) { return kind >= PinKind::kFirstVia && kind <= PinKind::kLastVia; }
inline bool IsComponentLayer(LayerKind kind) {
  return kind == LayerKind::kComponentTop || kind == LayerKind::kComponentBottom;
}

// ---- Library records of a step ----

struct PadShape {
  std::string name;
  PadKind kind = PadKind::kRound;
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
  PinLayerKind layerKind = PinLayerKind::kUnknown;
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

// The pointers and doubles first, then the ints two by two: 64 bytes, one
// cache line in its list, for the record the exports read most.
struct Pin {
  PinType* pinType = nullptr;
  double x = 0, y = 0, angle = 0;
  Net* net = nullptr;
  Component* component = nullptr;
  int value = 0;
  int indexInComponent = -1;
  PinKind kind = PinKind{0};
  int indexInStep = 0;  // position in its step's pins
};

struct Component {
  Layer* layer = nullptr;
  PackageType* packageType = nullptr;
  std::string partName;
  double x = 0, y = 0, rotation = 0;
  std::string reference;
  MirrorMode mirrorMode = MirrorMode::kNone;
  std::vector<Pin*> pins;
  int indexOnLayer = 0;
};

// ---- Layer features ----

struct PadFeature {
  double x = 0, y = 0;
  PadShape* shape = nullptr;
  Pin* pin = nullptr;
  Net* net = nullptr;  // the pin's net when the pad was made
};

struct LineFeature {
  double xs = 0, ys = 0, xe = 0, ye = 0;
  double width = 0;
  Net* net = nullptr;
  bool positive = true;
};

struct ArcFeature {
  double xs = 0, ys = 0, xe = 0, ye = 0;
  double width = 0;
  Net* net = nullptr;
  double xc = 0, yc = 0;
  bool clockwise = false;
};

struct Surface {
  Net* net = nullptr;
  Layer* layer = nullptr;
};

struct Layer {
  std::string name;
  int row = 0;
  Polarity polarity = Polarity::kNotSet;
  MatrixContext context = MatrixContext::kNotSet;
  LayerKind kind = LayerKind::kNotSet;
  int componentCount = 0;
  RecordList<PadFeature> pads;
  RecordList<LineFeature> lines;
  RecordList<ArcFeature> arcs;
  RecordList<Contour> contours;
  RecordList<Surface> surfaces;
  Layer* drillStart = nullptr;
  Layer* drillEnd = nullptr;
};

// ---- Steps ----

struct Step {
  std::string name;
  RecordList<Component> components;
  RecordList<PinType> pinTypes;
  RecordList<PackageType> packageTypes;
  RecordList<PadShape> padShapes;
  RecordList<Net> nets;
  RecordList<Pin> pins;
  Contour profile;

  // Name indexes beside the lists, so that duplicate checks cost O(1).
  // Pin type names and references are never rewritten; package type names
  // are, and the exports rebuild that index after renaming.
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
