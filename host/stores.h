// The FileStores of kelpie-export.
//
// The plug-in names its files with relative paths whose parts are joined by
// "\". Every store maps such a path with MapLibraryPath, which refuses any
// path that could leave the output directory (an empty, "." or ".." part, a
// "/" inside a part, or an empty path): a job, step or layer named ".." is a
// legal name for the plug-in, and such a file is refused with an error, not
// written elsewhere.
//
// Every store remembers its I/O errors (refused paths, failed opens, writes
// and closes, a full disk), shows each on the console as it happens and
// answers failed() afterwards. An export is only kept when its stores saw no
// error.
#ifndef KELPIE_HOST_STORES_H
#define KELPIE_HOST_STORES_H

#include <archive.h>

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "kelpie/kelpie.h"

namespace kelpie::host {

class Console;

// "job\steps\pcb" -> "job/steps/pcb". False (with a reason) for a path that
// is empty or has an empty, "." or ".." part or a "/" inside a part.
bool MapLibraryPath(const char* path, std::string& relative, std::string& reason);

// Error bookkeeping shared by the stores.
class StoreErrors {
 public:
  explicit StoreErrors(Console& console) : console_(console) {}
  void Report(const std::string& text);
  bool failed() const { return count_ > 0; }
  int count() const { return count_; }

 protected:
  Console& console_;

 private:
  int count_ = 0;
};

// Files under a root directory of the local file system. The root is a
// staging directory; messages name the files under displayRoot, where they
// will land.
class DirectoryStore final : public FileStore, public StoreErrors {
 public:
  DirectoryStore(std::string root, std::string displayRoot, Console& console);
  ~DirectoryStore();
  DirectoryStore(const DirectoryStore&) = delete;
  DirectoryStore& operator=(const DirectoryStore&) = delete;

  bool MakeDirectory(const char* path) override;
  FileHandle Open(const char* path) override;
  bool Write(FileHandle handle, const char* text) override;
  bool Close(FileHandle handle) override;

  // Closes what the plug-in left open, as an error; false when the store
  // saw any error.
  bool Finish();

 private:
  struct OpenFile {
    std::FILE* stream = nullptr;
    std::string shownPath;
    std::uint64_t bytes = 0;
    bool failed = false;
  };
  bool MakeDirectories(const std::string& relative, const std::string& shown);
  OpenFile* Find(FileHandle handle);

  std::string root_;
  std::string displayRoot_;
  std::vector<OpenFile> files_;  // handle n is files_[n - 1]
};

// An ODB++ job packed into one .tgz or .zip file. Each file is kept in
// memory while the plug-in writes it (it may hold two open at once) and goes
// into the archive when the plug-in closes it; nothing else touches the disk.
// The first failure is reported; the archive is then abandoned.
class ArchiveStore final : public FileStore, public StoreErrors {
 public:
  enum Format { kTgz, kZip };
  // Creates the archive file at path; displayPath names it in messages.
  ArchiveStore(Format format, const std::string& path, std::string displayPath, Console& console);
  ~ArchiveStore();
  ArchiveStore(const ArchiveStore&) = delete;
  ArchiveStore& operator=(const ArchiveStore&) = delete;

  bool MakeDirectory(const char* path) override;
  FileHandle Open(const char* path) override;
  bool Write(FileHandle handle, const char* text) override;
  bool Close(FileHandle handle) override;

  // Writes the archive's end; false (and an error) when that fails.
  bool Finish();

 private:
  struct OpenFile {
    bool open = false;
    std::string path;
    std::string data;
  };
  void AddDirectories(const std::string& relative, bool includeLast);
  bool ArchiveFailed(const std::string& what);
  bool WriteFailed(const std::string& at);
  static la_ssize_t WriteBlock(struct archive* archive, void* self, const void* buffer, size_t length);

  struct archive* archive_ = nullptr;
  int fd_ = -1;
  int writeError_ = 0;   // errno of the first failed write to the file
  bool broken_ = false;  // an error was reported; nothing more goes in
  std::string displayPath_;
  std::set<std::string> directories_;
  std::vector<OpenFile> files_;  // handle n is files_[n - 1]
  long long time_ = 0;
};

// Hands every call to several stores at once, so that one run of the
// plug-in fills the job directory and its archives with the same bytes.
// A file counts as open only when every store opened it. It also reports
// each closed file to the console's progress.
class TeeStore final : public FileStore {
 public:
  TeeStore(std::vector<FileStore*> stores, Console& console)
      : stores_(std::move(stores)), console_(console) {}

  bool MakeDirectory(const char* path) override;
  FileHandle Open(const char* path) override;
  bool Write(FileHandle handle, const char* text) override;
  bool Close(FileHandle handle) override;

 private:
  struct OpenFile {
    std::vector<FileHandle> handles;  // one per store; empty once closed
    std::uint64_t bytes = 0;
  };
  std::vector<FileStore*> stores_;
  Console& console_;
  std::vector<OpenFile> files_;  // handle n is files_[n - 1]
};

}  // namespace kelpie::host

#endif  // KELPIE_HOST_STORES_H
