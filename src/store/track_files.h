// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and changing stored track files, named by their paths: their headers and points, the
// deleted marks, compaction and deletion. What changes a file is told to the folder's listeners.
#pragma once

#include <sys/types.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "store/local_zone.h"
#include "store/track_folder.h"
#include "store/track_header.h"
#include "store/track_point.h"
#include "store/track_rows.h"

namespace tavrin {

struct RecordTally;

// The points not marked deleted whose date-times in `zone` lie from `from` to `to` (both
// included), in their order. The points stay in UTC; only the comparison is local.
PointVector PointsInTimeWindow(std::span<const TrackPoint> points, const LocalZone& zone,
                               const DateTime& from, const DateTime& to);

class TrackFiles {
 public:
  explicit TrackFiles(TrackFolder& folder) : folder_(folder) {}

  // The file's header as a track entry. A count beyond the records the file holds is cut to
  // them (and reported); a file that is no track file is reported and gives nothing.
  std::optional<TrackEntry> ReadTrackHeader(const std::string& path);
  // Appends the points among the first `pointCount` records of the entry's file (deleted ones
  // and records without a real date-time left out, the rest in UTC as stored) to `out`. False
  // when the file cannot be read or none of its counted records is a point.
  bool ReadTrackPoints(const TrackEntry& entry, PointVector& out);
  // Puts the points of a track into `points` in place of what it held, and shows them in `list`
  // when one is given. The points stay in UTC, as the files hold them; the rows show them in the
  // folder's zone. A track file that cannot be opened leaves `points` and the list as they were.
  bool LoadTrackPoints(const TrackEntry& entry, PointVector& points, IPointRows* list = nullptr);
  // A day's points are those of its tracks (TrackListing::TracksOfRow), one after the other.
  bool LoadDayPoints(std::span<const TrackEntry> tracks, PointVector& points,
                     IPointRows* list = nullptr);

  // Sets the deleted mark of the points at the given positions in the file.
  bool MarkPointsDeleted(const TrackEntry& entry, std::span<const size_t> positions);
  // Drops the deleted points from the entry's file and updates the entry to match. The file is
  // rewritten beside the old one and renamed over it, so a failure leaves the old track whole.
  // `alsoDrop` names more points to drop, by their place among the points the track shows (the
  // rows of its points list, from 0, in ascending order); nothing is written into the old file.
  bool CompactTrackFile(TrackEntry& entry, std::span<const size_t> alsoDrop = {});
  bool DeleteTrackFile(const TrackEntry& entry);
  // Deletes the files of the tracks, in their order; false, at the first that could not be
  // deleted (the ones before it are gone).
  bool DeleteTrackFiles(std::span<const TrackEntry> tracks);

 private:
  bool ReadPointsFrom(int fd, off_t size, const TrackEntry& entry, PointVector& out);
  // Tells of the records of a read that were no points and of a failed read; false when the read
  // gave nothing usable.
  bool ReportRecords(const std::string& path, const RecordTally& tally, size_t loaded) const;
  std::optional<std::vector<TrackPoint>> KeptPoints(int fd, off_t size, const TrackEntry& entry,
                                                    std::span<const size_t> alsoDrop) const;

  TrackFolder& folder_;
};

}  // namespace tavrin
