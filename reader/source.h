// Where the files of a job come from: a directory on disk, or a .tgz or
// .zip archive read through libarchive straight into memory (nothing is
// extracted). Paths inside a source are relative to the job's top
// directory and joined with "/" ("steps/pcb/layers/top/features").
#ifndef KELPIE_READER_SOURCE_H
#define KELPIE_READER_SOURCE_H

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kelpie::reader {

// Caps that keep a hostile input from exhausting the machine.
struct SourceLimits {
  std::uint64_t totalBytes = std::uint64_t{2} << 30;  // all members of an archive together
  std::uint64_t fileBytes = std::uint64_t{1} << 30;   // one file
  std::size_t entries = 1000000;                      // files and directories
  int depth = 24;                                     // directory levels below the job
};

class Source {
 public:
  virtual ~Source() = default;

  // What the user named (the directory or the archive); the prefix of every
  // path in a message.
  const std::string& name() const { return name_; }
  // The job's top directory name: the directory's own name, or the single
  // top folder of the archive.
  const std::string& jobName() const { return jobName_; }
  // Every regular file, sorted.
  const std::vector<std::string>& files() const { return files_; }
  // Every directory, sorted, the job's top directory excluded.
  const std::vector<std::string>& directories() const { return directories_; }

  bool HasFile(const std::string& path) const;
  bool HasDirectory(const std::string& path) const;
  // The names directly inside a directory ("" for the top), sorted.
  std::vector<std::string> Subdirectories(const std::string& path) const;

  // The file's bytes; false with a message when it is missing, too large
  // or cannot be read.
  virtual bool Read(const std::string& path, std::string& bytes, std::string& error) const = 0;

  // How messages show a file: "out/job/steps/pcb/profile" for a directory,
  // "out/job.tgz/job/steps/pcb/profile" for an archive.
  std::string Show(const std::string& path) const;

 protected:
  Source(std::string name, std::string jobName) : name_(std::move(name)), jobName_(std::move(jobName)) {}
  void SetListing(std::vector<std::string> files, std::vector<std::string> directories);
  void SetJobName(std::string jobName) { jobName_ = std::move(jobName); }
  // Shown between the name and a path: an archive's top folder.
  void SetShownFolder(std::string folder) { shownFolder_ = std::move(folder); }

 private:
  std::string name_;
  std::string jobName_;
  std::string shownFolder_;
  std::vector<std::string> files_;
  std::vector<std::string> directories_;
};

// Opens an ODB++ job: a directory, or a file ending in .tgz, .tar.gz, .tar
// or .zip. Null with a message when it cannot be read or breaks a limit:
// an archive member that is absolute or holds "..", entries or nesting
// beyond the caps, more decompressed bytes than allowed.
std::unique_ptr<Source> OpenSource(const std::string& path, const SourceLimits& limits, std::string& error);

// A job held in memory: file bytes by path inside the job. The
// directories are those the paths pass through.
std::unique_ptr<Source> MakeMemorySource(std::string name, std::string jobName,
                                         std::map<std::string, std::string> files);

}  // namespace kelpie::reader

#endif  // KELPIE_READER_SOURCE_H
