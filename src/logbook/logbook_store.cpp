// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/logbook_store.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "logbook/logbook_texts.h"
#include "store/posix_file.h"

namespace tavrin::logbook {
namespace {

constexpr int kSchemaVersion = 1;

// Places are never deleted, only marked removed, so that the changes made to them keep a name.
constexpr char kTables[] =
    "CREATE TABLE IF NOT EXISTS places(id INTEGER PRIMARY KEY, name TEXT NOT NULL,"
    " latitude REAL NOT NULL, longitude REAL NOT NULL, radius REAL NOT NULL,"
    " removed INTEGER NOT NULL DEFAULT 0);"
    "CREATE UNIQUE INDEX IF NOT EXISTS place_names ON places(name) WHERE removed = 0;"
    "CREATE TABLE IF NOT EXISTS entries(id INTEGER PRIMARY KEY, track TEXT UNIQUE NOT NULL,"
    " purpose TEXT NOT NULL DEFAULT '', note TEXT NOT NULL DEFAULT '',"
    " track_deleted INTEGER NOT NULL DEFAULT 0, first_utc INTEGER, last_utc INTEGER, km REAL,"
    " from_latitude REAL, from_longitude REAL, to_latitude REAL, to_longitude REAL,"
    " removed INTEGER NOT NULL DEFAULT 0);"
    "CREATE TABLE IF NOT EXISTS odometer(day TEXT PRIMARY KEY, km REAL NOT NULL);"
    "CREATE TABLE IF NOT EXISTS changes(id INTEGER PRIMARY KEY, at INTEGER NOT NULL,"
    " kind TEXT NOT NULL, subject_id INTEGER NOT NULL, subject TEXT NOT NULL,"
    " field TEXT NOT NULL, before TEXT NOT NULL, after TEXT NOT NULL);"
    "CREATE INDEX IF NOT EXISTS changes_of ON changes(kind, subject_id);"
    "PRAGMA user_version = 1;";
static_assert(kSchemaVersion == 1, "kTables sets the version");

std::optional<CalendarDate> DayOfText(const std::string& text) {
  CalendarDate date;
  if (std::sscanf(text.c_str(), "%d-%d-%d", &date.year, &date.month, &date.day) != 3) {
    return std::nullopt;
  }
  return date;
}

std::string PositionText(double latitude, double longitude) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f, %.6f", latitude, longitude);
  return text;
}

std::string NumberText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

Result<void> CheckPlace(const std::string& name, double latitude, double longitude, double radius) {
  if (name.empty() || name.find_first_not_of(" \t") == std::string::npos) {
    return Failure{"A place needs a name; give one, such as \"Home\"."};
  }
  if (!(std::fabs(latitude) <= 90) || !(std::fabs(longitude) <= 180)) {
    return Failure{"The position " + PositionText(latitude, longitude) +
                   " is not on the globe; give a latitude from -90 to 90 and a longitude from "
                   "-180 to 180."};
  }
  if (!UsablePlaceRadius(radius)) {
    return Failure{"The radius " + NumberText(radius) +
                   " m is not usable; give one from 1 m to 100 km (the default is 150 m)."};
  }
  return {};
}

bool SameBytes(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::ifstream first(a, std::ios::binary), second(b, std::ios::binary);
  if (!first || !second) return false;
  return std::equal(std::istreambuf_iterator<char>(first), std::istreambuf_iterator<char>(),
                    std::istreambuf_iterator<char>(second), std::istreambuf_iterator<char>());
}

// A copy of the damaged file beside it, "logbook.sqlite.damaged-20240501-170000": a copy of the
// same bytes kept before is used again, and a name taken (a run in the same second) gets a number.
// Empty, with the error, when none can be kept.
std::string KeepDamagedCopy(const std::string& file, const std::string& stamp,
                            std::error_code& error) {
  const std::filesystem::path path(file);
  const std::string prefix = path.filename().string() + ".damaged-";
  for (const auto& item : std::filesystem::directory_iterator(path.parent_path(), error)) {
    if (item.path().filename().string().starts_with(prefix) && SameBytes(item.path(), path)) {
      return item.path().string();
    }
  }
  for (int number = 1; number < 100; ++number) {
    const std::string copy =
        file + ".damaged-" + stamp + (number > 1 ? "-" + std::to_string(number) : "");
    if (std::filesystem::copy_file(file, copy, error)) return copy;
    if (error != std::errc::file_exists) return {};
  }
  return {};
}

}  // namespace

