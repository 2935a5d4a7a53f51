#include "idf/idf_job.h"

#include <stdexcept>

#include "idf/board_file.h"
#include "idf/idf_text.h"
#include "idf/library_file.h"

namespace kelpie {

namespace {

void MakeNamesLegal(Design& design) {
  design.jobName = LegalIdfName(design.jobName);
  for (Layer& layer : design.layers.layers) layer.name = LegalIdfName(layer.name);
  for (Step& step : design.steps) {
    step.name = LegalIdfName(step.name);
    for (PackageType& package : step.packageTypes) package.name = LegalIdfName(package.name);
  }
  design.RebuildNameIndexes();
}

}  // namespace

bool WriteIdfJob(Design& design, FileStore* store, const Messages& messages) {
  MakeNamesLegal(design);
  const std::string& job = design.jobName;
  if (job.empty()) {
    messages.Error("Job name not set");
    return false;
  }
  // Without a store there is nowhere to write; the job reports that as the
  // unexpected failure it is rather than crash the host.
  if (store == nullptr) throw std::invalid_argument("no file store");
  messages.Info("Write job started: " + job);
  const OutputTarget target{*store, messages, "\r\n", false};
  if (!WriteBoardFile(target, design, job + ".emn")) return false;
  GiveOutlinesToPlacedPackages(design);
  WriteLibraryFile(target, design, job + ".emp");
  messages.Info("Write job '" + job + "' complete");
  return true;
}

}  // namespace kelpie
