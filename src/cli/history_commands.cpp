// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/history_commands.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <iostream>
#include <set>
#include <sstream>

#include "cli/cli_host.h"
#include "cli/command_line.h"
#include "index/history_index.h"
#include "store/track_rows.h"

namespace tavrin::cli {
namespace {

struct FindOptions {
  std::string near, box, from, to;
  double radius = 100;
};

bool OnTheGlobe(double latitude, double longitude) {
  return std::fabs(latitude) <= 90 && std::fabs(longitude) <= 180;
}

// The place of --near or --box; empty, with the reason on stderr, when it cannot be used.
std::optional<index::Place> PlaceOf(const FindOptions& options) {
  if (options.near.empty() == options.box.empty()) {
    std::cerr << "tavrin find: give the place with --near LAT,LON or with --box "
                 "LAT1,LON1,LAT2,LON2 (one of the two).\n";
    return std::nullopt;
  }
  if (!options.near.empty()) {
    const auto at = DecimalNumbers(options.near, 2);
    if (!at || !OnTheGlobe((*at)[0], (*at)[1])) {
      std::cerr << "tavrin find: --near " << options.near
                << " is not a position; write LAT,LON in degrees, such as 37.5665,126.978.\n";
      return std::nullopt;
    }
    if (!(options.radius > 0 && options.radius <= 20000000)) {
      std::cerr << "tavrin find: --radius must be more than 0 and at most 20000000 metres.\n";
      return std::nullopt;
    }
    return index::Place::Near((*at)[0], (*at)[1], options.radius);
  }
  const auto corners = DecimalNumbers(options.box, 4);
  if (!corners || !OnTheGlobe((*corners)[0], (*corners)[1]) ||
      !OnTheGlobe((*corners)[2], (*corners)[3])) {
    std::cerr << "tavrin find: --box " << options.box
              << " is not two corners; write LAT1,LON1,LAT2,LON2 in degrees, west corner first.\n";
    return std::nullopt;
  }
  return index::Place::Between((*corners)[0], (*corners)[1], (*corners)[2], (*corners)[3]);
}

// The index of the context's data folder, opened; one line on stderr when it cannot be used.
// `told` gathers the track files whose problems it tells.
index::HistoryIndex OpenIndex(CliContext& context, std::set<std::string>& told) {
  const std::string folder = context.Store().DataFolder();
  index::HistoryIndex history(
      folder, [&told, report = context.ProblemReporter()](const TrackFileProblem& problem) {
        told.insert(problem.path);
        report(problem);
      });
  if (!history.Open(index::IndexFileFor(folder)))
    std::cerr << "tavrin: " << history.Trouble() << "\n";
  return history;
}

// The files the index keeps as unusable and did not read again now are read once more, so that
// each run names them with their reasons, as `tavrin list` does.
void TellUnusableFiles(CliContext& context, const index::HistoryIndex& history,
                       const std::set<std::string>& told) {
  if (!history.IsOpen()) return;
  for (const std::string& path : history.UnusableFiles()) {
    if (!told.contains(path)) (void)context.Store().Catalogue().ListedTrack(path);
  }
}

int RunFind(const GlobalOptions& global, const FindOptions& options) {
  const auto place = PlaceOf(options);
  const auto period = place ? ParsePeriod("tavrin find", options.from, options.to) : std::nullopt;
  if (!place || !period) return kExitUsage;
  CliContext context(global);
  if (const auto ended = context.FindDataFolder()) return *ended;
  std::set<std::string> told;
  index::HistoryIndex history = OpenIndex(context, told);
  std::optional<index::LocalPeriod> days;
  if (!options.from.empty() || !options.to.empty()) {
    days = index::LocalPeriod{period->first, period->second, context.Store().Zone()};
  }
  const LocalZone& zone = context.Store().Zone();
  const bool indexed = history.IsOpen();
  const std::vector<index::Passage> passages = history.Find(*place, days);
  if (indexed && !history.IsOpen()) std::cerr << "tavrin: " << history.Trouble() << "\n";
  TellUnusableFiles(context, history, told);
  for (const index::Passage& passage : passages) {
    std::cout << passage.path << '\t' << ShownDateTimeText(passage.firstUtc, zone) << '\t'
              << ShownDateTimeText(passage.lastUtc, zone) << '\t' << std::llround(passage.closest)
              << '\n';
  }
  if (passages.empty()) std::cerr << "tavrin find: no stored track passes there.\n";
  return context.FileProblems() > 0 ? kExitFailure : kExitOk;
}

int RunIndex(const GlobalOptions& global) {
  CliContext context(global);
  if (const auto ended = context.FindDataFolder()) return *ended;
  std::set<std::string> told;
  index::HistoryIndex history = OpenIndex(context, told);
  if (!history.IsOpen()) return kExitFailure;
  InstallInterruptHandler();
  const bool terminal = ::isatty(STDERR_FILENO) != 0;
  int shown = -1;
  const index::IndexUpdate update = history.Update(
      [&](const index::IndexProgress& progress) {
        const int percent =
            static_cast<int>(progress.done * 100 / std::max<size_t>(progress.total, 1));
        if (percent == shown || (!terminal && percent % 10 != 0)) return;
        shown = percent;
        std::cerr << (terminal ? "\r" : "") << "Indexing track files: " << percent << "% ("
                  << progress.done << "/" << progress.total << ")" << (terminal ? "" : "\n");
      },
      &InterruptFlag());
  if (terminal && shown >= 0) std::cerr << "\n";
  if (update.failed) {
    std::cerr << "tavrin index: " << history.Trouble() << "\n";
    return kExitFailure;
  }
  TellUnusableFiles(context, history, told);
  std::cout << "The history index holds " << update.tracks << " track files: " << update.indexed
            << " indexed now, " << update.removed << " gone from the folder, " << update.unreadable
            << " that cannot be read.\n";
  if (update.stopped) {
    std::cerr << "tavrin index: stopped; what was indexed is kept, and the next index or find "
                 "goes on from there.\n";
    return kExitFailure;
  }
  return context.FileProblems() > 0 ? kExitFailure : kExitOk;
}

}  // namespace

void AddHistoryCommands(CLI::App& app, const GlobalOptions& global, std::function<int()>& run) {
  auto find = std::make_shared<FindOptions>();
  CLI::App* findCommand = app.add_subcommand(
      "find",
      "When was I here? Each time a stored track passed the place, one tab-separated row in "
      "time order: track file, first and last time there (local time), closest distance in "
      "metres (0 inside a box).");
  findCommand->add_option("--near", find->near, "The place's centre, LAT,LON in degrees");
  findCommand->add_option("--radius", find->radius, "Metres around --near (default 100)");
  findCommand->add_option("--box", find->box,
                          "The place as a box, LAT1,LON1,LAT2,LON2: its west and east corners");
  findCommand->add_option("--from", find->from, "First day, YYYY-MM-DD (local time)");
  findCommand->add_option("--to", find->to, "Last day, YYYY-MM-DD (local time)");
  findCommand->callback(
      [&global, find, &run] { run = [&global, find] { return RunFind(global, *find); }; });

  CLI::App* indexCommand = app.add_subcommand(
      "index",
      "Brings the history index of the data folder up to date (find does so itself; this shows "
      "the progress and can be stopped with Ctrl+C, keeping what was done).");
  indexCommand->callback([&global, &run] { run = [&global] { return RunIndex(global); }; });
}

}  // namespace tavrin::cli
