// Process-wide references and the library's one way of talking to the host.
// There is one current server, one message sink and, once a write job has
// started, one file store for the whole library.
#ifndef KELPIE_SERVER_HOST_SERVICES_H
#define KELPIE_SERVER_HOST_SERVICES_H

#include <string>

#include "kelpie/kelpie.h"

namespace kelpie {

class KELPIE;

// Set by each successful createkelpieserver; never cleared.
extern KELPIE* currentServer;
// Set by every createkelpieserver call, before the version check.
extern MessageSink* messageSink;
// Set by each write job when it starts; kept afterwards.
extern FileStore* fileStore;

// Complete texts go to the sink as the format followed by a single 0, so a
// sink that honours the contract shows them verbatim.
void SendInfo(const std::string& text);
void SendError(const std::string& text);
void SendWarning(const std::string& text);
// Info with a "%s" format and one argument, e.g. ("Job name: %s", name).
void SendInfoFormat(const char* format, const char* argument);

}  // namespace kelpie

#endif
