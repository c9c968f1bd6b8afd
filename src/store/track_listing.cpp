// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/track_listing.h"

#include <algorithm>

namespace tavrin {

const RowFigures* TrackListing::Row(size_t row) const {
  if (byDay) return row < days.size() ? &days[row] : nullptr;
  return row < tracks.size() ? &tracks[row] : nullptr;
}

std::string TrackListing::RowName(size_t row) const {
  if (row >= RowCount()) return {};
  if (byDay) return days[row].name;
  const std::string& path = tracks[row].path;
  return path.substr(path.rfind('/') + 1);
}

std::span<const TrackEntry> TrackListing::TracksOfRow(size_t row) const {
  if (!byDay)
    return row < tracks.size() ? std::span(tracks).subspan(row, 1) : std::span(tracks).first(0);
  if (row >= days.size()) return {};
  const DayEntry& day = days[row];
  const auto first = static_cast<size_t>(std::max(day.firstTrack, 0));
  const auto end = std::min(static_cast<size_t>(std::max(day.endTrack, 0)), tracks.size());
  return first < end ? std::span(tracks).subspan(first, end - first) : std::span(tracks).first(0);
}

int TrackListing::RowHolding(const std::string& path) const {
  for (size_t row = 0; row < RowCount(); ++row) {
    const auto held = TracksOfRow(row);
    if (std::any_of(held.begin(), held.end(),
                    [&](const TrackEntry& track) { return track.path == path; })) {
      return static_cast<int>(row);
    }
  }
  return -1;
}

void TrackListing::RemoveRow(size_t row) {
  if (row >= RowCount()) return;
  if (!byDay) {
    tracks.erase(tracks.begin() + static_cast<ptrdiff_t>(row));
    return;
  }
  const auto held = TracksOfRow(row);
  const auto first = static_cast<ptrdiff_t>(held.data() - tracks.data());
  const auto removed = static_cast<int32_t>(held.size());
  if (removed > 0) tracks.erase(tracks.begin() + first, tracks.begin() + first + removed);
  days.erase(days.begin() + static_cast<ptrdiff_t>(row));
  for (size_t i = row; i < days.size(); ++i) {
    days[i].firstTrack -= removed;
    days[i].endTrack -= removed;
  }
}

}  // namespace tavrin
