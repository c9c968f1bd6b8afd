// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/history/history_times.h"

#include "store/track_rows.h"

namespace tavrin::gui {

std::string ShownSpan(long long firstUtc, long long lastUtc, const LocalZone& zone) {
  const bool sameDay = LocalDayOf(firstUtc, zone) == LocalDayOf(lastUtc, zone);
  const std::string end = sameDay ? ShownTimeText(lastUtc, zone) : ShownDateTimeText(lastUtc, zone);
  return ShownDateTimeText(firstUtc, zone) + " \u2013 " + end;
}

}  // namespace tavrin::gui
