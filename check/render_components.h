// Draws the components of a component layer: each component's package
// outline and pin outlines from the EDA data, placed as its CMP record
// says (mirrored, turned clockwise, moved), a cross at every toeprint as
// its TOP record gives it, and the reference designator. A pin outline
// that misses its cross shows a placement that the two files disagree on.
#ifndef KELPIE_CHECK_RENDER_COMPONENTS_H
#define KELPIE_CHECK_RENDER_COMPONENTS_H

#include <cairo.h>

#include "job.h"
#include "render_view.h"

namespace kelpie::check {

// The context's matrix must be the view's. `eda` may be null (no
// outlines then, only the toeprints and the names).
void DrawComponents(cairo_t* cairo, const View& view, const reader::ComponentsFile& components,
                    const reader::EdaData* eda);

// Writes a short text centred on a point of board space, upright and at
// its size in pixels however the view turns or mirrors the board.
void DrawLabel(cairo_t* cairo, reader::Point at, const std::string& text, double pixels);

}  // namespace kelpie::check

#endif  // KELPIE_CHECK_RENDER_COMPONENTS_H
