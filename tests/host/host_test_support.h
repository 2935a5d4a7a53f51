// Helpers of the host tests: scratch directories, running kelpie-export,
// and reading back what it wrote (trees and archives) as path -> bytes.
#ifndef KELPIE_TESTS_HOST_SUPPORT_H
#define KELPIE_TESTS_HOST_SUPPORT_H

#include <map>
#include <string>
#include <vector>

namespace kelpie::host::test {

using Files = std::map<std::string, std::string>;

// A fresh temporary directory, removed with everything in it at scope end.
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
  int status = -1;  // -1 when the program did not exit normally
  std::string out, err;
};

// Runs kelpie-export in directory. A non-negative fileSizeLimit (bytes) makes
// every write past it fail the way a full disk does.
RunResult RunExport(const std::vector<std::string>& arguments, const std::string& directory,
                    long long fileSizeLimit = -1);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);
Files TreeFiles(const std::string& root);
// Regular files under root or in a .tgz / .zip by relative path; the
// archive's directory entries go to directories.
Files ArchiveFiles(const std::string& path, std::vector<std::string>* directories = nullptr);
// Every path under root (files and directories), relative, sorted.
std::vector<std::string> AllPaths(const std::string& root);

// A small valid design (one resistor, two nets, a via, a drill layer).
std::string TinyDesign();

}  // namespace kelpie::host::test

#endif
