#include "kicad_import.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cstdio>

#include "board_mapper.h"
#include "board_reader.h"

namespace kelpie::host::kicad {

namespace {

std::string Count(long n, const std::string& singular, const std::string& plural) {
  return std::to_string(n) + " " + (n == 1 ? singular : plural);
}

// The KiCad release that writes a file version.
int ReleaseOf(long version) {
  if (version < 20200000) return 5;
  if (version <= 20211014) return 6;
  if (version <= 20221018) return 7;
  if (version <= 20240108) return 8;
  return 9;
}

std::string Megabytes(std::size_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
  return text;
}

}  // namespace

bool IsKicadBoard(std::string_view text) {
  size_t i = 0;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") i = 3;  // a byte order mark
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
  return text.substr(i, 10) == "(kicad_pcb";
}

void ImportReport::Skipped(const std::string& singular, const std::string& plural, const std::string& reason,
                           int count) {
  Skip& skip = skipped[singular];
  skip.plural = plural;
  skip.reason = reason;
  skip.count += count;
}

bool ImportBoard(std::string_view text, const std::string& source, const std::string& jobName,
                 const ParseLimits& limits, Design& design, ImportReport& report, std::string& error) {
  const auto start = std::chrono::steady_clock::now();
  const std::clock_t cpuStart = std::clock();
  report = ImportReport{};
  report.bytes = text.size();
  Board board;
  if (!ReadBoard(text, source, limits, board, report.warnings, error)) return false;
  report.version = board.version;
  MapBoard(board, jobName, design, report);
  report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  report.cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  return true;
}

bool ImportBoardFile(const std::string& path, Design& design, ImportReport& report, std::string& error) {
  // The file's pages stay those of the page cache: a copy would cost a
  // second memory of the board's size.
  const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat status {};
  if (file < 0 || fstat(file, &status) != 0) {
    if (file >= 0) close(file);
    error = path + ": cannot open the design file";
    return false;
  }
  const auto size = static_cast<std::size_t>(status.st_size);
  if (size > kMaxInputBytes) {
    close(file);
    error = path + ":1:1: expected a design file or board of at most " + std::to_string(kMaxInputBytes >> 20) +
            " MB, found " + std::to_string(size) + " bytes or more";
    return false;
  }
  void* mapped = size > 0 ? mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, file, 0) : nullptr;
  close(file);
  if (mapped == MAP_FAILED) {
    error = path + ": cannot read the design file";
    return false;
  }
  const std::string_view text(static_cast<const char*>(mapped), size);
  const bool read = ImportBoard(text, path, JobNameOf(path), ParseLimits{}, design, report, error);
  if (mapped != nullptr) munmap(mapped, size);
  return read;
}

std::vector<std::string> SummaryLines(const ImportReport& report, const std::string& source) {
  char seconds[64];
  std::snprintf(seconds, sizeof seconds, "%.2f s (%.2f s of processor time)", report.seconds, report.cpuSeconds);
  std::vector<std::string> lines;
  lines.push_back("Read " + source + ": a KiCad " + std::to_string(ReleaseOf(report.version)) +
                  " board (file version " + std::to_string(report.version) + ", " + Megabytes(report.bytes) +
                  "), read and mapped in " + seconds);
  std::string exported = "Exported " + Count(report.footprintsTop, "footprint", "footprints") + " on the top and " +
                         std::to_string(report.footprintsBottom) + " on the bottom; " +
                         Count(report.pads, "pad", "pads");
  if (report.aperturePads > 0) exported += " and " + Count(report.aperturePads, "mask or paste opening", "mask or paste openings");
  exported += ", " + Count(report.vias, "via", "vias") + ", " + Count(report.holes, "hole", "holes");
  if (report.slots > 0) exported += " (" + Count(report.slots, "slot", "slots") + ")";
  exported += "; " + Count(report.segments, "track segment", "track segments") + " and " +
              Count(report.arcs, "arc", "arcs") + "; " + Count(report.zones, "zone", "zones") + " (" +
              Count(report.zoneFills, "fill", "fills") + "); " + Count(report.graphics, "drawing", "drawings") + ", " +
              Count(report.texts, "text", "texts");
  if (report.cutouts > 0) exported += ", " + Count(report.cutouts, "board cut-out", "board cut-outs");
  lines.push_back(exported);
  if (!report.skipped.empty()) {
    std::string skipped = "Skipped";
    const char* separator = " ";
    for (const auto& [singular, skip] : report.skipped) {
      skipped += separator + Count(skip.count, singular, skip.plural);
      if (!skip.reason.empty()) skipped += " (" + skip.reason + ")";
      separator = "; ";
    }
    lines.push_back(skipped);
  }
  return lines;
}

std::string JobNameOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

}  // namespace kelpie::host::kicad
