// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/import_command.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <memory>

#include "import/track_import.h"

namespace tavrin::cli {
namespace {

using namespace tavrin::imports;

// Smaller imports end before a user could wonder whether anything happens.
constexpr uint64_t kProgressFromBytes = 16 << 20;

struct ImportArguments {
  std::vector<std::string> files;
  bool allOrNothing = false;
};

void PrintProgress(uint64_t done, uint64_t total) {
  if (total == 0) return;
  std::fprintf(stderr, "\rtavrin import: %3d%% read", static_cast<int>(done * 100 / total));
  if (done == total) std::fputc('\n', stderr);
  std::fflush(stderr);
}

// The track files on stdout, one a line; everything else on stderr.
void PrintResult(const FileImport& result) {
  for (const std::string& track : result.trackFiles) std::cout << track << "\n";
  for (const std::string& stored : result.duplicates) {
    std::cerr << "tavrin import: " << result.file << ": a track of it is stored already as "
              << stored << "; it is skipped.\n";
  }
  for (const std::string& text : result.notes) std::cerr << "tavrin import: " << text << "\n";
  for (const std::string& text : result.skipped) std::cerr << "tavrin import: " << text << "\n";
  if (result.failure) std::cerr << "tavrin import: " << *result.failure << "\n";
  if (result.stopped) std::cerr << "tavrin import: " << result.file << ": stopped.\n";
}

int RunImport(const GlobalOptions& global, const ImportArguments& args) {
  CliContext context(global);
  if (!context.Prepare()) return kExitFailure;
  if (auto writable = context.Store().CheckTracksCanBeWritten(); !writable) {
    std::cerr << "tavrin import: " << writable.Error().reason
              << " Make it writable or free some space, or " << context.ChooseAnotherFolder()
              << "; nothing was imported.\n";
    return kExitFailure;
  }
  uint64_t total = 0;
  ImportOptions options;
  options.allOrNothing = args.allOrNothing;
  if (::isatty(STDERR_FILENO)) {
    options.progress = [&total](uint64_t done, uint64_t all) {
      total = all;
      if (all >= kProgressFromBytes) PrintProgress(done, all);
    };
  }
  const auto results = ImportFiles(context.Store(), args.files, options);
  size_t tracks = 0, duplicates = 0, failedFiles = 0;
  uint64_t points = 0;
  for (const FileImport& result : results) {
    PrintResult(result);
    tracks += result.trackFiles.size();
    duplicates += result.duplicates.size();
    points += result.points;
    failedFiles += result.Failed() ? 1 : 0;
  }
  std::cout << "Imported: " << tracks << (tracks == 1 ? " track" : " tracks") << ", " << points
            << (points == 1 ? " point" : " points") << "; stored already: " << duplicates
            << "; files with problems: " << failedFiles << " of " << results.size() << "\n";
  return failedFiles > 0 ? kExitFailure : kExitOk;
}

}  // namespace

void AddImportCommand(CLI::App& app, const GlobalOptions& global, std::function<int()>& run) {
  auto args = std::make_shared<ImportArguments>();
  CLI::App* command = app.add_subcommand(
      "import",
      "Imports track files of other devices and programs: GPX 1.0 and 1.1 (tracks), KML "
      "(gx:Track) and NMEA text ($GPRMC, $GPGGA and $GPGLL of any talker, a lone $GPGGA or $GPGLL "
      "dated by the $GPRMC or $GPZDA around it; in UTF-8 or UTF-16; comment "
      "lines, notes, cut-off sentences and fixes without a position are left out and counted). "
      "Routes and waypoints with times (and KML placemarks with a time stamp) are imported only "
      "from a file without a track. Each track is put in time order, a second keeps one point, "
      "and the points are cut into tracks where more than 600 seconds pass between two, as a read "
      "cuts them; each track is stored under the name of its first point's time; speed and "
      "heading come from the file or else from the neighbouring points. A track that is stored "
      "already is skipped. What track files cannot hold (elevation, heart rate, names, untimed "
      "waypoints) is left out, and said once. Prints each track file it wrote and a summary; bad "
      "points are skipped and named with their file and line, and make the exit status 1. "
      "Example: tavrin import ride.gpx walk.kml");
  command->add_option("FILE", args->files, "GPX, KML or NMEA text files")->required();
  command->add_flag("--all-or-nothing", args->allOrNothing,
                    "Import nothing of a file in which any point had to be skipped");
  command->callback(
      [&global, args, &run] { run = [&global, args] { return RunImport(global, *args); }; });
}

}  // namespace tavrin::cli
