#include "odb/names.h"

#include <cctype>

#include "output/text.h"

namespace kelpie {

namespace {

// The enumeration word of a value, upper-cased, or "ERROR" with a message.
std::string EnumWord(const char* const* words, int count, int value, const char* what,
                     const Messages& messages) {
  if (value < 0 || value >= count) {
    messages.Error(std::string(what) + " enum not valid: " + IntToText(value));
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
    const unsigned char lower =
        c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
    if ((lower >= '0' && lower <= '9') || (lower >= 'a' && lower <= 'z') || lower == '-' ||
        lower == '_' || lower == '.' || lower == '+')
      result += static_cast<char>(lower);
  }
  return result;
}

std::string LayerKindWord(LayerKind kind, const Messages& messages) {
  static const char* const kWords[] = {
      "NotSet",       "Signal",          "Power_ground", "Mixed", "Solder_mask",
      "Solder_paste", "Silk_screen",     "Drill",        "Rout",  "Document",
      "ComponentTop", "ComponentBottom", "Mask"};
  return EnumWord(kWords, 13, static_cast<int>(kind), "Layer", messages);
}

std::string PolarityWord(Polarity polarity, const Messages& messages) {
  static const char* const kWords[] = {"NotSet", "Positive", "Negative"};
  return EnumWord(kWords, 3, static_cast<int>(polarity), "Polarity", messages);
}

std::string ContextWord(MatrixContext context, const Messages& messages) {
  static const char* const kWords[] = {"NotSet", "Board", "Misc"};
  return EnumWord(kWords, 3, static_cast<int>(context), "Context", messages);
}

}  // namespace kelpie
