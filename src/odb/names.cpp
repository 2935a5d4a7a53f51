#include "odb/names.h"

#include <cctype>

#include "output/text.h"
#include "server/host_services.h"

namespace kelpie {

namespace {

bool IsKeptPunctuation(unsigned char c) { return c == '-' || c == '_' || c == '.' || c == '+'; }

// The enumeration word of a value, upper-cased, or "ERROR" with a message.
std::string EnumWord(const char* const* words, int count, int value, const char* what) {
  if (value < 0 || value >= count) {
    SendError(std::string(what) + " enum not valid: " + IntToText(value));
    return "ERROR";
  }
  std::string word = words[value];
  for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return word;
}

}  // namespace

std::string LegalOdbName(const std::string& text) {
  if (text == "$NONE$") return text;
  std::string result;
  result.reserve(text.size());
  for (const char raw : text) {
    const unsigned char c = static_cast<unsigned char>(raw);
    // Only A-Z change: bytes above 127 are dropped below whatever the locale.
    const unsigned char lower = (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
    if ((lower >= '0' && lower <= '9') || (lower >= 'a' && lower <= 'z') || IsKeptPunctuation(lower))
      result += static_cast<char>(lower);
  }
  return result;
}

std::string LegalIdfName(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (const char raw : text) {
    const unsigned char c = static_cast<unsigned char>(raw);
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
        IsKeptPunctuation(c))
      result += raw;
  }
  return result;
}

std::string LayerTypeToName(int type) {
  static const char* const kWords[] = {
      "NotSet",      "Signal", "Power_ground", "Mixed",    "Solder_mask",  "Solder_paste",
      "Silk_screen", "Drill",  "Rout",         "Document", "ComponentTop", "ComponentBottom",
      "Mask"};
  return EnumWord(kWords, 13, type, "Layer");
}

std::string PolarityToName(int polarity) {
  static const char* const kWords[] = {"NotSet", "Positive", "Negative"};
  return EnumWord(kWords, 3, polarity, "Polarity");
}

std::string ContextToName(int context) {
  static const char* const kWords[] = {"NotSet", "Board", "Misc"};
  return EnumWord(kWords, 3, context, "Context");
}

}  // namespace kelpie
