// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/track_point.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "test_support.h"

namespace tavrin {
namespace {

using test::Point;

std::array<uint8_t, 16> Bytes(const TrackPoint& p) {
  std::array<uint8_t, 16> b;
  std::memcpy(b.data(), &p, 16);
  return b;
}

TEST(SavelogLayout, PacksDateTimeWordAndFlagsBitForBit) {
  TrackPoint p = MakePoint(DateTime{15, 3, 13, 9, 7, 6}, kFix2D, 1.0f, 2.0f, 200, 358);
  const auto b = Bytes(p);
  EXPECT_EQ(b[0], 0x40 | 0x20 | 3);  // bit 6 set, fix kind 2, month 3
  EXPECT_EQ(b[1], 200);
  EXPECT_EQ(b[2], 179);
  EXPECT_EQ(b[3], 0);
  EXPECT_EQ((std::array<uint8_t, 4>{b[8], b[9], b[10], b[11]}),
            (std::array<uint8_t, 4>{0x0F, 0x4D, 0x72, 0x18}));
  float lat, lon;
  std::memcpy(&lat, &b[4], 4);
  std::memcpy(&lon, &b[12], 4);
  EXPECT_EQ(lat, 1.0f);
  EXPECT_EQ(lon, 2.0f);
  EXPECT_EQ(p.GetDateTime(), (DateTime{15, 3, 13, 9, 7, 6}));
  EXPECT_EQ(p.FixKind(), kFix2D);
  EXPECT_EQ(p.HeadingDegrees(), 358);
}

TEST(SavelogLayout, DecodesEveryFieldAtItsWidestValue) {
  TrackPoint p;
  const uint8_t raw[16] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
  std::memcpy(&p, raw, 16);
  EXPECT_EQ(p.Month(), 15);
  EXPECT_EQ(p.FixKind(), 3);
  EXPECT_TRUE(p.IsDeleted());
  EXPECT_EQ(p.GetDateTime(), (DateTime{127, 15, 63, 63, 63, 63}));
}

TEST(SavelogLayout, SettingDateTimeKeepsReservedAndMarkBits) {
  TrackPoint p = Point(20, 1, 1, 0, 0, 0);
  p.dateTime |= 0x80;  // reserved bit
  p.mark = 0x80;
  p.SetDateTime(DateTime{21, 12, 31, 23, 59, 59});
  EXPECT_EQ(p.dateTime & 0x80, 0x80u);
  EXPECT_TRUE(p.IsDeleted());
  EXPECT_EQ(p.GetDateTime(), (DateTime{21, 12, 31, 23, 59, 59}));
  EXPECT_EQ(p.monthFix & 0xF0, 0x70);  // bit 6 and fix kind 3 untouched
}

TEST(TimeZoneOffsetSplit, FloorsTowardMinusInfinity) {
  struct Case {
    int total, hours, minutes;
  };
  for (const Case& c : {Case{540, 9, 0}, Case{330, 5, 30}, Case{-210, -4, 30}, Case{-30, -1, 30},
                        Case{-240, -4, 0}, Case{-330, -6, 30}, Case{0, 0, 0}, Case{-1, -1, 59}}) {
    const auto offset = TimeZoneOffset::FromMinutes(c.total);
    EXPECT_EQ(offset.hours, c.hours) << c.total;
    EXPECT_EQ(offset.minutes, c.minutes) << c.total;
    EXPECT_EQ(offset.TotalMinutes(), c.total);
  }
}

struct ShiftCase {
  DateTime from;
  int offsetMinutes;
  DateTime to;
};

class ShiftTest : public ::testing::TestWithParam<ShiftCase> {};

TEST_P(ShiftTest, CarriesIntoDayMonthAndYear) {
  const ShiftCase& c = GetParam();
  TrackPoint p = Point(c.from.year, c.from.month, c.from.day, c.from.hour, c.from.minute,
                       c.from.second, -33.5f, 151.25f, kFixTrackStart);
  p.mark = 0x80;
  p.dateTime |= 0x80;
  const TrackPoint before = p;
  ShiftPoint(p, TimeZoneOffset::FromMinutes(c.offsetMinutes));
  EXPECT_EQ(p.GetDateTime(), c.to);
  // Nothing but the calendar fields moves.
  EXPECT_EQ(p.mark, before.mark);
  EXPECT_EQ(p.FixKind(), before.FixKind());
  EXPECT_EQ(p.monthFix & 0xC0, before.monthFix & 0xC0);
  EXPECT_EQ(p.dateTime & 0x80, 0x80u);
  EXPECT_EQ(p.latitude, before.latitude);
  EXPECT_EQ(p.speed, before.speed);

  DateTime6 six = ToDateTime6(c.from);
  ShiftDateTime6(six, TimeZoneOffset::FromMinutes(c.offsetMinutes));
  EXPECT_EQ(FromDateTime6(six), c.to);
}

INSTANTIATE_TEST_SUITE_P(
    Offsets, ShiftTest,
    ::testing::Values(
        ShiftCase{{24, 2, 28, 23, 50, 1}, 60, {24, 2, 29, 0, 50, 1}},   // leap year
        ShiftCase{{23, 2, 28, 23, 50, 1}, 60, {23, 3, 1, 0, 50, 1}},    // common year
        ShiftCase{{20, 5, 5, 10, 30, 9}, 330, {20, 5, 5, 16, 0, 9}},    // minute carry
        ShiftCase{{10, 1, 1, 2, 0, 0}, -390, {9, 12, 31, 19, 30, 0}},   // back into last year
        ShiftCase{{24, 3, 1, 3, 15, 0}, -240, {24, 2, 29, 23, 15, 0}},  // back into February
        ShiftCase{{23, 12, 31, 20, 0, 0}, 540, {24, 1, 1, 5, 0, 0}},    // into next year
        ShiftCase{{23, 4, 30, 22, 0, 0}, 120, {23, 5, 1, 0, 0, 0}},     // 30-day month
        ShiftCase{{23, 5, 1, 0, 10, 0}, -30, {23, 4, 30, 23, 40, 0}},   // half-hour west
        ShiftCase{{23, 7, 14, 12, 0, 0}, 0, {23, 7, 14, 12, 0, 0}}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(Shift, DamagedMonthDoesNotReadOutsideTheMonthTable) {
  TrackPoint p = Point(23, 15, 31, 23, 0, 0);
  ShiftPoint(p, TimeZoneOffset::FromMinutes(120));
  EXPECT_EQ(p.Day(), 1);
  EXPECT_EQ(p.Hour(), 1);
}

TEST(Calendar, LeapYearsOfTheGregorianCalendar) {
  for (const int year : {2000, 2004, 2024, 2096, 1600, 2400, 0})
    EXPECT_TRUE(IsLeapYear(year)) << year;
  for (const int year : {2001, 2023, 2100, 1900, 2200, 2099})
    EXPECT_FALSE(IsLeapYear(year)) << year;
}

TEST(Calendar, DatesAndTimesAtEveryFieldsBounds) {
  struct Case {
    DateTime dt;
    bool real;
  };
  const Case cases[] = {
      {{24, 5, 1, 8, 0, 0}, true},
      {{0, 1, 1, 0, 0, 0}, true},        // the first moment a logger can name
      {{99, 12, 31, 23, 59, 59}, true},  // and the last
      {{-1, 12, 31, 0, 0, 0}, false},    // year before 2000
      {{100, 1, 1, 0, 0, 0}, false},     // year after 2099
      {{24, 0, 1, 0, 0, 0}, false},      // month
      {{24, 13, 1, 0, 0, 0}, false},
      {{24, 1, 0, 0, 0, 0}, false},  // day
      {{24, 1, 31, 0, 0, 0}, true},
      {{24, 1, 32, 0, 0, 0}, false},
      {{24, 4, 30, 0, 0, 0}, true},
      {{24, 4, 31, 0, 0, 0}, false},
      {{24, 2, 29, 0, 0, 0}, true},  // leap year
      {{24, 2, 30, 0, 0, 0}, false},
      {{23, 2, 28, 0, 0, 0}, true},
      {{23, 2, 29, 0, 0, 0}, false},  // common year
      {{0, 2, 29, 0, 0, 0}, true},    // 2000 divides by 400
      {{24, 1, 1, -1, 0, 0}, false},  // hour
      {{24, 1, 1, 24, 0, 0}, false},
      {{24, 1, 1, 0, -1, 0}, false},  // minute
      {{24, 1, 1, 0, 60, 0}, false},
      {{24, 1, 1, 0, 0, -1}, false},  // second
      {{24, 1, 1, 0, 0, 60}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsCalendarDateTime(c.dt), c.real) << FormatDateTime(c.dt);
  }
}

TEST(Calendar, FullYearDatesAndMonthLengths) {
  EXPECT_TRUE(IsCalendarDate(2100, 2, 28));
  EXPECT_FALSE(IsCalendarDate(2100, 2, 29));  // a century, not divisible by 400
  EXPECT_TRUE(IsCalendarDate(2400, 2, 29));
  EXPECT_FALSE(IsCalendarDate(2024, 0, 1));
  EXPECT_EQ(DaysInMonth(13, 2024), 0);
  EXPECT_EQ(DaysInMonth(2, 2024), 29);
  EXPECT_EQ(DaysInMonth(2, 2023), 28);
  EXPECT_EQ(DaysInMonth(9, 2023), 30);
  EXPECT_EQ(MonthLength(2, 24), 29);
  EXPECT_EQ(MonthLength(2, 100), 28);  // 2100
  EXPECT_EQ(MonthLength(0, 24), 31);   // a damaged month stays inside the table
  EXPECT_TRUE(IsTimeOfDay(23, 59, 59));
  EXPECT_FALSE(IsTimeOfDay(23, 59, 60));
}

TEST(SecondsBetween, SignedDifferenceAndEmptyPrevious) {
  EXPECT_EQ(SecondsBetween(Point(24, 1, 1, 0, 0, 0), Point(24, 1, 1, 0, 0, 1)), 1);
  EXPECT_EQ(SecondsBetween(Point(24, 1, 1, 0, 1, 0), Point(24, 1, 1, 0, 0, 0)), -60);
  EXPECT_EQ(SecondsBetween(TrackPoint{}, Point(24, 1, 1, 0, 0, 0)), 0);
  EXPECT_EQ(SecondsBetween(Point(23, 12, 31, 23, 59, 59), Point(24, 1, 1, 0, 0, 0)), 1);
  EXPECT_EQ(SecondsBetween(Point(24, 2, 28, 0, 0, 0), Point(24, 3, 1, 0, 0, 0)), 2 * 86400);
  // 30 February counts as 1 March.
  EXPECT_EQ(SecondsBetween(Point(23, 2, 28, 0, 0, 0), Point(23, 2, 30, 0, 0, 0)), 2 * 86400);
}

// Points hold UTC: the computer's own summer-time changes neither split a track at a gap that
// is not there nor add or lose an hour of drive time.
TEST(SecondsBetween, AreUtcSecondsWhateverZoneTheComputerIsIn) {
  const test::ScopedTimeZone newYork("America/New_York");
  EXPECT_EQ(SecondsBetween(Point(24, 3, 10, 1, 59, 59), Point(24, 3, 10, 2, 0, 0)), 1);
  EXPECT_EQ(SecondsBetween(Point(24, 11, 3, 1, 59, 59), Point(24, 11, 3, 2, 0, 0)), 1);
  EXPECT_EQ(SecondsBetween(Point(24, 11, 3, 0, 30, 0), Point(24, 11, 3, 2, 30, 0)), 7200);
  EXPECT_EQ(ToCalendarSeconds(DateTime{24, 5, 1, 8, 5, 0}), 1714550700LL);
}

TEST(SecondsBetween, FailsOutsideCalendarRanges) {
  const TrackPoint good = Point(24, 1, 1, 0, 0, 0);
  for (const TrackPoint& bad :
       {Point(24, 13, 1, 0, 0, 0), Point(24, 1, 32, 0, 0, 0), Point(24, 1, 1, 24, 0, 0),
        Point(24, 1, 1, 0, 60, 0), Point(24, 1, 1, 0, 0, 60), Point(24, 1, 0, 0, 0, 0)}) {
    EXPECT_FALSE(SecondsBetween(good, bad).has_value()) << FormatDateTime(bad.GetDateTime());
    EXPECT_FALSE(SecondsBetween(bad, good).has_value()) << FormatDateTime(bad.GetDateTime());
  }
}

TEST(SecondsBetween, CountEveryHourOfTheDayTheComputersClocksGoForward) {
  test::ScopedTimeZone zone("Europe/Berlin");
  // Clocks went forward on 31 March 2024; the local calendar skips 02:00-03:00, UTC does not.
  EXPECT_EQ(SecondsBetween(Point(24, 3, 31, 1, 0, 0), Point(24, 3, 31, 4, 0, 0)), 3 * 3600);
}

TEST(Distance, MatchesTheLoggersTable) {
  EXPECT_EQ(
      DistanceMeters(Point(24, 1, 1, 0, 0, 0, 10.0f, 5.0f), Point(24, 1, 1, 0, 0, 1, 10.01f, 5.0f)),
      1111u);
  EXPECT_EQ(DistanceMeters(Point(24, 1, 1, 0, 0, 0, 45.0f, 10.0f),
                           Point(24, 1, 1, 0, 0, 1, 45.0f, 10.01f)),
            786u);
  EXPECT_DOUBLE_EQ(LongitudeFactor(45.0), 7.8573);
  EXPECT_DOUBLE_EQ(LongitudeFactor(44.6), 7.8573);  // rounds to the nearest degree
  EXPECT_DOUBLE_EQ(LongitudeFactor(80.4), 1.9296);
}

TEST(Distance, ZeroForTrackStartOrEmptyPrevious) {
  const TrackPoint far = Point(24, 1, 1, 0, 0, 1, 50.0f, 50.0f);
  EXPECT_EQ(DistanceMeters(Point(24, 1, 1, 0, 0, 0, 10.0f, 5.0f),
                           Point(24, 1, 1, 0, 0, 1, 50.0f, 50.0f, kFixTrackStart)),
            0u);
  EXPECT_EQ(DistanceMeters(TrackPoint{}, far), 0u);
}

TEST(Distance, SouthernAndPolarLatitudesUseTheAbsoluteLatitude) {
  // South mirrors north.
  EXPECT_EQ(DistanceMeters(Point(24, 1, 1, 0, 0, 0, -45.0f, 10.0f),
                           Point(24, 1, 1, 0, 0, 1, -45.0f, 10.01f)),
            786u);
  EXPECT_DOUBLE_EQ(LongitudeFactor(-33.5), LongitudeFactor(33.5));
  // Beyond 80.5 degrees the table ends and the cosine takes over.
  EXPECT_NEAR(LongitudeFactor(85.0), 11.112 * std::cos(85.0 * M_PI / 180.0), 1e-12);
  EXPECT_NEAR(LongitudeFactor(-89.9), 11.112 * std::cos(89.9 * M_PI / 180.0), 1e-12);
  const uint32_t polar = DistanceMeters(Point(24, 1, 1, 0, 0, 0, 85.0f, 10.0f),
                                        Point(24, 1, 1, 0, 0, 1, 85.0f, 10.1f));
  EXPECT_NEAR(polar, 968.5, 1.0);  // 0.1 degree of longitude at 85 degrees
}

TEST(Distance, GarbagePositionsGiveNoDistance) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(DistanceMeters(Point(24, 1, 1, 0, 0, 0, nan, 1.0f), Point(24, 1, 1, 0, 0, 1)), 0u);
  EXPECT_EQ(DistanceMeters(Point(24, 1, 1, 0, 0, 0), Point(24, 1, 1, 0, 0, 1, inf, 1.0f)), 0u);
  EXPECT_EQ(DistanceMeters(Point(24, 1, 1, 0, 0, 0, 0, 0), Point(24, 1, 1, 0, 0, 1, 3e38f, 3e38f)),
            std::numeric_limits<uint32_t>::max());
}

}  // namespace
}  // namespace tavrin
