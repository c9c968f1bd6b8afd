// SPDX-License-Identifier: GPL-3.0-or-later
// Whether a track is stored already: importing a file twice must not make a second copy.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "store/track_point.h"
#include "store/track_store.h"

namespace tavrin::imports {

// Positions of the same point read from two files differ by the rounding of the formats (four
// decimals of a minute in NMEA are 1.9e-6 degrees) and of the track files' floats.
constexpr double kSamePositionDegrees = 2e-5;

bool SamePoint(const TrackPoint& a, const TrackPoint& b);

// The stored track, among those named after the same first second, that holds these points
// already as its first points; empty when none does.
std::optional<std::string> FindStoredCopy(TrackStore& store, std::span<const TrackPoint> points);

}  // namespace tavrin::imports
