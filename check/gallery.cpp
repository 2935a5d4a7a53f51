#include "gallery.h"

#include <filesystem>
#include <system_error>

#include "render_board.h"
#include "render_idf.h"

namespace kelpie::check {

std::string Gallery::FolderFor(const std::string& name) {
  std::string base = std::filesystem::path(name).lexically_normal().filename().string();
  if (base.empty()) base = std::filesystem::path(name).lexically_normal().parent_path().filename().string();
  return UniqueName(base, folders_);
}

JobReport& Gallery::Begin(const std::string& name, const char* format, const std::string& contents,
                          const reader::Problems& problems) {
  JobReport& report = jobs_.emplace_back();
  report.name = name;
  report.format = format;
  report.contents = contents;
  for (const reader::Problem& problem : problems.list()) report.problems.push_back(reader::Show(problem));
  return report;
}

bool Gallery::AddOdb(const std::string& name, const reader::Job& job, const std::string& contents,
                     const reader::Problems& problems, std::string& error) {
  JobReport& report = Begin(name, "ODB++ job", contents, problems);
  if (RenderOdbJob(job, directory_, FolderFor(name), report.pictures, error)) return true;
  report.error = error;
  return false;
}

bool Gallery::AddIdf(const std::string& name, const reader::IdfJob& job, const std::string& contents,
                     const reader::Problems& problems, std::string& error) {
  JobReport& report = Begin(name, "IDF board", contents, problems);
  if (RenderIdfJob(job, directory_, FolderFor(name), report.pictures, error)) return true;
  report.error = error;
  return false;
}

void Gallery::AddUnreadable(const std::string& name, const std::string& reason) {
  JobReport& report = Begin(name, "unreadable", "", reader::Problems());
  report.checked = false;
  report.error = reason;
}

bool Gallery::Finish(std::string& error) {
  std::error_code failure;
  std::filesystem::create_directories(directory_, failure);
  if (failure) {
    error = "cannot create " + directory_ + ": " + failure.message();
    return false;
  }
  return WriteIndexPage(directory_, jobs_, error);
}

}  // namespace kelpie::check
