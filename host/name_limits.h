// The exports name files and directories after the job, the step, the layers
// and the polygon pad shapes. A name longer than the output file system
// allows would fail every file that carries it; it is refused once, before
// anything is written.
#ifndef KELPIE_HOST_NAME_LIMITS_H
#define KELPIE_HOST_NAME_LIMITS_H

#include <cstddef>
#include <string>

#include "design.h"

namespace kelpie::host {

// The length of a name once the exports have dropped what file names cannot
// hold (they keep letters, digits, "-", "_", "." and "+").
std::size_t FileNameLength(const std::string& name);

// False with one message when a name would make a file or directory name
// longer than the file system of outputDirectory allows.
bool CheckNameLengths(const Design& design, const std::string& outputDirectory, std::string& error);

}  // namespace kelpie::host

#endif  // KELPIE_HOST_NAME_LIMITS_H
