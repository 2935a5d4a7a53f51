// The EDA data of a step.
//
//   HDR <source>                      LYR <layer> <layer> ...
//   NET <name>[;attributes]           then its subnets:
//   SNT TRC | SNT VIA | SNT TOP T|B <component> <toeprint> | SNT PLN <fill> <cutout> <size>
//   FID C|L|H <layer number> <feature index>        (a subnet's features)
//   PKG <name> <pitch> <xmin> <ymin> <xmax> <ymax>[;attributes]
//   PIN <name> T|B|S <x> <y> <finished hole> <electrical> <mount>
//   RC x y w h | CR x y r | SQ x y half | CT (contours) CE   outlines of the
//                                      package or pin above them
#include <string>

#include "contour_records.h"
#include "parse.h"

namespace kelpie::reader {
namespace {

class EdaParser {
 public:
  EdaParser(const std::string& path, Problems& problems) : path_(path), problems_(problems) { result_.path = path; }

  void ParseLine(std::string_view line, int number) {
    const std::size_t semicolon = line.find(';');
    Record record(line.substr(0, semicolon), number, path_, problems_);
    std::string_view word;
    if (!record.Word(word, "record")) return;
    if (contour_ != nullptr) {
      if (contours_.Take(word, record, scale_, contour_->contours)) return;
      if (word == "CE") {
        EndContourOutline();
        return;
      }
      problems_.Add(path_, contour_->line, "CT without CE");
      EndContourOutline();
    }
    if (TakeUnitLine(line, record, scale_)) return;
    if (word == "HDR") {
      result_.source = std::string(Trim(record.Rest()));
    } else if (word == "LYR") {
      result_.layersLine = number;
      std::string_view name;
      while (!record.AtEnd() && record.Word(name, "layer name")) result_.layers.emplace_back(name);
    } else if (word == "NET") {
      Net(record);
    } else if (word == "SNT") {
      Subnet(record);
    } else if (word == "FID") {
      FeatureReference(record);
    } else if (word == "PKG") {
      Package(record);
    } else if (word == "PIN") {
      Pin(record);
    } else if (word == "RC" || word == "CR" || word == "SQ" || word == "CT") {
      Outline(word, record);
    } else if (word == "PRP") {
      // A property: nothing to keep.
    } else {
      record.Fail("unknown record '" + std::string(word) + "'");
    }
  }

  EdaData Finish() {
    if (contour_ != nullptr) {
      problems_.Add(path_, contour_->line, "CT without CE");
      EndContourOutline();
    }
    return std::move(result_);
  }

 private:
  void Net(Record& record) {
    EdaNet& net = result_.nets.emplace_back();
    net.line = record.line();
    net.name = std::string(Trim(record.Rest()));
    outlines_ = nullptr;
  }

  void Subnet(Record& record) {
    if (result_.nets.empty()) {
      record.Fail("SNT before any NET");
      return;
    }
    reader::Subnet& subnet = result_.nets.back().subnets.emplace_back();
    subnet.line = record.line();
    std::string_view kind;
    if (!record.Word(kind, "subnet kind")) return;
    if (kind == "TRC") {
      subnet.kind = SubnetKind::kTrace;
    } else if (kind == "VIA") {
      subnet.kind = SubnetKind::kVia;
    } else if (kind == "TOP") {
      subnet.kind = SubnetKind::kToeprint;
      record.Letter(subnet.side, "TB", "side");
      record.Integer(subnet.component, "component number");
      record.Integer(subnet.toeprint, "toeprint number");
    } else if (kind == "PLN") {
      subnet.kind = SubnetKind::kPlane;
      record.Letter(subnet.fillType, "SO", "fill type");
      record.Letter(subnet.cutoutType, "CROE", "cutout type");
      record.Number(subnet.fillSize, "fill size");
    } else {
      record.Fail("unknown subnet kind '" + std::string(kind) + "' (TRC, VIA, TOP or PLN)");
      return;
    }
    End(record);
  }

