// The IDF export job.
#ifndef KELPIE_IDF_IDF_JOB_H
#define KELPIE_IDF_IDF_JOB_H

#include "base/messages.h"
#include "kelpie/kelpie.h"
#include "model/design.h"

namespace kelpie {

// Writes the design as an IDF board and library file pair into the store.
// Before anything is written, the job name, the layer, step and package type
// names take their IDF form, and they keep it. True when both files were
// written; otherwise the reason has been reported (the caller reports the
// job's failure). Throws when there is no store.
[[nodiscard]] bool WriteIdfJob(Design& design, FileStore* store, const Messages& messages);

}  // namespace kelpie

#endif
