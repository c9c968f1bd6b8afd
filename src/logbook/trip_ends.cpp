// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/trip_ends.h"

#include <fcntl.h>

#include <algorithm>

#include "store/posix_file.h"
#include "store/track_file_checks.h"

namespace tavrin::logbook {
namespace {

constexpr uint32_t kEndRecords = 64;  // looked at for the first and last point, before all

bool IsLivePoint(const TrackPoint& p) {
  return IsTrackPoint(p) && !p.IsDeleted();
}

}  // namespace

TripEnds ReadTripEnds(const std::string& path, uint32_t records) {
  TripEnds ends;
  const UniqueFd fd = OpenFile(path, O_RDONLY);
  if (!fd.Valid() || records == 0) return ends;
  const auto readRecords = [&](uint32_t first, uint32_t count) {
    std::vector<TrackPoint> read(count);
    const ssize_t got = ReadAt(fd.Get(), read.data(), count * sizeof(TrackPoint),
                               kTrackHeaderBytes + static_cast<off_t>(first) * kTrackRecordBytes);
    read.resize(got > 0 ? static_cast<size_t>(got) / sizeof(TrackPoint) : 0);
    return read;
  };
  const auto firstLive = [](const std::vector<TrackPoint>& points) -> std::optional<TrackPoint> {
    const auto found = std::find_if(points.begin(), points.end(), IsLivePoint);
    return found == points.end() ? std::nullopt : std::optional(*found);
  };
  const auto lastLive = [](const std::vector<TrackPoint>& points) -> std::optional<TrackPoint> {
    const auto found = std::find_if(points.rbegin(), points.rend(), IsLivePoint);
    return found == points.rend() ? std::nullopt : std::optional(*found);
  };
  ends.first = firstLive(readRecords(0, std::min(records, kEndRecords)));
  const uint32_t tail = records > kEndRecords ? records - kEndRecords : 0;
  ends.last = lastLive(readRecords(tail, records - tail));
  if (!ends.first || !ends.last) {
    const std::vector<TrackPoint> all = readRecords(0, records);
    ends.first = firstLive(all);
    ends.last = lastLive(all);
  }
  return ends;
}

std::optional<TripSnapshot> SnapshotOf(const std::string& path) {
  TrackEntry entry;
  std::optional<TrackFileProblem> problem;
  if (!ReadTrackFileHeader(-1, nullptr, path, entry, problem)) return std::nullopt;
  const TripEnds ends = ReadTripEnds(path, entry.RecordsToRead());
  const auto first = ToCalendarSeconds(FromDateTime6(entry.header.firstDateTime));
  const auto last = ToCalendarSeconds(FromDateTime6(entry.header.lastDateTime));
  if (!ends.first || !ends.last || !first || !last) return std::nullopt;
  return TripSnapshot{*first,
                      *last,
                      entry.header.distance / 1000.0,
                      ends.first->latitude,
                      ends.first->longitude,
                      ends.last->latitude,
                      ends.last->longitude};
}

}  // namespace tavrin::logbook
