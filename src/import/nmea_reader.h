// SPDX-License-Identifier: GPL-3.0-or-later
// NMEA 0183 text: a point from each second's $RMC (time, date, position, speed in knots, course),
// with the fix of the $GGA of that second, or from its $GGA or $GLL alone, dated by the $RMC or
// $ZDA sentences around it; any talker (GP, GN, GL, GA...). Checksums are checked; a sentence
// that fails, or makes no sense, is counted and skipped.
#pragma once

#include <memory>

#include "import/imported_point.h"

namespace tavrin::imports {

std::unique_ptr<TrackReader> MakeNmeaReader(PointSink& sink);

}  // namespace tavrin::imports
