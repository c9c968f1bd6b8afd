// SPDX-License-Identifier: GPL-3.0-or-later
// NMEA 0183 text: a point from each $GPRMC or $GNRMC sentence (time, date, position, speed in
// knots, course), with the fix of a $GPGGA or $GNGGA of the same second where the file has one.
// Checksums are checked; a sentence that fails, or makes no sense, is counted and skipped.
#pragma once

#include <memory>

#include "import/imported_point.h"

namespace tavrin::imports {

std::unique_ptr<TrackReader> MakeNmeaReader(PointSink& sink);

}  // namespace tavrin::imports
