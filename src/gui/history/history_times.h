// SPDX-License-Identifier: GPL-3.0-or-later
// Times of the History page as the command line's `tavrin find` writes them: local time in the
// store's zone, with the zone's name in an hour that the clock shows twice.
#pragma once

#include <string>

#include "index/history_index.h"
#include "store/local_zone.h"
#include "store/track_catalogue.h"

namespace tavrin::gui {

// A UTC instant (seconds since 1970) as a date-time in UTC.
DateTime UtcDateTimeOf(long long utcSeconds);
// "2024-05-03 08:10:00", with " EDT" in a repeated hour.
std::string ShownTime(long long utcSeconds, const LocalZone& zone);
// "2024-05-03 08:10:00 – 08:21:39": the date once when both ends fall on the same local day.
std::string ShownSpan(long long firstUtc, long long lastUtc, const LocalZone& zone);
// The local day of a UTC instant.
CalendarDate LocalDayOf(long long utcSeconds, const LocalZone& zone);

}  // namespace tavrin::gui
