// How the library talks to the host's MessageSink. Every part of the library
// that reports something receives a Messages and calls it; none of them
// knows where the sink is kept.
#ifndef KELPIE_BASE_MESSAGES_H
#define KELPIE_BASE_MESSAGES_H

#include <string>

#include "kelpie/kelpie.h"

namespace kelpie {

class Messages {
 public:
  // `sink` names the place where the host's sink is kept. It is read at each
  // message, so that a sink handed over later is used from then on; a null
  // sink drops the messages.
  explicit Messages(MessageSink* const& sink) : sink_(sink) {}

  // Complete texts go to the sink as the format followed by a single 0, so a
  // sink that keeps the contract shows them verbatim (they may hold '%').
  void Info(const std::string& text) const;
  void Error(const std::string& text) const;
  void Warning(const std::string& text) const;
  // Info with a "%s" format and its one argument, e.g. ("Job name: %s", name).
  void InfoFormat(const char* format, const char* argument) const;

 private:
  MessageSink* const& sink_;
};

}  // namespace kelpie

#endif
