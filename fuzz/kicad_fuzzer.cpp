// libFuzzer target for the KiCad board importer. Every input is read as a
// board file. A refused board must say where it went wrong; a board that is
// read must give a design that
//  - reads back unchanged from the design file written for it, and
//  - the plug-in takes whole and writes as IDF and as ODB++ without an error.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "design.h"
#include "fuzz_host.h"
#include "kicad/kicad_import.h"

namespace kelpie::fuzz {
namespace {

// Counts the plug-in's errors; every message is shown with
// KELPIE_FUZZ_VERBOSE=1.
class CountingSink : public MessageSink {
 public:
  void Info(const char* format, ...) override { Show('I', format); }
  void Error(const char* text, int) override {
    Show('E', text);
    ++errors;
    lastError = text;
  }
  void Warning(const char* text, int) override { Show('W', text); }

  int errors = 0;
  std::string lastError;

 private:
  static void Show(char kind, const char* text) {
    static const bool verbose = std::getenv("KELPIE_FUZZ_VERBOSE") != nullptr;
    if (verbose) std::fprintf(stderr, "[%c] %s\n", kind, text);
  }
};

void CheckExports(const host::Design& design) {
  for (const bool odb : {false, true}) {
    CountingSink sink;
    IKELPIE* server = createkelpieserver(&sink, "kicad fuzz", kApiVersion);
    std::string error;
    if (!host::DescribeDesign(*server, design, error)) Violation("the plug-in refused the imported design:", error);
    FuzzStore store;
    store.Begin(StorePlan{});
    const bool written = odb ? server->WriteODB(&store) : server->WriteIDF(&store);
    store.CheckAllClosed();
    deletekelpieserver(server);
    if (!written || sink.errors > 0) Violation(odb ? "the ODB++ export failed:" : "the IDF export failed:", sink.lastError);
  }
}

}  // namespace
}  // namespace kelpie::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelpie;
  host::Design design;
  host::kicad::ImportReport report;
  std::string error;
  std::string text(reinterpret_cast<const char*>(data), size);
  if (!host::kicad::ImportBoard(std::move(text), "fuzz.kicad_pcb", "fuzz", host::kicad::ParseLimits{}, design, report,
                                error)) {
    if (error.rfind("fuzz.kicad_pcb:", 0) != 0 || error.find(": expected ") == std::string::npos)
      fuzz::Violation("a refused board without its place:", error);
    return 0;
  }
  const std::string written = host::DesignText(design);
  host::Design again;
  if (!host::ReadDesign(written, "written.json", again, error)) fuzz::Violation("the written design is refused:", error);
  if (host::DesignText(again) != written) fuzz::Violation("the written design reads back differently");
  fuzz::CheckExports(design);
  return 0;
}
