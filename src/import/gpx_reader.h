// SPDX-License-Identifier: GPL-3.0-or-later
// GPX 1.0 and 1.1: the points of tracks (all their segments) with their times, and of routes and
// waypoints with the times they may have; speed and course from GPX 1.0's elements or a
// track-point extension.
#pragma once

#include <memory>

#include "import/imported_point.h"

namespace tavrin::imports {

std::unique_ptr<TrackReader> MakeGpxReader(PointSink& sink);

}  // namespace tavrin::imports
