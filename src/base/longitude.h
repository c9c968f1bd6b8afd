// SPDX-License-Identifier: GPL-3.0-or-later
// Longitudes meet at the 180th meridian: a step from 179.95 to -179.93 degrees is 0.12 degrees
// east, not 359.88 degrees west. Every distance between neighbours and every line drawn takes
// its steps the short way round.
#pragma once

#include <cmath>

namespace tavrin {

// Degrees east from `from` to `to` the short way round: -180 to 180 for longitudes on the globe.
inline double LongitudeStep(double from, double to) {
  const double step = to - from;
  if (step > 180.0) return step - 360.0;
  if (step < -180.0) return step + 360.0;
  return step;
}

// The longitude `to` moved by whole turns to lie within half a turn of `from`, so that a line
// drawn from one to the other crosses the 180th meridian instead of the whole world.
inline double LongitudeBeside(double from, double to) {
  const double step = LongitudeStep(std::remainder(from, 360.0), std::remainder(to, 360.0));
  return from + step;
}

}  // namespace tavrin
