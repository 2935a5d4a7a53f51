// The in-memory form of an ODB++ job read back from its files.
//
// Everything here is what the files say, not what a design meant: numbers
// are kept as written (table numbers, net numbers, feature indices), so the
// checks can tell a reference that points nowhere from one that fits.
// Lengths are inches (a file with a millimetre unit line is converted while
// it is read); symbol sizes inside symbol names stay in the thousandths of
// the file's unit, as the names spell them (see symbol_name.h). Every record
// keeps the 1-based line it came from.
#ifndef KELPIE_READER_JOB_H
#define KELPIE_READER_JOB_H

#include <optional>
#include <string>
#include <vector>

#include "features_file.h"

namespace kelpie::reader {

// A "KEY=value" or ".key = value" file: misc/info, stephdr, attrlist files.
struct KeyValue {
  int line = 0;
  std::string key;
  std::string value;
};

struct KeyValueFile {
  std::string path;
  std::vector<KeyValue> entries;
  // The first entry with this key, or null.
  const KeyValue* Find(const std::string& key) const;
};

// matrix/matrix.
struct MatrixStep {
  int line = 0;  // of "STEP {"
  int column = 0;
  std::string name;
};

struct MatrixLayer {
  int line = 0;  // of "LAYER {"
  int row = 0;
  std::string context;   // BOARD, MISC
  std::string type;      // SIGNAL, DRILL, COMPONENT, ...
  std::string name;
  std::string polarity;  // POSITIVE, NEGATIVE
  std::string startName;
  std::string endName;
  std::string oldName;
};

struct Matrix {
  std::string path;
  std::vector<MatrixStep> steps;
  std::vector<MatrixLayer> layers;  // in file order
};

// A drill layer's tools file.
struct DrillTool {
  int line = 0;  // of "TOOLS {"
  int number = 0;
  std::string type;   // PLATED, NON_PLATED, VIA
  std::string type2;  // STANDARD
  double minTolerance = 0;
  double maxTolerance = 0;
  std::string bit;
  double finishSize = 0;  // thousandths of an inch
  double drillSize = 0;
};

struct Tools {
  std::string path;
  double thickness = 0;
  std::string userParameters;
  std::vector<DrillTool> tools;
};

// One reference from the EDA data to a feature: "FID C 2 17".
struct FeatureReference {
  int line = 0;
  char type = 'C';  // C copper, L laminate, H hole
  int layer = 0;    // position in the EDA data's layer list
  int feature = 0;  // index of the feature in that layer's features file
};

enum class SubnetKind : unsigned char { kTrace, kVia, kToeprint, kPlane };

struct Subnet {
  int line = 0;
  SubnetKind kind = SubnetKind::kTrace;
  // kToeprint: "SNT TOP T 0 1": side T or B, component number, toeprint number.
  char side = 'T';
  // kPlane: "SNT PLN S E 0": fill type (S solid, O outline), cut-out type
  // (C circle, R rectangle, O octagon, E exact), fill size.
  char fillType = 'S';
  char cutoutType = 'E';
  int component = -1;
  int toeprint = -1;
  double fillSize = 0;
  std::vector<FeatureReference> features;
};

struct EdaNet {
  int line = 0;
  std::string name;
  std::vector<Subnet> subnets;
};

// A package or pin outline: RC, CR, SQ or a CT ... CE block of contours.
enum class OutlineKind { kRectangle, kCircle, kSquare, kContour };

struct Outline {
  int line = 0;
  OutlineKind kind = OutlineKind::kRectangle;
  Point corner;     // kRectangle: lower-left corner
  double width = 0;  // kRectangle
  double height = 0;
  Point center;       // kCircle, kSquare
  double radius = 0;  // kCircle: radius; kSquare: half the side
  std::vector<Contour> contours;  // kContour
};

struct PackagePin {
  int line = 0;
  std::string name;
  char type = 'S';  // T through, B blind, S surface
  Point center;
  double finishedHole = 0;
  char electricalType = 'U';
  char mountType = 'U';
  std::vector<Outline> outlines;
};

struct Package {
  int line = 0;
  std::string name;
  double pitch = 0;
  double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
  std::vector<Outline> outlines;
  std::vector<PackagePin> pins;
};

// steps/<step>/eda/data.
struct EdaData {
  std::string path;
  std::string source;  // the HDR line's text
  int layersLine = 0;
  std::vector<std::string> layers;  // the LYR line; FID layer numbers index it
  std::vector<EdaNet> nets;
  std::vector<Package> packages;
};

// A component layer's components file.
struct Toeprint {
  int line = 0;
  int pin = 0;  // the package pin's number, from 0
  Point at;
  double rotation = 0;
  bool mirrored = false;
  int net = -1;     // EDA net number
  int subnet = -1;  // subnet number within that net
  std::string name;
};

struct Component {
  int line = 0;
  int package = -1;  // EDA package number
  Point at;
  double rotation = 0;
  bool mirrored = false;
  std::string reference;
  std::string part;
  std::vector<Toeprint> toeprints;
};

struct ComponentsFile {
  std::string path;
  std::vector<Component> components;
};

// steps/<step>/netlists/cadnet/netlist.
struct NetlistNet {
  int line = 0;
  int number = 0;
  std::string name;
};

struct NetlistPoint {
  int line = 0;
  int net = 0;
  double radius = 0;
  Point at;
  char side = 'T';  // T top, D down (bottom), B both
};

struct Netlist {
  std::string path;
  std::string header;  // "H optimize n staggered n"
  std::vector<NetlistNet> nets;
  std::vector<NetlistPoint> points;
};

// One layer directory of a step. A file that is missing is absent here.
struct Layer {
  std::string name;
  std::optional<Features> features;
  std::optional<Tools> tools;
  std::optional<ComponentsFile> components;
  std::optional<KeyValueFile> attributes;  // attrlist
};

struct Step {
  std::string name;
  std::optional<Features> profile;  // one surface: the board outline
  std::optional<KeyValueFile> header;  // stephdr
  std::optional<KeyValueFile> attributes;  // attrlist
  // Layers in the order of the matrix rows; directories that the matrix
  // does not name follow, sorted by name.
  std::vector<Layer> layers;
  std::optional<EdaData> eda;
  std::optional<Netlist> netlist;

