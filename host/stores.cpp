#include "stores.h"

#include <archive.h>
#include <archive_entry.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "console.h"

namespace kelpie::host {

namespace fs = std::filesystem;

bool MapLibraryPath(const char* path, std::string& relative, std::string& reason) {
  relative.clear();
  if (path == nullptr || *path == '\0') {
    reason = "the path is empty";
    return false;
  }
  std::string part;
  auto take = [&]() {
    if (part.empty()) {
      reason = "the path has an empty part";
      return false;
    }
    if (part == "." || part == "..") {
      reason = "the path has a \"" + part + "\" part, which would leave the output directory";
      return false;
    }
    if (part.find('/') != std::string::npos) {
      reason = "a part of the path holds \"/\"";
      return false;
    }
    if (!relative.empty()) relative += '/';
    relative += part;
    part.clear();
    return true;
  };
  for (const char* c = path; *c != '\0'; ++c) {
    if (*c == '\\') {
      if (!take()) return false;
    } else {
      part += *c;
    }
  }
  return take();
}

void StoreErrors::Report(const std::string& text) {
  ++count_;
  console_.HostError(text);
}

// --- DirectoryStore ---------------------------------------------------------

DirectoryStore::DirectoryStore(std::string root, std::string displayRoot, Console& console)
    : StoreErrors(console), root_(std::move(root)), displayRoot_(std::move(displayRoot)) {}

DirectoryStore::~DirectoryStore() {
  for (OpenFile& file : files_)
    if (file.stream != nullptr) std::fclose(file.stream);
}

bool DirectoryStore::MakeDirectories(const std::string& relative, const std::string& shown) {
  std::error_code error;
  fs::create_directories(fs::path(root_) / relative, error);
  if (error) {
    Report("cannot create the directory " + shown + ": " + error.message());
    return false;
  }
  return true;
}

bool DirectoryStore::MakeDirectory(const char* path) {
  std::string relative, reason;
  if (!MapLibraryPath(path, relative, reason)) {
    Report("refusing the directory \"" + std::string(path != nullptr ? path : "") + "\": " + reason);
    return false;
  }
  return MakeDirectories(relative, displayRoot_ + "/" + relative);
}

FileHandle DirectoryStore::Open(const char* path) {
  std::string relative, reason;
  if (!MapLibraryPath(path, relative, reason)) {
    Report("refusing the file \"" + std::string(path != nullptr ? path : "") + "\": " + reason);
    return 0;
  }
  const std::string shown = displayRoot_ + "/" + relative;
  const size_t slash = relative.rfind('/');
  if (slash != std::string::npos && !MakeDirectories(relative.substr(0, slash), shown)) return 0;
  std::FILE* stream = std::fopen((root_ + "/" + relative).c_str(), "wb");
  if (stream == nullptr) {
    Report("cannot open " + shown + ": " + std::strerror(errno));
    return 0;
  }
  std::setvbuf(stream, nullptr, _IOFBF, 1 << 16);
  files_.push_back(OpenFile{stream, shown});
  return static_cast<FileHandle>(files_.size());
}

DirectoryStore::OpenFile* DirectoryStore::Find(FileHandle handle) {
  if (handle <= 0 || static_cast<size_t>(handle) > files_.size()) return nullptr;
  OpenFile& file = files_[handle - 1];
  return file.stream != nullptr ? &file : nullptr;
}

bool DirectoryStore::Write(FileHandle handle, const char* text) {
  OpenFile* file = Find(handle);
  if (file == nullptr || text == nullptr || file->failed) return false;
  const size_t size = std::strlen(text);
  if (std::fwrite(text, 1, size, file->stream) != size) {
    file->failed = true;
    Report("cannot write " + file->shownPath + ": " + std::strerror(errno));
    return false;
  }
  return true;
}

bool DirectoryStore::Close(FileHandle handle) {
  OpenFile* file = Find(handle);
  if (file == nullptr) return false;
  const bool closed = std::fclose(file->stream) == 0;
  const int error = errno;
  file->stream = nullptr;
  if (!closed && !file->failed) {
    file->failed = true;
    Report("cannot write " + file->shownPath + ": " + std::strerror(error));
  }
  return closed && !file->failed;
}

bool DirectoryStore::Finish() {
  for (OpenFile& file : files_) {
    if (file.stream == nullptr) continue;
    std::fclose(file.stream);
    file.stream = nullptr;
    Report("the plug-in did not close " + file.shownPath);
  }
  return !failed();
}

// --- ArchiveStore -----------------------------------------------------------

ArchiveStore::ArchiveStore(Format format, const std::string& path, std::string displayPath, Console& console)
    : StoreErrors(console), displayPath_(std::move(displayPath)), time_(std::time(nullptr)) {
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd_ < 0) {
    Report("cannot create " + displayPath_ + ": " + std::strerror(errno));
    return;
  }
  archive_ = archive_write_new();
  if (archive_ == nullptr) {
    Report("cannot create " + displayPath_ + ": out of memory");
    return;
  }
  // The fastest deflate level: compression is most of an archive's cost, and
  // ODB++ text packs well enough at level 1 (about a quarter larger than at
  // the default level 6, in a third of the time).
  const bool configured =
      format == kTgz ? archive_write_add_filter_gzip(archive_) == ARCHIVE_OK &&
                           archive_write_set_filter_option(archive_, "gzip", "compression-level", "1") == ARCHIVE_OK &&
                           archive_write_set_format_pax_restricted(archive_) == ARCHIVE_OK
                     : archive_write_set_format_zip(archive_) == ARCHIVE_OK &&
                           archive_write_set_format_option(archive_, "zip", "compression-level", "1") == ARCHIVE_OK;
  if (!configured || archive_write_open(archive_, this, nullptr, &ArchiveStore::WriteBlock, nullptr) != ARCHIVE_OK)
    ArchiveFailed("cannot create " + displayPath_);
}

