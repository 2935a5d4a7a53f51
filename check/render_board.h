// The pictures of an ODB++ job read back: for every step, one PNG and one
// SVG per layer, and the composites top.png and bottom.png, the board as
// it will look from above and from below.
#ifndef KELPIE_CHECK_RENDER_BOARD_H
#define KELPIE_CHECK_RENDER_BOARD_H

#include <set>
#include <string>
#include <vector>

#include "job.h"
#include "render_view.h"

namespace kelpie::check {

// Writes the pictures into directory/folder (created if missing) and adds
// them to `pictures`, their paths relative to `directory`. A job of one
// step has its pictures in the folder itself, a job of several steps one
// folder per step. False with a message when a file cannot be written.
bool RenderOdbJob(const reader::Job& job, const std::string& directory, const std::string& folder,
                  std::vector<Picture>& pictures, std::string& error);

// A file or folder name made of the text: letters, digits, '-', '_',
// '.', '+' kept, any other character replaced by '_'; never empty, never
// "." or "..".
std::string SafeName(const std::string& text);

// SafeName of the text, with "-2", "-3", ... added until it is not among
// the names used; the name is then added to them.
std::string UniqueName(const std::string& text, std::set<std::string>& used);

}  // namespace kelpie::check

#endif  // KELPIE_CHECK_RENDER_BOARD_H
