#include "base/messages.h"

namespace kelpie {

void Messages::Info(const std::string& text) const {
  if (sink_ != nullptr) sink_->Info(text.c_str(), 0);
}

void Messages::Error(const std::string& text) const {
  if (sink_ != nullptr) sink_->Error(text.c_str(), 0);
}

void Messages::Warning(const std::string& text) const {
  if (sink_ != nullptr) sink_->Warning(text.c_str(), 0);
}

void Messages::InfoFormat(const char* format, const char* argument) const {
  if (sink_ != nullptr) sink_->Info(format, argument);
}

}  // namespace kelpie
