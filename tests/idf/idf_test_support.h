// Helpers shared by the IDF export tests: the example board that the board
// and library examples describe, and a reader for CRLF files.
#ifndef KELPIE_TESTS_IDF_TEST_SUPPORT_H
#define KELPIE_TESTS_IDF_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_host.h"

namespace kelpie::test {

// Handles of the example board, for tests that add to it.
struct ExampleBoard {
  Step* step = nullptr;
  Layer* top = nullptr;
  Layer* bottom = nullptr;
  Layer* signal = nullptr;
  Layer* drill = nullptr;
  PackageType* r0805 = nullptr;
  PadShape* viaShape = nullptr;
  PinType* viaType = nullptr;
};

// Job BRD, 0.0625 inch thick, one step "main pcb" with the 10 x 5 inch rectangle
// given counter-clockwise, component layers on both sides, a drill layer
// with a plated 0.03 inch via at (1, 1), and R1 (package R0805, no part
// name) at (2, 3), rotation 90, on top.
inline ExampleBoard BuildExampleBoard(IKELPIE* server, bool withComponent = true) {
  ExampleBoard board;
  server->SetJobName("BRD");
  server->SetBoardThickness(0.0625);
  const double xs[] = {0, 10, 10, 0};
  const double ys[] = {0, 0, 5, 5};
  board.step = server->AddStep("main pcb", xs, ys, 4);
  board.top = server->AddLayer("top", 1, kLayerComponentTop, kPolarityPositive, kContextBoard);
  board.signal = server->AddLayer("copper", 2, kLayerSignal, kPolarityPositive, kContextBoard);
  board.bottom =
      server->AddLayer("bottom", 3, kLayerComponentBottom, kPolarityPositive, kContextBoard);
  board.drill = server->AddDrillLayer("drill", 4, board.signal, board.signal);
  board.viaShape = server->AddRoundPadShape("via30", 0.03, 1);
  board.viaType = server->AddPinType("via");
  Pin* via = server->AddPin(board.viaType, 1, 1, 0, 0, 3, nullptr);
  server->AddPinPad(board.drill, board.viaShape, via);
  board.r0805 = server->AddPackageType("R0805", -0.04, 0.04, -0.025, 0.025);
  if (withComponent) server->AddComponent(board.top, board.r0805, "R1", "", 2, 3, 90, 0);
  return board;
}

// The file's lines without their endings; every line must end in CR LF.
inline std::vector<std::string> CrLfLines(const RecordingStore& store, const std::string& path) {
  std::vector<std::string> lines;
  auto found = store.files.find(path);
  if (found == store.files.end()) {
    ADD_FAILURE() << "no file " << path;
    return lines;
  }
  const std::string& text = found->second;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << path << " has a line without CR LF: " << text.substr(start);
      break;
    }
    const std::string line = text.substr(start, end - start);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "stray line break in " << line;
    lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

// Lines from the first line equal to `begin` up to and including `end`.
inline std::vector<std::string> Section(const std::vector<std::string>& lines,
                                        const std::string& begin, const std::string& end) {
  std::vector<std::string> section;
  bool inside = false;
  for (const std::string& line : lines) {
    if (line == begin) inside = true;
    if (inside) section.push_back(line);
    if (inside && line == end) break;
  }
  return section;
}

}  // namespace kelpie::test

#endif
