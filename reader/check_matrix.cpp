// The matrix against the tree: it names exactly the step and layer
// directories that exist, its columns and rows run 1, 2, ... without gaps
// or repeats, and its words are the ones the format knows.
#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "check_parts.h"

namespace kelpie::reader {
namespace {

constexpr const char* kLayerTypes[] = {"SIGNAL",       "POWER_GROUND", "MIXED",  "SOLDER_MASK", "SOLDER_PASTE",
                                       "SILK_SCREEN",  "DRILL",        "ROUT",   "DOCUMENT",    "COMPONENT",
                                       "MASK",         "CONDUCTIVE_PASTE"};

constexpr int kMissingDirectories = 1000;

bool IsOneOf(const std::string& word, std::initializer_list<const char*> words) {
  return std::any_of(words.begin(), words.end(), [&](const char* w) { return word == w; });
}

// Numbers 1..n, each once: reports a number outside that range or one
// that repeats, at the line of the record that holds it.
void CheckNumbering(const std::string& path, const char* what, const std::vector<std::pair<int, int>>& numbers,
                    Problems& problems) {
  const int count = static_cast<int>(numbers.size());
  std::map<int, int> seen;  // number -> line
  for (const auto& [number, line] : numbers) {
    if (number < 1 || number > count) {
      problems.Add(path, line, std::string(what) + " " + std::to_string(number) + " is outside 1.." +
                                   std::to_string(count) + " (they must run 1, 2, ... without gaps)");
    } else if (const auto [at, added] = seen.emplace(number, line); !added) {
      problems.Add(path, line, std::string(what) + " " + std::to_string(number) + " repeats the " + what +
                                   " of line " + std::to_string(at->second));
    }
  }
}

}  // namespace

void CheckMatrix(const Source& source, const Job& job, Problems& problems) {
  if (!job.matrix) {
    problems.Add(source.Show("matrix/matrix"), 0, "the job has no matrix");
    return;
  }
  const Matrix& matrix = *job.matrix;
  std::vector<std::pair<int, int>> columns;
  std::map<std::string, int> steps;  // name -> line
  for (const MatrixStep& step : matrix.steps) {
    columns.emplace_back(step.column, step.line);
    if (step.name.empty()) {
      problems.Add(matrix.path, step.line, "step without a name");
    } else if (const auto [at, added] = steps.emplace(step.name, step.line); !added) {
      problems.Add(matrix.path, step.line, "step " + step.name + " repeats the step of line " + std::to_string(at->second));
    } else if (!source.HasDirectory("steps/" + step.name)) {
      problems.Add(matrix.path, step.line, "step " + step.name + " has no directory steps/" + step.name);
    }
  }
  CheckNumbering(matrix.path, "column", columns, problems);
  for (const std::string& name : source.Subdirectories("steps")) {
    if (!steps.count(name)) problems.Add(matrix.path, 0, "the step directory steps/" + name + " is not in the matrix");
  }

  std::vector<std::pair<int, int>> rows;
  std::map<std::string, int> layers;
  int missingDirectories = 0;
  for (const MatrixLayer& layer : matrix.layers) {
    rows.emplace_back(layer.row, layer.line);
    if (layer.name.empty()) {
      problems.Add(matrix.path, layer.line, "layer without a name");
      continue;
    }
    if (const auto [at, added] = layers.emplace(layer.name, layer.line); !added) {
      problems.Add(matrix.path, layer.line,
                   "layer " + layer.name + " repeats the layer of line " + std::to_string(at->second));
      continue;
    }
    if (!IsOneOf(layer.context, {"BOARD", "MISC"}))
      problems.Add(matrix.path, layer.line, "layer " + layer.name + ": CONTEXT is not BOARD or MISC: '" + layer.context + "'");
    if (std::none_of(std::begin(kLayerTypes), std::end(kLayerTypes), [&](const char* t) { return layer.type == t; }))
      problems.Add(matrix.path, layer.line, "layer " + layer.name + ": unknown TYPE '" + layer.type + "'");
    if (!IsOneOf(layer.polarity, {"POSITIVE", "NEGATIVE"}))
      problems.Add(matrix.path, layer.line,
                   "layer " + layer.name + ": POLARITY is not POSITIVE or NEGATIVE: '" + layer.polarity + "'");
    for (const auto& [name, _] : steps) {
      const std::string directory = "steps/" + name + "/layers/" + layer.name;
      if (!source.HasDirectory("steps/" + name) || source.HasDirectory(directory)) continue;
      // Every pair of step and layer costs a look-up: a matrix of many
      // steps and layers without directories is not followed to its end.
      if (++missingDirectories > kMissingDirectories) break;
      problems.Add(matrix.path, layer.line, "layer " + layer.name + " has no directory " + directory);
    }
  }
  if (missingDirectories > kMissingDirectories)
    problems.Add(matrix.path, 0, "more than " + std::to_string(kMissingDirectories) +
                                     " layer directories are missing; the rest were not looked for");
  CheckNumbering(matrix.path, "row", rows, problems);
  for (const MatrixLayer& layer : matrix.layers) {
    for (const std::string* span : {&layer.startName, &layer.endName}) {
      if (!span->empty() && !layers.count(*span))
        problems.Add(matrix.path, layer.line, "layer " + layer.name + " spans to " + *span + ", which is not in the matrix");
    }
  }
  for (const std::string& step : source.Subdirectories("steps")) {
    for (const std::string& name : source.Subdirectories("steps/" + step + "/layers")) {
      if (!layers.count(name))
        problems.Add(matrix.path, 0, "the layer directory steps/" + step + "/layers/" + name + " is not in the matrix");
    }
  }
}

}  // namespace kelpie::reader
