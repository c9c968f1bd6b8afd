// SPDX-License-Identifier: GPL-3.0-or-later
// KML: placemarks of one position with a time (<TimeStamp><when>, or the older
// <TimeInstant><timePosition>), and <gx:Track>s of <when>s and <gx:coord>s. A line of positions
// without times (<LineString>) says nothing of when it was driven and is left out.
#pragma once

#include <memory>

#include "import/imported_point.h"

namespace tavrin::imports {

std::unique_ptr<TrackReader> MakeKmlReader(PointSink& sink);

}  // namespace tavrin::imports
