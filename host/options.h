// Command line of kelpie-export.
#ifndef KELPIE_HOST_OPTIONS_H
#define KELPIE_HOST_OPTIONS_H

#include <string>

namespace kelpie::host {

struct Options {
  std::string design;  // a design file or a KiCad board; empty: the bundled sample board
  std::string writeDesign;  // --write-design FILE.json
  std::string outputDirectory = ".";
  std::string library;  // empty: look for libkelpie.so (plugin.h)
  bool idf = false;
  bool odb = false;  // the ODB++ job directory
  bool tgz = false;
  bool zip = false;
  bool quiet = false;
  bool help = false;
  bool check = false;  // read every written job back and check it (kelpie-check)
  std::string render;  // not empty: check the written jobs and draw them into this directory
  long generate = 0;  // > 0: a generated board of about this many components
};

// Parses argv; without a format flag the exports are IDF, the ODB++
// directory and the .tgz, unless --write-design is given, which then is all
// that is done. False with a message for bad usage.
bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error);

extern const char kUsage[];

}  // namespace kelpie::host

#endif  // KELPIE_HOST_OPTIONS_H
