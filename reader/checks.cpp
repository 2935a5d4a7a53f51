// Runs every check of an ODB++ job over the model read back.
#include "checks.h"

#include "check_parts.h"

namespace kelpie::reader {
namespace {

void CheckStep(const Source& source, const Job& job, const Step& step, Problems& problems) {
  const std::string path = "steps/" + step.name;
  auto missing = [&](const std::string& file, const char* what) {
    problems.Add(source.Show(path + "/" + file), 0, std::string("the step has no ") + what);
  };
  if (step.profile) {
    CheckFeatures(job, *step.profile, problems);
    if (step.profile->features.empty()) problems.Add(step.profile->path, 0, "the profile holds no surface");
  } else {
    missing("profile", "profile");
  }
  if (!step.header) missing("stephdr", "step header");
  for (const Layer& layer : step.layers) {
    if (!layer.features) {
      missing("layers/" + layer.name + "/features", "features file for this layer");
      continue;
    }
    CheckFeatures(job, *layer.features, problems);
    if (layer.tools) CheckTools(*layer.tools, *layer.features, problems);
  }
  if (job.matrix) {
    const std::map<std::string, const Layer*> layers = LayersByName(step);
    for (const MatrixLayer& layer : job.matrix->layers) {
      const auto found = layers.find(layer.name);
      if (layer.type == "DRILL" && found != layers.end() && !found->second->tools)
        missing("layers/" + layer.name + "/tools", "tools file for this drill layer");
    }
  }
  if (!step.eda) {
    missing("eda/data", "EDA data");
    return;
  }
  CheckEdaData(step, *step.eda, problems);
  CheckComponents(step, *step.eda, problems);
  if (step.netlist) {
    CheckNetlist(*step.netlist, *step.eda, problems);
  } else {
    missing("netlists/cadnet/netlist", "netlist");
  }
}

}  // namespace

std::map<std::string, const Layer*> LayersByName(const Step& step) {
  std::map<std::string, const Layer*> layers;
  for (const Layer& layer : step.layers) layers.emplace(layer.name, &layer);
  return layers;
}

void CheckJob(const Source& source, const Job& job, Problems& problems) {
  CheckSummaries(source, job, problems);
  CheckMatrix(source, job, problems);
  for (const UserSymbol& symbol : job.symbols) {
    if (symbol.features) {
      CheckFeatures(job, *symbol.features, problems);
    } else {
      problems.Add(source.Show("symbols/" + symbol.name + "/features"), 0, "the symbol has no features file");
    }
  }
  for (const Step& step : job.steps) CheckStep(source, job, step, problems);
}

}  // namespace kelpie::reader
