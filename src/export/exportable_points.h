// SPDX-License-Identifier: GPL-3.0-or-later
// Which points an export writes. A position that is not a number or lies off the globe breaks
// the file for its readers (one LatLng(nan, inf) stops the whole map page from drawing), and a
// zeroed record would put the track at 0°, 0°; every format leaves such points out the same way
// and tells the user how many.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "store/track_point.h"

namespace tavrin {

// True for a point with a finite position on the globe (latitude -90..90, longitude -180..180)
// that is not a zeroed record (no month and a position of exactly 0, 0).
bool IsExportable(const TrackPoint& point);

// The points of a track that an export writes. When every point is exportable, as nearly always,
// they are the given points themselves; otherwise a copy of the exportable ones.
class ExportablePoints {
 public:
  explicit ExportablePoints(std::span<const TrackPoint> points);
  ExportablePoints(const ExportablePoints&) = delete;
  ExportablePoints& operator=(const ExportablePoints&) = delete;

  std::span<const TrackPoint> Points() const { return points_; }
  size_t LeftOut() const { return leftOut_; }
  // The track had points, but none an export can write.
  bool NoneLeft() const { return points_.empty() && leftOut_ > 0; }

 private:
  std::vector<TrackPoint> kept_;
  std::span<const TrackPoint> points_;
  size_t leftOut_ = 0;
};

}  // namespace tavrin
