// Writes small seed boards for the KiCad fuzz target: the hand-written rule
// boards whole, and each large board cut into pieces of a few of its items
// each (a dozen pieces from all over the board), under its own header (version, general and layers) with the net
// declarations that the pieces use.
//
//   make_kicad_seeds OUTPUT-DIRECTORY BOARD...
#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "kicad/sexpr.h"

namespace {

constexpr std::size_t kPieceBytes = 3000;
constexpr int kPiecesPerBoard = 12;  // spread over the board

std::string Read(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

}  // namespace

int main(int argc, char** argv) {
  using kelpie::host::kicad::Document;
  using kelpie::host::kicad::Expr;
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_kicad_seeds OUTPUT-DIRECTORY BOARD...\n");
    return 2;
  }
  const std::string out = argv[1];
  int written = 0;
  for (int i = 2; i < argc; ++i) {
    const std::string text = Read(argv[i]);
    if (text.size() <= kPieceBytes) {
      Write(out + "/board-" + std::to_string(written++) + ".kicad_pcb", text);
      continue;
    }
    Document document;
    std::size_t offset = 0;
    std::string error;
    if (!document.Parse(text, {}, offset, error)) continue;
    // The top-level items with their text: each runs to the next one.
    std::vector<std::size_t> starts;
    for (const Expr item : document.Root())
      if (item.IsList()) starts.push_back(item.offset());
    starts.push_back(text.rfind(')'));
    std::string header = "(kicad_pcb ";
    std::vector<std::string> nets;
    std::vector<std::string> body;
    for (std::size_t k = 0; k + 1 < starts.size(); ++k) {
      const std::string item = text.substr(starts[k], starts[k + 1] - starts[k]);
      if (item.starts_with("(version") || item.starts_with("(general") || item.starts_with("(layers")) {
        header += item;
      } else if (item.starts_with("(net ")) {
        nets.push_back(item);
      } else if (!item.starts_with("(net_class") && !item.starts_with("(setup")) {
        body.push_back(item);
      }
    }
    const std::regex netUse(R"(\(net (\d+)[ )])");
    std::string piece;
    auto flush = [&] {
      if (piece.empty()) return;
      std::set<std::string> used;
      for (std::sregex_iterator it(piece.begin(), piece.end(), netUse), end; it != end; ++it) used.insert((*it)[1]);
      std::string declarations;
      for (const std::string& net : nets) {
        const std::size_t space = net.find(' ', 5);
        if (used.count(net.substr(5, space - 5)) > 0) declarations += net;
      }
      Write(out + "/board-" + std::to_string(written++) + ".kicad_pcb", header + declarations + piece + ")\n");
      piece.clear();
    };
    // Pieces from all over the board: every n-th run of items.
    std::vector<std::string> pieces;
    for (const std::string& item : body) {
      if (item.size() > kPieceBytes) continue;
      if (piece.size() + item.size() > kPieceBytes) {
        pieces.push_back(piece);
        piece.clear();
      }
      piece += item;
    }
    pieces.push_back(piece);
    const std::size_t step = pieces.size() / kPiecesPerBoard + 1;
    for (std::size_t k = 0; k < pieces.size(); k += step) {
      piece = pieces[k];
      flush();
    }
  }
  std::printf("%d seed boards\n", written);
  return 0;
}
