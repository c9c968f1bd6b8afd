// SPDX-License-Identifier: GPL-3.0-or-later
// The NMEA text and the track log: $GPRMC sentences that GPS programs read like a receiver's.
#include <gtest/gtest.h>

#include <random>

#include "export/export_writer.h"
#include "export_test_support.h"

namespace tavrin {
namespace {

using test::At;

class NmeaExport : public test::ExportTest {
 protected:
  Result<std::string> Txt(std::span<const TrackPoint> points, int offsetMinutes = 0) {
    return Writer(offsetMinutes).MakeTxt(points, TrackPath());
  }
  Result<std::string> Log(std::span<const TrackPoint> points) {
    return Writer().MakeLog(points, TrackPath());
  }
};

TEST_F(NmeaExport, SentencesAreByteForByteAsDocumented) {
  const std::vector<TrackPoint> points = {
      At({15, 1, 2, 3, 4, 5}, 37.5f, 127.25f, kFix3D, 10, 90),
      At({14, 12, 31, 23, 59, 59}, -33.5f, -70.75f, kFix3D, 0, 0),
      At({14, 12, 31, 23, 59, 59}, 0.0f, 0.0f, kFixNone, 0, 0)};
  const auto path = Txt(points);
  ASSERT_TRUE(path);
  EXPECT_EQ(*path, dir / "TXT/20150102_030405.txt");
  EXPECT_EQ(test::ReadText(*path),
            "$GPRMC,030405,A,3730.0000,N,12715.0000,E,5.40,90,020115,,*09\r\n"
            "$GPRMC,235959,A,3330.0000,S,07045.0000,W,0.00,0,311214,,*3C\r\n"
            "$GPRMC,235959,A,0000.0000,N,00000.0000,E,0.00,0,311214,,*36\r\n");
  EXPECT_EQ(opened.paths, std::vector<std::string>{*path});
}

TEST_F(NmeaExport, EmptyTrackGivesAnEmptyFileThatIsStillOpened) {
  const auto txt = Txt({});
  const auto log = Log({});
  ASSERT_TRUE(txt && log);
  EXPECT_EQ(test::ReadText(*txt), "");
  EXPECT_EQ(test::ReadText(*log), "");
  EXPECT_EQ(opened.paths, std::vector<std::string>{*txt});  // the log is never opened
}

TEST_F(NmeaExport, LogHoldsTheSameBytesAsTheTextAndIsReplacedOnExport) {
  std::vector<TrackPoint> points;
  for (int s = 0; s < 50; ++s) points.push_back(At({20, 6, 1, 12, 0, s}, 47.1f + s * 1e-4f, 8.5f));
  const auto log = Log({points.data(), 10});
  const auto replaced = Log(points);
  const auto txt = Txt(points);
  ASSERT_TRUE(log && replaced && txt);
  EXPECT_EQ(*log, dir / "DORVALE/20150102_030405.log");
  EXPECT_EQ(test::ReadText(*replaced), test::ReadText(*txt));
}

TEST_F(NmeaExport, TimesAreUtcAndGpsbabelReadsTheTrackBack) {
  // Random points over the whole globe, a second apart across midnight UTC, loaded with the
  // store's display offset of -3:30 the way an export command loads them.
  std::mt19937 random(11);
  std::uniform_real_distribution<float> lat(-89.9f, 89.9f), lon(-179.9f, 179.9f);
  std::uniform_int_distribution<int> byte(0, 179);
  std::vector<TrackPoint> utc;
  for (int i = 0; i < 300; ++i) {
    DateTime t{23, 12, 31, 23, 58, 0};
    t.second = i % 60;
    t.minute += i / 60;
    if (t.minute >= 60) t = {24, 1, 1, 0, t.minute - 60, t.second};
    utc.push_back(At(t, lat(random), lon(random), kFix3D, byte(random), 2 * byte(random)));
  }
  const PointVector loaded = LoadThroughStore(utc, -210);
  ASSERT_EQ(loaded.size(), utc.size());
  const auto path = Txt(loaded, -210);
  ASSERT_TRUE(path);

  const auto read = test::GpsbabelReads("nmea", *path);
  ASSERT_EQ(read.size(), utc.size());
  for (size_t i = 0; i < utc.size(); ++i) {
    // ddmm.mmmm holds a ten-thousandth of a minute: 1/600000 of a degree.
    EXPECT_NEAR(read[i].latitude, utc[i].latitude, 1e-6) << i;
    EXPECT_NEAR(read[i].longitude, utc[i].longitude, 1e-6) << i;
    EXPECT_EQ(read[i].time, test::IsoTime(utc[i].GetDateTime())) << i;
  }
}

}  // namespace
}  // namespace tavrin
