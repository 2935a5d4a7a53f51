// The demo boards of Debian's kicad-demos, boards that nobody here wrote,
// exported by the real kelpie-export. What the exports hold is compared with
// counts taken from the board files by a plain walk over their parentheses,
// which shares nothing with the importer.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>

#include <nlohmann/json.hpp>

#include "host_test_support.h"

namespace kelpie::host::test {
namespace {

namespace fs = std::filesystem;

struct Counts {
  int top = 0;
  int bottom = 0;
  int nets = 0;
  int pins = 0;  // pads with copper or a hole
  int holes = 0;
  int vias = 0;
  int segments = 0;  // track segments with a net
  int arcs = 0;      // arc tracks with a net
  bool operator==(const Counts&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Counts& c) {
  return out << c.top << " top, " << c.bottom << " bottom, " << c.nets << " nets, " << c.pins << " pads, " << c.holes
             << " holes, " << c.vias << " vias, " << c.segments << " segments, " << c.arcs << " arcs";
}

// One open list of the walk: its head, its words, and what its children
// told it (a net number, a layer, whether a layer list names copper).
struct Frame {
  std::string head;
  std::vector<std::string> words;
  std::string net = "0";
  std::string layer;
  bool copper = false;
};

Counts CountBoard(const std::string& text) {
  Counts counts;
  std::vector<Frame> open;
  auto close = [&](const Frame& frame) {
    Frame* parent = open.empty() ? nullptr : &open.back();
    const std::string first = frame.words.empty() ? "" : frame.words[0];
    if (parent != nullptr && frame.head == "net") parent->net = first;
    if (parent != nullptr && frame.head == "layer") parent->layer = first;
    if (parent != nullptr && frame.head == "layers")
      for (const std::string& word : frame.words) parent->copper = parent->copper || word.find(".Cu") != std::string::npos;
    if (open.size() == 1) {  // an item of the board
      if (frame.head == "net" && frame.words.size() > 1 && !frame.words[1].empty()) ++counts.nets;
      if (frame.head == "footprint" || frame.head == "module") ++(frame.layer == "B.Cu" ? counts.bottom : counts.top);
      if (frame.head == "via") {
        ++counts.vias;
        ++counts.holes;
      }
      if (frame.head == "segment" && frame.net != "0") ++counts.segments;
      if (frame.head == "arc" && frame.net != "0") ++counts.arcs;
    }
    if (open.size() == 2 && frame.head == "pad" && (parent->head == "footprint" || parent->head == "module")) {
      const std::string type = frame.words.size() > 1 ? frame.words[1] : "";
      const bool hole = type == "thru_hole" || type == "np_thru_hole";
      counts.holes += hole;
      counts.pins += hole || frame.copper;
    }
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '(' || c == ')' || std::isspace(static_cast<unsigned char>(c))) {
      if (c == ')') {
        const Frame frame = open.back();
        open.pop_back();
        close(frame);
      }
      if (c == '(') open.push_back({});
      continue;
    }
    std::string word;
    if (c == '"') {
      for (++i; text[i] != '"'; ++i) word += text[i] == '\\' ? text[++i] : text[i];
    } else {
      for (; !std::isspace(static_cast<unsigned char>(text[i])) && text[i] != '(' && text[i] != ')'; ++i) word += text[i];
      --i;
    }
    Frame& frame = open.back();
    if (frame.head.empty() && frame.words.empty() && c != '"') {
      frame.head = word;
    } else {
      frame.words.push_back(word);
    }
  }
  return counts;
}

size_t CountLines(const std::string& text, const std::string& start) {
  size_t count = 0;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) count += line.starts_with(start);
  return count;
}

// What the exports of job in directory hold. The file names keep only
// letters, digits and "-_.+" of the job name, ODB++ in lower case.
Counts CountExports(const std::string& directory, const std::string& job, const std::string& designFile) {
  std::string idf, odb;
  for (const char c : job) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && std::string("-_.+").find(c) == std::string::npos) continue;
    idf += c;
    odb += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  Counts counts;
  std::istringstream board(ReadFile(directory + "/" + idf + ".emn"));
  std::string section;
  for (std::string line; std::getline(board, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.starts_with(".")) {
      section = line;
      continue;
    }
    if (section == ".PLACEMENT" && line.ends_with(" TOP PLACED")) ++counts.top;
    if (section == ".PLACEMENT" && line.ends_with(" BOTTOM PLACED")) ++counts.bottom;
    if (section == ".DRILLED_HOLES") ++counts.holes;
    if (section == ".DRILLED_HOLES" && line.find(" VIA ") != std::string::npos) ++counts.vias;
  }
  const std::string step = directory + "/" + odb + "/steps/pcb";
  counts.nets = static_cast<int>(CountLines(ReadFile(step + "/netlists/cadnet/netlist"), "$") - 1);  // less $NONE$
  for (const char* side : {"comp_+_top", "comp_+_bot"})
    counts.pins += static_cast<int>(CountLines(ReadFile(step + "/layers/" + side + "/components"), "TOP "));
  counts.segments = static_cast<int>(CountLines(ReadFile(step + "/eda/data"), "SNT TRC"));
  const nlohmann::json design = nlohmann::json::parse(ReadFile(designFile));
  for (const auto& feature : design["steps"][0]["features"]) counts.arcs += feature["type"] == "arc" && feature.contains("net");
  return counts;
}

class DemoBoard : public testing::TestWithParam<std::string> {};

TEST_P(DemoBoard, ExportsWithoutErrorAndHoldsWhatTheBoardHolds) {
  const std::string board = std::string(KELPIE_KICAD_DEMOS) + "/" + GetParam();
  if (!fs::exists(board)) GTEST_SKIP() << board << " is missing: scripts/install-deps installs kicad-demos";
  ScratchDirectory scratch;
  const auto start = std::chrono::steady_clock::now();
  // --check reads both exports back and checks them, as a receiving station would.
  const RunResult run =
      RunExport({board, "--idf", "--odb", "--check", "--write-design", "design.json", "-o", "out"}, scratch.path());
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err.find("error"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("warning: Could not find surface pad"), std::string::npos) << run.err;
  const Counts expected = CountBoard(ReadFile(board));
  const std::string job = fs::path(board).stem().string();
  const Counts exported = CountExports(scratch / "out", job, scratch / "design.json");
  EXPECT_EQ(exported, expected);
  std::cout << job << ": " << exported << "; whole export and check " << seconds << " s\n";
}

INSTANTIATE_TEST_SUITE_P(KicadDemos, DemoBoard,
                         testing::Values("complex_hierarchy/complex_hierarchy.kicad_pcb",
                                         "custom_pads_test/custom_pads_test.kicad_pcb", "ecc83/ecc83-pp.kicad_pcb",
                                         "ecc83/ecc83-pp_v2.kicad_pcb", "flat_hierarchy/flat_hierarchy.kicad_pcb",
                                         "interf_u/interf_u.kicad_pcb",
                                         "kit-dev-coldfire-xilinx_5213/kit-dev-coldfire-xilinx_5213.kicad_pcb",
                                         "microwave/microwave.kicad_pcb", "pic_programmer/pic_programmer.kicad_pcb",
                                         "sonde xilinx/sonde xilinx.kicad_pcb", "stickhub/StickHub.kicad_pcb",
                                         "test_pads_inside_pads/test_pads_inside_pads.kicad_pcb",
                                         "test_xil_95108/carte_test.kicad_pcb", "video/video.kicad_pcb"),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string name = fs::path(info.param).stem().string();
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

}  // namespace
}  // namespace kelpie::host::test
