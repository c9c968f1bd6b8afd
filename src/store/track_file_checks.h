// SPDX-License-Identifier: GPL-3.0-or-later
// What keeps a bad track file from hanging, crashing or flooding the readers: a file is opened
// without waiting and must be a regular file, a header's count is bounded by the records the file
// really holds, and a record is a point only when it carries a real date-time and a position on
// the globe.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

#include "store/posix_file.h"
#include "store/store_messages.h"
#include "store/track_header.h"
#include "store/track_point.h"

namespace tavrin {

constexpr off_t kTrackHeaderBytes = sizeof(TrackHeader);
constexpr off_t kTrackRecordBytes = sizeof(TrackPoint);

// A track file opened for reading, or why it cannot be used.
struct OpenedTrackFile {
  UniqueFd fd;
  off_t size = 0;
  long long mtimeNs = 0;  // with the size and the inode: whether the file changed since a look
  ino_t inode = 0;
  std::optional<TrackFileProblem> problem;  // set when the file cannot be used at all
};

// Opens `name` inside `folderFd`, or `path` when `folderFd` is -1. A FIFO or a device named like a
// track file would block or never end, so the open does not wait and anything but a regular file
// is refused. A failure is reported under `failureMessage`, the short text of the caller.
OpenedTrackFile OpenTrackFileChecked(int folderFd, const char* name, const std::string& path,
                                     int flags, const char* failureMessage);

// Whole records stored after the header, up to the end of the file or its first hole: the
// never-written space of a sparse file reads as zeros and holds no track.
size_t StoredRecords(int fd, off_t size);

// Reads the header of a track file into `entry`. False when the file cannot be listed, with the
// reason in `problem`; a file that can be listed may come with a problem too (a count beyond the
// records the file holds is cut to them, records after a count of 0 are told of). `folderFd` and
// `name` open the file without walking the whole path again; -1 and the full path work too.
bool ReadTrackFileHeader(int folderFd, const char* name, std::string path, TrackEntry& entry,
                         std::optional<TrackFileProblem>& problem);
// The same from a file opened (or not) by OpenTrackFileChecked, which stays open for its records.
bool ReadTrackFileHeader(OpenedTrackFile& file, std::string path, TrackEntry& entry,
                         std::optional<TrackFileProblem>& problem);

// Why a header read from a file of `size` bytes cannot be listed; empty when it can.
std::string HeaderFault(const TrackHeader& header, off_t size);

// A record is a track point when it carries a real date-time (2000-2099) and a position on the
// globe (|latitude| <= 90, |longitude| <= 180, both numbers); a zeroed record has no date-time.
inline constexpr float kMostLatitude = 90.0f;
inline constexpr float kMostLongitude = 180.0f;
bool IsTrackPoint(const TrackPoint& record);
bool IsOnTheGlobe(const TrackPoint& record);
bool IsZeroed(const TrackPoint& record);

// What a read of a track's records met besides points.
struct RecordTally {
  size_t records = 0;   // records looked at
  size_t zeroed = 0;    // all sixteen bytes zero
  size_t badDates = 0;  // a date-time the calendar does not have
  size_t offGlobe = 0;  // a real date-time, but a position no place on Earth has
  size_t firstBad = 0;  // index of the first record of any kind
  int readError = 0;    // errno of a failed read, 0 when none

  size_t NotPoints() const { return zeroed + badDates + offGlobe; }
  // True when the record at `index` is a track point; otherwise counts it.
  bool IsPoint(const TrackPoint& record, size_t index) {
    if (IsTrackPoint(record)) [[likely]]
      return true;
    CountNotPoint(record, index);
    return false;
  }
  void CountNotPoint(const TrackPoint& record, size_t index);
  // "3 of its 10 records are not track points (2 zeroed, 1 with an impossible date/time; the
  // first is record 4)"; "1 with a position off the globe" is the third kind.
  std::string Describe() const;
};

// Keeps the points among `count` records in place at the front of `records` (deleted records and
// those that are no points left out, the latter counted in `tally` from record `firstIndex` of
// the file) and gives their number. Every reader of a track's records filters through this.
size_t KeepPoints(TrackPoint* records, size_t count, size_t firstIndex, RecordTally& tally);

// What a read whose records were tallied tells the user: the records that were no points
// (`loaded` points were kept), then a read that failed; empty when there is nothing to tell.
std::optional<TrackFileProblem> RecordsProblem(const std::string& path, const RecordTally& tally,
                                               size_t loaded);
std::optional<TrackFileProblem> ReadFailure(const std::string& path, const RecordTally& tally);

}  // namespace tavrin
