// Outputs are never left half-written under their final names: an export is
// written into a hidden staging directory inside the output directory and
// each finished output is renamed into place only when the plug-in and the
// stores reported success. Whatever stays in the staging directory (a failed
// export, or the earlier output that a new one replaced) is removed with it.
#ifndef KELPIE_HOST_STAGING_H
#define KELPIE_HOST_STAGING_H

#include <memory>
#include <string>
#include <vector>

namespace kelpie::host {

class Staging {
 public:
  // Creates "<outputDirectory>/.kelpie-export-XXXXXX"; null with an error
  // when that is impossible (an unwritable output directory).
  static std::unique_ptr<Staging> Create(const std::string& outputDirectory, std::string& error);
  ~Staging();
  Staging(const Staging&) = delete;
  Staging& operator=(const Staging&) = delete;

  const std::string& path() const { return path_; }

  // Moves the staged entry (relative to the staging directory) to
  // "<outputDirectory>/<name>", replacing a file or directory of that name;
  // an earlier output stays in place when the move fails.
  bool Publish(const std::string& staged, const std::string& name, std::string& error);

  // The names inside a staged directory, sorted.
  std::vector<std::string> Entries(const std::string& staged) const;

 private:
  Staging(std::string outputDirectory, std::string path)
      : outputDirectory_(std::move(outputDirectory)), path_(std::move(path)) {}

  std::string outputDirectory_;
  std::string path_;
  int replaced_ = 0;
};

}  // namespace kelpie::host

#endif  // KELPIE_HOST_STAGING_H