LogbookStore::LogbookStore(std::function<long long()> clock) : clock_(std::move(clock)) {
  if (!clock_) clock_ = [] { return static_cast<long long>(std::time(nullptr)); };
}

Failure LogbookStore::Refused(const std::string& what) const {
  return Failure{"The logbook " + file_ + " " + what};
}

Result<void> LogbookStore::Open(const std::string& dataFolder) {
  db_.Close();
  readOnlyReason_.clear();
  folder_ = dataFolder;
  file_ = (std::filesystem::path(dataFolder) / kLogbookFileName).string();
  std::error_code error;
  const bool existed = std::filesystem::exists(file_, error);
  if (!db_.Open(file_, Database::Durability::EveryCommit) || db_.ReadOnly()) {
    const std::string why = db_.LastError();
    const bool damaged = db_.LastFailureWasDamage();
    db_.Close();
    if (!existed) {
      return Refused("cannot be made (" + why + "); check that the folder " + folder_ +
                     " can be written to.");
    }
    // A good logbook the user may not write is still theirs to read: it is listed read-only.
    if (!damaged && !db_.OpenReadOnly(file_)) {
      return Refused("cannot be opened (" + db_.LastError() +
                     "); check that it and its folder can be read by you.");
    }
    readOnlyReason_ = WhyNotWritable();
  }
  if (Result<void> whole = CheckWhole(); !whole) return whole;
  Statement version = db_.Prepare("PRAGMA user_version");
  if (version.Step() && version.Int(0) > kSchemaVersion) {
    db_.Close();
    return Refused("was written by a newer version of Tavrin Lite; use that version.");
  }
  version = Statement();
  if (ReadOnly()) return {};
  if (!db_.Exec("BEGIN IMMEDIATE") || !db_.Exec(kTables) || !db_.Exec("COMMIT")) {
    const std::string why = db_.LastError();
    db_.Close();
    return Refused("cannot be written (" + why + "); check the disk and the folder's rights.");
  }
  return {};
}

// Why the logbook opened only for reading, in the system's words where it has some.
std::string LogbookStore::WhyNotWritable() const {
  if (::access(file_.c_str(), W_OK) != 0) {
    return "the file cannot be written to: " + ErrnoText(errno);
  }
  if (::access(folder_.c_str(), W_OK) != 0) {
    return "its folder cannot be written to: " + ErrnoText(errno);
  }
  return "it cannot be opened for writing";
}

// A logbook that is no database, or a damaged one, is refused whole: it is never made again over
// the user's entries, and a copy is kept aside for a repair.
Result<void> LogbookStore::CheckWhole() {
  std::string why;
  const Integrity found = db_.IsOpen() ? IntegrityCheckFinds(why) : Integrity::Damaged;
  if (found == Integrity::Whole) return {};
  db_.Close();
  if (found == Integrity::Unreadable) {
    return Refused("cannot be read (" + why + "); check that it can be read by you.");
  }
  std::error_code error;
  const std::string copy = KeepDamagedCopy(file_, FileTimeText(clock_()), error);
  return Refused(
      "is damaged and cannot be used: restore logbook.sqlite from a backup, or move it out of "
      "the data folder to start a new logbook (" +
      (copy.empty() ? "no copy of it could be kept aside: " + error.message()
                    : "a copy of it is kept as " + copy) +
      ").");
}

LogbookStore::Integrity LogbookStore::IntegrityCheckFinds(std::string& why) {
  Statement check = db_.Prepare("PRAGMA integrity_check");
  if (check.Step()) return check.Text(0) == "ok" ? Integrity::Whole : Integrity::Damaged;
  if (db_.LastFailureWasDamage()) return Integrity::Damaged;
  why = db_.LastError();
  return Integrity::Unreadable;
}

Result<void> LogbookStore::Change(const std::function<bool()>& work) {
  if (!db_.IsOpen()) return Failure{"The logbook is not open."};
  if (ReadOnly()) {
    return Refused("can only be read (" + readOnlyReason_ +
                   "); nothing was changed. Make it writable for you to change it.");
  }
  if (!db_.Exec("BEGIN IMMEDIATE")) {
    return Refused("cannot be written (" + db_.LastError() + "); nothing was changed.");
  }
  if (work() && db_.Exec("COMMIT")) return {};
  const std::string why = db_.LastError();
  db_.Exec("ROLLBACK");
  return Refused("cannot be written (" + why + "); nothing was changed.");
}

