// SPDX-License-Identifier: GPL-3.0-or-later
// Track files: a 64-byte header, then the points in recording order.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <tuple>

#include "store/posix_file.h"
#include "store/store_messages.h"
#include "store/track_file_checks.h"
#include "store/track_files.h"

namespace tavrin {
namespace {

constexpr off_t kHeaderSize = sizeof(TrackHeader);
constexpr off_t kPointSize = sizeof(TrackPoint);

off_t PointOffset(size_t index) {
  return kHeaderSize + static_cast<off_t>(index) * kPointSize;
}

std::string FileName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

}  // namespace

// ---- changing track files

bool TrackFiles::MarkPointsDeleted(const TrackEntry& entry, std::span<const size_t> positions) {
  OpenedTrackFile file = OpenTrackFileChecked(-1, nullptr, entry.path, O_RDWR, kCannotFindFile);
  if (file.problem) {
    folder_.Report(*file.problem);
    return false;
  }
  // A mark past the track's records would write into the old records after it, or grow the file.
  const size_t records =
      std::min<size_t>(entry.RecordsToRead(), StoredRecords(file.fd.Get(), file.size));
  for (size_t position : positions) {
    if (position >= records) {
      folder_.ShowError("Point " + std::to_string(position + 1) + " is not in " +
                        FileName(entry.path) + ", which holds " + std::to_string(records) +
                        " points. List the tracks again and load the track once more.");
      return false;
    }
  }
  const uint8_t deleted = 0x80;
  for (size_t position : positions) {
    if (auto marked = WriteAt(file.fd.Get(), &deleted, 1, PointOffset(position) + 3); !marked) {
      folder_.ShowError("Could not mark points deleted in " + FileName(entry.path) + ": " +
                        marked.Error().SystemText() + ".");
      return false;
    }
  }
  if (!positions.empty()) folder_.changes.Tell({TrackChange::Compacted, {entry.path}});
  return true;
}

// The track's records that remain after the deleted ones are dropped: only the first
// `pointCount` records, as for every reader, and never more than the file holds.
std::optional<std::vector<TrackPoint>> TrackFiles::KeptPoints(
    int fd, off_t size, const TrackEntry& entry, std::span<const size_t> alsoDrop) const {
  const size_t counted = std::min<size_t>(entry.RecordsToRead(), StoredRecords(fd, size));
  constexpr size_t kChunkPoints = 4096;
  std::vector<TrackPoint> chunk(std::min(counted, kChunkPoints));
  std::vector<TrackPoint> kept;
  RecordTally tally;
  size_t shown = 0;  // points met so far, as the points list numbers them
  auto drop = alsoDrop.begin();
  while (tally.records < counted) {
    const size_t batch = std::min(counted - tally.records, kChunkPoints);
    const ssize_t got =
        ReadAt(fd, chunk.data(), batch * sizeof(TrackPoint), PointOffset(tally.records));
    if (got < 0) {
      tally.readError = errno;
      break;
    }
    const size_t records = static_cast<size_t>(got) / sizeof(TrackPoint);
    for (size_t i = 0; i < records; ++i) {
      if (chunk[i].IsDeleted() || !tally.IsPoint(chunk[i], tally.records + i)) continue;
      while (drop != alsoDrop.end() && *drop < shown) ++drop;
      const bool dropped = drop != alsoDrop.end() && *drop == shown;
      ++shown;
      if (!dropped) kept.push_back(chunk[i]);
    }
    tally.records += records;
    if (records < batch) break;
  }
  if (tally.readError != 0) {
    folder_.ShowError("Could not read " + FileName(entry.path) + ": " + ErrnoText(tally.readError) +
                      ". The track is unchanged.");
    return std::nullopt;
  }
  // Dropping the records that are no points would lose what the user never chose to delete.
  if (tally.NotPoints() > 0) {
    folder_.Report(TrackFileProblem{
        kDataError, entry.path,
        tally.Describe() + ". The deleted points were not removed, so that nothing else "
                           "is lost with them; the track is unchanged."});
    return std::nullopt;
  }
  return kept;
}

bool TrackFiles::CompactTrackFile(TrackEntry& entry, std::span<const size_t> alsoDrop) {
  OpenedTrackFile file = OpenTrackFileChecked(-1, nullptr, entry.path, O_RDONLY, kCannotFindFile);
  if (file.problem) {
    folder_.Report(*file.problem);
    return false;
  }
  TrackHeader onDisk{};
  if (ReadAt(file.fd.Get(), &onDisk, sizeof onDisk, 0) < 0) {
    folder_.ShowError("Could not read " + FileName(entry.path) + ": " + ErrnoText(errno) + ".");
    return false;
  }
  auto points = KeptPoints(file.fd.Get(), file.size, entry, alsoDrop);
  file.fd.Reset();
  if (!points) return false;
  const size_t kept = points->size();

  TrackEntry compacted = entry;
  compacted.countedRecords = 0;  // every record written is a point
  TrackHeader& h = compacted.header;
  h.distance = 0;
  h.pointCount = static_cast<uint32_t>(kept);
  h.elapsedSeconds = 0;
  // Points the user dropped stay dropped when the logger's copy is read again; a track cut from
  // another one keeps its own mark, as no read ever replaces it.
  if (!alsoDrop.empty() && h.selectionMarker != kSelectionMarker) h.selectionMarker = kEditedMarker;
  // The entry holds local date-times; the file must keep UTC ones.
  h.firstDateTime = onDisk.firstDateTime;
  h.lastDateTime = onDisk.lastDateTime;
  // The distance and the drive time are those of the points that remain.
  for (size_t i = 1; i < kept; ++i) h.distance += DistanceMeters((*points)[i - 1], (*points)[i]);
  if (kept > 0) {
    h.firstDateTime = ToDateTime6(points->front().GetDateTime());
    h.lastDateTime = ToDateTime6(points->back().GetDateTime());
    const auto first = ToCalendarSeconds(points->front().GetDateTime());
    const auto last = ToCalendarSeconds(points->back().GetDateTime());
    if (first && last) h.elapsedSeconds = static_cast<uint32_t>(*last - *first);
  }

  std::vector<uint8_t> bytes(sizeof(TrackHeader) + kept * sizeof(TrackPoint));
  std::memcpy(bytes.data(), &h, sizeof h);
  if (kept > 0) std::memcpy(bytes.data() + sizeof h, points->data(), kept * sizeof(TrackPoint));
  if (auto replaced = ReplaceFileAtomically(entry.path, bytes.data(), bytes.size()); !replaced) {
    folder_.ShowError("Could not save " + FileName(entry.path) + ": " +
                      replaced.Error().SystemText() + ". The track is unchanged.");
    return false;
  }
  // The file holds UTC; the entry, like every listed entry, shows local date-times.
  h.firstDateTime = folder_.zone.ToLocal(h.firstDateTime, compacted.firstRepeatedClock);
  h.lastDateTime = folder_.zone.ToLocal(h.lastDateTime, compacted.lastRepeatedClock);
  compacted.averageSpeed = AverageSpeedKmh(h.distance, h.elapsedSeconds);
  entry = compacted;
  folder_.changes.Tell({TrackChange::Compacted, {entry.path}});
  return true;
}

PointVector PointsInTimeWindow(std::span<const TrackPoint> points, const LocalZone& zone,
                               const DateTime& from, const DateTime& to) {
  PointVector window;
  LocalTimes local(zone);
  for (const TrackPoint& point : points) {
    if (point.IsDeleted()) continue;
    const DateTime t = local.Of(point);
    if (from <= t && t <= to) window.push_back(point);
  }
  return window;
}

bool TrackFiles::DeleteTrackFile(const TrackEntry& entry) {
  if (::unlink(entry.path.c_str()) != 0) return false;
  folder_.changes.Tell({TrackChange::Deleted, {entry.path}});
  return true;
}

// One notice for all the files, so that a day of tracks is one change to whoever listens.
bool TrackFiles::DeleteTrackFiles(std::span<const TrackEntry> tracks) {
  TrackChangeNotice deleted{TrackChange::Deleted, {}};
  bool all = true;
  for (const TrackEntry& track : tracks) {
    if (::unlink(track.path.c_str()) != 0) {
      all = false;
      break;
    }
    deleted.paths.push_back(track.path);
  }
  if (!deleted.paths.empty()) folder_.changes.Tell(deleted);
  return all;
}

}  // namespace tavrin
