// The index page of a render directory: every job with the results of its
// checks and its pictures, each with its layer name and what it holds.
// Links are relative, so the page opens straight from the disk; a small
// script marks any picture that fails to load.
#ifndef KELPIE_CHECK_INDEX_PAGE_H
#define KELPIE_CHECK_INDEX_PAGE_H

#include <string>
#include <vector>

#include "render_view.h"

namespace kelpie::check {

struct JobReport {
  std::string name;    // as the user named the job
  std::string format;  // "ODB++ job", "IDF board"
  std::string contents;  // a line of what it holds; may be empty
  std::vector<std::string> problems;  // "path:line: message"
  bool checked = true;  // false when the job could not be read
  std::string error;   // why the job could not be read or drawn; empty when it was
  std::vector<Picture> pictures;
};

// The page's text.
std::string IndexPage(const std::vector<JobReport>& jobs);

// Writes directory/index.html under a temporary name, then renames it.
bool WriteIndexPage(const std::string& directory, const std::vector<JobReport>& jobs, std::string& error);

// A relative path as a URL: every byte but letters, digits and "-._~/"
// percent-encoded.
std::string PathUrl(const std::string& path);

}  // namespace kelpie::check

#endif  // KELPIE_CHECK_INDEX_PAGE_H