bool LogbookStore::Record(const char* kind, int64_t subjectId, const std::string& subject,
                          const char* field, const std::string& before, const std::string& after) {
  Statement insert = db_.Prepare(
      "INSERT INTO changes(at, kind, subject_id, subject, field, before, after)"
      " VALUES(?, ?, ?, ?, ?, ?, ?)");
  insert.Bind(1, int64_t{clock_()}).Bind(2, std::string(kind)).Bind(3, subjectId);
  insert.Bind(4, subject).Bind(5, std::string(field)).Bind(6, before).Bind(7, after);
  insert.Step();
  return !insert.Failed();
}

std::string CleanPlaceName(const std::string& name) {
  std::string clean;
  for (const char c : name) {
    const bool control = static_cast<unsigned char>(c) < 0x20 || c == '\x7f';
    if (!control) {
      clean += c;
    } else if (clean.empty() || clean.back() != ' ') {
      clean += ' ';
    }
  }
  const size_t first = clean.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return clean.substr(first, clean.find_last_not_of(' ') - first + 1);
}

std::vector<NamedPlace> LogbookStore::Places() const {
  std::vector<NamedPlace> places;
  Statement rows = db_.Prepare(
      "SELECT id, name, latitude, longitude, radius FROM places WHERE removed = 0 ORDER BY name");
  while (rows.Step()) {
    places.push_back({rows.Int(0), rows.Text(1), rows.Real(2), rows.Real(3), rows.Real(4)});
  }
  return places;
}

// Names kept before they were cleaned are found by their clean name too.
std::optional<NamedPlace> LogbookStore::PlaceNamed(const std::string& name) const {
  const std::string clean = CleanPlaceName(name);
  for (NamedPlace& place : Places()) {
    if (place.name == name || CleanPlaceName(place.name) == clean) return std::move(place);
  }
  return std::nullopt;
}

Result<void> LogbookStore::AddPlace(const std::string& givenName, double latitude, double longitude,
                                    double radius) {
  const std::string name = CleanPlaceName(givenName);
  if (Result<void> fault = CheckPlace(name, latitude, longitude, radius); !fault) return fault;
  if (PlaceNamed(name)) {
    return Failure{"A place named \"" + name +
                   "\" is already kept; choose another name, or move that place."};
  }
  return Change([&] {
    Statement insert =
        db_.Prepare("INSERT INTO places(name, latitude, longitude, radius) VALUES(?, ?, ?, ?)");
    insert.Bind(1, name).Bind(2, latitude).Bind(3, longitude).Bind(4, radius);
    insert.Step();
    return !insert.Failed() &&
           Record("place", db_.LastInsertId(), name, "position", "",
                  PositionText(latitude, longitude) + ", " + NumberText(radius) + " m");
  });
}

Result<void> LogbookStore::RenamePlace(const std::string& name, const std::string& givenName) {
  const std::optional<NamedPlace> place = PlaceNamed(name);
  if (!place) return Failure{"No place is named \"" + name + "\"; `places list` shows them."};
  const std::string newName = CleanPlaceName(givenName);
  if (Result<void> fault = CheckPlace(newName, 0, 0, 1); !fault) return fault;
  if (newName == place->name) return {};
  if (const std::optional<NamedPlace> other = PlaceNamed(newName);
      other && other->id != place->id) {
    return Failure{"A place named \"" + newName + "\" is already kept; choose another name."};
  }
  return Change([&] {
    Statement update = db_.Prepare("UPDATE places SET name = ? WHERE id = ?");
    update.Bind(1, newName).Bind(2, place->id);
    update.Step();
    return !update.Failed() &&
           Record("place", place->id, place->name, "name", place->name, newName);
  });
}

Result<void> LogbookStore::MovePlace(const std::string& name, double latitude, double longitude,
                                     std::optional<double> radius) {
  const std::optional<NamedPlace> place = PlaceNamed(name);
  if (!place) return Failure{"No place is named \"" + name + "\"; `places list` shows them."};
  const double newRadius = radius.value_or(place->radius);
  if (Result<void> fault = CheckPlace(name, latitude, longitude, newRadius); !fault) return fault;
  return Change([&] {
    Statement update =
        db_.Prepare("UPDATE places SET latitude = ?, longitude = ?, radius = ? WHERE id = ?");
    update.Bind(1, latitude).Bind(2, longitude).Bind(3, newRadius).Bind(4, place->id);
    update.Step();
    if (update.Failed()) return false;
    const std::string before = PositionText(place->latitude, place->longitude);
    const std::string after = PositionText(latitude, longitude);
    if (before != after && !Record("place", place->id, place->name, "position", before, after)) {
      return false;
    }
    return newRadius == place->radius ||
           Record("place", place->id, place->name, "radius", NumberText(place->radius) + " m",
                  NumberText(newRadius) + " m");
  });
}

