// Entity names and the words of the ODB++ matrix.
#ifndef KELPIE_ODB_NAMES_H
#define KELPIE_ODB_NAMES_H

#include <string>

#include "base/messages.h"
#include "model/records.h"

namespace kelpie {

// Lower case, keeping only 0-9 a-z - _ . + ; "$NONE$" passes unchanged.
std::string LegalOdbName(const std::string& text);
// Matrix words; a value outside the table reports an error and gives "ERROR".
std::string LayerKindWord(LayerKind kind, const Messages& messages);
std::string PolarityWord(Polarity polarity, const Messages& messages);
std::string ContextWord(MatrixContext context, const Messages& messages);

}  // namespace kelpie

#endif
