#include "idf/idf_job.h"

#include "server/host_services.h"

namespace kelpie {

// Placeholder until the IDF writers land.
bool WriteIDF(FileStore*) {
  SendError("IDF export is not available in this build");
  return true;
}

}  // namespace kelpie
