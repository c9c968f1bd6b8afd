#include "cli/list_commands.h"

#include <cstdio>
#include <iostream>
#include <memory>

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
  void RemoveAllRows() override { count_ = 0; }
  int RowCount() const override { return count_; }
  void InsertRow(int, const SAVESTATE& entry, int number) override {
    PrintRow(EntryRowTexts(entry, number));
    ++count_;
  }

 private:
  int count_ = 0;
};

class PrintedPointRows : public IPointRows {
 public:
  void RemoveAllRows() override {}
  void AppendPointRows(std::span<const SAVELOG> points, int firstNumber) override {
    for (size_t i = 0; i < points.size(); ++i) {
      PrintRow(PointRowTexts(points[i], firstNumber + static_cast<int>(i)));
    }
  }
};

// "YYYY-MM-DD" into a date; empty on anything else.
std::optional<CalendarDate> ParseDate(const std::string& text) {
  CalendarDate d;
  char tail;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &d.year, &d.month, &d.day, &tail) != 3 ||
      d.month < 1 || d.month > 12 || d.day < 1 || d.day > 31) {
    return std::nullopt;
  }
  return d;
}

struct ListOptions {
  bool byDay = false;
  std::string from, to;
};

int RunList(const GlobalOptions& global, const ListOptions& options) {
  std::optional<CalendarDate> from = CalendarDate{0, 1, 1}, to = CalendarDate{9999, 12, 31};
  if (!options.from.empty()) from = ParseDate(options.from);
  if (!options.to.empty()) to = ParseDate(options.to);
  if (!from || !to) {
    std::cerr << "tavrin list: dates are written YYYY-MM-DD, for example 2024-05-01.\n";
    return kExitUsage;
  }
  CliContext context(global);
  if (!context.Prepare()) return kExitFailure;
  PrintedEntryRows rows;
  if (options.from.empty() && options.to.empty()) {
    context.Store().ListTracks(&rows, options.byDay);
  } else {
    context.Store().ListTracksInPeriod(&rows, options.byDay, *from, *to);
  }
  return kExitOk;
}

int RunPoints(const GlobalOptions& global, const std::string& file) {
  CliContext context(global);
  auto entry = context.Store().ReadTrackHeader(file);
  if (!entry) return kExitFailure;
  PrintedPointRows rows;
  return context.Store().LoadTrackPoints(*entry, &rows) ? kExitOk : kExitFailure;
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
  listCommand->callback(
      [&global, list, &run] { run = [&global, list] { return RunList(global, *list); }; });

  auto file = std::make_shared<std::string>();
  CLI::App* pointsCommand = app.add_subcommand(
      "points",
      "The points of one track file, one tab-separated row each: No., date, time, "
      "state, latitude, longitude, heading, speed.");
  pointsCommand->add_option("FILE", *file, "A track file (.bt0)")->required();
  pointsCommand->callback(
      [&global, file, &run] { run = [&global, file] { return RunPoints(global, *file); }; });
}

}  // namespace tavrin::cli
