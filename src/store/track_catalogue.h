// SPDX-License-Identifier: GPL-3.0-or-later
// The catalogue of the stored tracks: which tracks and days the data folder holds, with which
// figures, as listings that belong to whoever asked; and what changed, told to whoever listens.
// The headers it lists are shifted into the folder's zone; the files keep UTC. A file's records are
// checked as the point reader checks them, once while the file stays as it is: a file with no
// point is told of and not listed, one with some records that are no points is listed with the
// figures of its points.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "store/record_verdicts.h"
#include "store/track_changes.h"
#include "store/track_folder.h"
#include "store/track_listing.h"
#include "store/track_rows.h"

namespace tavrin {

// A calendar date with the full year, for period listings; both ends are included.
struct CalendarDate {
  int year = 0;
  int month = 0;
  int day = 0;
  friend auto operator<=>(const CalendarDate&, const CalendarDate&) = default;
};

// The day a UTC instant (seconds since 1970) falls on in the zone.
CalendarDate LocalDayOf(long long utcSeconds, const LocalZone& zone);

class TrackCatalogue {
 public:
  explicit TrackCatalogue(TrackFolder& folder) : folder_(folder) {}

  // The stored tracks (by day: and their days), as a listing of the caller's own; each row is
  // also shown in `list` when one is given.
  TrackListing ListTracks(IEntryRows* list, bool byDay);
  TrackListing ListTracksInPeriod(IEntryRows* list, bool byDay, CalendarDate from, CalendarDate to);
  void ShowEntryRow(IEntryRows& list, int index, const RowFigures& entry) const;
  // One track as a listing shows it (date-times in the zone, its average speed), for a list
  // that follows a change of one file; a file that cannot be listed is reported and gives none.
  std::optional<TrackEntry> ListedTrack(const std::string& path);

  // The listener hears of every track file the store writes, compacts or deletes, and of
  // imports told with TellImported. Returns the number StopListening takes.
  int ListenForChanges(TrackChangeFn listener) { return folder_.changes.Add(std::move(listener)); }
  void StopListening(int id) { folder_.changes.Remove(id); }
  // Tracks another store (an import's, on its own thread) put into this store's folder.
  void TellImported(std::vector<std::string> paths) {
    folder_.changes.Tell({TrackChange::Imported, std::move(paths)});
  }

 private:
  struct Listing;

  std::vector<std::string> TrackFileNames(int folderFd) const;
  TrackListing ListFiles(IEntryRows* list, bool byDay, const std::optional<CalendarDate>& from,
                         const std::optional<CalendarDate>& to);
  // Opens one track file and reads its header into `entry`; false, told of, when it cannot be
  // listed.
  bool ReadListedHeader(OpenedTrackFile& file, std::string path, TrackEntry& entry);
  // Tells of the records of the file that are no points and gives the entry the figures of its
  // points; false when it has none to list.
  bool JudgeRecords(const OpenedTrackFile& file, TrackEntry& entry);
  void AddToDay(Listing& listing, IEntryRows* list, TrackEntry track);
  void CloseDay(Listing& listing, IEntryRows* list);
  // The last date-time in the zone and the average speed; the first is shifted before, as a
  // period listing needs it alone.
  void FinishListedEntry(TrackEntry& entry) const;
  // "20yymmdd.bt1": names a day; no such file is ever made.
  static std::string DayName(const DateTime6& date);

  TrackFolder& folder_;
  RecordVerdicts verdicts_;
};

}  // namespace tavrin
