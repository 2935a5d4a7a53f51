// The ODB++ export job.
#ifndef KELPIE_ODB_ODB_JOB_H
#define KELPIE_ODB_ODB_JOB_H

#include <string>

#include "base/messages.h"
#include "kelpie/kelpie.h"
#include "model/design.h"

namespace kelpie {

// Writes the design as an ODB++ job tree into the store. Before anything is
// written the design takes what the export leaves in it: legal names, a
// "$NONE$" net in every step given to every pin without a net, the pin
// types' layer kinds; the layer stack is resolved when the writers first
// need its outer layers. True when the whole tree was written; otherwise
// the reason has been reported (the caller reports the job's failure).
// Throws when there is no store.
[[nodiscard]] bool WriteOdbJob(Design& design, FileStore* store, const Messages& messages);

// The job name as the ODB++ job would write it.
std::string OdbJobName(const std::string& jobName);

}  // namespace kelpie

#endif
