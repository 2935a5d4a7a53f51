#include "server/host_services.h"

namespace kelpie {

KELPIE* currentServer = nullptr;
MessageSink* messageSink = nullptr;
FileStore* fileStore = nullptr;

void SendInfo(const std::string& text) {
  if (messageSink != nullptr) messageSink->Info(text.c_str(), 0);
}

void SendError(const std::string& text) {
  if (messageSink != nullptr) messageSink->Error(text.c_str(), 0);
}

void SendWarning(const std::string& text) {
  if (messageSink != nullptr) messageSink->Warning(text.c_str(), 0);
}

void SendInfoFormat(const char* format, const char* argument) {
  if (messageSink != nullptr) messageSink->Info(format, argument);
}

}  // namespace kelpie
