// A FileStore that keeps the files of one job in memory by their path
// inside the job ("steps/pcb/profile" for "job\steps\pcb\profile"), ready to
// be read back as a memory source. Header only: the benchmarks and the fuzz
// seed makers use it without the test libraries.
#ifndef KELPIE_TESTS_JOB_STORE_H
#define KELPIE_TESTS_JOB_STORE_H

#include <map>
#include <string>
#include <vector>

#include "kelpie/kelpie.h"

namespace kelpie::test {

class JobStore final : public FileStore {
 public:
  bool MakeDirectory(const char*) override { return true; }
  FileHandle Open(const char* path) override {
    std::string name = path;
    for (char& c : name) c = c == '\\' ? '/' : c;
    const std::size_t slash = name.find('/');
    job = name.substr(0, slash);
    open_.push_back(&files[slash == std::string::npos ? name : name.substr(slash + 1)]);
    open_.back()->clear();
    return static_cast<FileHandle>(open_.size());
  }
  bool Write(FileHandle handle, const char* text) override {
    if (handle <= 0 || static_cast<std::size_t>(handle) > open_.size()) return false;
    *open_[static_cast<std::size_t>(handle) - 1] += text;
    return true;
  }
  bool Close(FileHandle) override { return true; }

  std::string job;  // the first part of the last path opened
  std::map<std::string, std::string> files;

 private:
  std::vector<std::string*> open_;
};

}  // namespace kelpie::test

#endif  // KELPIE_TESTS_JOB_STORE_H
