// SPDX-License-Identifier: GPL-3.0-or-later
// Zones of the time-zone database against the offsets each had on a date: summer time starting
// and ending, summer time that is not an hour, the standard offset all year without it, and the
// computer's own zone.
#include "store/local_zone.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>

#include "test_support.h"

namespace tavrin {
namespace {

struct ZoneCase {
  const char* zone;
  bool summerTime;
  DateTime utc;
  DateTime shown;
};

void PrintTo(const ZoneCase& c, std::ostream* os) {
  *os << c.zone << (c.summerTime ? " with" : " without") << " summer time at "
      << FormatDateTime(c.utc) << " UTC";
}

class ZoneDates : public ::testing::TestWithParam<ZoneCase> {};

TEST_P(ZoneDates, ShowTheOffsetOfTheirOwnDate) {
  const ZoneCase& c = GetParam();
  const auto zone = LocalZone::Named(c.zone, c.summerTime);
  ASSERT_TRUE(zone) << c.zone;
  EXPECT_EQ(zone->ToLocal(c.utc), c.shown);
  EXPECT_EQ(zone->ToLocal(ToDateTime6(c.utc)), ToDateTime6(c.shown)) << "headers alike";
}

INSTANTIATE_TEST_SUITE_P(
    Zones, ZoneDates,
    ::testing::Values(
        // New York: EST (-5) in winter, EDT (-4) from 10 March to 3 November 2024.
        ZoneCase{"America/New_York", true, {24, 5, 1, 8, 5, 0}, {24, 5, 1, 4, 5, 0}},
        ZoneCase{"America/New_York", true, {24, 1, 15, 13, 0, 7}, {24, 1, 15, 8, 0, 7}},
        ZoneCase{"America/New_York", true, {24, 3, 10, 6, 59, 59}, {24, 3, 10, 1, 59, 59}},
        ZoneCase{"America/New_York", true, {24, 3, 10, 7, 0, 0}, {24, 3, 10, 3, 0, 0}},
        // The autumn change: 01:00-01:59 is shown twice, an hour of UTC apart.
        ZoneCase{"America/New_York", true, {24, 11, 3, 5, 30, 0}, {24, 11, 3, 1, 30, 0}},
        ZoneCase{"America/New_York", true, {24, 11, 3, 6, 30, 0}, {24, 11, 3, 1, 30, 0}},
        ZoneCase{"America/New_York", true, {24, 1, 1, 3, 0, 0}, {23, 12, 31, 22, 0, 0}},
        // Without summer time: the standard offset all year.
        ZoneCase{"America/New_York", false, {24, 5, 1, 8, 5, 0}, {24, 5, 1, 3, 5, 0}},
        ZoneCase{"America/New_York", false, {24, 11, 3, 5, 30, 0}, {24, 11, 3, 0, 30, 0}},
        // Southern summer: Sydney is +11 in January and +10 in July.
        ZoneCase{"Australia/Sydney", true, {24, 1, 15, 0, 0, 0}, {24, 1, 15, 11, 0, 0}},
        ZoneCase{"Australia/Sydney", true, {24, 7, 15, 0, 0, 0}, {24, 7, 15, 10, 0, 0}},
        ZoneCase{"Australia/Sydney", false, {24, 1, 15, 0, 0, 0}, {24, 1, 15, 10, 0, 0}},
        // Summer time of half an hour (Lord Howe: +10:30, +11 in summer) and of two (Troll).
        ZoneCase{"Australia/Lord_Howe", true, {24, 1, 15, 0, 0, 0}, {24, 1, 15, 11, 0, 0}},
        ZoneCase{"Australia/Lord_Howe", false, {24, 1, 15, 0, 0, 0}, {24, 1, 15, 10, 30, 0}},
        ZoneCase{"Antarctica/Troll", true, {24, 7, 1, 12, 0, 0}, {24, 7, 1, 14, 0, 0}},
        ZoneCase{"Antarctica/Troll", false, {24, 7, 1, 12, 0, 0}, {24, 7, 1, 12, 0, 0}},
        // A zone that moved its offset: Moscow was +3 with summer time until 2011, +4 all year
        // until 2014, and has been +3 since.
        ZoneCase{"Europe/Moscow", true, {10, 7, 1, 12, 0, 0}, {10, 7, 1, 16, 0, 0}},
        ZoneCase{"Europe/Moscow", false, {10, 7, 1, 12, 0, 0}, {10, 7, 1, 15, 0, 0}},
        ZoneCase{"Europe/Moscow", true, {13, 1, 1, 12, 0, 0}, {13, 1, 1, 16, 0, 0}},
        ZoneCase{"Europe/Moscow", true, {24, 7, 1, 12, 0, 0}, {24, 7, 1, 15, 0, 0}},
        ZoneCase{"UTC", true, {24, 7, 1, 12, 0, 0}, {24, 7, 1, 12, 0, 0}}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(LocalZone, FixedOffsetsShiftFieldByFieldAsBefore) {
  const LocalZone west = LocalZone::Fixed(-210);
  EXPECT_EQ(west.ToLocal(DateTime{24, 3, 1, 3, 15, 0}), (DateTime{24, 2, 29, 23, 45, 0}));
  EXPECT_TRUE(west.Name().empty());
  EXPECT_EQ(west.OffsetMinutesAt(0), -210);
  EXPECT_EQ(LocalZone().ToLocal(DateTime{24, 3, 1, 3, 15, 0}), (DateTime{24, 3, 1, 3, 15, 0}));
  // A damaged header moves as before with a fixed offset, and stays as it is in a named zone,
  // where it names no instant to look an offset up for.
  const DateTime damaged{0, 0, 0, 0, 0, 0};
  EXPECT_EQ(LocalZone::Fixed(60).ToLocal(damaged), (DateTime{0, 0, 0, 1, 0, 0}));
  EXPECT_EQ(LocalZone::Named("Asia/Seoul", true)->ToLocal(damaged), damaged);
}

TEST(LocalZone, OffsetsInMinutesFollowTheDate) {
  const auto york = LocalZone::Named("America/New_York", true);
  ASSERT_TRUE(york);
  const long long may2024 = 1714550700;  // 2024-05-01 08:05:00 UTC
  const long long jan2024 = 1705323600;  // 2024-01-15 13:00:00 UTC
  EXPECT_EQ(york->OffsetMinutesAt(may2024), -240);
  EXPECT_EQ(york->OffsetMinutesAt(jan2024), -300);
  EXPECT_EQ(york->StandardOffsetMinutesAt(may2024), -300);
  EXPECT_EQ(LocalZone::Named("America/New_York", false)->OffsetMinutesAt(may2024), -300);
  EXPECT_EQ(LocalZone::Named("Asia/Kolkata", true)->OffsetMinutesAt(may2024), 330);
}

TEST(LocalZone, OnlyNamesOfTheDatabaseAreZones) {
  EXPECT_EQ(LocalZone::Named("Asia/Seoul", false)->Name(), "Asia/Seoul");
  for (const char* name : {"Asia/Nowhere", "", "/etc/localtime", "../../etc/passwd", "Asia/../UTC",
                           "file:UTC", "EST5EDT,M3.2.0,M11.1.0"}) {
    EXPECT_FALSE(LocalZone::Named(name, true)) << name;
  }
}

TEST(LocalZone, SummerTimeIsToldForTheYearsALoggerRecords) {
  for (const char* name : {"America/New_York", "Europe/Berlin", "Australia/Sydney",
                           "Australia/Lord_Howe", "Europe/Moscow"}) {
    EXPECT_TRUE(ZoneHasSummerTime(name)) << name;
  }
  // Seoul kept summer time in 1987 and 1988 only; Kolkata and UTC never.
  for (const char* name : {"Asia/Seoul", "Asia/Kolkata", "UTC", "Asia/Nowhere", ""}) {
    EXPECT_FALSE(ZoneHasSummerTime(name)) << name;
  }
}

TEST(LocalZone, TheComputersZoneIsNamedFromTz) {
  const std::pair<const char*, const char*> cases[] = {
      {"America/New_York", "America/New_York"},
      {":Europe/Berlin", "Europe/Berlin"},
      {"/usr/share/zoneinfo/Asia/Seoul", "Asia/Seoul"},
      {":/usr/share/zoneinfo/posix/Australia/Sydney", "Australia/Sydney"},
      {"", "UTC"},
      {"EST5EDT,M3.2.0,M11.1.0", ""},
      {"/home/someone/zone", ""},
  };
  for (const auto& [tz, name] : cases) {
    test::ScopedTimeZone zone(tz);
    EXPECT_EQ(SystemTimeZoneName(), name) << tz;
  }
}

TEST(LocalTimes, ManyPointsMatchOneByOneAcrossTheAutumnChangeAndMidnight) {
  // 04:58 to 07:01 UTC on 3 November 2024, every 7 seconds: New York leaves summer time at 06:00.
  std::vector<TrackPoint> points;
  for (int s = 0; s < 123 * 60; s += 7) {
    points.push_back(test::Point(24, 11, 3, 4 + (58 + s / 60) / 60, (58 + s / 60) % 60, s % 60));
  }
  points[5].SetDeleted(true);
  points[7].dateTime |= 0x80;                           // a reserved bit: kept
  points.push_back(test::Point(24, 11, 3, 5, 30, 0));   // the clock went back: looked up again
  points.push_back(test::Point(24, 11, 4, 4, 59, 59));  // 23:59:59 the day before
  const auto york = LocalZone::Named("America/New_York", true);
  ASSERT_TRUE(york);
  LocalTimes shown(*york);
  for (const TrackPoint& point : points) {
    const TrackPoint expected = [&] {
      TrackPoint p = point;
      p.SetDateTime(york->ToLocal(point.GetDateTime()));
      return p;
    }();
    const TrackPoint actual = shown.Shown(point);
    ASSERT_EQ(std::memcmp(&expected, &actual, sizeof(TrackPoint)), 0)
        << FormatDateTime(point.GetDateTime()) << " shown as "
        << FormatDateTime(actual.GetDateTime());
  }
  EXPECT_EQ(shown.Of(points.back()), (DateTime{24, 11, 3, 23, 59, 59}));
  EXPECT_EQ(shown.Of(test::Point(24, 11, 3, 5, 59, 59)), (DateTime{24, 11, 3, 1, 59, 59}));
  EXPECT_EQ(shown.Of(test::Point(24, 11, 3, 6, 0, 0)), (DateTime{24, 11, 3, 1, 0, 0}));
}

}  // namespace
}  // namespace tavrin
