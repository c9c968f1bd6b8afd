// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/read_selection.h"

#include "protocol/nmea.h"

namespace tavrin::emulator {

bool IsBinaryMode(int mode) {
  return mode % 2 == 1;
}
bool IsNewMode(int mode) {
  return mode == kReadNewBinary || mode == kReadNewNmea;
}
bool IsPeriodMode(int mode) {
  return mode == kReadPeriodBinary || mode == kReadPeriodNmea;
}

namespace {

DateTime FromFields(std::string_view date, std::string_view time) {
  return FromDdmmyyHhmmss(ParseInteger(date), ParseInteger(time));
}

}  // namespace

Period ParsePeriod(std::string_view fromDate, std::string_view fromTime, std::string_view toDate,
                   std::string_view toTime) {
  return Period{FromFields(fromDate, fromTime), FromFields(toDate, toTime)};
}

bool InPeriod(const DateTime& t, const Period& period) {
  return period.from <= t && t <= period.to;
}

std::vector<TrackPoint> SelectPoints(const LoggerMemory& memory, int mode,
                                     const std::vector<std::string_view>& fields) {
  if (IsNewMode(mode)) {
    const auto fresh = memory.NewPoints();
    return std::vector<TrackPoint>(fresh.begin(), fresh.end());
  }
  if (!IsPeriodMode(mode)) return memory.points;
  const auto field = [&](size_t i) { return i < fields.size() ? fields[i] : std::string_view(); };
  const Period period = ParsePeriod(field(3), field(4), field(5), field(6));
  std::vector<TrackPoint> selected;
  for (const TrackPoint& p : memory.points) {
    if (InPeriod(p.GetDateTime(), period)) selected.push_back(p);
  }
  return selected;
}

}  // namespace tavrin::emulator
