// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/history/history_times.h"

#include <cstdio>

#include "base/civil_date.h"

namespace tavrin::gui {

DateTime UtcDateTimeOf(long long utcSeconds) {
  const long long days = DaysOfSeconds(utcSeconds);
  const long long second = utcSeconds - days * 86400;
  const CivilDate date = CivilDateOfDays(days);
  return DateTime{static_cast<int>(date.year - 2000),
                  date.month,
                  date.day,
                  static_cast<int>(second / 3600),
                  static_cast<int>(second / 60 % 60),
                  static_cast<int>(second % 60)};
}

namespace {

std::string ClockText(const DateTime& shown) {
  char text[48];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", shown.hour, shown.minute, shown.second);
  return text;
}

std::string DateText(const DateTime& shown) {
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", 2000 + shown.year, shown.month, shown.day);
  return text;
}

std::string WithClockName(std::string text, const DateTime& utc, const LocalZone& zone) {
  const std::string repeated = zone.RepeatedClockName(utc);
  return repeated.empty() ? text : text + " " + repeated;
}

}  // namespace

std::string ShownTime(long long utcSeconds, const LocalZone& zone) {
  const DateTime utc = UtcDateTimeOf(utcSeconds);
  const DateTime shown = zone.ToLocal(utc);
  return WithClockName(DateText(shown) + " " + ClockText(shown), utc, zone);
}

std::string ShownSpan(long long firstUtc, long long lastUtc, const LocalZone& zone) {
  const DateTime lastUtcTime = UtcDateTimeOf(lastUtc);
  const DateTime first = zone.ToLocal(UtcDateTimeOf(firstUtc));
  const DateTime last = zone.ToLocal(lastUtcTime);
  const bool sameDay =
      first.year == last.year && first.month == last.month && first.day == last.day;
  const std::string end = sameDay ? ClockText(last) : DateText(last) + " " + ClockText(last);
  return ShownTime(firstUtc, zone) + " \u2013 " + WithClockName(end, lastUtcTime, zone);
}

CalendarDate LocalDayOf(long long utcSeconds, const LocalZone& zone) {
  const DateTime shown = zone.ToLocal(UtcDateTimeOf(utcSeconds));
  return CalendarDate{2000 + shown.year, shown.month, shown.day};
}

}  // namespace tavrin::gui