  void FeatureReference(Record& record) {
    if (result_.nets.empty() || result_.nets.back().subnets.empty()) {
      record.Fail("FID outside a subnet");
      return;
    }
    reader::FeatureReference reference;
    reference.line = record.line();
    record.Letter(reference.type, "CLH", "feature type");
    record.Integer(reference.layer, "layer number");
    record.Integer(reference.feature, "feature index");
    End(record);
    if (record.ok()) result_.nets.back().subnets.back().features.push_back(reference);
  }

  void Package(Record& record) {
    reader::Package& package = result_.packages.emplace_back();
    package.line = record.line();
    std::string_view name;
    if (record.Word(name, "package name")) package.name = std::string(name);
    record.Number(package.pitch, "pitch");
    record.Number(package.xMin, "xmin");
    record.Number(package.yMin, "ymin");
    record.Number(package.xMax, "xmax");
    record.Number(package.yMax, "ymax");
    package.pitch *= scale_;
    package.xMin *= scale_;
    package.yMin *= scale_;
    package.xMax *= scale_;
    package.yMax *= scale_;
    End(record);
    outlines_ = &package.outlines;
  }

  void Pin(Record& record) {
    if (result_.packages.empty()) {
      record.Fail("PIN before any PKG");
      return;
    }
    PackagePin& pin = result_.packages.back().pins.emplace_back();
    pin.line = record.line();
    std::string_view field;
    if (record.Word(field, "pin name")) pin.name = std::string(field);
    record.Letter(pin.type, "TBS", "pin type");
    ReadPoint(record, scale_, pin.center, "pin");
    if (record.Number(pin.finishedHole, "finished hole size")) pin.finishedHole *= scale_;
    if (record.Word(field, "electrical type")) pin.electricalType = field[0];
    if (record.Word(field, "mount type")) pin.mountType = field[0];
    outlines_ = &pin.outlines;
  }

  void Outline(std::string_view word, Record& record) {
    if (outlines_ == nullptr) {
      record.Fail(std::string(word) + " outside a package or pin");
      return;
    }
    reader::Outline& outline = outlines_->emplace_back();
    outline.line = record.line();
    if (word == "RC") {
      outline.kind = OutlineKind::kRectangle;
      ReadPoint(record, scale_, outline.corner, "corner");
      if (record.Number(outline.width, "width")) outline.width *= scale_;
      if (record.Number(outline.height, "height")) outline.height *= scale_;
    } else if (word == "CR" || word == "SQ") {
      outline.kind = word == "CR" ? OutlineKind::kCircle : OutlineKind::kSquare;
      ReadPoint(record, scale_, outline.center, "center");
      if (record.Number(outline.radius, word == "CR" ? "radius" : "half side")) outline.radius *= scale_;
    } else {
      outline.kind = OutlineKind::kContour;
      contour_ = &outline;
    }
    End(record);
  }

  void EndContourOutline() {
    contours_.Finish(path_, problems_);
    if (contour_->contours.empty()) problems_.Add(path_, contour_->line, "CT without contours");
    contour_ = nullptr;
  }

  static void End(Record& record) {
    if (record.ok() && !record.AtEnd())
      record.Fail("unexpected fields at the end: '" + std::string(Trim(record.Rest())) + "'");
  }

  const std::string& path_;
  Problems& problems_;
  EdaData result_;
  double scale_ = 1;
  // Where RC, CR, SQ and CT records go: the last package's or pin's outlines.
  // The package and pin lists do not grow while these pointers are used
  // (PKG and PIN reset them).
  std::vector<reader::Outline>* outlines_ = nullptr;
  reader::Outline* contour_ = nullptr;  // the CT block being read
  ContourRecords contours_;
};

}  // namespace

EdaData ParseEdaData(std::string_view text, const std::string& path, Problems& problems) {
  EdaParser parser(path, problems);
  LineReader lines(text);
  while (lines.Next()) {
    const std::string_view line = Trim(lines.line());
    if (line.empty() || line[0] == '#') continue;
    parser.ParseLine(line, lines.number());
  }
  return parser.Finish();
}

}  // namespace kelpie::reader
