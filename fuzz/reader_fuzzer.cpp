// libFuzzer target of the reader: the parsers of features files and EDA
// data first of all, and every other parser and check of a job read back.
// The first byte chooses what the rest is:
//   0 features file, 1 EDA data, 2 components file, 3 netlist, 4 matrix,
//   5 tools file, 6 .sum companion, 7 IDF board and library file,
//   8 a whole job of several files;
// several files are separated by a 0 byte. Nothing the input says may crash,
// hang, leak or read out of bounds.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "check_parts.h"
#include "checks.h"
#include "parse.h"
#include "read_job.h"

namespace {

using namespace kelpie::reader;

std::vector<std::string_view> Split(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t zero = text.find('\0'); zero != std::string_view::npos; zero = text.find('\0', start)) {
    parts.push_back(text.substr(start, zero - start));
    start = zero + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

// The files of a whole job, in the order the input gives them.
const char* const kJobFiles[] = {
    "steps/pcb/layers/top/features",  "steps/pcb/eda/data",   "steps/pcb/layers/comp_+_top/components",
    "steps/pcb/netlists/cadnet/netlist", "matrix/matrix",     "steps/pcb/profile",
    "symbols/pad/features",           "steps/pcb/layers/top/.features.sum", "steps/pcb/layers/drill/features",
    "steps/pcb/layers/drill/tools",   "steps/pcb/layers/comp_+_bot/components",
};

void CheckWholeJob(std::string_view text) {
  std::map<std::string, std::string> files;
  const std::vector<std::string_view> parts = Split(text);
  for (std::size_t i = 0; i < parts.size() && i < std::size(kJobFiles); ++i) files[kJobFiles[i]] = std::string(parts[i]);
  const auto source = MakeMemorySource("job", "job", std::move(files));
  Problems problems;
  const Job job = ReadJob(*source, problems);
  CheckJob(*source, job, problems);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string path = "fuzz";
  Problems problems;
  switch (data[0] % 9) {
    case 0: {
      const Job job;
      CheckFeatures(job, ParseFeatures(text, path, problems), problems);
      break;
    }
    case 1:
      ParseEdaData(text, path, problems);
      break;
    case 2:
      ParseComponents(text, path, problems);
      break;
    case 3:
      ParseNetlist(text, path, problems);
      break;
    case 4:
      ParseMatrix(text, path, problems);
      break;
    case 5:
      ParseTools(text, path, problems);
      break;
    case 6:
      ParseSummary(text, path, "subject", problems);
      break;
    case 7: {
      const std::vector<std::string_view> parts = Split(text);
      CheckIdf(ParseIdf(parts[0], "board.emn", parts.size() > 1 ? parts[1] : "", "board.emp", problems), problems);
      break;
    }
    default:
      CheckWholeJob(text);
      break;
  }
  return 0;
}
