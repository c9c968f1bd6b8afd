// SPDX-License-Identifier: GPL-3.0-or-later
// Times of the History page as the command line's `tavrin find` writes them: local time in the
// store's zone, with the zone's name in an hour that the clock shows twice.
#pragma once

#include <string>

#include "store/local_zone.h"
#include "store/track_catalogue.h"
#include "store/track_rows.h"

namespace tavrin::gui {

// "2024-05-03 08:10:00 – 08:21:39": the date once when both ends fall on the same local day
// (single times are the lists' ShownDateTimeText).
std::string ShownSpan(long long firstUtc, long long lastUtc, const LocalZone& zone);

}  // namespace tavrin::gui
