// Writes a realistic board as an IDF pair into a directory, through the
// shared library's public interface only, the way a layout program would.
//
//   kelpie_interop_export <output directory>
//
// Exits 0 when the export reported success and no error; 1 otherwise.
#include <cstdio>
#include <string>
#include <utility>

#include "kelpie/kelpie.h"

namespace {

using namespace kelpie;

class PrintingSink : public MessageSink {
 public:
  // The job property messages arrive as "...: %s" formats; the log shows
  // them as they are, without their argument.
  void Info(const char* format, ...) override { std::printf("info: %s\n", format); }
  void Error(const char* text, int) override {
    std::printf("error: %s\n", text);
    ++errors;
  }
  void Warning(const char* text, int) override { std::printf("warning: %s\n", text); }

  int errors = 0;
};

// Every file goes into one directory.
class DirectoryStore : public FileStore {
 public:
  explicit DirectoryStore(std::string directory) : directory_(std::move(directory)) {}
  bool MakeDirectory(const char*) override { return true; }
  FileHandle Open(const char* path) override {
    return reinterpret_cast<FileHandle>(std::fopen((directory_ + "/" + path).c_str(), "wb"));
  }
  bool Write(FileHandle handle, const char* text) override {
    return handle != 0 && std::fputs(text, reinterpret_cast<std::FILE*>(handle)) >= 0;
  }
  bool Close(FileHandle handle) override {
    return handle != 0 && std::fclose(reinterpret_cast<std::FILE*>(handle)) == 0;
  }

 private:
  std::string directory_;
};

// A row of `count` pins, `pitch` apart, each with a hole on the drill layer
// when `drill` is given (surface pins get no drill pad).
void AddPins(IKELPIE* server, Component* component, PinType* pinType, Layer* drill,
             PadShape* hole, double x, double y, double pitch, int count) {
  for (int i = 0; i < count; ++i) {
    Pin* pin = server->AddComponentPin(component, pinType, x + pitch * i, y, 0, 0, 1, nullptr);
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
  server->AddStep("main board", outlineX, outlineY, 6);

  Layer* top = server->AddLayer("Component Top", 1, kLayerComponentTop, kPolarityPositive,
                                kContextBoard);
  Layer* copperTop = server->AddLayer("Top", 2, kLayerSignal, kPolarityPositive, kContextBoard);
  Layer* copperBottom =
      server->AddLayer("Bottom", 3, kLayerSignal, kPolarityPositive, kContextBoard);
  Layer* bottom = server->AddLayer("Component Bottom", 4, kLayerComponentBottom,
                                   kPolarityPositive, kContextBoard);
  Layer* drill = server->AddDrillLayer("Drill 1-2", 5, copperTop, copperBottom);

  PadShape* via = server->AddRoundPadShape("via12", 0.012, 1);
  PadShape* pinHole = server->AddRoundPadShape("hole35", 0.035, 1);
  PadShape* mounting = server->AddRoundPadShape("mtg125", 0.125, 0);
  PinType* smdPin = server->AddPinType("smd");
  PinType* thPin = server->AddPinType("th");
  PinType* viaPin = server->AddPinType("via");

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
  // A connector with a part name of its own.
  PackageType* header = server->AddPackageType("HDR 1x4", -0.05, 0.35, -0.05, 0.05);
  const double headerX[] = {-0.05, 0.35, 0.35, -0.05};
  const double headerY[] = {-0.05, -0.05, 0.05, 0.05};
  server->SetPackageOutline(header, headerX, headerY, 4, 0.335);

  // Both sides, every mirror mode, part names given and left empty.
  Component* r1 = server->AddComponent(top, r0805, "R1", "", 0.5, 0.5, 0, 0);
  server->AddComponent(top, r0805, "R2", "", 0.5, 0.8, 90, 0);
  server->AddComponent(bottom, r0805, "R3", "", 1.5, 0.5, 0, 1);
  server->AddComponent(bottom, r0805, "R4", "RC0805-10k", 1.5, 2.5, 30, 2);
  server->AddComponent(top, soic, "U1", "LM358", 1.2, 1.5, 90, 0);
  server->AddComponent(bottom, soic, "U2", "", 1.2, 2.3, 45, 3);
  Component* u3 = server->AddComponent(top, dip, "U3", "", 3.2, 0.9, 0, 0);
  Component* j1 = server->AddComponent(top, header, "J1", "PH-4", 0.3, 2.6, 270, 0);
  AddPins(server, r1, smdPin, nullptr, nullptr, 0.46, 0.5, 0.08, 2);
  AddPins(server, u3, thPin, drill, pinHole, 2.9, 0.75, 0.1, 4);
  AddPins(server, u3, thPin, drill, pinHole, 2.9, 1.05, 0.1, 4);
  AddPins(server, j1, thPin, drill, pinHole, 0.3, 2.6, 0.1, 4);

  // Vias of the three via kinds, and non-plated mounting holes.
  const double viaX[] = {0.9, 1.9, 2.2, 3.6};
  const double viaY[] = {1.0, 1.2, 2.7, 1.4};
  for (int i = 0; i < 4; ++i) {
    Pin* pin = server->AddPin(viaPin, viaX[i], viaY[i], 0, 0, 3 + i % 3, nullptr);
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