ArchiveStore::~ArchiveStore() {
  if (archive_ != nullptr) archive_write_free(archive_);
  if (fd_ >= 0) ::close(fd_);
}

la_ssize_t ArchiveStore::WriteBlock(struct archive*, void* self, const void* buffer, size_t length) {
  // A failed write is kept here and reported by the store; libarchive is
  // told that all went well, because an archive in its failed state no
  // longer releases its compressor.
  ArchiveStore& store = *static_cast<ArchiveStore*>(self);
  const char* data = static_cast<const char*>(buffer);
  for (size_t left = length; left > 0 && store.writeError_ == 0;) {
    const ssize_t count = ::write(store.fd_, data, left);
    if (count < 0) {
      if (errno != EINTR) store.writeError_ = errno;
      continue;
    }
    data += count;
    left -= static_cast<size_t>(count);
  }
  return static_cast<la_ssize_t>(length);
}

bool ArchiveStore::WriteFailed(const std::string& at) {
  if (writeError_ == 0) return false;
  if (!broken_) Report("cannot write " + displayPath_ + at + ": " + std::strerror(writeError_));
  broken_ = true;
  return true;
}

bool ArchiveStore::ArchiveFailed(const std::string& what) {
  const char* reason = archive_ != nullptr ? archive_error_string(archive_) : nullptr;
  Report(what + ": " + (reason != nullptr ? reason : "archive error"));
  if (archive_ != nullptr) {
    // Closing first releases what libarchive's free skips on an archive in
    // its failed state; its own errors no longer matter.
    archive_write_close(archive_);
    archive_write_free(archive_);
  }
  archive_ = nullptr;
  broken_ = true;
  return false;
}

void ArchiveStore::AddDirectories(const std::string& relative, bool includeLast) {
  for (size_t end = relative.find('/'); archive_ != nullptr && !broken_; end = relative.find('/', end + 1)) {
    if (end == std::string::npos && !includeLast) return;
    const std::string directory = relative.substr(0, end);
    if (directories_.insert(directory).second) {
      archive_entry* entry = archive_entry_new();
      archive_entry_set_pathname(entry, (directory + "/").c_str());
      archive_entry_set_filetype(entry, AE_IFDIR);
      archive_entry_set_perm(entry, 0755);
      archive_entry_set_mtime(entry, time_, 0);
      if (archive_write_header(archive_, entry) != ARCHIVE_OK)
        ArchiveFailed("cannot write " + displayPath_);
      archive_entry_free(entry);
    }
    if (end == std::string::npos) return;
  }
}

bool ArchiveStore::MakeDirectory(const char* path) {
  std::string relative, reason;
  if (!MapLibraryPath(path, relative, reason)) {
    Report("refusing the directory \"" + std::string(path != nullptr ? path : "") + "\": " + reason);
    return false;
  }
  AddDirectories(relative, true);
  return !broken_;
}

