// SPDX-License-Identifier: GPL-3.0-or-later
// Reading stored tracks: a file's header, and the points of the track or day the user opens.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "store/posix_file.h"
#include "store/store_messages.h"
#include "store/track_file_checks.h"
#include "store/track_files.h"

namespace tavrin {
std::optional<TrackEntry> TrackFiles::ReadTrackHeader(const std::string& path) {
  TrackEntry entry;
  std::optional<TrackFileProblem> problem;
  const bool readable = ReadTrackFileHeader(-1, nullptr, path, entry, problem);
  if (problem) folder_.Report(*problem);
  if (!readable) return std::nullopt;
  return entry;
}

// ---- points

bool TrackFiles::ReadTrackPoints(const TrackEntry& entry, PointVector& out) {
  OpenedTrackFile file = OpenTrackFileChecked(-1, nullptr, entry.path, O_RDONLY, kCannotFindFile);
  if (file.problem) {
    folder_.Report(*file.problem);
    return false;
  }
  return ReadPointsFrom(file.fd.Get(), file.size, entry, out);
}

bool TrackFiles::ReadPointsFrom(int fd, off_t size, const TrackEntry& entry, PointVector& out) {
  // Only the first `pointCount` records are the track: a shorter track written over a longer one
  // leaves the old records after them, deleted points among them or not. The file bounds the
  // count too, so a header that claims millions of points cannot grow `out` past the file.
  const size_t counted = std::min<size_t>(entry.RecordsToRead(), StoredRecords(fd, size));
  // Read straight into the tail of `out` in chunks small enough to stay in cache while they are
  // filtered. The points stay in UTC: a local time in the hour that repeats when summer time ends
  // could not be told back to its instant, and exports and new tracks need the instant.
  constexpr size_t kChunkPoints = 4096;
  const size_t before = out.size();
  RecordTally tally;
  while (tally.records < counted) {
    const size_t batch = std::min(counted - tally.records, kChunkPoints);
    const size_t start = out.size();
    out.resize(start + batch);
    TrackPoint* chunk = out.data() + start;
    const ssize_t got =
        ReadAt(fd, chunk, batch * sizeof(TrackPoint),
               kTrackHeaderBytes + static_cast<off_t>(tally.records) * kTrackRecordBytes);
    const size_t records = got > 0 ? static_cast<size_t>(got) / sizeof(TrackPoint) : 0;
    if (got < 0) tally.readError = errno;
    const size_t live = KeepPoints(chunk, records, tally.records, tally);
    out.resize(start + live);
    tally.records += records;
    if (records < batch) break;  // a read error, or the file shrank since it was opened
  }
  return ReportRecords(entry.path, tally, out.size() - before);
}

bool TrackFiles::ReportRecords(const std::string& path, const RecordTally& tally,
                               size_t loaded) const {
  if (auto problem = RecordsProblem(path, tally, loaded)) folder_.Report(*problem);
  if (auto failure = ReadFailure(path, tally)) {
    folder_.Report(*failure);
    return false;
  }
  return loaded > 0 || tally.NotPoints() == 0;
}

bool TrackFiles::LoadTrackPoints(const TrackEntry& entry, PointVector& points, IPointRows* list) {
  OpenedTrackFile file = OpenTrackFileChecked(-1, nullptr, entry.path, O_RDONLY, kCannotFindFile);
  if (file.problem) {
    folder_.Report(*file.problem);  // the lists and rows stay as they were
    return false;
  }
  if (list) list->RemoveAllRows();
  points.clear();
  const bool usable = ReadPointsFrom(file.fd.Get(), file.size, entry, points);
  if (list) list->AppendPointRows(points, 1, folder_.zone);
  return usable;
}

bool TrackFiles::LoadDayPoints(std::span<const TrackEntry> tracks, PointVector& points,
                               IPointRows* list) {
  if (list) list->RemoveAllRows();
  points.clear();
  for (const TrackEntry& track : tracks) {
    const size_t before = points.size();
    OpenedTrackFile file = OpenTrackFileChecked(-1, nullptr, track.path, O_RDONLY, kCannotFindFile);
    if (file.problem) {
      folder_.Report(*file.problem);
      return false;  // the points loaded so far stay
    }
    // A track that gives no point has been reported; the day goes on with its other tracks.
    ReadPointsFrom(file.fd.Get(), file.size, track, points);
    if (list) {
      list->AppendPointRows(std::span(points).subspan(before), static_cast<int>(before) + 1,
                            folder_.zone);
    }
  }
  return true;
}

}  // namespace tavrin
