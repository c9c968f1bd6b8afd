// SPDX-License-Identifier: GPL-3.0-or-later
// GPX 1.1: must validate against the published schema and read back the same in gpsbabel.
#include <gtest/gtest.h>

#include <cmath>

#include "export/export_writer.h"
#include "export_test_support.h"

namespace tavrin {
namespace {

using test::At;

class GpxExport : public test::ExportTest {
 protected:
  Result<std::string> Gpx(std::span<const TrackPoint> points, int offsetMinutes = 0) {
    return Writer(offsetMinutes).MakeGpx(points, TrackPath());
  }
};

TEST_F(GpxExport, TrackMatchesTheGoldenFileAndValidates) {
  const std::vector<TrackPoint> points = {
      At({15, 1, 2, 3, 4, 5}, 37.5f, 127.25f, 0, 36, 90),
      At({15, 1, 2, 3, 4, 6}, 37.5001f, 127.2501f, kFix3D, 0, 358),
      At({15, 1, 2, 3, 4, 7}, 37.5002f, 127.2502f, kFix2D, 255, 0),
      At({15, 1, 2, 3, 4, 8}, 37.5003f, 127.2503f, kFixNone)};
  const auto path = Gpx(points);
  ASSERT_TRUE(path);
  EXPECT_EQ(*path, dir / "GPX/20150102_030405.gpx");
  test::ExpectGolden(*path, "track.gpx");
  test::ExpectValidGpx(*path);
  EXPECT_EQ(opened.paths, std::vector<std::string>{*path});
}

TEST_F(GpxExport, EmptyTrackIsStillAValidFile) {
  const auto path = Gpx({});
  ASSERT_TRUE(path);
  test::ExpectValidGpx(*path);
  EXPECT_NE(test::ReadText(*path).find("<trkseg>\r\n    </trkseg>"), std::string::npos);
}

TEST_F(GpxExport, DamagedPointsNeverMakeTheFileInvalid) {
  std::vector<TrackPoint> points = {At({15, 1, 2, 3, 4, 5}, 10, 180.0f),    // east edge: -180
                                    At({15, 1, 2, 3, 4, 6}, -90, -180.0f),  // south-west corner
                                    At({15, 2, 30, 3, 4, 7}, 10, 20),       // no such date
                                    At({15, 1, 2, 3, 4, 8}, NAN, 20),       // no position
                                    At({15, 1, 2, 3, 4, 9}, 91, 20),        // off the globe
                                    At({15, 1, 2, 3, 4, 10}, 10, 20, kFix3D, 10, 400)};  // course
  const auto path = Gpx(points);
  ASSERT_TRUE(path);
  test::ExpectValidGpx(*path);
  const std::string gpx = test::ReadText(*path);
  EXPECT_NE(gpx.find("lat=\"10.000000\" lon=\"-180.000000\""), std::string::npos);
  EXPECT_NE(gpx.find("lon=\"20.000000\"><fix>3d</fix>"), std::string::npos);  // no time
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_EQ(messages.texts[0].rfind("2 point(s) of 20150102_030405.bt0 have no valid position", 0),
            0u);
}

TEST_F(GpxExport, GpsbabelReadsUtcTimesAndPositionsBack) {
  std::vector<TrackPoint> utc;
  for (int i = 0; i < 120; ++i) {
    utc.push_back(At({16, 2, 29, 23, 58 + i / 60, i % 60}, -41.28f + i * 3e-4f, 174.77f - i * 3e-4f,
                     kFix3D, i, 2 * i));
  }
  // +13:45 (Chatham Islands in summer) shows every point on the next day, 1 March.
  const PointVector loaded = LoadThroughStore(utc, 825);
  const auto path = Gpx(loaded, 825);
  ASSERT_TRUE(path);
  test::ExpectValidGpx(*path);
  const auto read = test::GpsbabelReads("gpx", *path);
  ASSERT_EQ(read.size(), utc.size());
  for (size_t i = 0; i < utc.size(); ++i) {
    EXPECT_NEAR(read[i].latitude, utc[i].latitude, 1e-6) << i;
    EXPECT_NEAR(read[i].longitude, utc[i].longitude, 1e-6) << i;
    EXPECT_EQ(read[i].time, test::IsoTime(utc[i].GetDateTime())) << i;
  }
}

}  // namespace
}  // namespace tavrin
