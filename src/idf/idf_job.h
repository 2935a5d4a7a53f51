// The IDF export job.
#ifndef KELPIE_IDF_IDF_JOB_H
#define KELPIE_IDF_IDF_JOB_H

#include "kelpie/kelpie.h"

namespace kelpie {

// Writes the current server's design as an IDF board and library file pair;
// true = failed.
bool WriteIDF(FileStore* store);

}  // namespace kelpie

#endif
