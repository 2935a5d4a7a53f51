#include "host_test_support.h"

#include <archive.h>
#include <archive_entry.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kelpie::host::test {

namespace fs = std::filesystem;

ScratchDirectory::ScratchDirectory() {
  std::string pattern = (fs::temp_directory_path() / "kelpie-host-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchDirectory::~ScratchDirectory() { std::error_code ignored; fs::remove_all(path_, ignored); }

RunResult RunExport(const std::vector<std::string>& arguments, const std::string& directory,
                    long long fileSizeLimit) {
  int out[2], err[2];
  if (pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("pipe failed");
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    std::vector<char*> argv{const_cast<char*>(KELPIE_EXPORT_PROGRAM)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    if (fileSizeLimit >= 0) {
      signal(SIGXFSZ, SIG_IGN);  // so that a write past the limit fails with EFBIG
      const rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
      if (chdir(directory.c_str()) != 0) _exit(127);
    dup2(out[1], 1);
    dup2(err[1], 2);
    close(out[0]);
    close(err[0]);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  RunResult result;
  pollfd streams[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* texts[2] = {&result.out, &result.err};
  for (int open = 2; open > 0;) {
    if (poll(streams, 2, -1) < 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (streams[i].fd < 0 || streams[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = read(streams[i].fd, buffer, sizeof buffer);
      if (n > 0) texts[i]->append(buffer, static_cast<size_t>(n));
      else close(streams[i].fd), streams[i].fd = -1, --open;
    }
  }
  int status = 0;
  waitpid(child, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string ReadFile(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

Files TreeFiles(const std::string& root) {
  Files files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file()) files[fs::relative(entry.path(), root).string()] = ReadFile(entry.path().string());
  return files;
}

Files ArchiveFiles(const std::string& path, std::vector<std::string>* directories) {
  Files files;
  archive* reader = archive_read_new();
  archive_read_support_filter_all(reader);
  archive_read_support_format_all(reader);
  archive_read_open_filename(reader, path.c_str(), 1 << 16);  // on failure: no entries
  archive_entry* entry = nullptr;
  while (archive_read_next_header(reader, &entry) == ARCHIVE_OK) {
    const std::string name = archive_entry_pathname(entry);
    if (archive_entry_filetype(entry) == AE_IFDIR && directories != nullptr) directories->push_back(name);
    if (archive_entry_filetype(entry) == AE_IFDIR) continue;
    std::string& data = files[name];
    char buffer[8192];
    for (la_ssize_t n; (n = archive_read_data(reader, buffer, sizeof buffer)) > 0;) data.append(buffer, n);
  }
  archive_read_free(reader);
  return files;
}

std::vector<std::string> AllPaths(const std::string& root) {
  std::vector<std::string> paths;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(root, error); !error && it != fs::recursive_directory_iterator();
       it.increment(error))
    paths.push_back(fs::relative(it->path(), root).string());
  std::sort(paths.begin(), paths.end());
  return paths;
}

std::string TinyDesign() {
  return R"({
  "job": {"name": "tiny", "thickness": 0.062},
  "layers": [{"name": "ct", "row": 1, "type": "component-top"}, {"name": "top", "row": 2, "type": "signal"},
             {"name": "bottom", "row": 3, "type": "signal"}, {"name": "cb", "row": 4, "type": "component-bottom"},
             {"name": "drill", "row": 5, "drill": {"from": "top", "to": "bottom"}}],
  "steps": [{"name": "pcb", "profile": [[0, 0], [1, 0], [1, 1], [0, 1]],
    "padShapes": [{"name": "p", "shape": "rectangle", "width": 0.02, "height": 0.03},
                  {"name": "hole", "shape": "round", "diameter": 0.012, "plated": true}],
    "pinTypes": [{"name": "smd", "pads": [{"shape": "p", "layer": "top"}]},
                 {"name": "via", "pads": [{"shape": "hole", "layer": "drill"}]}],
    "packages": [{"name": "R", "box": {"xMin": -0.05, "xMax": 0.05, "yMin": -0.02, "yMax": 0.02},
                  "pins": [{"pinType": "smd", "x": -0.03, "y": 0}, {"pinType": "smd", "x": 0.03, "y": 0}]}],
    "nets": ["A", "B"],
    "components": [{"reference": "R1", "package": "R", "layer": "ct", "x": 0.5, "y": 0.5,
                    "pins": [{"pinType": "smd", "x": 0.47, "y": 0.5, "net": "A", "pads": [{"layer": "top", "shape": "p"}]},
                             {"pinType": "smd", "x": 0.53, "y": 0.5, "net": "B", "pads": [{"layer": "top", "shape": "p"}]}]}],
    "pins": [{"pinType": "via", "x": 0.2, "y": 0.2, "kind": 3, "net": "A", "pads": [{"layer": "drill", "shape": "hole"}]}],
    "features": [{"type": "line", "layer": "top", "from": [0.2, 0.2], "to": [0.47, 0.5], "width": 0.01, "net": "A"}]
  }]})";
}

}  // namespace kelpie::host::test
