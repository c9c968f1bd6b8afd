// SPDX-License-Identifier: GPL-3.0-or-later
// KML: <gx:Track>s of <when>s and <gx:coord>s, and placemarks of one position with a time
// (<TimeStamp><when>, or the older <TimeInstant><timePosition>), which are the track only of a
// file without <gx:Track>. A line of positions without times (<LineString>) says nothing of when
// it was driven and is left out.
#pragma once

#include <memory>

#include "import/imported_point.h"

namespace tavrin::imports {

std::unique_ptr<TrackReader> MakeKmlReader(PointSink& sink);

}  // namespace tavrin::imports
