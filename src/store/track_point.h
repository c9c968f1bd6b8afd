// SPDX-License-Identifier: GPL-3.0-or-later
// One recorded track point, bit for bit as the logger, the track files and the lists hold it,
// and the small computations done on points: calendar fields, time gaps, distances and the
// shift of a date-time into the user's time zone.
#pragma once

#include <array>
#include <bit>
#include <compare>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tavrin {

static_assert(std::endian::native == std::endian::little,
              "track files are little-endian and are read and written as whole records");

// Fix kinds as the logger reports them. 0 marks the first point of a new track.
enum FixKind : int { kFixTrackStart = 0, kFixNone = 1, kFix2D = 2, kFix3D = 3 };

// Calendar fields of a point or header. `year` is the two-digit year (year - 2000).
// Plain ints so that shifting can step outside a field's range before carrying.
struct DateTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;

  // Field by field, year first: the order of calendar date-times.
  friend auto operator<=>(const DateTime&, const DateTime&) = default;
};

// The six-byte form in which track headers hold a date-time: year - 2000, month, day, hour,
// minute, second.
using DateTime6 = std::array<uint8_t, 6>;

DateTime FromDateTime6(const DateTime6& six);
DateTime6 ToDateTime6(const DateTime& dt);

// The user's offset from UTC: whole hours (signed) plus minutes 0-59 that add up to it.
struct TimeZoneOffset {
  int hours = 0;
  int minutes = 0;

  // Splits a total in minutes with floor division: -210 gives -4 h + 30 min.
  static TimeZoneOffset FromMinutes(int totalMinutes);
  int TotalMinutes() const { return hours * 60 + minutes; }
  bool IsZero() const { return hours == 0 && minutes == 0; }
  friend bool operator==(const TimeZoneOffset&, const TimeZoneOffset&) = default;
};

// 16-byte track point. Byte 0: month (bits 0-3), fix kind (4-5), bit 6 set on every point we
// record. Bytes 8-11 pack year (0-6), a reserved bit (7), day (8-13), hour (14-19), minute
// (20-25) and second (26-31).
struct TrackPoint {
  uint8_t monthFix = 0;
  uint8_t speed = 0;    // km/h
  uint8_t heading = 0;  // units of 2 degrees
  uint8_t mark = 0;     // bit 7: deleted by the user, waiting for compaction
  float latitude = 0;   // degrees, north positive
  uint32_t dateTime = 0;
  float longitude = 0;  // degrees, east positive

  int Month() const { return monthFix & 0x0F; }
  int FixKind() const { return (monthFix >> 4) & 3; }
  bool IsEmpty() const { return Month() == 0; }
  bool IsDeleted() const { return (mark & 0x80) != 0; }
  int Year() const { return dateTime & 0x7F; }
  int Day() const { return (dateTime >> 8) & 0x3F; }
  int Hour() const { return (dateTime >> 14) & 0x3F; }
  int Minute() const { return (dateTime >> 20) & 0x3F; }
  int Second() const { return dateTime >> 26; }
  int HeadingDegrees() const { return heading * 2; }

  DateTime GetDateTime() const;
  // Writes the calendar fields, each cut to its bit width; the reserved bit stays as it was.
  void SetDateTime(const DateTime& dt);
  void SetFixKind(int kind) {
    monthFix = static_cast<uint8_t>((monthFix & ~0x30) | ((kind & 3) << 4));
  }
  void SetDeleted(bool deleted) {
    mark = static_cast<uint8_t>(deleted ? (mark | 0x80) : (mark & 0x7F));
  }
};
static_assert(sizeof(TrackPoint) == 16, "a track point is 16 bytes on disk");

// Point lists grow by the million when a long track is loaded. Growing one with resize() leaves
// the new points unwritten instead of zeroing them first, because the loader fills them at once
// from the file. A TrackPoint is a plain aggregate of bytes, so skipping the zeroing is safe.
template <typename T>
struct UninitializedGrowth : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UninitializedGrowth<U>;
  };
  UninitializedGrowth() = default;
  template <typename U>
  UninitializedGrowth(const UninitializedGrowth<U>&) noexcept {}
  template <typename U>
  void construct(U*) noexcept {}
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};
using PointVector = std::vector<TrackPoint, UninitializedGrowth<TrackPoint>>;

// Builds a point the way the download records it: bit 6 of byte 0 set, reserved bits clear.
TrackPoint MakePoint(const DateTime& dt, int fixKind, float latitude, float longitude, int speedKmh,
                     int headingDegrees);

// "S" for a track start, "V" for no fix, "A" for a 2D or 3D fix.
const char* FixKindLetter(int fixKind);

// "20yy-mm-dd hh:mm:ss", for messages.
std::string FormatDateTime(const DateTime& dt);

// The Gregorian calendar: every fourth year is a leap year, except centuries not divisible by 400.
bool IsLeapYear(int fullYear);
// Days in a month (1-12) of a full year; 0 for a month the calendar does not have.
int DaysInMonth(int month, int fullYear);
// A date the calendar has.
bool IsCalendarDate(int fullYear, int month, int day);
// 00:00:00 to 23:59:59.
bool IsTimeOfDay(int hour, int minute, int second);
// A real date and time of day within the years 2000-2099 that a logger's date-time can name.
bool IsCalendarDateTime(const DateTime& dt);

// Days in a month of the given two-digit year. Months outside 1-12 count as 31 days so that
// shifting a damaged point cannot index outside the table.
int MonthLength(int month, int year);

// Seconds since the epoch of a UTC date-time (as every point and header holds), whatever zone
// the computer is in: its summer-time changes must neither split a track nor alter a drive
// time. Empty when a field lies outside its calendar range (month 1-12, day 1-31, hour 0-23,
// minute and second 0-59). Unlike IsCalendarDateTime, a day past the month's end counts on into
// the next month (30 February is 1 or 2 March), so that a point the logger dated so still has
// a time gap to its neighbours.
std::optional<long long> ToCalendarSeconds(const DateTime& dt);
// The UTC date-time of seconds since the epoch, by arithmetic alone (no C library call and its
// locking: a million points call this a million times).
DateTime FromCalendarSeconds(long long utcSeconds);

// Seconds from `previous` to `next` (negative when the clock went back); 0 when `previous` is
// empty. Empty when either date-time cannot be converted.
std::optional<long long> SecondsBetween(const TrackPoint& previous, const TrackPoint& next);

// Kilometres per 0.1 degree of longitude at a latitude: the logger's table for |latitude| below
// 80.5 degrees, 11.112 x cos(latitude) above.
double LongitudeFactor(double latitude);

// Whole metres from `previous` to `next`; 0 for a track start, an empty previous point or a
// position that is not a number.
uint32_t DistanceMeters(const TrackPoint& previous, const TrackPoint& next);

// Moves a date-time by the offset, carrying at most one day in either direction.
void ShiftDateTime(DateTime& dt, TimeZoneOffset offset);
// The same on a point: only month, year, day, hour and minute change.
void ShiftPoint(TrackPoint& point, TimeZoneOffset offset);
void ShiftDateTime6(DateTime6& six, TimeZoneOffset offset);

}  // namespace tavrin
