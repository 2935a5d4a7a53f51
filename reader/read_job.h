// Reads a whole job from its source into the model.
#ifndef KELPIE_READER_READ_JOB_H
#define KELPIE_READER_READ_JOB_H

#include <cstdint>
#include <string>
#include <string_view>

#include "idf.h"
#include "job.h"
#include "problems.h"
#include "source.h"

namespace kelpie::reader {

// Reads the matrix, misc, every step directory (profile, stephdr, layers
// with features, tools, components and attrlist, EDA data, netlist), every
// user symbol and every .sum companion. A file the job lacks stays absent
// in the model; what cannot be parsed is added to problems.
Job ReadJob(const Source& source, Problems& problems);

// Reads an IDF board file and the library file of the same name with the
// extension .emp beside it. False with a message when either cannot be read
// or is larger than `maxBytes`.
bool ReadIdf(const std::string& boardPath, IdfJob& job, Problems& problems, std::string& error,
             std::uint64_t maxBytes = std::uint64_t{1} << 30);

// The same from the two files' bytes.
IdfJob ParseIdf(std::string_view board, const std::string& boardPath, std::string_view library,
                const std::string& libraryPath, Problems& problems);

}  // namespace kelpie::reader

#endif  // KELPIE_READER_READ_JOB_H
