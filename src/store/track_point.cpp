// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/track_point.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

#include "base/civil_date.h"
#include "base/longitude.h"

namespace tavrin {
namespace {

// Kilometres per 0.1 degree of longitude for whole degrees of latitude 0-80, as the logger's
// firmware tables them. Kept exactly: a fresh cosine differs in the fourth decimal.
constexpr std::array<double, 81> kLongitudeFactor = {
    11.112,  11.1103, 11.105,  11.0968, 11.0849, 11.0697, 11.0511, 11.0292, 11.0039,
    10.9752, 10.9432, 10.9078, 10.8692, 10.8272, 10.7819, 10.7334, 10.6815, 10.6264,
    10.5681, 10.5066, 10.4418, 10.3739, 10.3028, 10.2286, 10.1513, 10.0709, 9.9874,
    9.9008,  9.8113,  9.7187,  9.6232,  9.5248,  9.4235,  9.3192,  9.2122,  9.1024,
    8.9898,  8.8744,  8.7563,  8.6356,  8.5122,  8.3863,  8.2578,  8.1268,  7.9933,
    7.8573,  7.719,   7.5783,  7.4353,  7.2901,  7.1426,  6.993,   6.8412,  6.6873,
    6.5314,  6.3735,  6.2137,  6.052,   5.8884,  5.723,   5.5559,  5.3872,  5.2167,
    5.0447,  4.8711,  4.6961,  4.5196,  4.3418,  4.1626,  3.9821,  3.8005,  3.6177,
    3.4338,  3.2488,  3.0628,  2.876,   2.6882,  2.4996,  2.3103,  2.1202,  1.9296};

constexpr double kKmPerTenthDegreeLatitude = 11.112;
constexpr double kPi = 3.14159265358979323846;

constexpr uint32_t kYearMask = 0x7F;
constexpr int kDayShift = 8, kHourShift = 14, kMinuteShift = 20, kSecondShift = 26;
constexpr uint32_t kSixBits = 0x3F;

constexpr int kFirstYear = 2000;  // the logger's two-digit years count from here

}  // namespace

DateTime FromDateTime6(const DateTime6& six) {
  return DateTime{six[0], six[1], six[2], six[3], six[4], six[5]};
}

DateTime6 ToDateTime6(const DateTime& dt) {
  return DateTime6{static_cast<uint8_t>(dt.year),   static_cast<uint8_t>(dt.month),
                   static_cast<uint8_t>(dt.day),    static_cast<uint8_t>(dt.hour),
                   static_cast<uint8_t>(dt.minute), static_cast<uint8_t>(dt.second)};
}

TimeZoneOffset TimeZoneOffset::FromMinutes(int totalMinutes) {
  int hours = totalMinutes / 60;
  if (totalMinutes % 60 < 0) --hours;  // round toward minus infinity
  return TimeZoneOffset{hours, totalMinutes - hours * 60};
}

DateTime TrackPoint::GetDateTime() const {
  return DateTime{Year(), Month(), Day(), Hour(), Minute(), Second()};
}

void TrackPoint::SetDateTime(const DateTime& dt) {
  monthFix = static_cast<uint8_t>((monthFix & 0xF0) | (dt.month & 0x0F));
  const uint32_t reserved = dateTime & 0x80;
  dateTime = (static_cast<uint32_t>(dt.year) & kYearMask) | reserved |
             ((static_cast<uint32_t>(dt.day) & kSixBits) << kDayShift) |
             ((static_cast<uint32_t>(dt.hour) & kSixBits) << kHourShift) |
             ((static_cast<uint32_t>(dt.minute) & kSixBits) << kMinuteShift) |
             ((static_cast<uint32_t>(dt.second) & kSixBits) << kSecondShift);
}

TrackPoint MakePoint(const DateTime& dt, int fixKind, float latitude, float longitude, int speedKmh,
                     int headingDegrees) {
  TrackPoint p;
  p.monthFix = 0x40;  // bit 6 is set on every point the system records
  p.SetFixKind(fixKind);
  p.SetDateTime(dt);
  p.speed = static_cast<uint8_t>(speedKmh);
  p.heading = static_cast<uint8_t>(headingDegrees / 2);
  p.latitude = latitude;
  p.longitude = longitude;
  return p;
}

const char* FixKindLetter(int fixKind) {
  switch (fixKind) {
    case kFixTrackStart:
      return "S";
    case kFixNone:
      return "V";
    default:
      return "A";
  }
}

std::string FormatDateTime(const DateTime& dt) {
  char text[64];
  std::snprintf(text, sizeof text, "20%02d-%02d-%02d %02d:%02d:%02d", dt.year, dt.month, dt.day,
                dt.hour, dt.minute, dt.second);
  return text;
}

bool IsLeapYear(int fullYear) {
  return fullYear % 4 == 0 && (fullYear % 100 != 0 || fullYear % 400 == 0);
}

int DaysInMonth(int month, int fullYear) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  if (month == 2 && IsLeapYear(fullYear)) return 29;
  return kDays[month - 1];
}

