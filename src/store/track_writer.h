// SPDX-License-Identifier: GPL-3.0-or-later
// Writing track files, crash-safe: the tracks of a download, a track cut from another, and the
// unfinished tracks a killed download left behind. Points go into "<track>.part" beside the track
// file; only a finished (or deliberately kept) track is renamed over its name.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"
#include "store/track_folder.h"
#include "store/track_header.h"
#include "store/track_point.h"

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

class TrackWriter {
 public:
  explicit TrackWriter(TrackFolder& folder) : folder_(folder) {}
  ~TrackWriter();
  TrackWriter(const TrackWriter&) = delete;
  TrackWriter& operator=(const TrackWriter&) = delete;

  // A download is about to write tracks: names it hands out from now on are its own, so two
  // tracks that start in the same second get two files instead of one written over the other.
  void BeginDownload() { takenNames_.clear(); }
  // Starts a track named from the entry's first date-time and writes its header. The points go
  // into "<name>.part" first; the track file itself only changes when the track is closed, so
  // a download that fails never damages a stored track.
  Result<void> OpenTrackFile(TrackEntry& entry);
  // Starts a new track that never replaces a stored one: it takes a free name that still sorts
  // by its first date-time (the same "_02" rule as a download's).
  Result<void> OpenNewTrackFile(TrackEntry& entry);
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
  // Writes `points` (UTC, in recording order, at least one) as a new track cut from `source`:
  // in exact UTC, marked as cut out, under a free name (OpenNewTrackFile), so that it never
  // replaces the track it came from or any other. Fails only when the file cannot be started;
  // what closing it did is in the result.
  Result<TrackSaved> CreateTrack(const TrackEntry& source, std::span<const TrackPoint> points);
  // Puts the unfinished tracks that a killed download left in the data folder under their
  // names, under the rule for tracks cut short, and tells the user of each. Run at start-up.
  void RecoverInterruptedTracks();

 private:
  std::string FreeTrackName(const TrackHeader& header) const;
  bool FlushPoints();
  Result<void> WriteHeader(const TrackHeader& header);
  uint32_t WrittenPoints() const;
  void NoteWriteError(int error);
  TrackSaved PutInPlace(const std::string& track, uint32_t saved, TrackEnd end) const;
  void RecoverPart(const std::string& name);
  std::optional<uint32_t> MakeHonest(int fd) const;

  TrackFolder& folder_;
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
