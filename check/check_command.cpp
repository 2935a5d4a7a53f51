#include "check_command.h"

#include <filesystem>
#include <new>
#include <optional>

#include "checks.h"
#include "gallery.h"
#include "read_job.h"

namespace kelpie::check {
namespace {

using reader::Problems;

enum Status { kPassed = 0, kProblems = 1, kUnreadable = 2 };

std::string Plural(std::size_t count, const char* singular, const char* plural) {
  return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

std::string Verdict(const Problems& problems) {
  return problems.empty() ? "every check passed" : Plural(problems.size(), "problem", "problems");
}

// A line about what the job holds, for the user to see that it was read.
std::string Contents(const reader::Job& job) {
  std::size_t layers = 0;
  std::size_t features = 0;
  std::size_t components = 0;
  std::size_t nets = 0;
  for (const reader::Step& step : job.steps) {
    layers += step.layers.size();
    for (const reader::Layer& layer : step.layers) {
      if (layer.features) features += layer.features->features.size();
      if (layer.components) components += layer.components->components.size();
    }
    if (step.eda) nets += step.eda->nets.size();
  }
  return Plural(job.steps.size(), "step", "steps") + ", " + Plural(layers, "layer", "layers") + ", " +
         Plural(features, "feature", "features") + ", " + Plural(components, "component", "components") + ", " +
         Plural(nets, "net", "nets");
}

Status Report(const Problems& problems, std::FILE* out) {
  for (const reader::Problem& problem : problems.list()) std::fprintf(out, "%s\n", reader::Show(problem).c_str());
  return problems.empty() ? kPassed : kProblems;
}

// Reports a job that could not be read, and lists it on the index page.
Status Unreadable(const std::string& path, const std::string& error, Gallery* gallery, std::FILE* err) {
  std::fprintf(err, "kelpie-check: %s\n", error.c_str());
  if (gallery != nullptr) gallery->AddUnreadable(path, error);
  return kUnreadable;
}

// A picture that cannot be written makes the run fail as bad input does.
Status Rendered(bool written, const std::string& error, Status status, std::FILE* err) {
  if (written) return status;
  std::fprintf(err, "kelpie-check: %s\n", error.c_str());
  return kUnreadable;
}

Status CheckOdb(const std::string& path, const CheckOptions& options, Gallery* gallery, std::FILE* out,
                std::FILE* err) {
  std::string error;
  const std::unique_ptr<reader::Source> source = reader::OpenSource(path, options.limits, error);
  if (!source) return Unreadable(path, error, gallery, err);
  Problems problems;
  const reader::Job job = reader::ReadJob(*source, problems);
  reader::CheckJob(*source, job, problems);
  const Status status = Report(problems, out);
  if (!options.quiet)
    std::fprintf(out, "%s: ODB++ job %s: %s; %s\n", path.c_str(), job.name.c_str(), Contents(job).c_str(),
                 Verdict(problems).c_str());
  if (gallery == nullptr) return status;
  return Rendered(gallery->AddOdb(path, job, Contents(job), problems, error), error, status, err);
}

Status CheckIdf(const std::string& path, const CheckOptions& options, Gallery* gallery, std::FILE* out,
                std::FILE* err) {
  reader::IdfJob job;
  Problems problems;
  std::string error;
  if (!reader::ReadIdf(path, job, problems, error)) return Unreadable(path, error, gallery, err);
  reader::CheckIdf(job, problems);
  const Status status = Report(problems, out);
  if (!options.quiet)
    std::fprintf(out, "%s: IDF board: %s, %s, %s; %s\n", path.c_str(),
                 Plural(job.board.holes.size(), "hole", "holes").c_str(),
                 Plural(job.board.placements.size(), "placement", "placements").c_str(),
                 Plural(job.library.packages.size(), "library package", "library packages").c_str(),
                 Verdict(problems).c_str());
  if (gallery == nullptr) return status;
  return Rendered(gallery->AddIdf(path, job, "", problems, error), error, status, err);
}

}  // namespace

const char kCheckUsage[] =
    "usage: kelpie-check [--render DIR] [-q] JOB...\n"
    "\n"
    "Reads exported jobs back and checks them the way a receiving CAM station\n"
    "would. A JOB is an ODB++ job directory, a .tgz or .zip of one (read\n"
    "straight from the archive), or an IDF board file .emn (its .emp beside it).\n"
    "Every problem is shown as path:line: message.\n"
    "\n"
    "  --render DIR  draw every layer into DIR\n"
    "  -q, --quiet   only the problems, no line per job\n"
    "  -h, --help    this text\n"
    "\n"
    "Exit status: 0 every check passed, 1 problems found, 2 a job could not be\n"
    "read or bad usage.\n";

bool ParseCheckOptions(int argc, const char* const* argv, CheckOptions& options, bool& help, std::string& error) {
  options = CheckOptions{};
  help = false;
  bool onlyJobs = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (onlyJobs || argument.empty() || argument[0] != '-') {
      options.jobs.push_back(argument);
    } else if (argument == "--") {
      onlyJobs = true;
    } else if (argument == "-q" || argument == "--quiet") {
      options.quiet = true;
    } else if (argument == "-h" || argument == "--help") {
      help = true;
    } else if (argument == "--render") {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') {
        error = "--render needs a directory";
        return false;
      }
      options.renderDirectory = argv[++i];
    } else {
      error = "unknown option " + argument;
      return false;
    }
  }
  if (!help && options.jobs.empty()) {
    error = "no job given";
    return false;
  }
  return true;
}

int RunChecks(const CheckOptions& options, std::FILE* out, std::FILE* err) {
  std::optional<Gallery> gallery;
  if (!options.renderDirectory.empty()) gallery.emplace(options.renderDirectory);
  Gallery* pictures = gallery ? &*gallery : nullptr;
  int result = kPassed;
  for (const std::string& path : options.jobs) {
    Status status = kUnreadable;
    try {
      const bool idf = path.ends_with(".emn") && !std::filesystem::is_directory(path);
      status = idf ? CheckIdf(path, options, pictures, out, err) : CheckOdb(path, options, pictures, out, err);
    } catch (const std::bad_alloc&) {
      std::fprintf(err, "kelpie-check: %s: out of memory while reading\n", path.c_str());
    }
    result = std::max(result, static_cast<int>(status));
  }
  std::string error;
  if (gallery && !gallery->Finish(error)) {
    std::fprintf(err, "kelpie-check: %s\n", error.c_str());
    return kUnreadable;
  }
  if (gallery && !options.quiet)
    std::fprintf(out, "Pictures: %s/index.html\n", options.renderDirectory.c_str());
  return result;
}

}  // namespace kelpie::check
