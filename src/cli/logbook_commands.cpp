// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/logbook_commands.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>

#include <QGuiApplication>

#include "cli/command_line.h"
#include "desktop/logbook_pdf.h"
#include "logbook/logbook_csv.h"
#include "logbook/logbook_store.h"
#include "logbook/trip_rows.h"

namespace tavrin::cli {
namespace {

using logbook::LogbookStore;
using logbook::Purpose;

struct PlaceOptions {
  std::string name, position, newName;
  double radius = logbook::kDefaultPlaceRadius;
  bool radiusGiven = false;
};

struct LogbookOptions {
  std::string from, to, purpose, note, date, pdf;
  bool csv = false;
  bool notePresent = false;
  std::vector<std::string> tracks;
  double km = -1;
};

// A field of a tab-separated row: a tab or a line break in a note or a name would split it.
std::string OneField(const std::string& text) {
  std::string field = text;
  for (char& c : field) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return field;
}

std::optional<Purpose> PurposeOption(const char* command, const std::string& word) {
  const std::optional<Purpose> purpose = logbook::PurposeOfWord(word);
  if (!purpose) {
    std::cerr << command << ": --purpose " << word
              << " is not a purpose; use business, private, commute or none.\n";
  }
  return purpose;
}

// The logbook of the context's data folder, made with the program's own folder when missing; a
// folder named with --data or in the settings must be there. Nothing, with the exit code and
// the reason on stderr, when it cannot be used.
LogbookStore* OpenLogbook(CliContext& context, const char* command, int& code) {
  code = kExitFailure;
  if (const std::optional<ExitCode> ended = context.FindDataFolder(); ended && *ended != kExitOk) {
    code = *ended;
    return nullptr;
  }
  if (!context.Prepare()) return nullptr;
  return context.Logbook(command);
}

int Ended(const char* command, const Result<void>& done) {
  if (done) return kExitOk;
  std::cerr << command << ": " << done.Error().reason << "\n";
  return kExitFailure;
}

int RunPlaces(const GlobalOptions& global, const std::string& action, const PlaceOptions& o) {
  const std::string command = "tavrin places " + action;
  std::optional<std::pair<double, double>> at;
  if (action == "add" || action == "move") {
    at = ParsePosition(o.position);
    if (!at) {
      std::cerr << command << ": " << o.position
                << " is not a position; write LAT,LON in degrees, such as 37.5665,126.978.\n";
      return kExitUsage;
    }
    // A radius that cannot be is a mistyped argument, as a position that cannot be is.
    if ((action == "add" || o.radiusGiven) && !logbook::UsablePlaceRadius(o.radius)) {
      std::cerr << command << ": --radius " << o.radius
                << " is not usable; give one from 1 m to 100 km (the default is 150 m).\n";
      return kExitUsage;
    }
  }
  CliContext context(global);
  int code = kExitOk;
  LogbookStore* store = OpenLogbook(context, command.c_str(), code);
  if (store == nullptr) return code;
  if (action == "list") {
    for (const logbook::NamedPlace& place : store->Places()) {
      char line[160];
      std::snprintf(line, sizeof line, "\t%.6f\t%.6f\t%g\n", place.latitude, place.longitude,
                    place.radius);
      std::cout << OneField(place.name) << line;
    }
    return kExitOk;
  }
  if (action == "add") {
    return Ended(command.c_str(), store->AddPlace(o.name, at->first, at->second, o.radius));
  }
  if (action == "rename") return Ended(command.c_str(), store->RenamePlace(o.name, o.newName));
  if (action == "move") {
    return Ended(command.c_str(),
                 store->MovePlace(o.name, at->first, at->second,
                                  o.radiusGiven ? std::optional(o.radius) : std::nullopt));
  }
  return Ended(command.c_str(), store->RemovePlace(o.name));
}

std::string PurposeShown(const logbook::TripRow& trip) {
  if (trip.purpose == Purpose::None && trip.suggested) {
    return std::string(logbook::PurposeWord(*trip.suggested)) + "?";  // offered, not set
  }
  return std::string(logbook::PurposeWord(trip.purpose));
}

// The PDF is drawn with Qt's fonts, which need an application object; without a display it
// draws offscreen.
int WritePdf(const logbook::LogbookReport& report, const std::string& path) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Qt's notes about the desktop (no runtime folder, no display) are no concern of a PDF.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
      std::cerr << "tavrin: " << text.toStdString() << "\n";
  });
  int argc = 1;
  char name[] = "tavrin";
  char* argv[] = {name, nullptr};
  const QGuiApplication application(argc, argv);
  const Result<void> written =
      gui::WriteLogbookPdf(report, QString::fromStdString(path), QStringLiteral("Drive logbook"));
  return Ended("tavrin logbook --pdf", written);
}

