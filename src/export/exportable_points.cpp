// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/exportable_points.h"

#include <algorithm>
#include <cmath>

namespace tavrin {

bool IsExportable(const TrackPoint& point) {
  const double lat = point.latitude, lon = point.longitude;
  // The comparisons are false for NaN, so it fails them as infinity does.
  if (!(std::fabs(lat) <= 90 && std::fabs(lon) <= 180)) return false;
  const bool zeroed = point.IsEmpty() && lat == 0 && lon == 0;
  return !zeroed;
}

ExportablePoints::ExportablePoints(std::span<const TrackPoint> points) : points_(points) {
  leftOut_ = static_cast<size_t>(std::count_if(
      points.begin(), points.end(), [](const TrackPoint& p) { return !IsExportable(p); }));
  if (leftOut_ == 0) return;
  kept_.reserve(points.size() - leftOut_);
  std::copy_if(points.begin(), points.end(), std::back_inserter(kept_), IsExportable);
  points_ = kept_;
}

}  // namespace tavrin
