#include "idf/idf_job.h"

#include <stdexcept>

#include "idf/idf_writers.h"
#include "model/design.h"
#include "odb/names.h"
#include "server/host_services.h"
#include "server/server.h"

namespace kelpie {

namespace {

// IDF readers take only letters, digits and "-_.+" in the names we write.
// The filtered names stay in the model.
void MakeNamesLegal(KELPIE& server) {
  server.jobName = LegalIdfName(server.jobName);
  for (Layer& layer : server.layers.layers) layer.name = LegalIdfName(layer.name);
  for (Step& step : server.steps) {
    step.name = LegalIdfName(step.name);
    for (PackageType& package : step.packageTypes) package.name = LegalIdfName(package.name);
  }
}

// The duplicate checks of later interface calls must see the names as they
// now are.
void RebuildNameIndexes(KELPIE& server) {
  server.layers.RebuildNameIndex();
  server.RebuildStepNameIndex();
  for (Step& step : server.steps) RebuildPackageTypeIndex(step);
}

bool RunJob(FileStore* store) {
  KELPIE& server = *currentServer;
  MakeNamesLegal(server);
  RebuildNameIndexes(server);
  server.useCrLf = true;
  server.writeHeaderLine = false;
  if (server.jobName.empty()) {
    SendError("Job name not set");
    return true;
  }
  // Without a store there is nowhere to write; the job reports that as the
  // unexpected failure it is rather than crash the host.
  if (store == nullptr) throw std::invalid_argument("no file store");
  fileStore = store;
  SendInfo("Write job started: " + server.jobName);
  if (WriteBoardFile(server.jobName + ".emn")) return true;
  if (WriteLibraryFile(server.jobName + ".emp")) return true;
  SendInfo("Write job '" + server.jobName + "' complete");
  return false;
}

}  // namespace

bool WriteIDF(FileStore* store) {
  bool failed = true;
  try {
    failed = RunJob(store);
  } catch (...) {
    // Whatever the host's store or an allocation threw ends the job here;
    // nothing may reach the host.
    SendError("Unexpected error in WriteIDF");
    // Renaming may have stopped half way; the indexes follow the names.
    try {
      RebuildNameIndexes(*currentServer);
    } catch (...) {
    }
  }
  if (failed) SendError("Write job '" + currentServer->jobName + "' failed");
  return failed;
}

}  // namespace kelpie
