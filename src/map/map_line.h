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
// order, one byte of its level (plus 64 when the point begins a line of its own, not joined to
// the point before), then the steps in latitude and in longitude from the point before (the
// first from 0, 0), in 1e-7 degrees, each zigzag-coded as a variable-length number of 7 bits a
// byte, low bits first. Steps between points a second apart take 2 or 3 bytes, so a million
// points stay within a few megabytes. Within a line each longitude lies within half a turn of
// the one before (179.95 then 180.07, not -179.93), so that a track across the 180th meridian is
// drawn across it rather than across the world. The points must be exportable (IsExportable);
// `lineStarts` (ascending) are the points after the first that begin a line of their own: the
// tracks of a day drawn apart.
std::string EncodeMapLine(std::span<const TrackPoint> points,
                          std::span<const std::size_t> lineStarts = {});

}  // namespace tavrin
