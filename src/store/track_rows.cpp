// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/track_rows.h"

#include <cmath>
#include <cstdio>

namespace tavrin {

namespace {

// Rows are formatted by the ten thousand when a folder is listed, so the integer fields are
// written by hand; only the fractional ones go through printf, whose rounding they must match.
void AppendInt(std::string& out, long long value, int width = 0) {
  char text[32];
  char* end = text + sizeof text;
  char* p = end;
  const bool negative = value < 0;
  unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(value)
                                          : static_cast<unsigned long long>(value);
  do {
    *--p = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  while (end - p < width && p > text + 1) *--p = '0';
  if (negative) *--p = '-';
  out.append(p, end);
}

std::string IntText(long long value, int width = 0) {
  std::string out;
  AppendInt(out, value, width);
  return out;
}

// Three two-digit fields joined by `separator`, after `prefix`: "20yy-mm-dd", "hh:mm:ss".
std::string TwoDigitFields(const char* prefix, int a, int b, int c, char separator) {
  std::string out = prefix;
  out.reserve(out.size() + 8);
  AppendInt(out, a, 2);
  out += separator;
  AppendInt(out, b, 2);
  out += separator;
  AppendInt(out, c, 2);
  return out;
}

std::string DateText(int year, int month, int day) {
  return TwoDigitFields("20", year, month, day, '-');
}

std::string TimeText(int hour, int minute, int second) {
  return TwoDigitFields("", hour, minute, second, ':');
}

std::string HeaderDateTimeText(const DateTime6& dt) {
  return DateText(dt[0], dt[1], dt[2]) + ' ' + TimeText(dt[3], dt[4], dt[5]);
}

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char text[96];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

// "%.2fKm" of metres / 1000. Exact in integers except where the third decimal is a 5, where the
// binary value of the quotient decides the rounding as printf sees it.
std::string KilometresText(uint32_t metres) {
  if (metres % 10 == 5) return Format("%.2fKm", metres / 1000.0);
  const uint32_t hundredths = (metres + 5) / 10;
  std::string out = IntText(hundredths / 100);
  out += '.';
  AppendInt(out, hundredths % 100, 2);
  return out + "Km";
}

// The same in miles: "%.2fmi" of the metres in miles.
std::string DistanceText(uint32_t metres, Units units) {
  if (units == Units::Metric) return KilometresText(metres);
  return Format("%.2fmi", ShownDistance(metres / 1000.0, units));
}

// A clock time of the hour that summer time's end repeats, with the zone's name for it.
std::string WithClockName(std::string text, const std::string& repeatedClock) {
  if (!repeatedClock.empty()) text += ' ' + repeatedClock;
  return text;
}

}  // namespace

EntryRow EntryRowTexts(const RowFigures& entry, int number, Units units) {
  const TrackHeader& h = entry.header;
  // The elapsed field is unsigned on disk but a track whose clock went back holds a negative
  // difference; it is shown signed, as it was computed.
  const int elapsed = static_cast<int>(h.elapsedSeconds);
  std::string driveTime = IntText(elapsed / 3600);
  driveTime += ':';
  AppendInt(driveTime, elapsed % 3600 / 60);
  driveTime += ':';
  AppendInt(driveTime, elapsed % 60);
  return EntryRow{
      IntText(number, 4),
      WithClockName(HeaderDateTimeText(h.firstDateTime), entry.firstRepeatedClock),
      WithClockName(HeaderDateTimeText(h.lastDateTime), entry.lastRepeatedClock),
      std::move(driveTime),
      DistanceText(h.distance, units),
      units == Units::Metric ? Format("%.1fKm/h", entry.averageSpeed)
                             : Format("%.1fmph", ShownSpeed(entry.averageSpeed, units)),
      IntText(static_cast<int>(h.pointCount)),
  };
}

PointRow PointRowTexts(const TrackPoint& point, int number, Units units) {
  return PointRow{
      IntText(number),
      DateText(point.Year(), point.Month(), point.Day()),
      TimeText(point.Hour(), point.Minute(), point.Second()),
      FixKindLetter(point.FixKind()),
      Format("%.4f", static_cast<double>(point.latitude)),
      Format("%.4f", static_cast<double>(point.longitude)),
      IntText(point.HeadingDegrees()),
      units == Units::Metric ? IntText(point.speed)
                             : IntText(std::lround(ShownSpeed(point.speed, units))),
  };
}

PointRow ShownPointRow(LocalTimes& times, const TrackPoint& point, int number, Units units) {
  PointRow row = PointRowTexts(times.Shown(point), number, units);
  row[2] = WithClockName(std::move(row[2]), times.RepeatedClockName(point));
  return row;
}

std::string ShownDateTimeText(long long utcSeconds, const LocalZone& zone) {
  const DateTime utc = FromCalendarSeconds(utcSeconds);
  const DateTime shown = zone.ToLocal(utc);
  return WithClockName(DateText(shown.year, shown.month, shown.day) + ' ' +
                           TimeText(shown.hour, shown.minute, shown.second),
                       zone.RepeatedClockName(utc));
}

std::string ShownTimeText(long long utcSeconds, const LocalZone& zone) {
  const DateTime utc = FromCalendarSeconds(utcSeconds);
  const DateTime shown = zone.ToLocal(utc);
  return WithClockName(TimeText(shown.hour, shown.minute, shown.second),
                       zone.RepeatedClockName(utc));
}

}  // namespace tavrin
