// Job sources: a directory on disk, read file by file when asked, or an
// archive, read whole into memory once through libarchive.
#include "source.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

namespace kelpie::reader {
namespace {

namespace fs = std::filesystem;

std::string Bytes(std::uint64_t count) {
  if (count >= (std::uint64_t{1} << 30) && count % (std::uint64_t{1} << 30) == 0)
    return std::to_string(count >> 30) + " GiB";
  if (count >= (std::uint64_t{1} << 20) && count % (std::uint64_t{1} << 20) == 0)
    return std::to_string(count >> 20) + " MiB";
  return std::to_string(count) + " bytes";
}

int Depth(const std::string& path) { return 1 + static_cast<int>(std::count(path.begin(), path.end(), '/')); }

bool EndsWith(const std::string& text, const char* suffix) { return text.ends_with(suffix); }

class DirectorySource final : public Source {
 public:
  DirectorySource(const std::string& path, const SourceLimits& limits)
      : Source(path, fs::path(path).lexically_normal().filename().string()), root_(path), limits_(limits) {
    if (jobName().empty()) SetJobName(fs::absolute(root_).lexically_normal().parent_path().filename().string());
  }

  // Lists the tree without following links; false with a message when a cap
  // is broken.
  bool List(std::string& error) {
    std::vector<std::string> files;
    std::vector<std::string> directories;
    std::error_code failure;
    fs::recursive_directory_iterator walk(root_, fs::directory_options::none, failure);
    for (; !failure && walk != fs::recursive_directory_iterator(); walk.increment(failure)) {
      const std::string path = fs::relative(walk->path(), root_, failure).generic_string();
      if (failure) break;
      if (files.size() + directories.size() >= limits_.entries) {
        error = Show("") + " holds more than " + std::to_string(limits_.entries) + " entries (the cap)";
        return false;
      }
      if (Depth(path) > limits_.depth) {
        error = Show(path) + ": nested more than " + std::to_string(limits_.depth) + " levels deep (the cap)";
        return false;
      }
      const fs::file_status status = walk->symlink_status(failure);
      if (failure) break;
      if (fs::is_directory(status)) {
        directories.push_back(path);
      } else if (fs::is_regular_file(status)) {
        files.push_back(path);
      }
    }
    if (failure) {
      error = "cannot read " + name() + ": " + failure.message();
      return false;
    }
    SetListing(std::move(files), std::move(directories));
    return true;
  }

  bool Read(const std::string& path, std::string& bytes, std::string& error) const override {
    if (!HasFile(path)) {
      error = Show(path) + ": no such file";
      return false;
    }
    const fs::path file = root_ / path;
    std::error_code failure;
    const std::uintmax_t size = fs::file_size(file, failure);
    if (failure) {
      error = Show(path) + ": " + failure.message();
      return false;
    }
    if (size > limits_.fileBytes) {
      error = Show(path) + ": " + std::to_string(size) + " bytes, more than the cap of " + Bytes(limits_.fileBytes);
      return false;
    }
    std::ifstream in(file, std::ios::binary);
    bytes.resize(size);
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    if (!in || in.gcount() != static_cast<std::streamsize>(size)) {
      error = Show(path) + ": cannot read the file";
      return false;
    }
    return true;
  }

 private:
  fs::path root_;
  SourceLimits limits_;
};

// Files held in memory: an archive's members, or files handed over whole.
class MemorySource final : public Source {
 public:
  MemorySource(const std::string& path, const SourceLimits& limits) : Source(path, ""), limits_(limits) {}

  MemorySource(std::string name, std::string jobName, std::map<std::string, std::string> files)
      : Source(std::move(name), std::move(jobName)), files_(std::move(files)) {
    for (const auto& [path, bytes] : files_) AddParents(path);
    List();
  }

  bool Load(std::string& error) {
    archive* reader = archive_read_new();
    archive_read_support_filter_all(reader);
    archive_read_support_format_tar(reader);
    archive_read_support_format_zip(reader);
    const bool loaded = archive_read_open_filename(reader, name().c_str(), 1 << 16) == ARCHIVE_OK &&
                        LoadEntries(reader, error);
    if (error.empty() && !loaded) error = name() + ": " + (archive_error_string(reader) ? archive_error_string(reader) : "not an archive");
    archive_read_free(reader);
    if (!loaded) return false;
    List();
    return true;
  }

  bool Read(const std::string& path, std::string& bytes, std::string& error) const override {
    const auto found = files_.find(path);
    if (found == files_.end()) {
      error = Show(path) + ": no such file";
      return false;
    }
    bytes = found->second;
    return true;
  }

