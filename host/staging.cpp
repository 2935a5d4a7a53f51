#include "staging.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace kelpie::host {

namespace fs = std::filesystem;

std::unique_ptr<Staging> Staging::Create(const std::string& outputDirectory, std::string& error) {
  std::string pattern = outputDirectory + "/.kelpie-export-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    error = "cannot write to the output directory " + outputDirectory + ": " + std::strerror(errno);
    return nullptr;
  }
  return std::unique_ptr<Staging>(new Staging(outputDirectory, pattern));
}

Staging::~Staging() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

bool Staging::Publish(const std::string& staged, const std::string& name, std::string& error) {
  const std::string source = path_ + "/" + staged;
  const std::string target = outputDirectory_ + "/" + name;
  struct stat sourceStat {};
  struct stat targetStat {};
  if (lstat(source.c_str(), &sourceStat) != 0) {
    error = "cannot find the staged " + staged + ": " + std::strerror(errno);
    return false;
  }
  const bool targetExists = lstat(target.c_str(), &targetStat) == 0;
  // A file replaces a file in one step; anything else moves the old entry
  // into the staging directory first, so that it can come back on failure.
  if (!targetExists || (!S_ISDIR(sourceStat.st_mode) && !S_ISDIR(targetStat.st_mode))) {
    if (std::rename(source.c_str(), target.c_str()) != 0) {
      error = "cannot move " + name + " into " + outputDirectory_ + ": " + std::strerror(errno);
      return false;
    }
    return true;
  }
  const std::string aside = path_ + "/.replaced-" + std::to_string(++replaced_);
  if (std::rename(target.c_str(), aside.c_str()) != 0) {
    error = "cannot replace " + target + ": " + std::strerror(errno);
    return false;
  }
  if (std::rename(source.c_str(), target.c_str()) != 0) {
    error = "cannot move " + name + " into " + outputDirectory_ + ": " + std::strerror(errno);
    std::rename(aside.c_str(), target.c_str());
    return false;
  }
  return true;
}

std::vector<std::string> Staging::Entries(const std::string& staged) const {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(path_ + "/" + staged, error), end; !error && it != end; it.increment(error))
    names.push_back(it->path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace kelpie::host
