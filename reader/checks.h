// The checks of a job read back: what a receiving station verifies before
// it trusts the files. Each adds what it finds to problems, at the file and
// line at fault; none stops at the first problem.
#ifndef KELPIE_READER_CHECKS_H
#define KELPIE_READER_CHECKS_H

#include "idf.h"
#include "job.h"
#include "problems.h"
#include "source.h"

namespace kelpie::reader {

// Every check of an ODB++ job: summaries, matrix, features tables and
// numbers, EDA feature references, components, netlist.
void CheckJob(const Source& source, const Job& job, Problems& problems);

// Sections, library packages of the placements, closed outlines, finite
// heights and thickness.
void CheckIdf(const IdfJob& job, Problems& problems);

}  // namespace kelpie::reader

#endif  // KELPIE_READER_CHECKS_H
