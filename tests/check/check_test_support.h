// Helpers of the reader tests: jobs written through the library into
// memory, read back and checked; golden files; running the programs.
#ifndef KELPIE_TESTS_CHECK_SUPPORT_H
#define KELPIE_TESTS_CHECK_SUPPORT_H

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "kelpie/kelpie.h"
#include "source.h"

namespace kelpie::check::test {

using Describe = std::function<void(IKELPIE&)>;
using Files = std::map<std::string, std::string>;  // path inside the job -> bytes

// A job written by WriteODB: its name and its files.
struct OdbJob {
  std::string name;
  Files files;
};

struct IdfFiles {
  std::string board;    // .emn
  std::string library;  // .emp
};

// The bundled sample board, through the host's design reader.
void DescribeSampleBoard(IKELPIE& server);

// Writes the described board on a fresh server; the test fails when the
// library refuses it.
OdbJob WriteOdb(const Describe& describe);
IdfFiles WriteIdf(const Describe& describe);

// Every problem found, as "path:line: message", paths starting "job/".
std::vector<std::string> CheckOdb(const Files& files);
std::vector<std::string> CheckIdfFiles(const IdfFiles& files);

// Lines of a golden file under tests/check/golden; with the environment
// variable KELPIE_UPDATE_GOLDEN=1 the file is rewritten from `actual` first.
std::vector<std::string> Golden(const std::string& name, const std::vector<std::string>& actual);

struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs a program with arguments (no shell quoting needed: none holds a quote).
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments);

// A fresh directory, removed at scope end.
class Scratch {
 public:
  Scratch();
  ~Scratch();
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);

}  // namespace kelpie::check::test

#endif  // KELPIE_TESTS_CHECK_SUPPORT_H
