#include "output/clock.h"

#include <cerrno>
#include <cstdlib>

namespace kelpie {

namespace {

// The value of SOURCE_DATE_EPOCH, or false when it is unset or not a plain
// decimal number that fits.
[[nodiscard]] bool SourceDateEpoch(std::time_t& moment) {
  const char* text = std::getenv("SOURCE_DATE_EPOCH");
  if (text == nullptr || *text == '\0') return false;
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') return false;
  }
  errno = 0;
  const unsigned long long seconds = std::strtoull(text, nullptr, 10);
  if (errno != 0) return false;
  moment = static_cast<std::time_t>(seconds);
  return moment >= 0 && static_cast<unsigned long long>(moment) == seconds;
}

}  // namespace

std::tm MomentOfWriting() {
  std::tm parts{};
  std::time_t moment = 0;
  if (SourceDateEpoch(moment)) {
#ifdef _WIN32
    const bool converted = gmtime_s(&parts, &moment) == 0;
#else
    const bool converted = gmtime_r(&moment, &parts) != nullptr;
#endif
    if (converted) return parts;
  }
  moment = std::time(nullptr);
#ifdef _WIN32
  localtime_s(&parts, &moment);
#else
  localtime_r(&moment, &parts);
#endif
  return parts;
}

}  // namespace kelpie
