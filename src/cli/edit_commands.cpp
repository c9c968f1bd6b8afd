// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/edit_commands.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/command_line.h"
#include "store/posix_file.h"

namespace tavrin::cli {
namespace {

constexpr char kCutHelp[] =
    "Writes the points of TRACK from --from to --to as a new track into the data folder and "
    "prints its path. The new track keeps the points' UTC times and takes a free name, so it "
    "never replaces a stored track.";
constexpr char kDeleteHelp[] =
    "Deletes the named track files, or with --day every track of one day, and prints the path "
    "of each file deleted. Nothing is asked first.";

struct CutOptions {
  std::string track, from, to;
};

struct DeleteOptions {
  std::vector<std::string> tracks;
  std::string day;
};

void PrintPath(const std::string& path) {
  const std::string line = path + "\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
}

// --from and --to as local date-times; empty, with the reason on stderr, when either is no
// date-time or the window runs backwards.
std::optional<std::pair<DateTime, DateTime>> CutWindow(const CutOptions& options) {
  std::string why;
  const auto from = ParseShownTime(options.from, why);
  if (!from) {
    std::cerr << "tavrin cut: --from: " << why << ".\n";
    return std::nullopt;
  }
  const auto to = ParseShownTime(options.to, why);
  if (!to) {
    std::cerr << "tavrin cut: --to: " << why << ".\n";
    return std::nullopt;
  }
  if (After(*from, *to)) {
    std::cerr << "tavrin cut: --from " << options.from << " comes after --to " << options.to
              << "; give the earlier time with --from.\n";
    return std::nullopt;
  }
  return std::pair(*from, *to);
}

int RunCut(const GlobalOptions& global, const CutOptions& options) {
  const auto window = CutWindow(options);
  if (!window) return kExitUsage;
  CliContext context(global);
  TrackStore& store = context.Store();
  const auto entry = store.Files().ReadTrackHeader(options.track);
  if (!entry) return kExitFailure;
  PointVector points;
  if (!store.Files().ReadTrackPoints(*entry, points)) return kExitFailure;
  const PointVector cut = PointsInTimeWindow(points, store.Zone(), window->first, window->second);
  if (cut.empty()) {
    std::cerr << "tavrin cut: no point of " << options.track << " lies from " << options.from
              << " to " << options.to
              << " (local time). tavrin points shows the times of its points.\n";
    return kExitFailure;
  }
  if (!context.Prepare()) return kExitFailure;
  const auto created = store.Writer().CreateTrack(*entry, cut);
  const int error = !created ? created.Error().systemError : created->error;
  if (!created || !created->Kept()) {
    const std::string reason = !created && !created.Error().reason.empty()
                                   ? created.Error().reason
                                   : ErrnoText(error) +
                                         ". Free some space or choose another "
                                         "data folder with --data";
    std::cerr << "tavrin cut: the new track could not be written into " << store.DataFolder()
              << ": " << reason << ".\n";
    return kExitFailure;
  }
  PrintPath(created->path);
  return context.FileProblems() > 0 ? kExitFailure : kExitOk;
}

// Deletes the named track files; a file that is no track file is told of and kept.
int DeleteTracks(CliContext& context, const std::vector<std::string>& tracks) {
  TrackStore& store = context.Store();
  int failed = 0;
  for (const std::string& track : tracks) {
    const auto entry = store.Files().ReadTrackHeader(track);
    if (!entry) {
      ++failed;
    } else if (store.Files().DeleteTrackFile(*entry)) {
      PrintPath(track);
    } else {
      std::cerr << "tavrin delete: cannot delete " << track << ": " << ErrnoText(errno)
                << ". Check the permissions of its folder.\n";
      ++failed;
    }
  }
  return failed > 0 ? kExitFailure : kExitOk;
}

// The row of the listing by day that stands for `date` (a local date).
std::optional<size_t> DayRow(const TrackListing& listing, const CalendarDate& date) {
  const std::vector<DayEntry>& days = listing.days;
  for (size_t i = 0; i < days.size(); ++i) {
    const DateTime6& first = days[i].header.firstDateTime;
    if (first[0] + 2000 == date.year && first[1] == date.month && first[2] == date.day) return i;
  }
  return std::nullopt;
}

int DeleteDay(CliContext& context, const std::string& text) {
  std::string why;
  const auto date = ParseDate(text, why);
  if (!date) {
    std::cerr << "tavrin delete: --day: " << why << ".\n";
    return kExitUsage;
  }
  const auto ended = context.FindDataFolder();
  if (ended && *ended != kExitOk) return *ended;
  TrackStore& store = context.Store();
  // A data folder that was never made holds no day.
  TrackListing listing;
  if (!ended) listing = store.Catalogue().ListTracks(nullptr, true);
  const auto row = ended ? std::nullopt : DayRow(listing, *date);
  if (!row) {
    std::cerr << "tavrin delete: no track was recorded on " << text
              << " (local time). tavrin list --by-day shows the days.\n";
    return kExitFailure;
  }
  const auto tracks = listing.TracksOfRow(*row);
  std::vector<std::string> paths;
  for (const TrackEntry& track : tracks) paths.push_back(track.path);
  const bool deleted = store.Files().DeleteTrackFiles(tracks);
  for (const std::string& path : paths) {
    if (!std::filesystem::exists(path)) {
      PrintPath(path);
    } else if (!deleted) {
      std::cerr << "tavrin delete: cannot delete " << path
                << ". Check the permissions of the data folder.\n";
    }
  }
  return deleted ? kExitOk : kExitFailure;
}

int RunDelete(const GlobalOptions& global, const DeleteOptions& options) {
  if (options.tracks.empty() == options.day.empty()) {
    std::cerr << "tavrin delete: name the track files to delete, or a day with --day, not both. "
                 "See tavrin delete --help.\n";
    return kExitUsage;
  }
  CliContext context(global);
  if (!options.day.empty()) return DeleteDay(context, options.day);
  return DeleteTracks(context, options.tracks);
}

// Has `body` run with the parsed options when the command is the one given.
template <typename Options>
void RunsWith(CLI::App* command, const GlobalOptions& global, std::shared_ptr<Options> options,
              std::function<int()>& run, int (*body)(const GlobalOptions&, const Options&)) {
  command->callback([&global, options, &run, body] {
    run = [&global, options, body] { return body(global, *options); };
  });
}

void AddCutCommand(CLI::App& app, const GlobalOptions& global, std::function<int()>& run) {
  auto cut = std::make_shared<CutOptions>();
  CLI::App* command = app.add_subcommand("cut", kCutHelp);
  command->add_option("TRACK", cut->track, "A track file (.bt0)")->required();
  const std::string shown =
      ", YYYY-MM-DD hh:mm:ss or YYYY-MM-DDThh:mm:ss, in local time (the settings' zone) as "
      "tavrin points shows the points; included";
  command->add_option("--from", cut->from, "First time" + shown)->required();
  command->add_option("--to", cut->to, "Last time" + shown)->required();
  RunsWith(command, global, cut, run, RunCut);
}

void AddDeleteCommand(CLI::App& app, const GlobalOptions& global, std::function<int()>& run) {
  auto remove = std::make_shared<DeleteOptions>();
  CLI::App* command = app.add_subcommand("delete", kDeleteHelp);
  command->add_option("TRACK", remove->tracks, "Track files (.bt0)");
  command->add_option("--day", remove->day,
                      "A day of the data folder, YYYY-MM-DD (local time), as tavrin list --by-day "
                      "shows it");
  RunsWith(command, global, remove, run, RunDelete);
}

}  // namespace

void AddEditCommands(CLI::App& app, const GlobalOptions& global, std::function<int()>& run) {
  AddCutCommand(app, global, run);
  AddDeleteCommand(app, global, run);
}

}  // namespace tavrin::cli
