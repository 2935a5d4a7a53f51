// Writes a realistic board as an IDF pair into a directory, through the
// shared library's public interface only, the way a layout program would.
//
//   kelpie_interop_export <output directory>
//
// Exits 0 when the export reported success and no error; 1 otherwise.
#include <cstdarg>
#include <cstdio>
#include <map>
#include <string>

#include "kelpie/kelpie.h"

namespace {

using namespace kelpie;

class PrintingSink : public MessageSink {
 public:
  void Info(const char* format, ...) override {
    // Only the four job property messages come as a format with a text.
    const std::string text = format;
    if (text == "Job name: %s" || text == "Customer name: %s" || text == "Comment: %s" ||
        text == "Board thickness: %s") {
      va_list args;
      va_start(args, format);
      const char* argument = va_arg(args, const char*);
      va_end(args);
      std::printf("info: %s%s\n", text.substr(0, text.size() - 2).c_str(),
                  argument != nullptr ? argument : "");
    } else {
      std::printf("info: %s\n", format);
    }
  }
  void Error(const char* text, int) override {
    std::printf("error: %s\n", text);
    ++errors;
  }
  void Warning(const char* text, int) override { std::printf("warning: %s\n", text); }

  int errors = 0;
};

// Files go flat into one directory; "\" in a path becomes "/".
class DirectoryStore : public FileStore {
 public:
  explicit DirectoryStore(std::string directory) : directory_(std::move(directory)) {}
  bool MakeDirectory(const char*) override { return true; }
  FileHandle Open(const char* path) override {
    std::string full = directory_ + "/" + path;
    for (char& c : full)
      if (c == '\\') c = '/';
    std::FILE* file = std::fopen(full.c_str(), "wb");
    return reinterpret_cast<FileHandle>(file);
  }
  bool Write(FileHandle handle, const char* text) override {
    if (handle == 0) return false;
    return std::fputs(text, reinterpret_cast<std::FILE*>(handle)) >= 0;
  }
  bool Close(FileHandle handle) override {
    if (handle == 0) return false;
    return std::fclose(reinterpret_cast<std::FILE*>(handle)) == 0;
  }

