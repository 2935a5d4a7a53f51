// Helpers of the host tests: scratch directories, running kelpie-export,
// and reading back what it wrote (trees and archives) as path -> bytes.
#ifndef KELPIE_TESTS_HOST_SUPPORT_H
#define KELPIE_TESTS_HOST_SUPPORT_H

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kelpie::host::test {

// A fresh directory under the system's temporary directory, removed with
// everything in it at the end of the scope.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct RunResult {
  int status = -1;  // exit status; -1 when the program did not exit normally
  std::string out;
  std::string err;
};

// How the program is started beyond its arguments.
struct RunSettings {
  // Environment changes: a value sets the variable, none removes it.
  std::vector<std::pair<std::string, std::optional<std::string>>> environment;
  // RLIMIT_FSIZE in bytes (every write past it fails as on a full disk);
  // negative: no limit.
  long long fileSizeLimit = -1;
};

// Runs kelpie-export with the arguments in directory and collects its exit
// status and both output streams (through pipes, which no file size limit
// touches).
RunResult RunExport(const std::vector<std::string>& arguments, const std::string& directory,
                    const RunSettings& settings = {});

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);

// Regular files under root, by path relative to root.
std::map<std::string, std::string> TreeFiles(const std::string& root);
// Regular files in a .tgz or .zip, by their path in the archive; the
// directory entries go to directories when given.
std::map<std::string, std::string> ArchiveFiles(const std::string& path,
                                                std::vector<std::string>* directories = nullptr);

// Every path under root (files and directories), relative to root, sorted.
std::vector<std::string> AllPaths(const std::string& root);

// A small valid design (one resistor, two nets, a drill layer) that exports
// in both formats; tests change it to make the case they need.
std::string TinyDesign();

}  // namespace kelpie::host::test

#endif