// A trip as a tab-separated row. The odometer columns follow once a reading is entered, and the
// mark of a trip without its track ("track deleted", "track missing") after them, in a column
// of its own: the columns before it keep their places.
void PrintTrip(const logbook::TripRow& trip) {
  std::cout << logbook::DateText(trip.date) << '\t' << trip.start << '\t' << trip.end << '\t'
            << OneField(trip.from) << '\t' << OneField(trip.to) << '\t'
            << (trip.kmKnown ? logbook::KmText(trip.km) : "") << '\t' << PurposeShown(trip) << '\t'
            << OneField(trip.note);
  const std::string_view mark = logbook::TrackMark(trip);
  if (trip.odometerStart || !mark.empty()) {
    std::cout << '\t' << (trip.odometerStart ? logbook::KmText(*trip.odometerStart) : "") << '\t'
              << (trip.odometerEnd ? logbook::KmText(*trip.odometerEnd) : "");
  }
  if (!mark.empty()) std::cout << '\t' << mark;
  std::cout << '\n';
}

int RunLogbook(const GlobalOptions& global, const LogbookOptions& o) {
  const auto period = ParsePeriod("tavrin logbook", o.from, o.to);
  if (!period) return kExitUsage;
  logbook::LogbookFilter filter;
  if (!o.from.empty()) filter.from = period->first;
  if (!o.to.empty()) filter.to = period->second;
  if (!o.purpose.empty()) {
    filter.purpose = PurposeOption("tavrin logbook", o.purpose);
    if (!filter.purpose) return kExitUsage;
  }
  CliContext context(global);
  if (const auto ended = context.FindDataFolder()) return *ended;
  int code = kExitOk;
  LogbookStore* store = OpenLogbook(context, "tavrin logbook", code);
  if (store == nullptr) return code;
  const TrackListing listing = context.Store().Catalogue().ListTracks(nullptr, false);
  const logbook::LogbookReport report =
      logbook::MakeLogbookReport(listing, *store, context.Store().Zone(), filter);
  if (!o.pdf.empty()) {
    if (const int code = WritePdf(report, o.pdf)) return code;
  } else if (o.csv) {
    std::cout << logbook::LogbookCsv(report);
  } else {
    for (const logbook::TripRow& trip : report.trips) PrintTrip(trip);
  }
  std::ostringstream totals;
  totals << report.trips.size() << (report.trips.size() == 1 ? " trip, " : " trips, ")
         << logbook::KmText(report.km) << " km";
  for (const auto& [purpose, km] : report.kmByPurpose) {
    totals << "; " << (purpose == Purpose::None ? "no purpose yet" : logbook::PurposeWord(purpose))
           << " " << logbook::KmText(km) << " km";
  }
  std::cerr << totals.str() << ".\n";
  return context.FileProblems() > 0 ? kExitFailure : kExitOk;
}

// The name of a track file of the data folder, given by its name or a path into that folder;
// nothing, with the exit code and what to give instead on stderr, for anything else.
std::optional<std::string> TrackOfFolder(const std::string& given, const std::string& folder,
                                         int& code) {
  const std::filesystem::path path(given);
  const std::string name = path.filename().string();
  std::error_code error;
  code = kExitUsage;
  if (path.has_parent_path() && !std::filesystem::equivalent(path.parent_path(), folder, error)) {
    std::cerr << "tavrin logbook set: " << given << " is not in the data folder " << folder
              << "; give a track of that folder by its file name, as `tavrin list` shows it, or "
                 "name the other folder with --data.\n";
    return std::nullopt;
  }
  if (name.size() <= 4 || !name.ends_with(".bt0")) {
    std::cerr << "tavrin logbook set: " << given
              << " is not a track file (their names end in .bt0); give a track by its file name, "
                 "as `tavrin list` shows it.\n";
    return std::nullopt;
  }
  if (!std::filesystem::is_regular_file(std::filesystem::path(folder) / name, error)) {
    std::cerr << "tavrin logbook set: " << given
              << " is no stored track; `tavrin list` names them.\n";
    code = kExitFailure;
    return std::nullopt;
  }
  return name;
}

