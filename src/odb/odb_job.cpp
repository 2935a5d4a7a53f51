// The ODB++ job: makes the model's names legal, gives every pin a net, and
// writes the tree in its fixed order. Later files quote numbers that earlier
// ones assign (feature indices, subnets), so the order is not free.
#include "odb/odb_job.h"

#include <stdexcept>
#include <vector>

#include "model/design.h"
#include "odb/layer_features.h"
#include "odb/names.h"
#include "odb/odb_writers.h"
#include "server/host_services.h"
#include "server/server.h"

namespace kelpie {

namespace {

// Rewrites the names into their ODB++ form (the forms stay in the model) and
// gives every pin without a net the step's new "$NONE$" net, so that every
// pin belongs to a net in the EDA data and the components files.
void PrepareModel(KELPIE& server) {
  server.jobName = LegalOdbName(server.jobName);
  for (Layer& layer : server.layers.layers) {
    if (layer.type == kLayerComponentTop) {
      layer.name = "comp_+_top";
    } else if (layer.type == kLayerComponentBottom) {
      layer.name = "comp_+_bot";
    } else {
      layer.name = LegalOdbName(layer.name);
    }
  }
  for (Step& step : server.steps) {
    step.name = LegalOdbName(step.name);
    Net* noneNet = AddNet(step, "$NONE$");
    for (Net& net : step.nets) net.name = LegalOdbName(net.name);
    for (PadShape& shape : step.padShapes) shape.name = LegalOdbName(shape.name);
    for (PackageType& package : step.packageTypes) package.name = LegalOdbName(package.name);
    for (Pin& pin : step.pins) {
      if (pin.net == nullptr) pin.net = noneNet;
    }
    for (Component& component : step.components) {
      for (Pin* pin : component.pins) {
        if (pin->net == nullptr) pin->net = noneNet;
      }
    }
  }
}

// The duplicate checks of the interface look names up in indexes beside the
// lists; after renaming they must see the new names.
void RebuildNameIndexes(KELPIE& server) {
  server.layers.RebuildNameIndex();
  server.RebuildStepNameIndex();
  for (Step& step : server.steps) RebuildPackageTypeIndex(step);
}

// The lines stroked from contour outlines are traces for the length of this
// export only (the EDA data reads them); they are cut off again when the job
// ends, however it ends, so that a second export neither writes them twice
// nor strokes on top of them.
class StrokedLinesScope {
 public:
  explicit StrokedLinesScope(LayerStack& stack) : stack_(stack), counts_(CountLayerLines(stack)) {}
  ~StrokedLinesScope() { RemoveStrokedLines(stack_, counts_); }
  StrokedLinesScope(const StrokedLinesScope&) = delete;
  StrokedLinesScope& operator=(const StrokedLinesScope&) = delete;

 private:
  LayerStack& stack_;
  std::vector<std::size_t> counts_;
};

bool RunJob(KELPIE& server, FileStore* store) {
  PrepareModel(server);
  RebuildNameIndexes(server);
  server.useCrLf = false;
  server.writeHeaderLine = true;
  const std::string& job = server.jobName;
  if (job.empty()) {
    SendError("Job name not set");
    return true;
  }
  // Without a store there is nowhere to write; the job reports that as the
  // unexpected failure it is rather than crash the host.
  if (store == nullptr) throw std::invalid_argument("no file store");
  fileStore = store;
  SendInfo("Write job started: " + job);
  StrokedLinesScope strokedLines(server.layers);
  if (WriteSymbols(job) || WriteMatrix(job) || WriteFonts(job) || WriteMisc(job) ||
      WriteSteps(job)) {
    return true;
  }
  SendInfo("Write job '" + job + "' complete");
  return false;
}

}  // namespace

bool WriteODB(FileStore* store) {
  KELPIE& server = *currentServer;
  bool failed = true;
  try {
    failed = RunJob(server, store);
  } catch (...) {
    // Whatever the host's store or an allocation threw ends the job here;
    // nothing may reach the host.
    SendError("Unexpected error in WriteODB");
    try {
      RebuildNameIndexes(server);
    } catch (...) {
    }
  }
  if (failed) SendError("Write job '" + server.jobName + "' failed");
  return failed;
}

bool WriteMisc(const std::string& jobDirectory) {
  const std::string miscDirectory = jobDirectory + "\\misc";
  return WriteMiscAttrList(miscDirectory) || WriteMiscInfo(miscDirectory) ||
         WriteMiscJobName(miscDirectory) || WriteMiscLastRead(miscDirectory) ||
         WriteMiscLastSave(miscDirectory);
}

bool WriteSteps(const std::string& jobDirectory) {
  const std::string stepsDirectory = jobDirectory + "\\steps";
  // The server's steps, not the matrix: a step never added to the matrix is
  // written all the same.
  for (Step& step : currentServer->steps) {
    if (WriteStep(stepsDirectory, &step)) return true;
  }
  return false;
}

bool WriteStep(const std::string& stepsDirectory, Step* step) {
  if (step->name.empty()) {
    SendError("Step name not set");
    return true;
  }
  const std::string stepDirectory = stepsDirectory + "\\" + step->name;
  // Pass 1 of the layers numbers the features that the EDA data quotes; the
  // EDA data numbers the subnets that the components files of pass 2 quote.
  return WriteProfile(stepDirectory, step) || WriteStepAttrList(stepDirectory) ||
         WriteStepHeader(stepDirectory) || WriteLayers(stepDirectory, step, 1) ||
         WriteEdaData(stepDirectory, step) || WriteLayers(stepDirectory, step, 2) ||
         WriteNetlist(stepDirectory, step);
}

}  // namespace kelpie
