// Entity names and the words of the ODB++ matrix.
#ifndef KELPIE_ODB_NAMES_H
#define KELPIE_ODB_NAMES_H

#include <string>

namespace kelpie {

// Lower case, keeping only 0-9 a-z - _ . + ; "$NONE$" passes unchanged.
std::string LegalOdbName(const std::string& text);
// Keeps only 0-9 a-z A-Z - _ . + , case unchanged.
std::string LegalIdfName(const std::string& text);
// Matrix words; a value outside the table reports an error and gives "ERROR".
std::string LayerTypeToName(int type);
std::string PolarityToName(int polarity);
std::string ContextToName(int context);

}  // namespace kelpie

#endif
