// The bundled sample board: the text of examples/sample-board.json, compiled
// into the program at build time (sample_board.cpp.in) so that the two can
// never differ.
#ifndef KELPIE_HOST_SAMPLE_BOARD_H
#define KELPIE_HOST_SAMPLE_BOARD_H

namespace kelpie::host {

extern const char kSampleBoard[];

}  // namespace kelpie::host

#endif  // KELPIE_HOST_SAMPLE_BOARD_H