Result<void> LogbookStore::RemovePlace(const std::string& name) {
  const std::optional<NamedPlace> place = PlaceNamed(name);
  if (!place) return Failure{"No place is named \"" + name + "\"; `places list` shows them."};
  return Change([&] {
    Statement update = db_.Prepare("UPDATE places SET removed = 1 WHERE id = ?");
    update.Bind(1, place->id);
    update.Step();
    return !update.Failed() && Record("place", place->id, place->name, "name", place->name, "");
  });
}

namespace {

constexpr char kEntryColumns[] =
    "SELECT id, track, purpose, note, track_deleted, first_utc, last_utc, km, from_latitude,"
    " from_longitude, to_latitude, to_longitude, removed FROM entries";

TripEntry EntryOfRow(const Statement& row) {
  TripEntry entry{row.Int(0),  row.Text(1),     PurposeOfWord(row.Text(2)).value_or(Purpose::None),
                  row.Text(3), row.Int(4) != 0, row.Int(12) != 0,
                  std::nullopt};
  if (row.Int(5) != 0) {
    entry.kept = TripSnapshot{row.Int(5),  row.Int(6),   row.Real(7), row.Real(8),
                              row.Real(9), row.Real(10), row.Real(11)};
  }
  return entry;
}

}  // namespace

std::map<std::string, TripEntry> LogbookStore::Entries() const {
  std::map<std::string, TripEntry> entries;
  Statement rows = db_.Prepare((std::string(kEntryColumns) + " ORDER BY track").c_str());
  while (rows.Step()) {
    TripEntry entry = EntryOfRow(rows);
    entries.emplace(entry.track, std::move(entry));
  }
  return entries;
}

std::optional<TripEntry> LogbookStore::EntryOf(const std::string& track) const {
  Statement row = db_.Prepare((std::string(kEntryColumns) + " WHERE track = ?").c_str());
  row.Bind(1, track);
  if (!row.Step()) return std::nullopt;
  return EntryOfRow(row);
}

// The entry keeps the trip as its file has it now; a file that cannot be read keeps the last.
bool LogbookStore::KeepSnapshot(int64_t id, const std::string& track) {
  const std::optional<TripSnapshot> now =
      SnapshotOf((std::filesystem::path(folder_) / track).string());
  if (!now) return true;
  Statement update = db_.Prepare(
      "UPDATE entries SET first_utc = ?, last_utc = ?, km = ?, from_latitude = ?,"
      " from_longitude = ?, to_latitude = ?, to_longitude = ? WHERE id = ?");
  update.Bind(1, int64_t{now->firstUtc}).Bind(2, int64_t{now->lastUtc}).Bind(3, now->km);
  update.Bind(4, now->fromLatitude).Bind(5, now->fromLongitude).Bind(6, now->toLatitude);
  update.Bind(7, now->toLongitude).Bind(8, id);
  update.Step();
  return !update.Failed();
}

// The entry of the trip, made when it has none; 0 when it cannot be written.
int64_t LogbookStore::EntryIdFor(const std::string& track) {
  if (const std::optional<TripEntry> entry = EntryOf(track)) return entry->id;
  Statement insert = db_.Prepare("INSERT INTO entries(track) VALUES(?)");
  insert.Bind(1, track);
  insert.Step();
  return insert.Failed() ? 0 : db_.LastInsertId();
}

Result<void> LogbookStore::SetPurpose(std::span<const std::string> tracks, Purpose purpose) {
  return Change([&] {
    for (const std::string& track : tracks) {
      const Purpose before = EntryOf(track).value_or(TripEntry{}).purpose;
      if (before == purpose) continue;
      const int64_t id = EntryIdFor(track);
      Statement update = db_.Prepare("UPDATE entries SET purpose = ? WHERE id = ?");
      update.Bind(1, std::string(PurposeWord(purpose))).Bind(2, id);
      update.Step();
      if (id == 0 || update.Failed() || !KeepSnapshot(id, track) ||
          !Record("trip", id, track, "purpose", std::string(PurposeWord(before)),
                  std::string(PurposeWord(purpose))))
        return false;
    }
    return true;
  });
}

Result<void> LogbookStore::SetNote(std::span<const std::string> tracks, const std::string& note) {
  return Change([&] {
    for (const std::string& track : tracks) {
      const std::string before = EntryOf(track).value_or(TripEntry{}).note;
      if (before == note) continue;
      const int64_t id = EntryIdFor(track);
      Statement update = db_.Prepare("UPDATE entries SET note = ? WHERE id = ?");
      update.Bind(1, note).Bind(2, id);
      update.Step();
      if (id == 0 || update.Failed() || !KeepSnapshot(id, track) ||
          !Record("trip", id, track, "note", before, note))
        return false;
    }
    return true;
  });
}

