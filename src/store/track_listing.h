// SPDX-License-Identifier: GPL-3.0-or-later
// One listing of the stored tracks, as a value that belongs to whoever asked for it: a page, a
// command, a dialog. Another listing never changes it, and commands take the track files a row
// stands for, never a row number into a list someone else holds.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "store/track_header.h"

namespace tavrin {

struct TrackListing {
  bool byDay = false;
  std::vector<TrackEntry>
      tracks;                    // in the order of their files, which is the order of their starts
  std::vector<TrackEntry> days;  // by day: each names its tracks by firstTrack and endTrack

  size_t RowCount() const { return byDay ? days.size() : tracks.size(); }
  // The row's day or track; nullptr past the rows.
  const TrackEntry* Row(size_t row) const;
  // The tracks a row stands for: a day's tracks, or the one track; none past the rows.
  std::span<const TrackEntry> TracksOfRow(size_t row) const;
  // The row that shows the track file `path` (its day's row by day), or -1.
  int RowHolding(const std::string& path) const;
  // Takes a row out with its tracks, as deleting its files leaves the folder.
  void RemoveRow(size_t row);
};

}  // namespace tavrin
