// The smallest useful host: a sink that prints, a store that writes files
// under the current directory, and a one-resistor board exported as ODB++.
// Built with the project (target kelpie_minimal_host) so that it stays in
// step with include/kelpie/kelpie.h; README.md shows it.
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "kelpie/kelpie.h"

class PrintingSink final : public kelpie::MessageSink {
 public:
  void Info(const char* format, ...) override {
    // Only these four arrive as a format with one argument; every other text
    // is complete, may hold '%' and is never used as a format.
    static const std::set<std::string> kFormats = {"Job name: %s", "Customer name: %s", "Comment: %s",
                                                   "Board thickness: %s"};
    std::string text = format;
    if (kFormats.count(text) != 0) {
      va_list args;
      va_start(args, format);
      text.replace(text.find("%s"), 2, va_arg(args, const char*));
      va_end(args);
    }
    std::printf("%s\n", text.c_str());
  }
  void Error(const char* text, int) override { std::fprintf(stderr, "error: %s\n", text); }
  void Warning(const char* text, int) override { std::fprintf(stderr, "warning: %s\n", text); }
};

// Paths arrive as "job\steps\pcb\profile". (kelpie-export's store also
// refuses "..", "." and empty parts, which this one leaves out.)
class FolderStore final : public kelpie::FileStore {
 public:
  bool MakeDirectory(const char* path) override {
    std::error_code error;
    std::filesystem::create_directories(Local(path), error);
    return !error;
  }
  kelpie::FileHandle Open(const char* path) override {
    return reinterpret_cast<kelpie::FileHandle>(std::fopen(Local(path).c_str(), "wb"));  // 0 on failure
  }
  bool Write(kelpie::FileHandle handle, const char* text) override {
    return handle != 0 && std::fputs(text, reinterpret_cast<std::FILE*>(handle)) >= 0;
  }
  bool Close(kelpie::FileHandle handle) override {
    return handle != 0 && std::fclose(reinterpret_cast<std::FILE*>(handle)) == 0;
  }

 private:
  static std::string Local(std::string path) {
    for (char& c : path)
      if (c == '\\') c = '/';
    return path;
  }
};

int main() {
  PrintingSink sink;
  FolderStore store;
  kelpie::IKELPIE* server = createkelpieserver(&sink, "my host", kelpie::kApiVersion);
  if (server == nullptr) return 1;

  server->SetJobName("minimal");
  server->SetBoardThickness(0.062);
  kelpie::Layer* components = server->AddLayer("comp_top", 1, kelpie::kLayerComponentTop,
                                               kelpie::kPolarityPositive, kelpie::kContextBoard);
  kelpie::Layer* top = server->AddLayer("top", 2, kelpie::kLayerSignal, kelpie::kPolarityPositive,
                                        kelpie::kContextBoard);
  const double xs[] = {0, 1, 1, 0}, ys[] = {0, 0, 1, 1};
  kelpie::Step* step = server->AddStep("pcb", xs, ys, 4);  // becomes the current step
  server->AddMatrixStep(step, 0, 0);

  kelpie::PadShape* pad = server->AddPadShape("smd", 2, 0.03, 0.04, 0, 0);
  kelpie::PinType* smd = server->AddPinType("smd");
  server->AddPinTypePad(smd, pad, top);
  kelpie::PackageType* r0603 = server->AddPackageType("R0603", -0.06, 0.06, -0.03, 0.03);
  server->AddPackagePin(r0603, smd, "1", -0.03, 0, 0, 1);
  server->AddPackagePin(r0603, smd, "2", 0.03, 0, 0, 2);
  kelpie::Net* vcc = server->AddNet("VCC");
  kelpie::Net* gnd = server->AddNet("GND");

  kelpie::Component* r1 = server->AddComponent(components, r0603, "R1", "10k", 0.5, 0.5, 0, 0);
  kelpie::Pin* pin1 = server->AddComponentPin(r1, smd, 0.47, 0.5, 0, 0, 0, vcc);
  kelpie::Pin* pin2 = server->AddComponentPin(r1, smd, 0.53, 0.5, 0, 0, 0, gnd);
  server->AddPinPad(top, pad, pin1);
  server->AddPinPad(top, pad, pin2);
  server->AddLine(top, 0.1, 0.5, 0.47, 0.5, 0.01, vcc);

  const bool written = server->WriteODB(&store);  // true: ./minimal/ holds the job
  deletekelpieserver(server);
  return written ? 0 : 1;
}
