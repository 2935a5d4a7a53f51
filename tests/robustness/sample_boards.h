// Realistic boards described through the public interface only, so that the
// robustness tests and the fuzzer's seed corpus (which records these calls)
// start from the same designs.
#ifndef KELPIE_TESTS_ROBUSTNESS_SAMPLE_BOARDS_H
#define KELPIE_TESTS_ROBUSTNESS_SAMPLE_BOARDS_H

#include "kelpie/kelpie.h"

namespace kelpie::samples {

// Job "BRD": one 10 x 5 inch step, a drill layer with one via, one resistor.
void BuildSmallBoard(IKELPIE& server);

// Job "Demo Board (rev.A)": component, signal, plane, mask, silk and drill
// layers; round, rectangular and polygon pads; surface and through-hole
// pin types; packages with and without outlines; components on both sides
// (one mirrored); nets, vias, traces, arcs, circles, contours with and
// without stroke, a surface with a hole, fiducials, one pin without a net.
void BuildDemoBoard(IKELPIE& server);

// Job "panel": two steps, each in the matrix; IDF refuses it.
void BuildTwoStepBoard(IKELPIE& server);

// The demo board with NaN and infinities in thickness, coordinates, widths,
// angles and outlines.
void BuildNonFiniteBoard(IKELPIE& server);

}  // namespace kelpie::samples

#endif
