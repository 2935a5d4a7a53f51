#include "odb/odb_job.h"

#include "server/host_services.h"

namespace kelpie {

// Placeholder until the ODB++ writers land.
bool WriteODB(FileStore*) {
  SendError("ODB++ export is not available in this build");
  return true;
}

}  // namespace kelpie
