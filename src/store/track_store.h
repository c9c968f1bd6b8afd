// SPDX-License-Identifier: GPL-3.0-or-later
// The track store: the data folder of track files, the track being written during a download,
// and the catalogue of the stored tracks and days. The points a page shows or an export writes
// belong to their caller, which loads them through the store.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "base/message_box.h"
#include "base/result.h"
#include "store/local_zone.h"
#include "store/store_messages.h"
#include "store/track_changes.h"
#include "store/track_header.h"
#include "store/track_listing.h"
#include "store/track_point.h"
#include "store/track_rows.h"

namespace tavrin {

constexpr long long kTrackGapSeconds = 600;  // a longer silence starts a new track

// Whether `point` begins a new track after `previous`: it is marked as a track start, or more
// than kTrackGapSeconds passed since `previous`. A download and an import cut tracks alike.
bool StartsNewTrack(const TrackPoint& previous, const TrackPoint& point);

// How the track being written came to an end.
enum class TrackEnd {
  Complete,  // the logger sent the whole track
  CutShort,  // the read stopped early (stop, time-over, silence, hang-up, a failed write)
};

// What closing a track did. A track cut short is kept when no stored copy of it holds more
// points; a complete one always replaces the stored copy, unless it has no point at all.
struct TrackSaved {
  enum class Outcome {
    Saved,           // the track file now holds `points` points of this read
    StoredCopyKept,  // a stored copy with more points (`storedPoints`), or one the user
                     // edited (`storedEdited`), stays; this one is dropped
    NothingSaved,    // no point arrived: no file was made or changed
    Failed,          // the file could not be put in place; `error` says why
  };
  Outcome outcome = Outcome::NothingSaved;
  std::string path;           // the track file's name
  uint32_t points = 0;        // points this read wrote for the track
  uint32_t storedPoints = 0;  // StoredCopyKept: points of the copy that stays
  bool storedEdited = false;  // StoredCopyKept: the user deleted points of the copy that stays
  int error = 0;              // errno of the first failed write or of the rename, 0 if none
  bool datesValid = true;     // false when the drive time could not be computed (set to 0)
  TrackEntry entry{};         // Saved: the track as it now stands in its file
  bool Kept() const { return outcome == Outcome::Saved; }
};

// A calendar date with the full year, for period listings; both ends are included.
struct CalendarDate {
  int year = 0;
  int month = 0;
  int day = 0;
  friend auto operator<=>(const CalendarDate&, const CalendarDate&) = default;
};

struct RecordTally;

// The points not marked deleted whose date-times in `zone` lie from `from` to `to` (both
// included), in their order. The points stay in UTC; only the comparison is local.
PointVector PointsInTimeWindow(std::span<const TrackPoint> points, const LocalZone& zone,
                               const DateTime& from, const DateTime& to);

// Whether track files can be kept in `folder`: makes it when missing, then makes and removes a
// file in it. Permission bits do not stop root and a read-only mount passes access(), so only a
// file actually made tells. The failure says why in words the user can act on.
Result<void> CheckTrackFolder(const std::filesystem::path& folder);
// Makes a file of a track header's size in `folder` and removes it again: the error number of
// what failed, 0 when tracks can be written there.
int TrackWriteError(const std::string& folder);

class TrackStore {
 public:
  explicit TrackStore(MessageBoxFn messageBox = nullptr);
  ~TrackStore();
  TrackStore(const TrackStore&) = delete;
  TrackStore& operator=(const TrackStore&) = delete;

  // Problems with single track files go here, with the file and the reason, instead of as a bare
  // message box text: the window shows the box and the reason, the command line prints both.
  void SetProblemReporter(TrackFileProblemFn reporter) { reporter_ = std::move(reporter); }

  // ---- what changed
  // The listener hears of every track file this store writes, compacts or deletes, and of
  // imports told with TellImported. Returns the number StopListening takes.
  int ListenForChanges(TrackChangeFn listener) { return changes_.Add(std::move(listener)); }
  void StopListening(int id) { changes_.Remove(id); }
  // Tracks another store (an import's, on its own thread) put into this store's folder.
  void TellImported(std::vector<std::string> paths) {
    changes_.Tell({TrackChange::Imported, std::move(paths)});
  }

