// kelpie-export: the stand-alone host. Reads a design file or a KiCad board
// (or takes the bundled sample board, or generates a board), loads the
// plug-in, describes the board through the interface table and writes the
// requested exports into the output directory.
//
// Every export gets a fresh server: the plug-in rewrites names in its model
// while it writes, so one export must not see another's changes. The ODB++
// directory and its archives come from one run of WriteODB through a
// TeeStore, so they hold the same bytes.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "check_command.h"
#include "console.h"
#include "design.h"
#include "kicad/kicad_import.h"
#include "name_limits.h"
#include "options.h"
#include "plugin.h"
#include "sample_board.h"
#include "staging.h"
#include "stores.h"

#ifdef KELPIE_HAVE_GENERATOR
#include "board_generator.h"
#endif

namespace kelpie::host {
namespace {

constexpr const char kVersionText[] = "kelpie-export 1.0";

using Describe = std::function<bool(IKELPIE& server, std::string& error)>;

struct Context {
  Console& console;
  Plugin& plugin;
  const Describe& describe;
  std::string outputDirectory;
  std::vector<std::string>* jobs;  // every job written: .emn files, job directories, archives
};

// Destroys the server at the end of an export.
struct ServerScope {
  Plugin& plugin;
  IKELPIE* server;
  ~ServerScope() {
    if (server != nullptr) plugin.destroy(server);
  }
};

IKELPIE* CreateDescribedServer(const Context& context) {
  IKELPIE* server = context.plugin.create(&context.console, kVersionText, kApiVersion);
  if (server == nullptr) {
    context.console.HostError("the plug-in did not create a server");
    return nullptr;
  }
  std::string error;
  if (!context.describe(*server, error)) {
    context.console.HostError(error);
    context.plugin.destroy(server);
    return nullptr;
  }
  return server;
}

std::string Join(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

void ReportWritten(const Context& context, const std::vector<std::string>& outputs) {
  char figures[96];
  std::snprintf(figures, sizeof figures, " (%llu files, %s, %.2f s)",
                static_cast<unsigned long long>(context.console.files()),
                ByteText(context.console.bytes()).c_str(), context.console.Seconds());
  context.console.Note("Wrote " + Join(outputs) + figures);
}

// Ends an export: keeps it only when the plug-in reported success and no
// store saw an error, then moves each staged output into place.
bool Conclude(const Context& context, Staging& staging, const char* label, bool written, bool storesFailed,
              const std::vector<std::pair<std::string, std::string>>& moves) {
  context.console.EndExport();
  if (!written || storesFailed) {
    context.console.HostError(std::string("the ") + label + " export failed; nothing was written");
    return false;
  }
  bool published = true;
  std::vector<std::string> outputs;
  for (const auto& [staged, name] : moves) {
    std::string error;
    if (staging.Publish(staged, name, error)) {
      outputs.push_back(context.outputDirectory + "/" + name);
      if (!name.ends_with(".emp")) context.jobs->push_back(outputs.back());
    } else {
      context.console.HostError(error);
      published = false;
    }
  }
  if (!outputs.empty()) ReportWritten(context, outputs);
  return published;
}

// The entries of the staged directory store, each to go to the same name.
std::vector<std::pair<std::string, std::string>> TreeMoves(const Staging& staging) {
  std::vector<std::pair<std::string, std::string>> moves;
  for (const std::string& name : staging.Entries("tree")) moves.emplace_back("tree/" + name, name);
  return moves;
}

bool ExportIdf(const Context& context) {
  std::string error;
  std::unique_ptr<Staging> staging = Staging::Create(context.outputDirectory, error);
  if (!staging) {
    context.console.HostError(error);
    return false;
  }
  context.console.BeginExport("IDF");
  ServerScope scope{context.plugin, CreateDescribedServer(context)};
  if (scope.server == nullptr) {
    context.console.EndExport();
    return false;
  }

  std::filesystem::create_directory(staging->path() + "/tree");
  DirectoryStore files(staging->path() + "/tree", context.outputDirectory, context.console);
  TeeStore store({&files}, context.console);
  const bool written = scope.server->WriteIDF(&store);
  const bool stored = files.Finish();
  return Conclude(context, *staging, "IDF", written, !stored, TreeMoves(*staging));
}

bool ExportOdb(const Context& context, const Options& options) {
  std::string error;
  std::unique_ptr<Staging> staging = Staging::Create(context.outputDirectory, error);
  if (!staging) {
    context.console.HostError(error);
    return false;
  }
  context.console.BeginExport("ODB++");
  ServerScope scope{context.plugin, CreateDescribedServer(context)};
  if (scope.server == nullptr) {
    context.console.EndExport();
    return false;
  }

  // The archives are named after the job directory, which the plug-in names
  // by the legal form of the job name.
  const char* legalName = scope.server->GetOdbJobName();
  const std::string job = legalName != nullptr ? legalName : "";
  std::unique_ptr<DirectoryStore> directory;
  std::vector<std::unique_ptr<ArchiveStore>> archives;
  std::vector<std::string> archiveNames;
  std::vector<FileStore*> stores;
  if (options.odb) {
    std::filesystem::create_directory(staging->path() + "/tree");
    directory = std::make_unique<DirectoryStore>(staging->path() + "/tree", context.outputDirectory, context.console);
    stores.push_back(directory.get());
  }
  auto addArchive = [&](ArchiveStore::Format format, const std::string& name) {
    archives.push_back(std::make_unique<ArchiveStore>(format, staging->path() + "/" + name,
                                                      context.outputDirectory + "/" + name, context.console));
    archiveNames.push_back(name);
    stores.push_back(archives.back().get());
  };
  if (options.tgz) addArchive(ArchiveStore::kTgz, job + ".tgz");
  if (options.zip) addArchive(ArchiveStore::kZip, job + ".zip");

  TeeStore store(stores, context.console);
  const bool written = scope.server->WriteODB(&store);
  bool storesFailed = directory && !directory->Finish();
  for (auto& archive : archives) storesFailed = !archive->Finish() || storesFailed;
  std::vector<std::pair<std::string, std::string>> moves;
  if (directory) moves = TreeMoves(*staging);
  for (const std::string& name : archiveNames) moves.emplace_back(name, name);
  return Conclude(context, *staging, "ODB++", written, storesFailed, moves);
}

// Reads the written jobs back and checks them; with --render draws them
// too. An archive of a job directory written in the same run holds the
// same bytes, so only the directory is drawn (and the archive only checked
// when --check asks for it).
bool CheckWritten(const std::vector<std::string>& jobs, const Options& options) {
  check::CheckOptions drawn;
  check::CheckOptions checked;
  drawn.quiet = checked.quiet = options.quiet;
  drawn.renderDirectory = options.render;
  for (const std::string& job : jobs) {
    const bool archive = job.ends_with(".tgz") || job.ends_with(".zip");
    const bool twin = archive && std::find(jobs.begin(), jobs.end(), job.substr(0, job.size() - 4)) != jobs.end();
    if (!options.render.empty() && !twin) {
      drawn.jobs.push_back(job);
    } else if (options.check) {
      checked.jobs.push_back(job);
    }
  }
  bool ok = true;
  for (const check::CheckOptions* run : {&drawn, &checked}) {
    if (!run->jobs.empty()) ok = check::RunChecks(*run, stdout, stderr) == 0 && ok;
  }
  return ok;
}

void ReportImport(Console& console, const kicad::ImportReport& report, const std::string& source) {
  for (const std::string& line : kicad::SummaryLines(report, source)) console.Report(line);
}

bool LoadPlugin(const Options& options, Plugin& plugin, Console& console) {
  const char* environment = std::getenv("KELPIE_LIBRARY");
  const std::vector<std::string> candidates =
      LibraryCandidates(options.library, environment != nullptr ? environment : "", ExecutableDirectory());
  std::string error;
  for (const std::string& candidate : candidates) {
    // The default places are tried in turn: a path that does not exist is
    // passed over, a bare name is left to the dynamic loader's search. A
    // named library must load.
    const bool bareName = candidate.find('/') == std::string::npos;
    if (candidates.size() > 1 && !bareName && access(candidate.c_str(), F_OK) != 0) continue;
    if (plugin.Load(candidate, error)) return true;
    if (candidates.size() > 1 && bareName) break;
    console.HostError(error);
    return false;
  }
  console.HostError("cannot find the plug-in (looked for " + Join(candidates) +
                    "); name it with --library PATH or KELPIE_LIBRARY");
  return false;
}

// Reads the design: the sample board, a design file or a KiCad board (told
// apart by the content). A board's import report goes to report.
bool LoadDesign(const Options& options, Design& design, std::optional<kicad::ImportReport>& report,
                std::string& error) {
  if (options.design.empty()) return ReadDesign(kSampleBoard, "sample board", design, error);
  // The start of the file tells a board from a design file.
  char start[4096];
  std::ifstream file(options.design, std::ios::binary);
  file.read(start, sizeof start);
  if (!file.bad() && kicad::IsKicadBoard(std::string_view(start, static_cast<size_t>(file.gcount())))) {
    report.emplace();
    return kicad::ImportBoardFile(options.design, design, *report, error);
  }
  return ReadDesignFile(options.design, design, error);
}

int Run(int argc, char** argv) {
  Options options;
  std::string error;
  if (!ParseOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "kelpie-export: %s\nTry 'kelpie-export --help'.\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  Console console(stdout, stderr, options.quiet, isatty(fileno(stdout)) != 0);

  Design design;
  std::optional<kicad::ImportReport> import;
  Describe describe;
  if (options.generate > 0) {
#ifdef KELPIE_HAVE_GENERATOR
    const int components = static_cast<int>(options.generate);
    describe = [components](IKELPIE& server, std::string&) {
      GenerateBoard(&server, components);
      return true;
    };
#else
    console.HostError("--generate is not available in this build");
    return 2;
#endif
  } else {
    if (!LoadDesign(options, design, import, error)) {
      console.HostError(error);
      return 2;
    }
    if (import)
      for (const std::string& warning : import->warnings) console.Warning((options.design + ": " + warning).c_str(), 0);
    describe = [&design](IKELPIE& server, std::string& failure) { return DescribeDesign(server, design, failure); };
    if (!options.writeDesign.empty() && !WriteDesignFile(options.writeDesign, design, error)) {
      console.HostError(error);
      return 1;
    }
  }
  const bool exporting = options.idf || options.odb || options.tgz || options.zip;
  if (!exporting) {
    if (import) ReportImport(console, *import, options.design);
    return 0;
  }
  if (options.generate == 0 && !CheckNameLengths(design, options.outputDirectory, error)) {
    console.HostError(error);
    return 2;
  }

  Plugin plugin;
  if (!LoadPlugin(options, plugin, console)) return 1;

  std::error_code made;
  std::filesystem::create_directories(options.outputDirectory, made);
  if (made) {
    console.HostError("cannot create the output directory " + options.outputDirectory + ": " + made.message());
    return 1;
  }

  std::vector<std::string> jobs;
  const Context context{console, plugin, describe, options.outputDirectory, &jobs};
  bool ok = true;
  if (options.idf) ok = ExportIdf(context) && ok;
  if (options.odb || options.tgz || options.zip) ok = ExportOdb(context, options) && ok;
  if (import) ReportImport(console, *import, options.design);
  if (options.check || !options.render.empty()) ok = CheckWritten(jobs, options) && ok;
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace kelpie::host

int main(int argc, char** argv) {
  try {
    return kelpie::host::Run(argc, argv);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "kelpie-export: error: %s\n", failure.what());
    return 1;
  }
}