FileHandle ArchiveStore::Open(const char* path) {
  std::string relative, reason;
  if (!MapLibraryPath(path, relative, reason)) {
    Report("refusing the file \"" + std::string(path != nullptr ? path : "") + "\": " + reason);
    return 0;
  }
  // After a failure the archive takes nothing more, but the files are still
  // accepted (and dropped): the export has failed already, and refusing
  // them would only add an error per file.
  AddDirectories(relative, false);
  files_.push_back(OpenFile{true, relative, {}});
  return static_cast<FileHandle>(files_.size());
}

bool ArchiveStore::Write(FileHandle handle, const char* text) {
  if (handle <= 0 || static_cast<size_t>(handle) > files_.size() || text == nullptr) return false;
  OpenFile& file = files_[handle - 1];
  if (!file.open) return false;
  file.data += text;
  return true;
}

bool ArchiveStore::Close(FileHandle handle) {
  if (handle <= 0 || static_cast<size_t>(handle) > files_.size()) return false;
  OpenFile& file = files_[handle - 1];
  if (!file.open) return false;
  file.open = false;
  const std::string data = std::move(file.data);
  file.data = std::string();
  if (archive_ == nullptr || broken_) return false;
  archive_entry* entry = archive_entry_new();
  archive_entry_set_pathname(entry, file.path.c_str());
  archive_entry_set_filetype(entry, AE_IFREG);
  archive_entry_set_perm(entry, 0644);
  archive_entry_set_size(entry, static_cast<la_int64_t>(data.size()));
  archive_entry_set_mtime(entry, time_, 0);
  bool written = archive_write_header(archive_, entry) == ARCHIVE_OK;
  archive_entry_free(entry);
  for (size_t done = 0; written && done < data.size();) {
    const la_ssize_t count = archive_write_data(archive_, data.data() + done, data.size() - done);
    if (count <= 0) written = false;
    else done += static_cast<size_t>(count);
  }
  if (!written) return ArchiveFailed("cannot write " + displayPath_ + " (at " + file.path + ")");
  return !WriteFailed(" (at " + file.path + ")");
}

bool ArchiveStore::Finish() {
  for (const OpenFile& file : files_)
    if (file.open) Report("the plug-in did not close " + file.path);
  if (archive_ != nullptr) {
    // The archive's end goes out even after a failed write, so that
    // libarchive releases everything; the file is not kept then.
    if (archive_write_close(archive_) != ARCHIVE_OK && !broken_) ArchiveFailed("cannot write " + displayPath_);
    if (archive_ != nullptr) archive_write_free(archive_);
    archive_ = nullptr;
  }
  WriteFailed("");
  if (fd_ >= 0) {
    if (::close(fd_) != 0 && !failed()) Report("cannot write " + displayPath_ + ": " + std::strerror(errno));
    fd_ = -1;
  }
  return !failed();
}

// --- TeeStore ---------------------------------------------------------------

bool TeeStore::MakeDirectory(const char* path) {
  bool made = true;
  for (FileStore* store : stores_) made = store->MakeDirectory(path) && made;
  return made;
}

FileHandle TeeStore::Open(const char* path) {
  OpenFile file;
  for (FileStore* store : stores_) {
    const FileHandle handle = store->Open(path);
    if (handle == 0) {
      for (size_t i = 0; i < file.handles.size(); ++i) stores_[i]->Close(file.handles[i]);
      return 0;
    }
    file.handles.push_back(handle);
  }
  files_.push_back(std::move(file));
  return static_cast<FileHandle>(files_.size());
}

bool TeeStore::Write(FileHandle handle, const char* text) {
  if (handle <= 0 || static_cast<size_t>(handle) > files_.size() || text == nullptr) return false;
  OpenFile& file = files_[handle - 1];
  if (file.handles.empty()) return false;
  file.bytes += std::strlen(text);
  bool written = true;
  for (size_t i = 0; i < stores_.size(); ++i) written = stores_[i]->Write(file.handles[i], text) && written;
  return written;
}

bool TeeStore::Close(FileHandle handle) {
  if (handle <= 0 || static_cast<size_t>(handle) > files_.size()) return false;
  OpenFile& file = files_[handle - 1];
  if (file.handles.empty()) return false;
  bool closed = true;
  for (size_t i = 0; i < stores_.size(); ++i) closed = stores_[i]->Close(file.handles[i]) && closed;
  file.handles.clear();
  file.handles.shrink_to_fit();
  console_.FileWritten(file.bytes);
  return closed;
}

}  // namespace kelpie::host
