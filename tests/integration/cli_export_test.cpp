// SPDX-License-Identifier: GPL-3.0-or-later
// tavrin export as a user runs it: real track files, a settings file, the program's output.
#include <gtest/gtest.h>

#include "../unit/export_test_support.h"

namespace tavrin {
namespace {

class CliExport : public test::ExportTest {
 protected:
  CliExport() {
    std::ofstream(dir / "TVR.ini") << "[MAIN]\r\nLocalTimeOffset=540\r\n[PROGRAM]\r\n"
                                      "GoogleMapLicense=key-123\r\n";
    std::vector<TrackPoint> points;
    for (int s = 0; s < 5; ++s) points.push_back(test::At({24, 5, 1, 23, 0, s}, 37.5f, 127.0f));
    test::WriteTrackFile(TrackPath(), test::Header(points[0], 5, 4, 0), points);
  }

  test::ToolResult Tavrin(const std::string& arguments) {
    return test::RunTool(test::Quote(TAVRIN_CLI) + " --data " + test::Quote(dir / "DataLog") +
                         " --config " + test::Quote(dir / "TVR.ini") + " export " + arguments);
  }
};

TEST_F(CliExport, WritesEachFormatAndPrintsThePath) {
  for (const auto& [format, file] :
       std::vector<std::pair<std::string, std::string>>{{"kml", "KML/20150102_030405.kml"},
                                                        {"nmea", "TXT/20150102_030405.txt"},
                                                        {"log", "DORVALE/20150102_030405.log"},
                                                        {"gpx", "GPX/20150102_030405.gpx"}}) {
    const auto run = Tavrin(format + " " + test::Quote(TrackPath()));
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output, dir / file + "\n");
  }
  // With a map key the page that needs none is written too, for when the service is out of reach.
  const auto map = Tavrin("map " + test::Quote(TrackPath()));
  EXPECT_EQ(map.exitCode, 0) << map.output;
  EXPECT_EQ(map.output,
            dir / "KML/Tvr_GoogleMap.html" + "\n" + dir / "KML/Tvr_OpenStreetMap.html" + "\n");
  test::ExpectValidGpx(dir / "GPX/20150102_030405.gpx");
  // The settings' offset is taken off again: the sentence carries the logger's UTC time.
  EXPECT_EQ(test::ReadText(dir / "TXT/20150102_030405.txt").substr(0, 14), "$GPRMC,230000,");
  EXPECT_NE(test::ReadText(dir / "KML/Tvr_GoogleMap.html").find("&amp;key=key-123\""),
            std::string::npos);
  // The icons are installed beside the program the KML names.
  const std::string kml = test::ReadText(dir / "KML/20150102_030405.kml");
  const size_t href = kml.find("<href>/");
  const std::string icon = kml.substr(href + 6, kml.find('<', href + 6) - href - 6);
  EXPECT_TRUE(std::filesystem::exists(icon)) << icon;
}

TEST_F(CliExport, WithoutAMapKeyTheMapNeedingNoKeyIsWrittenBeside) {
  std::ofstream(dir / "TVR.ini") << "[MAIN]\r\nLocalTimeOffset=540\r\n";
  const auto run = Tavrin("map " + test::Quote(TrackPath()));
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(run.output,
            dir / "KML/Tvr_GoogleMap.html" + "\n" + dir / "KML/Tvr_OpenStreetMap.html" + "\n");
  const std::string page = test::ReadText(dir / "KML/Tvr_OpenStreetMap.html");
  EXPECT_NE(page.find("file:///usr/share/javascript/leaflet/leaflet.js"), std::string::npos);
  EXPECT_NE(page.find("color: '#FF0000'"), std::string::npos);
  EXPECT_NE(page.find("OpenStreetMap<\\/a> contributors"), std::string::npos);
  EXPECT_NE(page.find("        [37.500000, 127.000000],"), std::string::npos) << page;
  test::ExpectXmllintAccepts(dir / "KML/Tvr_OpenStreetMap.html", "--html");
}

TEST_F(CliExport, OutFolderTakesEveryFileAndFailuresSetTheExitCode) {
  const auto run = Tavrin("gpx --out " + test::Quote(dir / "out/gpx") + " " +
                          test::Quote(TrackPath()) + " " + test::Quote(dir / "missing.bt0"));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find(dir / "out/gpx/20150102_030405.gpx" + "\n"), std::string::npos);
  EXPECT_NE(run.output.find("missing.bt0 was not exported."), std::string::npos);
  EXPECT_EQ(Tavrin("svg " + test::Quote(TrackPath())).exitCode, 2);
}

}  // namespace
}  // namespace tavrin
