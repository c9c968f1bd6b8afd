// SPDX-License-Identifier: GPL-3.0-or-later
// The drive logbook's own data, kept in logbook.sqlite beside the track files so that it travels
// and is backed up with them: the places the user named, each trip's purpose and note (a trip is
// a track, found by its file name), odometer readings, and every change made to them with the
// time it was made and the value it replaced. Each change is a transaction of its own: a crash
// leaves the old state or the new one.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"
#include "base/sqlite_handle.h"
#include "logbook/purpose.h"
#include "logbook/trip_ends.h"
#include "store/track_catalogue.h"
#include "store/track_changes.h"

namespace tavrin::logbook {

constexpr double kDefaultPlaceRadius = 150;  // metres
// A place's radius is more than 0 and at most 100 km.
constexpr bool UsablePlaceRadius(double metres) {
  return metres > 0 && metres <= 100000;
}
inline constexpr char kLogbookFileName[] = "logbook.sqlite";

struct NamedPlace {
  int64_t id = 0;
  std::string name;
  double latitude = 0, longitude = 0;
  double radius = kDefaultPlaceRadius;  // metres
};

// A place's name as it is kept and shown: a line break, a tab or another control character in it
// becomes a space (a row or a list would split at it), and spaces at its ends go.
std::string CleanPlaceName(const std::string& name);

// What the user wrote of a trip; a trip without an entry has no purpose and no note.
struct TripEntry {
  int64_t id = 0;
  std::string track;  // the track file's name in the data folder
  Purpose purpose = Purpose::None;
  std::string note;
  bool trackDeleted = false;
  bool removed = false;  // the user took a deleted track's trip out of the logbook
  // The trip as its file had it when the entry last changed: its row once the track is deleted.
  std::optional<TripSnapshot> kept;
};

struct OdometerReading {
  CalendarDate date;  // the reading at the start of this day, before its first trip
  double km = 0;
};

// One change, as it is kept: what was changed ("purpose", "note", "name", "position", "radius",
// "odometer", "track"), when (UTC seconds), the value before and after. `subject` names the trip
// by its track file, the place by its name, or the reading by its date, as they were then.
struct LogbookChange {
  long long atUtc = 0;
  std::string kind;  // "trip", "place" or "odometer"
  std::string subject;
  std::string field;
  std::string before, after;
};

// Whether the logbook notes the notice (a cut or a deletion): a program that opens the logbook
// only for them need not open it for the others.
bool LogbookFollows(const TrackChangeNotice& notice);

class LogbookStore {
 public:
  // `clock` gives the time a change is recorded with (UTC seconds); tests set their own.
  explicit LogbookStore(std::function<long long()> clock = {});

  // Opens (making it when missing) the logbook of the data folder. A damaged one is refused:
  // a copy is kept aside and the failure says where, and what to do. One the user may read but
  // not write (its rights, a read-only folder) opens read-only: it lists, and refuses changes.
  Result<void> Open(const std::string& dataFolder);
  bool IsOpen() const { return db_.IsOpen(); }
  bool ReadOnly() const { return !readOnlyReason_.empty(); }
  // Why it opened read-only ("its folder cannot be written to: Permission denied"); empty when
  // it can be changed.
  const std::string& ReadOnlyReason() const { return readOnlyReason_; }
  const std::string& File() const { return file_; }

  // Places, by name; names are unique among the places kept.
  std::vector<NamedPlace> Places() const;
  Result<void> AddPlace(const std::string& name, double latitude, double longitude,
                        double radius = kDefaultPlaceRadius);
  Result<void> RenamePlace(const std::string& name, const std::string& newName);
  Result<void> MovePlace(const std::string& name, double latitude, double longitude,
                         std::optional<double> radius = std::nullopt);
  Result<void> RemovePlace(const std::string& name);

  // The entries of every trip that has one, by track file name.
  std::map<std::string, TripEntry> Entries() const;
  // Each of the tracks (file names) gets the purpose or the note; one transaction for them all.
  Result<void> SetPurpose(std::span<const std::string> tracks, Purpose purpose);
  Result<void> SetNote(std::span<const std::string> tracks, const std::string& note);
  // What the program did to a track: its entry stays, and the change is kept with it.
  Result<void> TrackCut(const std::string& track);
  Result<void> TrackDeleted(const std::string& track);
  // Takes the trip of a deleted track, or of one whose file is missing from the data folder, out
  // of the logbook; its changes are kept.
  Result<void> RemoveDeletedTrip(const std::string& track);
  // The same from the store's notice: points deleted from a track are a cut, files deleted are
  // deleted trips; other notices change nothing here.
  Result<void> FollowTrackChange(const TrackChangeNotice& notice);

  std::vector<OdometerReading> Readings() const;
  Result<void> SetOdometer(CalendarDate date, double km);

  // Every change, oldest first; or those of one trip (by its track file name).
  std::vector<LogbookChange> Changes(const std::optional<std::string>& track = std::nullopt) const;

 private:
  enum class Integrity { Whole, Damaged, Unreadable };
  Result<void> CheckWhole();
  Integrity IntegrityCheckFinds(std::string& why);
  std::string WhyNotWritable() const;
  Result<void> Change(const std::function<bool()>& work);
  bool Record(const char* kind, int64_t subjectId, const std::string& subject, const char* field,
              const std::string& before, const std::string& after);
  std::optional<NamedPlace> PlaceNamed(const std::string& name) const;
  std::optional<TripEntry> EntryOf(const std::string& track) const;
  int64_t EntryIdFor(const std::string& track);
  bool KeepSnapshot(int64_t id, const std::string& track);
  Failure Refused(const std::string& what) const;

  std::function<long long()> clock_;
  std::string folder_, file_;
  std::string readOnlyReason_;
  Database db_;
};

}  // namespace tavrin::logbook
