// Boards built through the interface alone; the fuzzer's seed corpus records them too.
#pragma once

#include "kelpie/kelpie.h"

namespace kelpie::samples {

void BuildSmallBoard(IKELPIE& server);      // job "BRD": one via, one resistor
void BuildDemoBoard(IKELPIE& server);       // job "Demo Board (rev.A)": every kind of record
void BuildTwoStepBoard(IKELPIE& server);    // job "panel": two steps, IDF refuses it
void BuildNonFiniteBoard(IKELPIE& server);  // the demo board with NaN and infinities

}  // namespace kelpie::samples
