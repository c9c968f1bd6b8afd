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

// A day of a listing: the sums of the tracks that start on one date. A day has no file: its name
// ("20yymmdd.bt1") is what the window shows of it and what its exports are named after.
struct DayEntry : RowFigures {
  std::string name;
  int32_t firstTrack = 0;  // its tracks among the listing's: from firstTrack to before endTrack
  int32_t endTrack = 0;
};

struct TrackListing {
  bool byDay = false;
  std::vector<TrackEntry>
      tracks;                  // in the order of their files, which is the order of their starts
  std::vector<DayEntry> days;  // by day

  size_t RowCount() const { return byDay ? days.size() : tracks.size(); }
  // What the row shows; nullptr past the rows.
  const RowFigures* Row(size_t row) const;
  // The row's name as the window shows it: the track file's name, or the day's; empty past the
  // rows.
  std::string RowName(size_t row) const;
  // The tracks a row stands for: a day's tracks, or the one track; none past the rows.
  std::span<const TrackEntry> TracksOfRow(size_t row) const;
  // The row that shows the track file `path` (its day's row by day), or -1.
  int RowHolding(const std::string& path) const;
  // Takes a row out with its tracks, as deleting its files leaves the folder.
  void RemoveRow(size_t row);
};

}  // namespace tavrin