Result<void> LogbookStore::TrackCut(const std::string& track) {
  return Change([&] {
    const int64_t id = EntryIdFor(track);
    return id != 0 && KeepSnapshot(id, track) && Record("trip", id, track, "track", "", "cut");
  });
}

Result<void> LogbookStore::TrackDeleted(const std::string& track) {
  return Change([&] {
    const int64_t id = EntryIdFor(track);
    Statement update = db_.Prepare("UPDATE entries SET track_deleted = 1 WHERE id = ?");
    update.Bind(1, id);
    update.Step();
    return id != 0 && !update.Failed() && Record("trip", id, track, "track", "", "deleted");
  });
}

Result<void> LogbookStore::FollowTrackChange(const TrackChangeNotice& notice) {
  if (!LogbookFollows(notice)) return {};
  for (const std::string& path : notice.paths) {
    const std::string track = std::filesystem::path(path).filename().string();
    const Result<void> done =
        notice.change == TrackChange::Compacted ? TrackCut(track) : TrackDeleted(track);
    if (!done) return done;
  }
  return {};
}

bool LogbookFollows(const TrackChangeNotice& notice) {
  return notice.change == TrackChange::Compacted || notice.change == TrackChange::Deleted;
}

Result<void> LogbookStore::RemoveDeletedTrip(const std::string& track) {
  const std::optional<TripEntry> entry = EntryOf(track);
  std::error_code error;
  const bool missing = entry && !entry->trackDeleted &&
                       !std::filesystem::exists(std::filesystem::path(folder_) / track, error);
  if (!entry || !(entry->trackDeleted || missing) || entry->removed) {
    return Failure{"The logbook has no trip of a deleted or missing track " + track +
                   "; only those can be taken out, and a stored track's trip stays."};
  }
  return Change([&] {
    Statement update = db_.Prepare("UPDATE entries SET removed = 1 WHERE id = ?");
    update.Bind(1, entry->id);
    update.Step();
    return !update.Failed() &&
           Record("trip", entry->id, track, "track", missing ? "missing" : "deleted", "removed");
  });
}

std::vector<OdometerReading> LogbookStore::Readings() const {
  std::vector<OdometerReading> readings;
  Statement rows = db_.Prepare("SELECT day, km FROM odometer ORDER BY day");
  while (rows.Step()) {
    if (const std::optional<CalendarDate> day = DayOfText(rows.Text(0))) {
      readings.push_back({*day, rows.Real(1)});
    }
  }
  return readings;
}

Result<void> LogbookStore::SetOdometer(CalendarDate date, double km) {
  if (!(km >= 0 && km < 1e8)) {
    return Failure{"The odometer reading " + NumberText(km) + " km is not usable."};
  }
  std::string before;
  for (const OdometerReading& reading : Readings()) {
    if (reading.date == date) before = NumberText(reading.km) + " km";
  }
  const std::string day = DateText(date);
  return Change([&] {
    Statement upsert = db_.Prepare("INSERT OR REPLACE INTO odometer(day, km) VALUES(?, ?)");
    upsert.Bind(1, day).Bind(2, km);
    upsert.Step();
    const int64_t dayNumber = int64_t{date.year} * 10000 + date.month * 100 + date.day;
    return !upsert.Failed() &&
           Record("odometer", dayNumber, day, "odometer", before, NumberText(km) + " km");
  });
}

std::vector<LogbookChange> LogbookStore::Changes(const std::optional<std::string>& track) const {
  std::vector<LogbookChange> changes;
  Statement rows = track ? db_.Prepare(
                               "SELECT c.at, c.kind, c.subject, c.field, c.before, c.after"
                               " FROM changes c"
                               " JOIN entries e ON e.id = c.subject_id"
                               " WHERE c.kind = 'trip' AND e.track = ? ORDER BY c.id")
                         : db_.Prepare(
                               "SELECT at, kind, subject, field, before, after FROM changes"
                               " ORDER BY id");
  if (track) rows.Bind(1, *track);
  while (rows.Step()) {
    changes.push_back(
        {rows.Int(0), rows.Text(1), rows.Text(2), rows.Text(3), rows.Text(4), rows.Text(5)});
  }
  return changes;
}

}  // namespace tavrin::logbook