 private:
  std::string directory_;
};

// A row of `count` pins, `pitch` apart, each with a hole on the drill layer
// when `drill` is given (surface pins get no drill pad).
void AddPins(IKELPIE* server, Component* component, PinType* pinType, Layer* drill,
             PadShape* hole, double x, double y, double pitch, int count, Net* net) {
  for (int i = 0; i < count; ++i) {
    Pin* pin = server->AddComponentPin(component, pinType, x + pitch * i, y, 0, 0, 1, net);
    if (drill != nullptr) server->AddPinPad(drill, hole, pin);
  }
}

bool ExportBoard(IKELPIE* server, DirectoryStore& store) {
  server->SetJobName("Interop Board (rev 2)");
  server->SetBoardThickness(0.062);

  // An L-shaped board given clockwise, starting on the x axis; the DIP-8
  // outline below is given counter-clockwise.
  const double outlineX[] = {4, 0, 0, 2.5, 2.5, 4};
  const double outlineY[] = {0, 0, 3, 3, 1.75, 1.75};
  Step* step = server->AddStep("main board", outlineX, outlineY, 6);
  if (step == nullptr) return false;

  Layer* top = server->AddLayer("Component Top", 1, kLayerComponentTop, kPolarityPositive,
                                kContextBoard);
  Layer* copperTop =
      server->AddLayer("Top", 2, kLayerSignal, kPolarityPositive, kContextBoard);
  server->AddLayer("GND", 3, kLayerPowerGround, kPolarityNegative, kContextBoard);
  Layer* copperBottom =
      server->AddLayer("Bottom", 4, kLayerSignal, kPolarityPositive, kContextBoard);
  Layer* bottom = server->AddLayer("Component Bottom", 5, kLayerComponentBottom,
                                   kPolarityPositive, kContextBoard);
  Layer* drill = server->AddDrillLayer("Drill 1-4", 6, copperTop, copperBottom);

  PadShape* via = server->AddRoundPadShape("via12", 0.012, 1);
  PadShape* pinHole = server->AddRoundPadShape("hole35", 0.035, 1);
  PadShape* mounting = server->AddRoundPadShape("mtg125", 0.125, 0);
  PadShape* smd = server->AddPadShape("smd", 2, 0.05, 0.06, 0, 0);
  PinType* smdPin = server->AddPinType("smd");
  server->AddPinTypePad(smdPin, smd, copperTop);
  PinType* thPin = server->AddPinType("th");
  server->AddPinTypePad(thPin, pinHole, copperTop);
  server->AddPinTypePad(thPin, pinHole, copperBottom);
  PinType* viaPin = server->AddPinType("via");
  server->AddPinTypePad(viaPin, via, copperTop);

  // R0805 has only its box: the exporter draws its rectangle (height 0).
  PackageType* r0805 = server->AddPackageType("R0805", -0.04, 0.04, -0.025, 0.025);
  // SOIC-8 with a host outline given clockwise, and a height.
  PackageType* soic = server->AddPackageType("SOIC-8 (narrow)", -0.1, 0.1, -0.08, 0.08);
  const double soicX[] = {-0.1, -0.1, 0.1, 0.1};
  const double soicY[] = {-0.08, 0.08, 0.08, -0.08};
  server->SetPackageOutline(soic, soicX, soicY, 4, 0.069);
  // DIP-8 with a host outline given counter-clockwise, notched at pin 1.
  PackageType* dip = server->AddPackageType("DIP-8", -0.2, 0.2, -0.15, 0.15);
  const double dipX[] = {-0.2, 0.2, 0.2, -0.2, -0.2, -0.15, -0.2};
  const double dipY[] = {-0.15, -0.15, 0.15, 0.15, 0.05, 0, -0.05};
  server->SetPackageOutline(dip, dipX, dipY, 7, 0.13);
  // A connector with a box and a part name of its own.
  PackageType* header = server->AddPackageType("HDR 1x4", -0.05, 0.35, -0.05, 0.05);
  const double headerX[] = {-0.05, 0.35, 0.35, -0.05};
  const double headerY[] = {-0.05, -0.05, 0.05, 0.05};
  server->SetPackageOutline(header, headerX, headerY, 4, 0.335);

  Net* gnd = server->AddNet("GND");
  Net* vcc = server->AddNet("VCC");

  struct Placement {
    Layer* layer;
    PackageType* package;
    const char* reference;
    const char* partName;
    double x, y, rotation;
    int mirrorMode;
  };
  const Placement placements[] = {
      {top, r0805, "R1", "", 0.5, 0.5, 0, 0},
      {top, r0805, "R2", "", 0.5, 0.8, 90, 0},
      {bottom, r0805, "R3", "", 1.5, 0.5, 0, 1},
      {bottom, r0805, "R4", "RC0805-10k", 1.5, 2.5, 30, 2},
      {top, soic, "U1", "LM358", 1.2, 1.5, 90, 0},
      {bottom, soic, "U2", "", 1.2, 2.3, 45, 3},
      {top, dip, "U3", "", 3.2, 0.9, 0, 0},
      {top, header, "J1", "PH-4", 0.3, 2.6, 270, 0},
  };
  std::map<std::string, Component*> components;
  for (const Placement& p : placements) {
    Component* component = server->AddComponent(p.layer, p.package, p.reference, p.partName,
                                                 p.x, p.y, p.rotation, p.mirrorMode);
    if (component == nullptr) return false;
    components[p.reference] = component;
  }
  AddPins(server, components["R1"], smdPin, nullptr, nullptr, 0.46, 0.5, 0.08, 2, gnd);
  AddPins(server, components["U3"], thPin, drill, pinHole, 2.9, 0.75, 0.1, 4, vcc);
  AddPins(server, components["U3"], thPin, drill, pinHole, 2.9, 1.05, 0.1, 4, gnd);
  AddPins(server, components["J1"], thPin, drill, pinHole, 0.3, 2.6, 0.1, 4, gnd);

  // Vias of the three via kinds, and non-plated mounting holes.
  const double viaX[] = {0.9, 1.9, 2.2, 3.6};
  const double viaY[] = {1.0, 1.2, 2.7, 1.4};
  for (int i = 0; i < 4; ++i) {
    Pin* pin = server->AddPin(viaPin, viaX[i], viaY[i], 0, 0, 3 + i % 3, gnd);
    server->AddPinPad(drill, via, pin);
  }
  server->AddPad(drill, mounting, 0.2, 0.2);
  server->AddPad(drill, mounting, 3.8, 0.2);
  server->AddPad(drill, mounting, 0.2, 2.8);
  server->AddPad(drill, mounting, 2.3, 2.8);

  return server->WriteIDF(&store);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output directory>\n", argv[0]);
    return 2;
  }
  PrintingSink sink;
  DirectoryStore store(argv[1]);
  IKELPIE* server = createkelpieserver(&sink, "interop test", kApiVersion);
  if (server == nullptr) return 1;
  const bool written = ExportBoard(server, store);
  deletekelpieserver(server);
  return written && sink.errors == 0 ? 0 : 1;
}