int RunLogbookSet(const GlobalOptions& global, const LogbookOptions& o) {
  std::optional<Purpose> purpose;
  if (!o.purpose.empty()) {
    purpose = PurposeOption("tavrin logbook set", o.purpose);
    if (!purpose) return kExitUsage;
  }
  if (!purpose && !o.notePresent) {
    std::cerr << "tavrin logbook set: give --purpose, --note or both.\n";
    return kExitUsage;
  }
  CliContext context(global);
  int code = kExitOk;
  LogbookStore* store = OpenLogbook(context, "tavrin logbook set", code);
  if (store == nullptr) return code;
  std::vector<std::string> names;
  for (const std::string& track : o.tracks) {
    const std::optional<std::string> name =
        TrackOfFolder(track, context.Store().DataFolder(), code);
    if (!name) return code;
    names.push_back(*name);
  }
  if (purpose) {
    if (const int failed = Ended("tavrin logbook set", store->SetPurpose(names, *purpose))) {
      return failed;
    }
  }
  return o.notePresent ? Ended("tavrin logbook set", store->SetNote(names, o.note)) : kExitOk;
}

int RunLogbookHistory(const GlobalOptions& global, const LogbookOptions& o) {
  CliContext context(global);
  int code = kExitOk;
  LogbookStore* store = OpenLogbook(context, "tavrin logbook history", code);
  if (store == nullptr) return code;
  const std::optional<std::string> track =
      o.tracks.empty() ? std::nullopt
                       : std::optional(std::filesystem::path(o.tracks.front()).filename().string());
  for (const logbook::LogbookChange& change : store->Changes(track)) {
    std::cout << logbook::ChangedText(change.atUtc) << '\t' << change.kind << '\t'
              << OneField(change.subject) << '\t' << change.field << '\t' << OneField(change.before)
              << '\t' << OneField(change.after) << '\n';
  }
  return kExitOk;
}

int RunLogbookRemove(const GlobalOptions& global, const LogbookOptions& o) {
  CliContext context(global);
  int code = kExitOk;
  LogbookStore* store = OpenLogbook(context, "tavrin logbook remove", code);
  if (store == nullptr) return code;
  for (const std::string& track : o.tracks) {
    const std::string name = std::filesystem::path(track).filename().string();
    if (const int code = Ended("tavrin logbook remove", store->RemoveDeletedTrip(name))) {
      return code;
    }
  }
  return kExitOk;
}

// A reading lower than one before it in time, or higher than one after it, is kept as given (the
// user may have mistyped the other one), with a warning that names both.
void WarnOfBackwardReadings(const LogbookStore& store, CalendarDate date, double km) {
  for (const logbook::OdometerReading& other : store.Readings()) {
    const bool backwards =
        (other.date < date && km < other.km) || (date < other.date && other.km < km);
    if (!backwards) continue;
    std::cerr << "tavrin logbook odometer: warning: the reading of " << logbook::DateText(date)
              << " (" << logbook::KmText(km) << " km) runs backwards against the one of "
              << logbook::DateText(other.date) << " (" << logbook::KmText(other.km)
              << " km); check both, and enter the wrong one again.\n";
  }
}

int RunOdometer(const GlobalOptions& global, const LogbookOptions& o) {
  std::string why;
  const std::optional<CalendarDate> day = ParseDate(o.date, why);
  if (!day) {
    std::cerr << "tavrin logbook odometer: date: " << why << ".\n";
    return kExitUsage;
  }
  if (!(o.km >= 0 && o.km < 1e8)) {
    std::cerr << "tavrin logbook odometer: km: " << o.km
              << " is not a reading; give the kilometres the odometer shows, from 0 to "
                 "99999999.\n";
    return kExitUsage;
  }
  CliContext context(global);
  int code = kExitOk;
  LogbookStore* store = OpenLogbook(context, "tavrin logbook odometer", code);
  if (store == nullptr) return code;
  if (const int failed = Ended("tavrin logbook odometer", store->SetOdometer(*day, o.km))) {
    return failed;
  }
  WarnOfBackwardReadings(*store, *day, o.km);
  return kExitOk;
}

