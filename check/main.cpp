// kelpie-check: reads exported jobs back and checks them.
#include <cstdio>
#include <exception>
#include <string>

#include "check_command.h"

int main(int argc, char** argv) {
  try {
    kelpie::check::CheckOptions options;
    bool help = false;
    std::string error;
    if (!kelpie::check::ParseCheckOptions(argc, argv, options, help, error)) {
      std::fprintf(stderr, "kelpie-check: %s\nTry 'kelpie-check --help'.\n", error.c_str());
      return 2;
    }
    if (help) {
      std::fputs(kelpie::check::kCheckUsage, stdout);
      return 0;
    }
    return kelpie::check::RunChecks(options, stdout, stderr);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "kelpie-check: error: %s\n", failure.what());
    return 2;
  }
}