 private:
  bool LoadEntries(archive* reader, std::string& error) {
    archive_entry* entry = nullptr;
    std::uint64_t total = 0;
    std::size_t entries = 0;
    int status = ARCHIVE_OK;
    while ((status = archive_read_next_header(reader, &entry)) == ARCHIVE_OK) {
      const char* raw = archive_entry_pathname(entry);
      std::string path;
      if (raw == nullptr || !MemberPath(raw, path, error)) {
        if (error.empty()) error = name() + ": a member without a name";
        return false;
      }
      if (++entries > limits_.entries) {
        error = name() + " holds more than " + std::to_string(limits_.entries) + " members (the cap)";
        return false;
      }
      const mode_t type = archive_entry_filetype(entry);
      if (path.empty()) continue;  // the top folder itself
      if (Depth(path) > limits_.depth) {
        error = Show(path) + ": nested more than " + std::to_string(limits_.depth) + " levels deep (the cap)";
        return false;
      }
      AddParents(path);
      if (type == AE_IFDIR) {
        directories_.insert(path);
        continue;
      }
      if (type != AE_IFREG) continue;  // links and devices are not part of a job
      if (archive_entry_size_is_set(entry) && static_cast<std::uint64_t>(archive_entry_size(entry)) > limits_.fileBytes) {
        error = Show(path) + ": declares " + std::to_string(archive_entry_size(entry)) +
                " bytes, more than the cap of " + Bytes(limits_.fileBytes);
        return false;
      }
      std::string& bytes = files_[path];
      bytes.clear();
      char buffer[1 << 16];
      la_ssize_t count = 0;
      while ((count = archive_read_data(reader, buffer, sizeof buffer)) > 0) {
        total += static_cast<std::uint64_t>(count);
        if (total > limits_.totalBytes) {
          error = name() + " unpacks to more than " + Bytes(limits_.totalBytes) +
                  " (the cap on decompressed size); not read";
          return false;
        }
        if (bytes.size() + static_cast<std::size_t>(count) > limits_.fileBytes) {
          error = Show(path) + ": more than the cap of " + Bytes(limits_.fileBytes);
          return false;
        }
        bytes.append(buffer, static_cast<std::size_t>(count));
      }
      if (count < 0) return false;
    }
    if (status != ARCHIVE_EOF) return false;
    if (jobName().empty()) {
      error = name() + ": an empty archive";
      return false;
    }
    return true;
  }

  // The member's path below the archive's top folder; refuses absolute
  // paths, "..", and a second top folder.
  bool MemberPath(const std::string& raw, std::string& path, std::string& error) {
    if (raw.empty() || raw[0] == '/' || raw[0] == '\\' || (raw.size() > 1 && raw[1] == ':')) {
      error = name() + ": member '" + raw + "' has an absolute path; not read";
      return false;
    }
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= raw.size()) {
      std::size_t end = raw.find_first_of("/\\", start);
      if (end == std::string::npos) end = raw.size();
      const std::string part = raw.substr(start, end - start);
      if (part == "..") {
        error = name() + ": member '" + raw + "' leads out of the job with '..'; not read";
        return false;
      }
      if (!part.empty() && part != ".") parts.push_back(part);
      start = end + 1;
    }
    if (parts.empty()) {
      error = name() + ": member '" + raw + "' has no name";
      return false;
    }
    if (jobName().empty()) {
      SetJobName(parts[0]);
      SetShownFolder(parts[0]);
    } else if (parts[0] != jobName()) {
      error = name() + ": member '" + raw + "' lies outside the top folder " + jobName() + "/";
      return false;
    }
    path.clear();
    for (std::size_t i = 1; i < parts.size(); ++i) path += (i > 1 ? "/" : "") + parts[i];
    return true;
  }

  void List() {
    std::vector<std::string> files;
    for (const auto& [path, bytes] : files_) files.push_back(path);
    SetListing(std::move(files), std::vector<std::string>(directories_.begin(), directories_.end()));
  }

  void AddParents(const std::string& path) {
    for (std::size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1))
      directories_.insert(path.substr(0, slash));
  }

  SourceLimits limits_;
  std::map<std::string, std::string> files_;
  std::set<std::string> directories_;
};

}  // namespace

bool Source::HasFile(const std::string& path) const { return std::binary_search(files_.begin(), files_.end(), path); }

bool Source::HasDirectory(const std::string& path) const {
  return path.empty() || std::binary_search(directories_.begin(), directories_.end(), path);
}

std::vector<std::string> Source::Subdirectories(const std::string& path) const {
  const std::string prefix = path.empty() ? "" : path + "/";
  std::vector<std::string> names;
  for (auto it = std::lower_bound(directories_.begin(), directories_.end(), prefix);
       it != directories_.end() && it->starts_with(prefix); ++it) {
    const std::string rest = it->substr(prefix.size());
    if (!rest.empty() && rest.find('/') == std::string::npos) names.push_back(rest);
  }
  return names;
}

std::string Source::Show(const std::string& path) const {
  std::string shown = name_;
  if (!shownFolder_.empty()) shown += (shown.ends_with("/") ? "" : "/") + shownFolder_;
  if (path.empty()) return shown;
  return shown + (shown.ends_with("/") ? "" : "/") + path;
}

void Source::SetListing(std::vector<std::string> files, std::vector<std::string> directories) {
  std::sort(files.begin(), files.end());
  std::sort(directories.begin(), directories.end());
  files_ = std::move(files);
  directories_ = std::move(directories);
}

std::unique_ptr<Source> OpenSource(const std::string& path, const SourceLimits& limits, std::string& error) {
  std::error_code failure;
  const fs::file_status status = fs::status(path, failure);
  if (failure || !fs::exists(status)) {
    error = path + ": no such file or directory";
    return nullptr;
  }
  if (fs::is_directory(status)) {
    auto source = std::make_unique<DirectorySource>(path, limits);
    if (!source->List(error)) return nullptr;
    return source;
  }
  if (!EndsWith(path, ".tgz") && !EndsWith(path, ".tar.gz") && !EndsWith(path, ".tar") && !EndsWith(path, ".zip")) {
    error = path + ": not a job directory, .tgz, .tar.gz, .tar or .zip";
    return nullptr;
  }
  auto source = std::make_unique<MemorySource>(path, limits);
  if (!source->Load(error)) return nullptr;
  return source;
}

std::unique_ptr<Source> MakeMemorySource(std::string name, std::string jobName,
                                         std::map<std::string, std::string> files) {
  return std::make_unique<MemorySource>(std::move(name), std::move(jobName), std::move(files));
}

}  // namespace kelpie::reader
