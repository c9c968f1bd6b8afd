// SPDX-License-Identifier: GPL-3.0-or-later
// Where and when a trip began and ended, read from its track file: what a logbook row names, and
// what an entry keeps so that its row stays whole once the track is deleted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "store/track_point.h"

namespace tavrin::logbook {

struct TripEnds {
  std::optional<TrackPoint> first, last;
};

// The first and last points of the track file's `records`: its first and last records nearly
// always; the whole file only when those are no points.
TripEnds ReadTripEnds(const std::string& path, uint32_t records);

struct TripSnapshot {
  long long firstUtc = 0, lastUtc = 0;  // seconds since 1970
  double km = 0;
  double fromLatitude = 0, fromLongitude = 0, toLatitude = 0, toLongitude = 0;
};

// The trip as its file has it now; nothing when the file cannot be read or holds no point.
std::optional<TripSnapshot> SnapshotOf(const std::string& path);

}  // namespace tavrin::logbook
