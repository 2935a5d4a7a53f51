// kelpie-export reads KiCad boards: the file is read into a Board
// (board_reader.h) and mapped onto the same host-side design that a design
// file gives (design.h), so one builder describes both to the plug-in.
// docs/kicad-import.md lists every mapping rule.
#ifndef KELPIE_HOST_KICAD_KICAD_IMPORT_H
#define KELPIE_HOST_KICAD_KICAD_IMPORT_H

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "design.h"
#include "sexpr.h"

namespace kelpie::host::kicad {

// What an import read, mapped and left out, for the summary.
struct ImportReport {
  long version = 0;
  std::size_t bytes = 0;
  double seconds = 0;     // reading and mapping, as the clock on the wall goes
  double cpuSeconds = 0;  // the processor time of it
  int footprintsTop = 0;
  int footprintsBottom = 0;
  int pads = 0;          // pads that became pins (copper or a hole)
  int aperturePads = 0;  // pads with only mask or paste openings
  int vias = 0;
  int segments = 0;
  int arcs = 0;
  int zones = 0;
  int zoneFills = 0;
  int graphics = 0;
  int texts = 0;         // texts drawn
  int holes = 0;         // drilled holes, slots among them
  int slots = 0;
  int cutouts = 0;
  // What was left out ("keep-out area"), how often and why.
  struct Skip {
    std::string plural;  // "keep-out areas"
    std::string reason;  // may be empty
    int count = 0;
  };
  std::map<std::string, Skip> skipped;  // by the singular
  std::vector<std::string> warnings;

  void Skipped(const std::string& singular, const std::string& plural, const std::string& reason, int count = 1);
};

// True when the text is a KiCad board: "(kicad_pcb" after leading blanks.
bool IsKicadBoard(std::string_view text);

// Maps the board text onto design, the job named jobName. False with one
// line "source:line:column: expected ..." when the text is no readable board.
bool ImportBoard(std::string_view text, const std::string& source, const std::string& jobName,
                 const ParseLimits& limits, Design& design, ImportReport& report, std::string& error);

// Maps the board file at path (mapped into memory, not copied) onto design,
// the job named after the file. False with one line naming the file, and
// where the board cannot be read, the line and column.
bool ImportBoardFile(const std::string& path, Design& design, ImportReport& report, std::string& error);

// The summary lines: what was read, what became of it, what was skipped.
std::vector<std::string> SummaryLines(const ImportReport& report, const std::string& source);

// The job name for a board file: its name without the folder and the
// extension.
std::string JobNameOf(const std::string& path);

}  // namespace kelpie::host::kicad

#endif  // KELPIE_HOST_KICAD_KICAD_IMPORT_H
