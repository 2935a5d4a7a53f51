// The checks of a job, one unit per file kind; CheckJob (checks.h) runs
// them all.
#ifndef KELPIE_READER_CHECK_PARTS_H
#define KELPIE_READER_CHECK_PARTS_H

#include <map>
#include <string>

#include "job.h"
#include "problems.h"
#include "source.h"

namespace kelpie::reader {

// The step's layers by name, for checks that look many names up.
std::map<std::string, const Layer*> LayersByName(const Step& step);

void CheckSummaries(const Source& source, const Job& job, Problems& problems);
void CheckMatrix(const Source& source, const Job& job, Problems& problems);
void CheckFeatures(const Job& job, const Features& features, Problems& problems);
void CheckTools(const Tools& tools, const Features& features, Problems& problems);
void CheckEdaData(const Step& step, const EdaData& eda, Problems& problems);
void CheckComponents(const Step& step, const EdaData& eda, Problems& problems);
void CheckNetlist(const Netlist& netlist, const EdaData& eda, Problems& problems);

}  // namespace kelpie::reader

#endif  // KELPIE_READER_CHECK_PARTS_H
