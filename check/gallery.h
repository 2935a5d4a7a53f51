// What `--render DIR` makes: the pictures of every job checked, each job in
// a folder of its own named after it, and DIR/index.html over them all.
#ifndef KELPIE_CHECK_GALLERY_H
#define KELPIE_CHECK_GALLERY_H

#include <set>
#include <string>
#include <vector>

#include "idf.h"
#include "index_page.h"
#include "job.h"
#include "problems.h"

namespace kelpie::check {

class Gallery {
 public:
  explicit Gallery(std::string directory) : directory_(std::move(directory)) {}

  // Draw the job's pictures and keep its check results for the page. False
  // with a message when a picture cannot be written (the job is listed
  // with the message all the same).
  bool AddOdb(const std::string& name, const reader::Job& job, const std::string& contents,
              const reader::Problems& problems, std::string& error);
  bool AddIdf(const std::string& name, const reader::IdfJob& job, const std::string& contents,
              const reader::Problems& problems, std::string& error);
  // A job that could not be read: listed with the reason, no pictures.
  void AddUnreadable(const std::string& name, const std::string& reason);

  // Writes the index page (creating the directory if missing).
  bool Finish(std::string& error);

  const std::vector<JobReport>& jobs() const { return jobs_; }

 private:
  JobReport& Begin(const std::string& name, const char* format, const std::string& contents,
                   const reader::Problems& problems);
  std::string FolderFor(const std::string& name);

  std::string directory_;
  std::vector<JobReport> jobs_;
  std::set<std::string> folders_;
};

}  // namespace kelpie::check

#endif  // KELPIE_CHECK_GALLERY_H
