// What kelpie-check does, callable from other programs (kelpie-export
// --check): reads each job, runs every check and prints the problems as
// "path:line: message".
#ifndef KELPIE_CHECK_COMMAND_H
#define KELPIE_CHECK_COMMAND_H

#include <cstdio>
#include <string>
#include <vector>

#include "source.h"

namespace kelpie::check {

struct CheckOptions {
  std::vector<std::string> jobs;  // job directories, .tgz, .zip, .emn files
  bool quiet = false;              // only the problems, no summary line per job
  std::string renderDirectory;     // empty: draw nothing
  reader::SourceLimits limits;
};

// Exit status: 0 every check of every job passed, 1 problems were found,
// 2 a job could not be read.
int RunChecks(const CheckOptions& options, std::FILE* out, std::FILE* err);

// Parses kelpie-check's arguments; false with a message for bad usage.
bool ParseCheckOptions(int argc, const char* const* argv, CheckOptions& options, bool& help, std::string& error);

extern const char kCheckUsage[];

}  // namespace kelpie::check

#endif  // KELPIE_CHECK_COMMAND_H
