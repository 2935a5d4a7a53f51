// The files at job level besides the matrix: one symbol for every polygon
// pad shape, the stroke font, and the misc directory (attributes, info and
// history of the job). Apart from the names, the board thickness and the
// customer's texts, their content is fixed.
#ifndef KELPIE_ODB_JOB_FILES_H
#define KELPIE_ODB_JOB_FILES_H

#include <string>

#include "model/design.h"
#include "output/file_writer.h"

namespace kelpie {

// {job}\symbols\{shape}: attrlist and features of every polygon pad shape of
// every step.
void WriteSymbols(const OutputTarget& target, const Design& design,
                  const std::string& jobDirectory);
// {job}\fonts\standard.
void WriteFonts(const OutputTarget& target, const std::string& jobDirectory);
// {job}\misc: attrlist, info, job_name, last_read and last_save. False, and
// none of them written, when the board thickness is 0.
[[nodiscard]] bool WriteMisc(const OutputTarget& target, const Design& design,
                             const std::string& jobDirectory);

}  // namespace kelpie

#endif
