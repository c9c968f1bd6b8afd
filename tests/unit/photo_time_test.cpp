// SPDX-License-Identifier: GPL-3.0-or-later
// A photo's UTC time from what its camera wrote: the EXIF texts, the zone (its own offset, a
// zone with summer time, a fixed one) and the clock's error.
#include <gtest/gtest.h>

#include "photos/photo_time.h"
#include "test_support.h"

namespace tavrin {
namespace {

using photos::FormatUtc;

std::string UtcOf(const std::string& exifTime, const std::string& subSec, const std::string& offset,
                  const LocalZone& zone) {
  const auto time = photos::ParseCameraTime(exifTime, subSec, offset);
  if (!time) return "no time";
  return FormatUtc(photos::CameraTimeToUtc(*time, zone));
}

TEST(PhotoTime, OffsetTimeOriginalGivesTheZoneOverTheCameraZone) {
  const LocalZone tokyo = LocalZone::Fixed(9 * 60);
  EXPECT_EQ(UtcOf("2024:05:01 12:30:05", "", "+02:00", tokyo), "2024-05-01T10:30:05Z");
  EXPECT_EQ(UtcOf("2024:05:01 01:30:05", "", "-03:30", tokyo), "2024-05-01T05:00:05Z");
  EXPECT_EQ(UtcOf("2024:05:01 12:30:05", "", "", tokyo), "2024-05-01T03:30:05Z");
  // An offset that cannot be read falls back on the camera zone.
  EXPECT_EQ(UtcOf("2024:05:01 12:30:05", "", "+2", tokyo), "2024-05-01T03:30:05Z");
}

TEST(PhotoTime, SubSecondsAreTheDigitsAfterThePoint) {
  const LocalZone utc;
  EXPECT_EQ(UtcOf("2024:05:01 12:30:05", "5", "", utc), "2024-05-01T12:30:05.5Z");
  EXPECT_EQ(UtcOf("2024:05:01 12:30:05", "25", "", utc), "2024-05-01T12:30:05.25Z");
  EXPECT_EQ(UtcOf("2024:05:01 12:30:05", "050", "", utc), "2024-05-01T12:30:05.05Z");
  EXPECT_EQ(UtcOf("2024:05:01 12:30:05", "x1", "", utc), "2024-05-01T12:30:05Z");
}

TEST(PhotoTime, DatesTheCalendarLacksAreNoTime) {
  const LocalZone utc;
  for (const char* text : {"2024:02:30 12:00:00", "2024:13:01 12:00:00", "2024:05:01 24:00:00",
                           "0000:00:00 00:00:00", "2024-05-01 12:00:00", "    :  :     :  :  "}) {
    EXPECT_EQ(UtcOf(text, "", "", utc), "no time") << text;
  }
  EXPECT_EQ(UtcOf("2024:02:29 23:59:59", "", "", utc), "2024-02-29T23:59:59Z");
  EXPECT_EQ(UtcOf("1999:12:31 23:59:59", "", "", utc), "1999-12-31T23:59:59Z");
}

TEST(PhotoTime, AZoneWithSummerTimeUsesTheOffsetOfThatDate) {
  test::ScopedTimeZone machine("Asia/Seoul");  // the computer's zone plays no part
  const auto berlin = LocalZone::Named("Europe/Berlin", true);
  ASSERT_TRUE(berlin);
  EXPECT_EQ(UtcOf("2024:01:15 12:00:00", "", "", *berlin), "2024-01-15T11:00:00Z");
  EXPECT_EQ(UtcOf("2024:07:15 12:00:00", "", "", *berlin), "2024-07-15T10:00:00Z");
  // The hour repeated in October: the earlier instant, still in summer time.
  EXPECT_EQ(UtcOf("2024:10:27 02:30:00", "", "", *berlin), "2024-10-27T00:30:00Z");
  EXPECT_EQ(UtcOf("2024:10:27 03:30:00", "", "", *berlin), "2024-10-27T02:30:00Z");
  // The hour skipped in March is read with winter's offset.
  EXPECT_EQ(UtcOf("2024:03:31 02:30:00", "", "", *berlin), "2024-03-31T01:30:00Z");
  EXPECT_EQ(UtcOf("2024:03:31 03:30:00", "", "", *berlin), "2024-03-31T01:30:00Z");
  // Without summer time the standard offset holds all year.
  const auto standard = LocalZone::Named("Europe/Berlin", false);
  EXPECT_EQ(UtcOf("2024:07:15 12:00:00", "", "", *standard), "2024-07-15T11:00:00Z");
}

TEST(PhotoTime, ClockOffsetsAreSignedHoursMinutesAndSeconds) {
  std::string why;
  EXPECT_EQ(photos::ParseClockOffset("+00:01:30", why), 90);
  EXPECT_EQ(photos::ParseClockOffset("-01:00:05", why), -3605);
  for (const char* bad : {"00:01:30", "+0:01:30", "+00:60:00", "+00:01", "+00:01:30x", ""}) {
    EXPECT_FALSE(photos::ParseClockOffset(bad, why)) << bad;
    EXPECT_NE(why.find("+HH:MM:SS"), std::string::npos) << why;
  }
}

TEST(PhotoTime, TheTrueTimeIsReadInTheZoneGivenUnlessItNamesItsOwn) {
  std::string why;
  const auto berlin = LocalZone::Named("Europe/Berlin", true);
  const auto summer = photos::ParseTrueTime("2024-07-15 12:00:07", *berlin, why);
  ASSERT_TRUE(summer) << why;
  EXPECT_EQ(FormatUtc(*summer), "2024-07-15T10:00:07Z");
  EXPECT_EQ(FormatUtc(*photos::ParseTrueTime("2024-07-15T12:00:07Z", *berlin, why)),
            "2024-07-15T12:00:07Z");
  EXPECT_EQ(FormatUtc(*photos::ParseTrueTime("2024-07-15 12:00:07+09:00", *berlin, why)),
            "2024-07-15T03:00:07Z");
  EXPECT_FALSE(photos::ParseTrueTime("2024-02-30 12:00:00", *berlin, why));
  EXPECT_FALSE(photos::ParseTrueTime("12:00:00", *berlin, why));
}

}  // namespace
}  // namespace tavrin
