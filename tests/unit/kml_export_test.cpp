// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "export/export_writer.h"
#include "export_test_support.h"

namespace tavrin {
namespace {

using test::At;

class KmlExport : public test::ExportTest {
 protected:
  Result<std::string> Export(std::span<const TrackPoint> points,
                             const std::string& programFolder = "/opt/tavrin",
                             const std::string& trackFile = "", int offsetMinutes = 0) {
    return Writer(offsetMinutes)
        .MakeKml(points, trackFile.empty() ? TrackPath() : trackFile, programFolder);
  }
};

// The style each placemark refers to, in document order, without its "Style_" prefix.
std::vector<std::string> StyleUrls(const std::string& kml) {
  std::vector<std::string> styles;
  for (size_t at = 0; (at = kml.find("<styleUrl>#Style_", at)) != std::string::npos; ++at) {
    styles.push_back(kml.substr(at + 17, kml.find('<', at + 1) - at - 17));
  }
  return styles;
}

TEST_F(KmlExport, DocumentMatchesTheGoldenFileAndTheDocumentedLines) {
  const std::vector<TrackPoint> points = {
      At({15, 1, 2, 3, 4, 5}, -33.5f, 151.25f, kFix3D, 10, 90),
      At({15, 1, 2, 3, 4, 6}, -33.5001f, 151.2501f, kFix2D, 2, 0),
      At({15, 1, 2, 3, 4, 7}, -33.5002f, 151.2502f, kFixNone, 30, 358)};
  const auto path = Export(points);
  ASSERT_TRUE(path);
  EXPECT_EQ(*path, dir / "KML/20150102_030405.kml");
  test::ExpectGolden(*path, "track.kml");

  const std::string kml = test::ReadText(*path);
  EXPECT_NE(kml.find("\r\n          <coordinates>151.250000,-33.500000,0</coordinates>\r\n"),
            std::string::npos);
  EXPECT_NE(kml.find("<coordinates>\r\n          151.250000,-33.500000          "),
            std::string::npos);
  EXPECT_NE(kml.find("Heading:90, Speed:10km/h</description>"), std::string::npos);
  EXPECT_NE(kml.find("<heading>90</heading>"), std::string::npos);
  EXPECT_NE(kml.find("<kml xmlns=\"http://www.opengis.net/kml/2.2\">\r\n"), std::string::npos);
  EXPECT_EQ(opened.paths, std::vector<std::string>{*path});
  test::ExpectXmllintAccepts(*path);
}

TEST_F(KmlExport, StyleFollowsFixAndSpeed) {
  std::vector<TrackPoint> points;
  for (const auto& [fix, speed] : std::vector<std::pair<int, int>>{
           {kFix3D, 2}, {kFix3D, 3}, {kFix2D, 2}, {kFix2D, 3}, {kFixNone, 200}, {0, 200}}) {
    points.push_back(At({15, 1, 2, 3, 4, 5}, 1, 2, fix, speed));
  }
  const auto path = Export(points);
  ASSERT_TRUE(path);
  EXPECT_EQ(StyleUrls(test::ReadText(*path)),
            (std::vector<std::string>{"StartPoint", "3D_dot", "3D_arrow", "2D_dot", "2D_arrow",
                                      "NoFix_dot", "NoFix_dot", "StopPoint"}));
}

TEST_F(KmlExport, OnePointGivesStartPositionStopAndASingleTuple) {
  const TrackPoint point = At({15, 1, 2, 3, 4, 5}, 37.5f, 127.25f);
  const auto path = Export({&point, 1});
  ASSERT_TRUE(path);
  const std::string kml = test::ReadText(*path);
  EXPECT_EQ(StyleUrls(kml), (std::vector<std::string>{"StartPoint", "3D_arrow", "StopPoint"}));
  EXPECT_NE(kml.find("<coordinates>\r\n          127.250000,37.500000\r\n        </coordinates>"),
            std::string::npos);
}

TEST_F(KmlExport, EmptyTrackIsRefusedBeforeAnyFileIsMade) {
  EXPECT_FALSE(Export({}));
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_NE(messages.texts[0].find("20150102_030405.bt0 has no points"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir / "KML/20150102_030405.kml"));
  EXPECT_TRUE(opened.paths.empty());
}

TEST_F(KmlExport, OutsideNamesAreEscapedAndLongFoldersWrittenWhole) {
  // A folder far longer than a 256-unit line, with markup characters and non-ASCII letters.
  const std::string folder = "/opt/Tavrin & <Co> Ünïcode/" + std::string(400, 'x');
  const std::string track = TrackPath("R&D <1>\xFF.bt0");
  const TrackPoint point = At({15, 1, 2, 3, 4, 5}, 37.5f, 127.25f);
  const auto path = Export({&point, 1}, folder, track);
  ASSERT_TRUE(path);
  const std::string kml = test::ReadText(*path);
  EXPECT_NE(kml.find("<name>Track R&amp;D &lt;1&gt;\uFFFD.bt0</name>"), std::string::npos);
  EXPECT_NE(kml.find("<Icon><href>/opt/Tavrin &amp; &lt;Co&gt; Ünïcode/" + std::string(400, 'x') +
                     "/kml_icons/arrow_green.png</href></Icon>\r\n"),
            std::string::npos);
  test::ExpectXmllintAccepts(*path);
}

TEST_F(KmlExport, TimeStampsAreUtcWhileNamesKeepLocalTime) {
  // 2014-12-31 20:30:00 UTC is 2015-01-01 06:00:00 at +9:30.
  const std::vector<TrackPoint> utc = {At({14, 12, 31, 20, 30, 0}, 37.5f, 127.25f),
                                       At({14, 12, 31, 20, 30, 1}, 37.5001f, 127.2501f)};
  const PointVector loaded = LoadThroughStore(utc, 570);
  const auto path = Export(loaded, "/opt/tavrin", "", 570);
  ASSERT_TRUE(path);
  const std::string kml = test::ReadText(*path);
  EXPECT_NE(kml.find("<name>2015-01-01 06:00:00</name>"), std::string::npos);
  EXPECT_NE(kml.find("<timePosition>2014-12-31T20:30:00Z</timePosition>"), std::string::npos);

  // gpsbabel reads Start, both placemarks and Stop, then the line's two points.
  const auto read = test::GpsbabelReads("kml", *path);
  ASSERT_EQ(read.size(), 6u);
  const size_t expected[] = {0, 0, 1, 1, 0, 1};
  for (size_t i = 0; i < read.size(); ++i) {
    const TrackPoint& p = utc[expected[i]];
    EXPECT_NEAR(read[i].latitude, p.latitude, 1e-6);
    EXPECT_NEAR(read[i].longitude, p.longitude, 1e-6);
    if (i < 4) {
      EXPECT_EQ(read[i].time, test::IsoTime(p.GetDateTime()));
    }
  }
}

}  // namespace
}  // namespace tavrin
