// SPDX-License-Identifier: GPL-3.0-or-later
// The map page: the track's line and markers, and the view chosen from its extent.
#include <gtest/gtest.h>

#include "export/export_writer.h"
#include "export_test_support.h"

namespace tavrin {
namespace {

using test::At;

class MapPage : public test::ExportTest {
 protected:
  std::string Page(std::span<const TrackPoint> points, const std::string& key = "") {
    const auto path = Writer(0, key).MakeMapPage(dir.Path().string(), 726, 412, points);
    EXPECT_EQ(path, dir / "KML/Tvr_GoogleMap.html");
    EXPECT_TRUE(opened.paths.empty());  // the page shows it; the writer never opens it
    if (!path) return "";
    test::ExpectXmllintAccepts(*path, "--html");
    return test::ReadText(*path);
  }

  // The mapOptions line for a track from (lat, lon) spanning the given degrees.
  std::string ViewOf(float lat, float lon, float height, float width) {
    const std::vector<TrackPoint> corners = {At({15, 1, 2, 3, 4, 5}, lat, lon),
                                             At({15, 1, 2, 3, 4, 6}, lat + height, lon + width)};
    const std::string page = Page(corners);
    const size_t at = page.find("var mapOptions");
    return page.substr(at, page.find('\r', at) - at);
  }
};

TEST_F(MapPage, PageMatchesTheGoldenFileWithTheLastPointTwice) {
  const std::vector<TrackPoint> points = {At({15, 1, 2, 3, 4, 5}, 37.5f, 127.25f),
                                          At({15, 1, 2, 3, 4, 6}, 37.5004f, 127.2508f)};
  const std::string page = Page(points);
  test::ExpectGolden(dir / "KML/Tvr_GoogleMap.html", "map_page.html");
  EXPECT_NE(page.find("            new google.maps.LatLng(37.500401, 127.250801),\r\n"
                      "            new google.maps.LatLng(37.500401, 127.250801)];\r\n"),
            std::string::npos);
  EXPECT_NE(page.find("<div id=\"map-canvas\" style=\"width: 726px; height: 412px\"></div>\r\n"),
            std::string::npos);
  EXPECT_NE(page.find("<script src=\"https://maps.googleapis.com/maps/api/js?v=3.exp\"></script>"),
            std::string::npos);
}

TEST_F(MapPage, ZoomAndCentreFollowTheExtent) {
  // 0.004 wide, 0.002 tall: longitude decides, half span 0.002.
  EXPECT_EQ(
      ViewOf(37.5f, 127.0f, 0.002f, 0.004f),
      "var mapOptions = { zoom: 15, center: new google.maps.LatLng(37.500999, 127.001999) };");
  // 0.002 wide, 0.012 tall: 1.8 x 0.001 is below 0.006, so latitude decides.
  EXPECT_EQ(
      ViewOf(37.5f, 127.0f, 0.012f, 0.002f),
      "var mapOptions = { zoom: 13, center: new google.maps.LatLng(37.506001, 127.000999) };");
  EXPECT_EQ(ViewOf(-10.0f, -60.0f, 1.5f, 2.0f),
            "var mapOptions = { zoom: 7, center: new google.maps.LatLng(-9.250000, -59.000000) };");
}

TEST_F(MapPage, OnePointIsCentredAtTheClosestZoom) {
  const TrackPoint point = At({15, 1, 2, 3, 4, 5}, -33.5f, 151.25f);
  const std::string page = Page({&point, 1});
  EXPECT_NE(page.find("var latlngS = new google.maps.LatLng(-33.500000, 151.250000);\r\n"
                      "        var trackCoordinates = [\r\n"
                      "            new google.maps.LatLng(-33.500000, 151.250000),\r\n"
                      "            new google.maps.LatLng(-33.500000, 151.250000)];\r\n"
                      "        var latlngE = new google.maps.LatLng(-33.500000, 151.250000);\r\n"
                      "        var mapOptions = { zoom: 17, center: new "
                      "google.maps.LatLng(-33.500000, 151.250000) };\r\n"),
            std::string::npos);
}

TEST_F(MapPage, NoPointsShowTheDefaultMapOnly) {
  const std::string page = Page({});
  EXPECT_NE(
      page.find("      function AowFunc(){\r\n"
                "        if (typeof google === 'undefined') { TavrinMapUnreachable(); return; }\r\n"
                "        var mapOptions = { zoom: 4, center: new "
                "google.maps.LatLng(37.400000, 126.967000) };\r\n"
                "        var map = new google.maps.Map(document.getElementById('map-canvas'), "
                "mapOptions);\r\n      }\r\n"),
      std::string::npos);
  EXPECT_EQ(page.find("Marker"), std::string::npos);
}

TEST_F(MapPage, MapKeyIsAddedToTheScriptAddressEncoded) {
  const std::string page = Page({}, "AIza&x\"y");
  EXPECT_NE(page.find("<script src=\"https://maps.googleapis.com/maps/api/js?v=3.exp&amp;"
                      "key=AIza%26x%22y\"></script>\r\n"),
            std::string::npos);
}

// Up to ten thousand points the page lists them as the service's points; beyond, it holds them
// as numbers with the levels of detail, and the view and the markers are the same as listed.
TEST_F(MapPage, ALongTrackIsHeldAsNumbersWithTheSameViewAndMarkers) {
  std::vector<TrackPoint> points;
  for (int i = 0; i < 10000; ++i) {
    points.push_back(At({15, 1, 2, 3, 4, 5}, 37.5f + 0.0001f * static_cast<float>(i % 100),
                        127.0f + 0.0001f * static_cast<float>(i / 100)));
  }
  points.push_back(points.back());  // the same extent and ends
  const std::string listed = Page({points.data(), 10000});
  EXPECT_EQ(listed.find("TavrinDecodeLine('"), std::string::npos);
  const std::string held = Page(points);
  EXPECT_NE(held.find("        TavrinDecodeLine('"), std::string::npos);
  EXPECT_NE(held.find("        window.tavrinLinePoints = 10001;\r\n"), std::string::npos);
  EXPECT_NE(held.find("        map.addListener('idle', TavrinDrawLine);\r\n"), std::string::npos);
  EXPECT_EQ(held.find("var trackCoordinates"), std::string::npos);
  EXPECT_LT(held.size(), listed.size() / 4);
  for (const char* same : {"var mapOptions", "var latlngS", "var latlngE", "var markerS"}) {
    const auto LineOf = [same](const std::string& page) {
      const size_t at = page.find(same);
      return at == std::string::npos ? std::string("none")
                                     : page.substr(at, page.find('\r', at) - at);
    };
    EXPECT_EQ(LineOf(held), LineOf(listed)) << same;
  }
}

}  // namespace
}  // namespace tavrin
