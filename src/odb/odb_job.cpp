#include "odb/odb_job.h"

#include <stdexcept>

#include "odb/components.h"
#include "odb/eda_data.h"
#include "odb/job_files.h"
#include "odb/layer_features.h"
#include "odb/matrix.h"
#include "odb/names.h"
#include "odb/netlist.h"
#include "odb/odb_plan.h"
#include "odb/step_files.h"

namespace kelpie {

namespace {

// {job}\steps\{step}: the profile, attrlist and header, every layer's
// directory, the EDA data, the components files and the netlist, in the
// order the tree has always listed them.
[[nodiscard]] bool WriteStep(const OutputTarget& target, const Design& design, const OdbPlan& plan,
                             size_t stepNumber, OuterLayers& outerLayers,
                             const std::string& stepsDirectory) {
  const Step& step = design.steps[stepNumber];
  if (step.name.empty()) {
    target.messages.Error("Step name not set");
    return false;
  }
  const std::string stepDirectory = stepsDirectory + "\\" + step.name;
  if (!WriteProfile(target, step, stepDirectory)) return false;
  WriteStepAttrList(target, stepDirectory);
  WriteStepHeader(target, stepDirectory);
  const std::string layersDirectory = stepDirectory + "\\layers";
  const RecordList<Layer>& layers = design.layers.layers;
  for (size_t l = 0; l < layers.size(); ++l) {
    if (!WriteLayerFiles(target, design, layers[l], plan.layers[l], static_cast<int>(stepNumber),
                         layersDirectory + "\\" + layers[l].name))
      return false;
  }
  if (!WriteEdaData(target, design, plan.steps[stepNumber], outerLayers, stepDirectory))
    return false;
  for (const Layer& layer : layers) {
    if (!WriteComponents(target, plan, stepNumber, layer, layersDirectory + "\\" + layer.name))
      return false;
  }
  WriteNetlist(target, step, outerLayers, stepDirectory);
  return true;
}

}  // namespace

bool WriteOdbJob(Design& design, FileStore* store, const Messages& messages) {
  PrepareDesignForOdb(design);
  const std::string& job = design.jobName;
  if (job.empty()) {
    messages.Error("Job name not set");
    return false;
  }
  // Without a store there is nowhere to write; the job reports that as the
  // unexpected failure it is rather than crash the host.
  if (store == nullptr) throw std::invalid_argument("no file store");
  messages.Info("Write job started: " + job);
  const OdbPlan plan = PlanOdbExport(design);
  OuterLayers outerLayers(design.layers, messages);
  const OutputTarget target{*store, messages, "\n", true};
  WriteSymbols(target, design, job);
  if (!WriteMatrix(target, design, job)) return false;
  WriteFonts(target, job);
  if (!WriteMisc(target, design, job)) return false;
  // The design's steps, not the matrix: a step never added to the matrix is
  // written all the same.
  for (size_t s = 0; s < design.steps.size(); ++s) {
    if (!WriteStep(target, design, plan, s, outerLayers, job + "\\steps")) return false;
  }
  messages.Info("Write job '" + job + "' complete");
  return true;
}

std::string OdbJobName(const std::string& jobName) { return LegalOdbName(jobName); }

}  // namespace kelpie
