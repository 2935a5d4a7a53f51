// The ODB++ export job.
#ifndef KELPIE_ODB_ODB_JOB_H
#define KELPIE_ODB_ODB_JOB_H

#include "kelpie/kelpie.h"

namespace kelpie {

// Writes the current server's design as an ODB++ job tree; true = failed.
bool WriteODB(FileStore* store);

}  // namespace kelpie

#endif
