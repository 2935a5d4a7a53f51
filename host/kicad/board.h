// A KiCad board as the reader understands it, whatever the file version:
// lengths in millimetres and KiCad's axes (x right, y down), angles in
// degrees counter-clockwise as seen on screen. Arcs of every version arrive
// as start, middle and end points; arcs inside point lists are already
// flattened. Texts keep what is needed to stroke them. The importer
// (board_mapper.cpp) turns this into the host's design.
#ifndef KELPIE_HOST_KICAD_BOARD_H
#define KELPIE_HOST_KICAD_BOARD_H

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "design.h"

namespace kelpie::host::kicad {

// A point of the board in millimetres and KiCad's axes. It is the design's
// point type, so that the many points of zone fills move into the design
// (turned into inches in place) instead of being copied.
using Vec = Point;

// A board layer as the (layers ...) section declares it.
struct LayerDeclaration {
  std::string name;  // canonical name: "F.Cu", "In1.Cu", "F.SilkS", "Edge.Cuts", ...
  std::string type;  // "signal", "power", "mixed", "jumper", "user"
};

// A drawn shape: gr_* on the board, fp_* in a footprint, gr_* in a custom
// pad's primitives.
struct Shape {
  enum Kind { kLine, kArc, kCircle, kRect, kPolygon, kBezier };
  Kind kind = kLine;
  std::string layer;
  Vec start;   // line, arc, rect (corner), bezier (first point)
  Vec mid;     // arc
  Vec end;     // line, arc, rect (opposite corner), bezier (last point)
  Vec center;  // circle
  double radius = 0;             // circle
  std::vector<Vec> points;       // polygon outline; bezier: its four control points
  double width = 0;              // stroke width; 0: not stroked
  bool filled = false;
  std::uint32_t where = 0;       // byte offset, for messages
};

struct TextItem {
  std::string text;
  std::string layer;
  Vec at;
  double angle = 0;  // as stored: board texts and footprint texts alike carry the absolute angle
  bool hidden = false;
  bool keepUpright = false;  // footprint texts that KiCad turns to stay readable
  double height = 1;  // glyph size (mm)
  double width = 1;
  double thickness = 0;  // 0: not given
  bool bold = false;
  bool italic = false;
  bool mirrored = false;
  int horizontal = 0;  // -1 left, 0 centre, 1 right
  int vertical = 0;    // -1 top, 0 centre, 1 bottom
};

struct Pad {
  enum Type { kSmd, kThroughHole, kNptHole, kConnect };
  enum Form { kCircle, kRect, kOval, kTrapezoid, kRoundRect, kCustom };
  std::string number;
  Type type = kSmd;
  Form form = kRect;
  Vec at;            // relative to the footprint, in its rotated frame
  double angle = 0;  // absolute (the footprint's rotation included)
  Vec size;
  Vec delta;         // trapezoid
  Vec drill;         // hole size; y differs from x for an oval hole (a slot); 0: no hole
  Vec drillOffset;   // the shape's centre relative to the hole
  std::vector<std::string> layers;
  int net = -1;      // position in Board::nets; -1: no net
  double roundRatio = 0;   // roundrect: corner radius / smaller side
  double chamferRatio = 0;
  std::uint8_t chamferCorners = 0;  // bit 0 top left, 1 top right, 2 bottom left, 3 bottom right
  bool customCircleAnchor = false;
  std::vector<Shape> primitives;    // custom pads, in the pad's frame
  std::optional<double> maskMargin;
  std::optional<double> pasteMargin;
  std::optional<double> pasteRatio;
  bool fiducial = false;
  std::uint32_t where = 0;
};

struct Footprint {
  std::string name;   // "Library:Footprint"
  std::string layer;  // "F.Cu" or "B.Cu"
  Vec at;
  double angle = 0;
  std::string reference;
  std::string value;
  std::map<std::string, std::string> properties;
  std::vector<Pad> pads;
  std::vector<Shape> shapes;
  std::vector<TextItem> texts;
  std::optional<double> maskMargin;
  std::optional<double> pasteMargin;
  std::optional<double> pasteRatio;
  std::uint32_t where = 0;
};

struct Track {
  bool isArc = false;
  Vec start;
  Vec mid;  // arcs only
  Vec end;
  double width = 0;
  std::string layer;
  int net = -1;
};

struct Via {
  enum Type { kThrough, kBlindOrBuried, kMicro };
  Type type = kThrough;
  Vec at;
  double size = 0;
  double drill = 0;
  std::string from = "F.Cu";
  std::string to = "B.Cu";
  int net = -1;
};

struct Zone {
  struct Fill {
    std::string layer;
    std::vector<Vec> points;
  };
  int net = -1;
  std::vector<std::string> layers;
  bool keepout = false;
  std::vector<Fill> fills;
};

struct Board {
  long version = 0;
  double thickness = 1.6;
  std::string company;
  std::vector<std::string> comments;  // title block comments 1 to 9, in number order
  std::vector<LayerDeclaration> layers;
  std::vector<std::string> nets;  // every named net, in order of declaration
  double maskMargin = 0;           // board setup: pad to mask clearance
  double pasteMargin = 0;          // pad to paste clearance
  double pasteRatio = 0;           // pad to paste clearance ratio
  std::vector<Footprint> footprints;
  std::vector<Shape> shapes;
  std::vector<TextItem> texts;
  std::vector<Track> tracks;
  std::vector<Via> vias;
  std::vector<Zone> zones;
  // Items that the reader recognises but that have no counterpart in an
  // export, by kind ("dimension", "target", "image", "text box", "table"),
  // and the heads of top-level lists it does not know.
  std::map<std::string, int> ignored;
  std::map<std::string, int> unknown;
};

}  // namespace kelpie::host::kicad

#endif  // KELPIE_HOST_KICAD_BOARD_H
