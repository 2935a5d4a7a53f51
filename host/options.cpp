#include "options.h"

#include <cerrno>
#include <cstdlib>

namespace kelpie::host {

const char kUsage[] =
    "usage: kelpie-export [DESIGN.json | BOARD.kicad_pcb] [-o DIR] [--idf] [--odb] [--tgz]\n"
    "                     [--zip] [-q] [--check] [--render DIR] [--write-design FILE.json]\n"
    "                     [--generate N] [--library PATH]\n"
    "\n"
    "Exports a board design through the Kelpie plug-in (libkelpie.so).\n"
    "\n"
    "  DESIGN.json     the design file (docs/design-format.md); without one the\n"
    "                  bundled sample board is exported\n"
    "  BOARD.kicad_pcb a KiCad board (KiCad 5.1 to 9), told apart by its content\n"
    "                  (docs/kicad-import.md)\n"
    "  -o DIR          output directory (default: the current directory)\n"
    "  --idf           IDF 3.0 board and library files: <job>.emn, <job>.emp\n"
    "  --odb           the ODB++ job directory <job>/\n"
    "  --tgz           the ODB++ job as <job>.tgz\n"
    "  --zip           the ODB++ job as <job>.zip\n"
    "                  (no format flag: --idf --odb --tgz, or nothing with\n"
    "                  --write-design)\n"
    "  --write-design FILE.json\n"
    "                  write the design as a design file\n"
    "  -q, --quiet     no progress messages; warnings and errors still show\n"
    "  --check         read every written job back and check it (as kelpie-check)\n"
    "  --render DIR    check the written jobs and draw them into DIR (pictures of\n"
    "                  every layer, both board sides, DIR/index.html)\n"
    "  --generate N    export a generated board of about N components instead\n"
    "  --library PATH  the plug-in to load (also: KELPIE_LIBRARY; default:\n"
    "                  libkelpie.so next to this program)\n"
    "  -h, --help      this text\n"
    "\n"
    "Exit status: 0 every export written (and with --check or --render, every check\n"
    "passed), 1 the plug-in or the file system reported a failure (or a check\n"
    "failed), 2 bad usage or a bad design file.\n";

bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error) {
  options = Options{};
  auto value = [&](int& i, const std::string& option, std::string& target) {
    if (i + 1 >= argc) {
      error = option + " needs a value";
      return false;
    }
    target = argv[++i];
    return true;
  };
  bool onlyFiles = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (onlyFiles || argument.empty() || argument[0] != '-' || argument == "-") {
      if (!options.design.empty()) {
        error = "more than one design file given";
        return false;
      }
      options.design = argument;
    } else if (argument == "--") {
      onlyFiles = true;
    } else if (argument == "-o" || argument == "--output") {
      if (!value(i, argument, options.outputDirectory)) return false;
      if (options.outputDirectory.empty()) {
        error = argument + " needs a directory";
        return false;
      }
    } else if (argument == "--library") {
      if (!value(i, argument, options.library)) return false;
    } else if (argument == "--write-design") {
      if (!value(i, argument, options.writeDesign)) return false;
      if (options.writeDesign.empty()) {
        error = argument + " needs a file name";
        return false;
      }
    } else if (argument == "--idf") {
      options.idf = true;
    } else if (argument == "--odb") {
      options.odb = true;
    } else if (argument == "--tgz") {
      options.tgz = true;
    } else if (argument == "--zip") {
      options.zip = true;
    } else if (argument == "--check") {
      options.check = true;
    } else if (argument == "--render") {
      if (!value(i, argument, options.render)) return false;
      if (options.render.empty()) {
        error = argument + " needs a directory";
        return false;
      }
    } else if (argument == "-q" || argument == "--quiet") {
      options.quiet = true;
    } else if (argument == "-h" || argument == "--help") {
      options.help = true;
    } else if (argument == "--generate") {
      std::string count;
      if (!value(i, argument, count)) return false;
      char* end = nullptr;
      errno = 0;
      const long n = std::strtol(count.c_str(), &end, 10);
      if (count.empty() || *end != '\0' || errno != 0 || n < 1 || n > 100000000) {
        error = "--generate needs a whole number of components from 1 to 100000000, not \"" + count + "\"";
        return false;
      }
      options.generate = n;
    } else {
      error = "unknown option " + argument;
      return false;
    }
  }
  if (options.generate > 0 && !options.design.empty()) {
    error = "give either a design file or --generate, not both";
    return false;
  }
  if (options.generate > 0 && !options.writeDesign.empty()) {
    error = "--write-design needs a design file or a board, not --generate";
    return false;
  }
  if (!options.idf && !options.odb && !options.tgz && !options.zip && options.writeDesign.empty())
    options.idf = options.odb = options.tgz = true;
  return true;
}

}  // namespace kelpie::host
