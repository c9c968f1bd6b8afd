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
  EXPECT_NE(page.find("START at 37.500000, 127.000000;"), std::string::npos) << page;
  EXPECT_NE(page.find("preferCanvas: true"), std::string::npos);
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

// --open with a stand-in for xdg-open that records the file and ends with the status it is given,
// and with no xdg-open at all: a file that no program took is told of and fails the command.
TEST_F(CliExport, OpenSaysWhatIsMissingWhenNoProgramTakesTheFile) {
  const std::filesystem::path stubs = dir / "stubs";
  std::filesystem::create_directories(stubs);
  std::filesystem::create_directories(dir / "empty");
  const std::string opened = dir / "opened";
  std::ofstream(stubs / "xdg-open") << "#!/bin/sh\necho \"$1\" >> " << test::Quote(opened)
                                    << "\nexit $(/bin/cat " << test::Quote(dir / "status") << ")\n";
  std::filesystem::permissions(stubs / "xdg-open", std::filesystem::perms::owner_all);
  const std::string kml = dir / "KML/20150102_030405.kml";
  const std::string stubPath = "PATH=" + test::Quote(stubs);
  const auto run = [&](const std::string& path, const std::string& status) {
    std::ofstream(dir / "status") << status << "\n";
    return test::RunTool(path + " " + test::Quote(TAVRIN_CLI) + " --data " +
                         test::Quote(dir / "DataLog") + " --config " +
                         test::Quote(dir / "TVR.ini") + " export kml --open " +
                         test::Quote(TrackPath()));
  };

  auto result = run(stubPath, "0");
  EXPECT_EQ(result.exitCode, 0) << result.output;
  EXPECT_EQ(result.output, kml + "\n");
  EXPECT_EQ(test::ReadText(opened), kml + "\n") << "xdg-open is given the file written";

  result = run(stubPath, "3");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.output.find("Could not open " + kml +
                               ": there is no program for KML files on this computer. Install "
                               "one, such as Google Earth or Marble, or open the file yourself"),
            std::string::npos)
      << result.output;

  result = run(stubPath, "4");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.output.find("the program for KML files did not start (xdg-open ended with "
                               "status 4)"),
            std::string::npos)
      << result.output;

  result = run("PATH=" + test::Quote(dir / "empty"), "0");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.output.find(": xdg-open, which hands files to the desktop's programs, is not "
                               "installed. Install xdg-utils"),
            std::string::npos)
      << result.output;
  EXPECT_EQ(result.output.find("No such file or directory"), std::string::npos) << result.output;
  EXPECT_TRUE(std::filesystem::exists(kml)) << "the file is written all the same";
}

}  // namespace
}  // namespace tavrin
