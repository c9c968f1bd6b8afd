// SPDX-License-Identifier: GPL-3.0-or-later
// A track's line as the map page takes it: numbers, not a script of a million literals. The page
// decodes the text into arrays once and hands its map, at each zoom, only the points that zoom
// needs (track_simplify.h), so that the map costs what the screen can show.
#pragma once

#include <span>
#include <string>

#include "store/track_point.h"

namespace tavrin {

// The points with their levels of detail, in base64: for each point that some zoom draws, in
// order, one byte of its level, then the steps in latitude and in longitude from the point
// before (the first from 0, 0), in 1e-7 degrees, each zigzag-coded as a variable-length number
// of 7 bits a byte, low bits first. Steps between points a second apart take 2 or 3 bytes, so
// a million points stay within a few megabytes. The points must be exportable (IsExportable).
std::string EncodeMapLine(std::span<const TrackPoint> points);

}  // namespace tavrin
