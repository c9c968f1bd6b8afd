// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/list_commands.h"

#include <cstdio>
#include <iostream>
#include <memory>

#include "cli/command_line.h"

namespace tavrin::cli {
namespace {

template <size_t N>
void PrintRow(const std::array<std::string, N>& cells) {
  std::string line;
  for (size_t i = 0; i < N; ++i) {
    if (i) line += '\t';
    line += cells[i];
  }
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stdout);
}

class PrintedEntryRows : public IEntryRows {
 public:
  explicit PrintedEntryRows(Units units) : units_(units) {}
  void RemoveAllRows() override { count_ = 0; }
  int RowCount() const override { return count_; }
  void InsertRow(int, const RowFigures& entry, int number) override {
    PrintRow(EntryRowTexts(entry, number, units_));
    ++count_;
  }

 private:
  Units units_;
  int count_ = 0;
};

class PrintedPointRows : public IPointRows {
 public:
  explicit PrintedPointRows(Units units) : units_(units) {}
  void RemoveAllRows() override {}
  void AppendPointRows(std::span<const TrackPoint> points, int firstNumber,
                       const LocalZone& zone) override {
    LocalTimes shown(zone);
    for (size_t i = 0; i < points.size(); ++i) {
      PrintRow(ShownPointRow(shown, points[i], firstNumber + static_cast<int>(i), units_));
    }
  }

 private:
  Units units_;
};

// --units for this run, or else the settings file's choice.
Units ChosenUnits(const std::string& option, const CliContext& context) {
  if (const auto given = ParseUnits(option)) return *given;
  return UnitsOf(context.GetSettings().units);
}

void AddUnitsOption(CLI::App& command, std::string& units) {
  command
      .add_option("--units", units,
                  "metric or imperial (distances in mi, speeds in mph); "
                  "default: the Units chosen in the window's Software Options")
      ->check(CLI::IsMember({"metric", "imperial"}));
}

struct ListOptions {
  bool byDay = false;
  std::string from, to, units;
};

struct PointsOptions {
  std::string file, units;
};

int RunList(const GlobalOptions& global, const ListOptions& options) {
  const auto period = ParsePeriod("tavrin list", options.from, options.to);
  if (!period) return kExitUsage;
  CliContext context(global);
  if (const auto ended = context.FindDataFolder()) return *ended;
  PrintedEntryRows rows(ChosenUnits(options.units, context));
  if (options.from.empty() && options.to.empty()) {
    context.Store().Catalogue().ListTracks(&rows, options.byDay);
  } else {
    context.Store().Catalogue().ListTracksInPeriod(&rows, options.byDay, period->first,
                                                   period->second);
  }
  return context.FileProblems() > 0 ? kExitFailure : kExitOk;
}

int RunPoints(const GlobalOptions& global, const PointsOptions& options) {
  CliContext context(global);
  auto entry = context.Store().Files().ReadTrackHeader(options.file);
  if (!entry) return kExitFailure;
  PrintedPointRows rows(ChosenUnits(options.units, context));
  PointVector points;
  const bool loaded = context.Store().Files().LoadTrackPoints(*entry, points, &rows);
  return loaded && context.FileProblems() == 0 ? kExitOk : kExitFailure;
}

}  // namespace

void AddListCommands(CLI::App& app, const GlobalOptions& global, std::function<int()>& run) {
  auto list = std::make_shared<ListOptions>();
  CLI::App* listCommand = app.add_subcommand(
      "list",
      "The stored tracks, one tab-separated row each: No., first and last date/time, "
      "drive time, distance, average speed, points.");
  listCommand->add_flag("--by-day", list->byDay, "One row per day instead of per track");
  listCommand->add_option("--from", list->from, "First day of a period, YYYY-MM-DD (local time)");
  listCommand->add_option("--to", list->to, "Last day of a period, YYYY-MM-DD (local time)");
  AddUnitsOption(*listCommand, list->units);
  listCommand->callback(
      [&global, list, &run] { run = [&global, list] { return RunList(global, *list); }; });

  auto points = std::make_shared<PointsOptions>();
  CLI::App* pointsCommand = app.add_subcommand(
      "points",
      "The points of one track file, one tab-separated row each: No., date, time, "
      "state, latitude, longitude, heading, speed.");
  pointsCommand->add_option("FILE", points->file, "A track file (.bt0)")->required();
  AddUnitsOption(*pointsCommand, points->units);
  pointsCommand->callback(
      [&global, points, &run] { run = [&global, points] { return RunPoints(global, *points); }; });
}

}  // namespace tavrin::cli