void AddPlaceCommands(CLI::App& app, const GlobalOptions& global, std::function<int()>& run) {
  auto o = std::make_shared<PlaceOptions>();
  CLI::App* places = app.add_subcommand(
      "places", "The places the logbook names trips' starts and ends by: Home, Office, ...");
  places->require_subcommand(1);
  const auto action = [&global, o, &run](const char* name) {
    return [&global, o, &run, name] {
      run = [&global, o, name] { return RunPlaces(global, name, *o); };
    };
  };
  places->add_subcommand("list", "Each place: name, latitude, longitude, radius in metres")
      ->callback(action("list"));
  CLI::App* add = places->add_subcommand("add", "Names a place");
  add->add_option("name", o->name, "Its name")->required();
  add->add_option("position", o->position, "LAT,LON in degrees")->required();
  add->add_option("--radius", o->radius, "Metres around it (default 150)");
  add->callback(action("add"));
  CLI::App* rename = places->add_subcommand("rename", "Gives a place another name");
  rename->add_option("name", o->name, "Its name now")->required();
  rename->add_option("new-name", o->newName, "Its new name")->required();
  rename->callback(action("rename"));
  CLI::App* move = places->add_subcommand("move", "Moves a place, or gives it another radius");
  move->add_option("name", o->name, "Its name")->required();
  move->add_option("position", o->position, "LAT,LON in degrees")->required();
  move->add_option("--radius", o->radius, "Metres around it (kept when not given)")
      ->each([o](const std::string&) { o->radiusGiven = true; });
  move->callback(action("move"));
  CLI::App* remove = places->add_subcommand("remove", "Forgets a place (its changes are kept)");
  remove->add_option("name", o->name, "Its name")->required();
  remove->callback(action("remove"));
}

}  // namespace

void AddLogbookCommands(CLI::App& app, const GlobalOptions& global, std::function<int()>& run) {
  AddPlaceCommands(app, global, run);
  auto o = std::make_shared<LogbookOptions>();
  CLI::App* logbook = app.add_subcommand(
      "logbook",
      "The drive logbook: a trip a stored track, tab-separated (date, start, end, from, to, km, "
      "purpose, note, and the odometer at start and end once a reading is entered, then \"track "
      "deleted\" or \"track missing\" for a trip whose track is gone); a purpose with ? is "
      "offered from the last trip between the same places. Totals on stderr.");
  logbook->add_option("--from", o->from, "First day, YYYY-MM-DD (local time)");
  logbook->add_option("--to", o->to, "Last day, YYYY-MM-DD (local time)");
  logbook->add_option("--purpose", o->purpose, "Only trips of this purpose (or none)");
  CLI::Option* csv = logbook->add_flag("--csv", o->csv, "CSV for spreadsheets instead");
  logbook->add_option("--pdf", o->pdf, "Writes the logbook as a PDF file instead: a page a month")
      ->excludes(csv);
  logbook->callback([&global, o, &run, logbook] {
    if (logbook->get_subcommands().empty()) {
      run = [&global, o] { return RunLogbook(global, *o); };
    }
  });
  CLI::App* set = logbook->add_subcommand("set", "Sets the purpose or the note of trips");
  set->add_option("tracks", o->tracks, "Track files (names or paths)")->required();
  set->add_option("--purpose", o->purpose, "business, private, commute or none");
  set->add_option("--note", o->note, "A note: the customer, the reason")
      ->each([o](const std::string&) { o->notePresent = true; });
  set->callback([&global, o, &run] { run = [&global, o] { return RunLogbookSet(global, *o); }; });
  CLI::App* history = logbook->add_subcommand("history", "Every change made, or those of one trip");
  history->add_option("track", o->tracks, "A track file (name or path)")->expected(0, 1);
  history->callback(
      [&global, o, &run] { run = [&global, o] { return RunLogbookHistory(global, *o); }; });
  CLI::App* remove = logbook->add_subcommand(
      "remove",
      "Takes the trips of deleted or missing tracks out of the logbook (their changes are kept)");
  remove->add_option("tracks", o->tracks, "Track file names")->required();
  remove->callback(
      [&global, o, &run] { run = [&global, o] { return RunLogbookRemove(global, *o); }; });
  CLI::App* odometer =
      logbook->add_subcommand("odometer", "Enters the odometer reading at the start of a day");
  odometer->add_option("date", o->date, "YYYY-MM-DD")->required();
  odometer->add_option("km", o->km, "The reading in km")->required();
  odometer->callback(
      [&global, o, &run] { run = [&global, o] { return RunOdometer(global, *o); }; });
}

}  // namespace tavrin::cli
