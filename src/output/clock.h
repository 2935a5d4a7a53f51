// The moment of writing that the output files carry (the summary files' DATE
// and TIME, the IDF header's date stamp).
#ifndef KELPIE_OUTPUT_CLOCK_H
#define KELPIE_OUTPUT_CLOCK_H

#include <ctime>

namespace kelpie {

// The local time now, read afresh at each call. When the environment
// variable SOURCE_DATE_EPOCH holds a number of seconds since 1970-01-01
// 00:00:00 UTC (decimal digits only), that moment in UTC instead, so that
// builds which set it get the same bytes every time. Any other value is
// ignored.
std::tm MomentOfWriting();

}  // namespace kelpie

#endif
