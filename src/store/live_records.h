// SPDX-License-Identifier: GPL-3.0-or-later
// One quick pass over a stretch of records that tells whether they are all live points in time
// order, and their box: the common case of a track file, looked at four records at a time without
// a branch, so that indexing a decade of tracks costs little more than reading them.
#pragma once

#include <cstddef>

#include "store/track_point.h"

namespace tavrin {

struct LiveRecords {
  // None is deleted, each has a date-time the calendar has and a position on the globe.
  bool allLive = false;
  // Each date-time is the same as the one before or later.
  bool inTimeOrder = false;
  // The extremes of the positions; meaningful only when all are live.
  float south = 0, north = 0, west = 0, east = 0;
};

// True when none of the records is deleted and each has a date-time the calendar has and a
// position on the globe.
bool AllLivePoints(const TrackPoint* records, size_t count);

// `count` must be at least 1.
LiveRecords LookOverRecords(const TrackPoint* records, size_t count);

}  // namespace tavrin