  // Looks through the layers in order (a check that looks up many names
  // makes an index of its own).
  const Layer* FindLayer(const std::string& name) const;
};

// A user symbol under symbols/<name>: a features file of its own.
struct UserSymbol {
  std::string name;
  std::optional<Features> features;
  std::optional<KeyValueFile> attributes;
};

// What a file of the job holds: its byte count and the sum of its bytes
// taken as signed 8-bit values, wrapping at 32 bits.
struct FileFacts {
  long long size = 0;
  int checksum = 0;
};

// A ".<file>.sum" companion: what it says, and what the file it describes
// holds (absent when that file does not exist or cannot be read).
struct Summary {
  std::string path;     // of the .sum file, as shown in messages
  std::string subject;  // path inside the job of the file it describes
  int sizeLine = 0, sumLine = 0, dateLine = 0, timeLine = 0;
  std::optional<long long> size;
  std::optional<long long> sum;
  std::optional<FileFacts> subjectFacts;
  std::string date;  // as written, dd/mm/yyyy
  std::string time;  // hh:mm:ss
  std::string version;
  std::string user;
};

struct Job {
  std::string name;  // the job directory's name
  std::optional<Matrix> matrix;
  std::optional<KeyValueFile> info;        // misc/info
  std::optional<KeyValueFile> attributes;  // misc/attrlist
  std::vector<Step> steps;  // matrix column order, then unlisted directories
  std::vector<UserSymbol> symbols;  // sorted by name (FindSymbol relies on it)
  std::vector<Summary> summaries;

  const Step* FindStep(const std::string& name) const;
  const UserSymbol* FindSymbol(const std::string& name) const;
};

}  // namespace kelpie::reader

#endif  // KELPIE_READER_JOB_H
