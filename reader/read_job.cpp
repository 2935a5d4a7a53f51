// Reads every file of a job that the model knows, in the order of the
// matrix, and every .sum companion.
#include "read_job.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "parse.h"

namespace kelpie::reader {
namespace {

class JobReader {
 public:
  JobReader(const Source& source, Problems& problems) : source_(source), problems_(problems) {}

  Job Read() {
    Job job;
    job.name = source_.jobName();
    Load("matrix/matrix", job.matrix, ParseMatrix);
    Load("misc/info", job.info, ParseKeyValues);
    Load("misc/attrlist", job.attributes, ParseKeyValues);
    for (const std::string& name : StepNames(job)) job.steps.push_back(ReadStep(job, name));
    for (const std::string& name : source_.Subdirectories("symbols")) {
      UserSymbol& symbol = job.symbols.emplace_back();
      symbol.name = name;
      Load("symbols/" + name + "/features", symbol.features, ParseFeatures);
      Load("symbols/" + name + "/attrlist", symbol.attributes, ParseKeyValues);
    }
    ReadSummaries(job);
    return job;
  }

 private:
  // Parses the file into `target` when the job has it.
  template <typename Model, typename Parser>
  void Load(const std::string& path, std::optional<Model>& target, Parser parse) {
    if (!source_.HasFile(path)) return;
    std::string error;
    if (!source_.Read(path, buffer_, error)) {
      problems_.Add(source_.Show(path), 0, error);
      return;
    }
    facts_[path] = Facts(buffer_);
    target = parse(buffer_, source_.Show(path), problems_);
  }

  // The steps named by the matrix (in column order) that have a directory,
  // then the other step directories.
  std::vector<std::string> StepNames(const Job& job) const {
    std::vector<std::string> names;
    std::set<std::string> taken;
    if (job.matrix) {
      std::vector<MatrixStep> steps = job.matrix->steps;
      std::stable_sort(steps.begin(), steps.end(),
                       [](const MatrixStep& a, const MatrixStep& b) { return a.column < b.column; });
      for (const MatrixStep& step : steps) {
        if (!step.name.empty() && source_.HasDirectory("steps/" + step.name) && taken.insert(step.name).second)
          names.push_back(step.name);
      }
    }
    for (const std::string& name : source_.Subdirectories("steps")) {
      if (taken.insert(name).second) names.push_back(name);
    }
    return names;
  }

  // The layers in the order of the matrix rows that have a directory, then
  // the other layer directories.
  std::vector<std::string> LayerNames(const Job& job, const std::string& stepPath) const {
    std::vector<std::string> names;
    std::set<std::string> taken;
    if (job.matrix) {
      std::vector<MatrixLayer> layers = job.matrix->layers;
      std::stable_sort(layers.begin(), layers.end(),
                       [](const MatrixLayer& a, const MatrixLayer& b) { return a.row < b.row; });
      for (const MatrixLayer& layer : layers) {
        if (!layer.name.empty() && source_.HasDirectory(stepPath + "/layers/" + layer.name) &&
            taken.insert(layer.name).second)
          names.push_back(layer.name);
      }
    }
    for (const std::string& name : source_.Subdirectories(stepPath + "/layers")) {
      if (taken.insert(name).second) names.push_back(name);
    }
    return names;
  }

  Step ReadStep(const Job& job, const std::string& name) {
    Step step;
    step.name = name;
    const std::string path = "steps/" + name;
    Load(path + "/profile", step.profile, ParseFeatures);
    Load(path + "/stephdr", step.header, ParseKeyValues);
    Load(path + "/attrlist", step.attributes, ParseKeyValues);
    for (const std::string& layerName : LayerNames(job, path)) {
      Layer& layer = step.layers.emplace_back();
      layer.name = layerName;
      const std::string layerPath = path + "/layers/" + layerName;
      Load(layerPath + "/features", layer.features, ParseFeatures);
      Load(layerPath + "/tools", layer.tools, ParseTools);
      Load(layerPath + "/components", layer.components, ParseComponents);
      Load(layerPath + "/attrlist", layer.attributes, ParseKeyValues);
    }
    Load(path + "/eda/data", step.eda, ParseEdaData);
    Load(path + "/netlists/cadnet/netlist", step.netlist, ParseNetlist);
    return step;
  }

  void ReadSummaries(Job& job) {
    for (const std::string& path : source_.files()) {
      const std::size_t slash = path.rfind('/');
      const std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
      const std::string file = path.substr(directory.size());
      if (file.size() <= 5 || file[0] != '.' || !file.ends_with(".sum")) continue;
      std::string error;
      if (!source_.Read(path, buffer_, error)) {
        problems_.Add(source_.Show(path), 0, error);
        continue;
      }
      const std::string subject = directory + file.substr(1, file.size() - 5);
      job.summaries.push_back(ParseSummary(buffer_, source_.Show(path), subject, problems_));
      job.summaries.back().subjectFacts = SubjectFacts(subject);
    }
  }

  // The facts of a file, from the parse that read it or from a read of its own.
  std::optional<FileFacts> SubjectFacts(const std::string& path) {
    if (const auto known = facts_.find(path); known != facts_.end()) return known->second;
    std::string error;
    if (!source_.HasFile(path) || !source_.Read(path, buffer_, error)) return std::nullopt;
    return Facts(buffer_);
  }

  static FileFacts Facts(const std::string& bytes) {
    std::uint32_t sum = 0;
    for (char c : bytes) sum += static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(c)));
    return FileFacts{static_cast<long long>(bytes.size()), static_cast<int>(sum)};
  }

  const Source& source_;
  Problems& problems_;
  // One buffer for every file: it grows to the largest and is reused.
  std::string buffer_;
  std::map<std::string, FileFacts> facts_;  // of every file read, by path
};

bool ReadWhole(const std::string& path, std::uint64_t maxBytes, std::string& bytes, std::string& error) {
  std::error_code failure;
  const std::uintmax_t size = std::filesystem::file_size(path, failure);
  if (failure) {
    error = path + ": " + failure.message();
    return false;
  }
  if (size > maxBytes) {
    error = path + ": " + std::to_string(size) + " bytes, more than the cap of " + std::to_string(maxBytes);
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in) {
    error = path + ": cannot read the file";
    return false;
  }
  bytes = text.str();
  return true;
}

}  // namespace

Job ReadJob(const Source& source, Problems& problems) { return JobReader(source, problems).Read(); }

bool ReadIdf(const std::string& boardPath, IdfJob& job, Problems& problems, std::string& error,
             std::uint64_t maxBytes) {
  std::string libraryPath = boardPath;
  if (libraryPath.ends_with(".emn")) libraryPath.resize(libraryPath.size() - 4);
  libraryPath += ".emp";
  std::string board;
  std::string library;
  if (!ReadWhole(boardPath, maxBytes, board, error) || !ReadWhole(libraryPath, maxBytes, library, error))
    return false;
  job = ParseIdf(board, boardPath, library, libraryPath, problems);
  return true;
}

IdfJob ParseIdf(std::string_view board, const std::string& boardPath, std::string_view library,
                const std::string& libraryPath, Problems& problems) {
  IdfJob job;
  job.board = ParseIdfBoard(board, boardPath, problems);
  job.library = ParseIdfLibrary(library, libraryPath, problems);
  return job;
}

}  // namespace kelpie::reader