bool IsCalendarDate(int fullYear, int month, int day) {
  return day >= 1 && day <= DaysInMonth(month, fullYear);
}

bool IsTimeOfDay(int hour, int minute, int second) {
  return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

bool IsCalendarDateTime(const DateTime& dt) {
  return dt.year >= 0 && dt.year <= 99 && IsCalendarDate(kFirstYear + dt.year, dt.month, dt.day) &&
         IsTimeOfDay(dt.hour, dt.minute, dt.second);
}

int MonthLength(int month, int year) {
  const int days = DaysInMonth(month, kFirstYear + year);
  return days == 0 ? 31 : days;
}

std::optional<long long> ToCalendarSeconds(const DateTime& dt) {
  const bool inRange = dt.year >= 0 && dt.month >= 1 && dt.month <= 12 && dt.day >= 1 &&
                       dt.day <= 31 && IsTimeOfDay(dt.hour, dt.minute, dt.second);
  if (!inRange) return std::nullopt;
  // By arithmetic rather than timegm(): a download or an import of a million points asks this
  // twice a point. A day past the month's end counts on into the next month, as timegm() does.
  return DaysOfCivilDate(2000 + dt.year, dt.month, dt.day) * 86400 + dt.hour * 3600LL +
         dt.minute * 60LL + dt.second;
}

DateTime FromCalendarSeconds(long long utcSeconds) {
  const long long days = DaysOfSeconds(utcSeconds);
  const long long secondOfDay = utcSeconds - days * 86400;
  const CivilDate date = CivilDateOfDays(days);
  return DateTime{static_cast<int>(date.year - 2000),
                  date.month,
                  date.day,
                  static_cast<int>(secondOfDay / 3600),
                  static_cast<int>(secondOfDay / 60 % 60),
                  static_cast<int>(secondOfDay % 60)};
}

std::optional<long long> SecondsBetween(const TrackPoint& previous, const TrackPoint& next) {
  if (previous.IsEmpty()) return 0LL;
  const auto from = ToCalendarSeconds(previous.GetDateTime());
  const auto to = ToCalendarSeconds(next.GetDateTime());
  if (!from || !to) return std::nullopt;
  return *to - *from;
}

double LongitudeFactor(double latitude) {
  const double absolute = std::fabs(latitude);
  if (absolute + 0.5 >= static_cast<double>(kLongitudeFactor.size())) {
    return kKmPerTenthDegreeLatitude * std::cos(absolute * kPi / 180.0);
  }
  return kLongitudeFactor[static_cast<size_t>(absolute + 0.5)];
}

uint32_t DistanceMeters(const TrackPoint& previous, const TrackPoint& next) {
  if (next.FixKind() == kFixTrackStart || previous.IsEmpty()) return 0;
  const double values[] = {previous.latitude, previous.longitude, next.latitude, next.longitude};
  for (double v : values) {
    if (!std::isfinite(v)) return 0;
  }
  const double dLat = static_cast<double>(previous.latitude) - static_cast<double>(next.latitude);
  const double dLon = LongitudeStep(next.longitude, previous.longitude);
  const double x = dLon * LongitudeFactor(next.latitude);
  const double y = dLat * kKmPerTenthDegreeLatitude;
  const double meters = std::sqrt(x * x + y * y) * 10000.0 + 0.5;
  if (!(meters < static_cast<double>(std::numeric_limits<uint32_t>::max()))) {
    return std::numeric_limits<uint32_t>::max();
  }
  return static_cast<uint32_t>(meters);
}

void ShiftDateTime(DateTime& dt, TimeZoneOffset offset) {
  dt.minute += offset.minutes;
  if (dt.minute >= 60) {
    dt.minute -= 60;
    dt.hour += 1;
  }
  dt.hour += offset.hours;
  if (dt.hour >= 24) {
    dt.hour -= 24;
    dt.day += 1;
    const int length = MonthLength(dt.month, dt.year);
    if (dt.day > length) {
      dt.day -= length;
      dt.month += 1;
      if (dt.month == 13) {
        dt.month = 1;
        dt.year += 1;
      }
    }
  } else if (dt.hour < 0) {
    dt.hour += 24;
    dt.day -= 1;
    if (dt.day == 0) {
      dt.month -= 1;
      if (dt.month == 0) {
        dt.month = 12;
        dt.year -= 1;
        dt.day = 31;
      } else {
        dt.day = MonthLength(dt.month, dt.year);
      }
    }
  }
}

void ShiftPoint(TrackPoint& point, TimeZoneOffset offset) {
  DateTime dt = point.GetDateTime();
  ShiftDateTime(dt, offset);
  point.SetDateTime(dt);
}

void ShiftDateTime6(DateTime6& six, TimeZoneOffset offset) {
  DateTime dt = FromDateTime6(six);
  ShiftDateTime(dt, offset);
  six = ToDateTime6(dt);
}

}  // namespace tavrin
