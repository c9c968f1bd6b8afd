// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/records/speed_graph.h"

#include "base/civil_date.h"

namespace tavrin::gui {
namespace {

long long UtcSeconds(const TrackPoint& point) {
  return ToCalendarSeconds(point.GetDateTime()).value_or(0);
}

}  // namespace

SpeedGraphClock::SpeedGraphClock(const TrackPoint& recordStart, LocalZone zone)
    : zone_(std::move(zone)) {
  const long long start = UtcSeconds(recordStart);
  const long long local = start + zone_.OffsetMinutesAt(start) * 60LL;
  midnight_ = start - (local - DaysOfSeconds(local) * 86400);
}

std::vector<PlotValue> SpeedGraphClock::Speeds(const PointVector& points, Units units) const {
  std::vector<PlotValue> values(points.size());
  long long seconds = midnight_;
  for (size_t i = 0; i < points.size(); ++i) {
    // A point whose date-time names no instant is drawn where the one before it was.
    if (const auto utc = ToCalendarSeconds(points[i].GetDateTime())) seconds = *utc;
    values[i] = {static_cast<float>(seconds - midnight_),
                 static_cast<float>(ShownSpeed(points[i].speed, units))};
  }
  return values;
}

QString SpeedGraphClock::Label(double x, double step) const {
  const long long utc = midnight_ + std::llround(x);
  const long long local = utc + zone_.OffsetMinutesAt(utc) * 60LL;
  const long long days = DaysOfSeconds(local);
  if (step >= 86400) {
    const CivilDate date = CivilDateOfDays(days);
    return QString::asprintf("%02d-%02d", date.month, date.day);
  }
  const long long second = local - days * 86400;
  const int hour = static_cast<int>(second / 3600), minute = static_cast<int>(second / 60 % 60);
  if (step < 60) return QString::asprintf("%02d:%02d:%02d", hour, minute, int(second % 60));
  return QString::asprintf("%02d:%02d", hour, minute);
}

}  // namespace tavrin::gui