  // ---- data folder and time zone
  // Sets the folder of the track files, creates it when missing and recovers the tracks a
  // download that was killed left behind.
  Result<void> PrepareDataFolder(const std::filesystem::path& dataFolder);
  const std::string& DataFolder() const { return dataFolder_; }
  // The zone the lists show date-times in. Headers are shifted into it when they are listed;
  // points stay in UTC in the point lists and are shifted only where they are shown.
  void SetTimeZone(LocalZone zone) { zone_ = std::move(zone); }
  // One offset all year.
  void SetTimeZoneOffset(TimeZoneOffset offset) { zone_ = LocalZone::Fixed(offset.TotalMinutes()); }
  const LocalZone& Zone() const { return zone_; }

  // "<data folder>/20yymmdd_hhmmss.bt0" from the header's first date-time (UTC).
  std::string TrackFileName(const TrackHeader& header) const;
  // "<data folder>/20yymmdd.bt1": names a day; no such file is ever made.
  std::string DayEntryName(const DateTime6& date) const;

  // ---- writing a track
  // Whether track files can be made and written in the data folder, found by writing a test
  // file there: permission bits do not stop root, and a read-only or full file system passes
  // access(). A read asks this before it asks the logger for anything.
  Result<void> CheckTracksCanBeWritten() const;
  // A download is about to write tracks: names it hands out from now on are its own, so two
  // tracks that start in the same second get two files instead of one written over the other.
  void BeginDownload() { takenNames_.clear(); }
  // Starts a track named from the entry's first date-time and writes its header. The points go
  // into "<name>.part" first; the track file itself only changes when the track is closed, so
  // a download that fails never damages a stored track.
  Result<void> OpenTrackFile(TrackEntry& entry);
  // Writes one point after the previous one; returns the metres from the previous point.
  uint32_t AppendPoint(const TrackPoint& point);
  // Seconds from the previous point (0 when none); empty when a date-time is not a calendar
  // date-time.
  std::optional<long long> PointGapSeconds(const TrackPoint& point) const;
  // Makes what has been written so far durable: the points, then a header that counts them, so
  // that a crash loses nothing written before this call.
  Result<void> CheckpointTrackFile(const TrackEntry& entry, uint32_t count);
  // Finishes the track: with count > 0 the header gets the count, the last date-time from the
  // previous point and the elapsed seconds. The result says which copy of the track now
  // stands under its name.
  TrackSaved CloseTrackFile(TrackEntry entry, uint32_t count, TrackEnd end = TrackEnd::Complete);
  bool IsWriting() const { return writeFd_ >= 0; }
  const TrackPoint& PreviousPoint() const { return previous_; }
  // Puts the unfinished tracks that a killed download left in the data folder under their
  // names, under the rule for tracks cut short, and tells the user of each. Run at start-up.
  void RecoverInterruptedTracks();

  // ---- reading and changing track files
  // The file's header as a track entry. A count beyond the records the file holds is cut to
  // them (and reported); a file that is no track file is reported and gives nothing.
  std::optional<TrackEntry> ReadTrackHeader(const std::string& path);
  // Appends the points among the first `pointCount` records of the entry's file (deleted ones
  // and records without a real date-time left out, the rest in UTC as stored) to `out`. False
  // when the file cannot be read or none of its counted records is a point.
  bool ReadTrackPoints(const TrackEntry& entry, PointVector& out);
  // Sets the deleted mark of the points at the given positions in the file.
  bool MarkPointsDeleted(const TrackEntry& entry, std::span<const size_t> positions);
  // Drops the deleted points from the entry's file and updates the entry to match. The file is
  // rewritten beside the old one and renamed over it, so a failure leaves the old track whole.
  // `alsoDrop` names more points to drop, by their place among the points the track shows (the
  // rows of its points list, from 0, in ascending order); nothing is written into the old file.
  bool CompactTrackFile(TrackEntry& entry, std::span<const size_t> alsoDrop = {});
  // Starts a new track that never replaces a stored one: it takes a free name that still sorts
  // by its first date-time (the same "_02" rule as a download's).
  Result<void> OpenNewTrackFile(TrackEntry& entry);
  // Writes `points` (UTC, in recording order, at least one) as a new track cut from `source`:
  // in exact UTC, marked as cut out, under a free name (OpenNewTrackFile), so that it never
  // replaces the track it came from or any other. Fails only when the file cannot be started;
  // what closing it did is in the result.
  Result<TrackSaved> CreateTrack(const TrackEntry& source, std::span<const TrackPoint> points);
  bool DeleteTrackFile(const TrackEntry& entry);
  // Deletes the files of the tracks, in their order; false, at the first that could not be
  // deleted (the ones before it are gone).
  bool DeleteTrackFiles(std::span<const TrackEntry> tracks);

