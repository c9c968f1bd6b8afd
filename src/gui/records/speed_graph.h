// SPDX-License-Identifier: GPL-3.0-or-later
// What the Track Record page's speed graph draws of a record: each point's speed in km/h over
// the time of day in the user's zone, and the mean speed as the lists give it.
#pragma once

#include <vector>

#include "base/units.h"
#include "gui/plot/line_plot.h"
#include "store/local_zone.h"

namespace tavrin::gui {

// The graph's x values are seconds from the zone's midnight before the record's first point, so
// that round values are round times of day and one record keeps one scale whichever part of it
// is drawn. Speeds over a summer-time change stay in time order: x counts real seconds.
class SpeedGraphClock {
 public:
  SpeedGraphClock(const TrackPoint& recordStart, LocalZone zone);

  // Each point's speed in km/h, or in mph.
  std::vector<PlotValue> Speeds(const PointVector& points, Units units = Units::Metric) const;
  // The label of an x value: the time of day, with seconds on a grid finer than a minute, or
  // the date ("05-03") on a grid of days.
  QString Label(double x, double step) const;

 private:
  LocalZone zone_;
  long long midnight_ = 0;  // UTC seconds
};

}  // namespace tavrin::gui
