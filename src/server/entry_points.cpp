// The library's only exported symbols.
#include <new>

#include "kelpie/kelpie.h"
#include "output/text.h"
#include "server/server.h"

using kelpie::KELPIE;

extern "C" KELPIE_EXPORT kelpie::IKELPIE* createkelpieserver(kelpie::MessageSink* sink,
                                                             const char* /*versionText*/,
                                                             int apiVersion) {
  kelpie::messageSink = sink;
  try {
    if (apiVersion != kelpie::kApiVersion) {
      const kelpie::Messages messages(kelpie::messageSink);
      messages.Error("Incorrect API Version: expected: " + kelpie::IntToText(kelpie::kApiVersion) +
                     " found: " + kelpie::IntToText(apiVersion));
      return kelpie::currentServer;
    }
    kelpie::currentServer = new KELPIE();
    return kelpie::currentServer;
  } catch (...) {
    return nullptr;
  }
}

extern "C" KELPIE_EXPORT void deletekelpieserver(kelpie::IKELPIE* server) {
  if (server == nullptr) return;
  auto* kelpieServer = static_cast<KELPIE*>(server);
  // A deleted server must never be reached again through the process-wide
  // reference: a later refused createkelpieserver would hand it back.
  if (kelpie::currentServer == kelpieServer) kelpie::currentServer = nullptr;
  delete kelpieServer;
}