  // ---- lists
  // The stored tracks (by day: and their days), as a listing of the caller's own; each row is
  // also shown in `list` when one is given.
  TrackListing ListTracks(IEntryRows* list, bool byDay);
  TrackListing ListTracksInPeriod(IEntryRows* list, bool byDay, CalendarDate from, CalendarDate to);
  void ShowEntryRow(IEntryRows& list, int index, const TrackEntry& entry) const;
  // Puts the points of a track, or of a listed day's tracks, into `points` in their place of
  // what it held, and shows them in `list` when one is given. The points stay in UTC, as the
  // files hold them; the rows show them in the store's zone. A track file that cannot be opened
  // leaves `points` and the list as they were.
  bool LoadTrackPoints(const TrackEntry& entry, PointVector& points, IPointRows* list = nullptr);
  // A day's points are those of its tracks (TrackListing::TracksOfRow), one after the other.
  bool LoadDayPoints(std::span<const TrackEntry> tracks, PointVector& points,
                     IPointRows* list = nullptr);

 private:
  struct Listing;

  void ShowError(const std::string& text) const;
  void Report(const TrackFileProblem& problem) const;
  std::vector<std::string> TrackFileNames(int folderFd) const;
  TrackListing ListFiles(IEntryRows* list, bool byDay, const std::optional<CalendarDate>& from,
                         const std::optional<CalendarDate>& to);
  void AddToDay(Listing& listing, IEntryRows* list, TrackEntry track);
  void CloseDay(Listing& listing, IEntryRows* list);
  std::string FreeTrackName(const TrackHeader& header) const;
  bool FlushPoints();
  Result<void> WriteHeader(const TrackHeader& header);
  uint32_t WrittenPoints() const;
  void NoteWriteError(int error);
  TrackSaved PutInPlace(const std::string& track, uint32_t saved, TrackEnd end) const;
  void ShowNotice(const std::string& text) const;
  void RecoverPart(const std::string& name);
  std::optional<uint32_t> MakeHonest(int fd) const;
  bool ReadPointsFrom(int fd, off_t size, const TrackEntry& entry, PointVector& out);
  // Tells of the records of a read that were no points and of a failed read; false when the read
  // gave nothing usable.
  bool ReportRecords(const std::string& path, const RecordTally& tally, size_t loaded) const;
  std::optional<std::vector<TrackPoint>> KeptPoints(int fd, off_t size, const TrackEntry& entry,
                                                    std::span<const size_t> alsoDrop) const;

  bool UnlinkTrackFile(const TrackEntry& entry);

  MessageBoxFn messageBox_;
  TrackFileProblemFn reporter_;
  TrackChangeListeners changes_;
  bool listing_ = false;  // a listing runs: its problems are told as such
  std::string dataFolder_;
  LocalZone zone_;

  int writeFd_ = -1;       // the ".part" file of the track being written, locked while open
  off_t writeEnd_ = 0;     // where the next point goes
  std::string writePath_;  // the track's name; the points go to writePath_ + ".part"
  TrackEntry writeEntry_;  // as opened, to close a track that nobody else closes
  uint32_t appended_ = 0;  // points appended since the open
  TrackPoint previous_{};
  TrackPoint lastWritten_{};               // the last point that reached the file
  std::vector<TrackPoint> pendingPoints_;  // appended but not yet written
  int writeError_ = 0;                     // first errno of a failed write to the open file
  std::set<std::string> takenNames_;       // names handed out since BeginDownload
};

}  // namespace tavrin
