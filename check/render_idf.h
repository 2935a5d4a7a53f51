// The picture of an IDF job read back: the board seen from above with its
// outline and cut-outs, the drilled holes, and every placed component's
// outline from the library file with its reference designator (those on
// the bottom dashed, as seen through the board).
#ifndef KELPIE_CHECK_RENDER_IDF_H
#define KELPIE_CHECK_RENDER_IDF_H

#include <string>
#include <vector>

#include "idf.h"
#include "render_view.h"

namespace kelpie::check {

// Writes top.png and top.svg into directory/folder (created if missing)
// and adds the picture to `pictures`, its paths relative to `directory`.
// False with a message when a file cannot be written.
bool RenderIdfJob(const reader::IdfJob& job, const std::string& directory, const std::string& folder,
                  std::vector<Picture>& pictures, std::string& error);

}  // namespace kelpie::check

#endif  // KELPIE_CHECK_RENDER_IDF_H
