// SPDX-License-Identifier: GPL-3.0-or-later
// tavrin import as a user runs it: the track files it prints, the summary and exit status, the
// imported tracks through points and export, and a table of bad files, each refused with a
// clear word while the stored tracks stay byte for byte as they were.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string_view>

#include "../support/program_run.h"
#include "store/track_header.h"
#include "test_support.h"

namespace tavrin {
namespace {

using namespace std::chrono_literals;

class CliImport : public ::testing::Test {
 protected:
  CliImport() { std::ofstream(dir / "TVR.ini") << "[MAIN]\r\nLocalTimeOffset=0\r\n"; }

  test::ProgramResult Tavrin(std::vector<std::string> words) {
    std::vector<std::string> argv = {TAVRIN_CLI, "--data", dir / "DataLog", "--config",
                                     dir / "TVR.ini"};
    argv.insert(argv.end(), words.begin(), words.end());
    // A file that made the import hang would end the test here instead of stalling the suite.
    return test::RunProgramWithin(argv, dir.Path(), 120s);
  }

  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = dir / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  // Every file of the data folder with a hash of its bytes.
  std::map<std::string, size_t> Stored() {
    std::map<std::string, size_t> files;
    for (const auto& item : std::filesystem::directory_iterator(dir / "DataLog")) {
      const auto bytes = test::ReadBytes(item.path().string());
      files[item.path().filename().string()] = std::hash<std::string_view>{}(
          std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    return files;
  }

  test::TempDir dir;
};

const std::string kGoodGpx =
    "<?xml version=\"1.0\"?>\n"
    "<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><trkseg>\n"
    "<trkpt lat=\"48.1\" lon=\"11.5\"><ele>520</ele><time>2024-03-05T10:00:00Z</time></trkpt>\n"
    "<trkpt lat=\"48.101\" lon=\"11.5\"><time>2024-03-05T10:00:10Z</time></trkpt>\n"
    "<trkpt lat=\"48.2\" lon=\"11.5\"><time>2024-03-05T11:00:00Z</time></trkpt>\n"
    "<trkpt lat=\"48.201\" lon=\"11.5\"><time>2024-03-05T11:00:10Z</time></trkpt>\n"
    "</trkseg></trk></gpx>\n";

TEST_F(CliImport, PrintsTheTrackFilesItWroteAndTheyServePointsAndExport) {
  const std::string file = Write("ride.gpx", kGoodGpx);
  const auto run = Tavrin({"import", file});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, (dir / "DataLog/20240305_100000.bt0") + "\n" +
                         (dir / "DataLog/20240305_110000.bt0") +
                         "\nImported: 2 tracks, 4 points; stored already: 0; files with "
                         "problems: 0 of 1\n");
  EXPECT_EQ(run.err,
            "tavrin import: ride.gpx: track files hold no elevation; the file's are left out.\n");

  const auto points = Tavrin({"points", dir / "DataLog/20240305_110000.bt0"});
  EXPECT_EQ(points.exitCode, 0) << points.err;
  EXPECT_NE(points.out.find("48.201"), std::string::npos) << points.out;
  const auto exported =
      Tavrin({"export", "--out", dir / "out", "gpx", dir / "DataLog/20240305_100000.bt0"});
  EXPECT_EQ(exported.exitCode, 0) << exported.err;
  EXPECT_TRUE(std::filesystem::exists(dir / "out/20240305_100000.gpx")) << exported.out;

  // The same file again makes no copies.
  const auto stored = Stored();
  const auto again = Tavrin({"import", file});
  EXPECT_EQ(again.exitCode, 0) << again.err;
  EXPECT_EQ(again.out,
            "Imported: 0 tracks, 0 points; stored already: 2; files with problems: 0 of 1\n");
  EXPECT_NE(again.err.find("is stored already as " + (dir / "DataLog/20240305_100000.bt0")),
            std::string::npos)
      << again.err;
  EXPECT_EQ(Stored(), stored);
}

std::string Nested(int levels) {
  std::string text = "<gpx>";
  for (int i = 0; i < levels; ++i) text += "<a>";
  for (int i = 0; i < levels; ++i) text += "</a>";
  return text + "</gpx>";
}

std::string EntityBomb() {
  std::string text = "<?xml version=\"1.0\"?>\n<!DOCTYPE gpx [\n<!ENTITY lol \"lol\">\n";
  for (int i = 1; i <= 9; ++i) {
    text += "<!ENTITY lol" + std::to_string(i) + " \"";
    for (int k = 0; k < 10; ++k)
      text += "&lol" + (i == 1 ? std::string() : std::to_string(i - 1)) + ";";
    text += "\">\n";
  }
  return text + "]>\n<gpx>&lol9;</gpx>\n";
}

// Each bad file is refused with words that name it and say what is wrong; nothing stored
// changes, and the good file given with them is still imported.
TEST_F(CliImport, BadFilesAreRefusedClearlyAndNothingStoredChanges) {
  ASSERT_EQ(Tavrin({"import", Write("first.gpx", kGoodGpx)}).exitCode, 0);
  const auto stored = Stored();
  ASSERT_EQ(stored.size(), 2u);

  struct Case {
    std::string name;
    std::string expected;  // in what tavrin import says on stderr
  };
  const std::string noTime =
      "<gpx version=\"1.1\"><trk><trkseg><trkpt lat=\"1\" lon=\"2\"></trkpt></trkseg></trk></gpx>";
  const std::string point = "<trkpt lat=\"48\" lon=\"11\"><time>";
  const std::vector<Case> cases = {
      {Write("text.gpx", "Dear diary, today I drove to the lake.\n"),
       "text.gpx is no GPX, KML or NMEA file"},
      {Write("broken.gpx", "<gpx><trk><trkseg><trkpt lat=\"1\" lon=\"2\"></trk></gpx>"),
       "broken.gpx, line 1: this is not well-formed XML (mismatched tag)"},
      {Write("notime.gpx", noTime), "notime.gpx, none of its 1 points has a time"},
      {Write("old.gpx", "<gpx>" + point + "1999-12-31T23:59:59Z</time></trkpt></gpx>"),
       "old.gpx, line 1: a point was skipped: its time is before 2000"},
      {Write("future.gpx", "<gpx>" + point + "2100-01-01T00:00:00Z</time></trkpt></gpx>"),
       "future.gpx, line 1: a point was skipped: its time is after 2099"},
      {Write("offglobe.gpx",
             "<gpx><trkpt lat=\"95\" lon=\"11\"><time>2024-03-05T10:00:00Z</time></trkpt></gpx>"),
       "offglobe.gpx, line 1: a point was skipped: its position is off the globe"},
      {Write("cut.gpx", kGoodGpx.substr(0, kGoodGpx.size() / 2)),
       "the file ends in the middle (it was cut short)"},
      {Write("empty.gpx", ""), "empty.gpx is empty (0 bytes)"},
      {Write("bomb.gpx", EntityBomb()), "bomb.gpx, line 3: it declares entities"},
      {Write("deep.gpx", Nested(100000)), "deep.gpx, line 1: its elements nest deeper than 256"},
      {dir / "sparse.gpx", "sparse.gpx holds binary data"},
      {dir / "fifo.nmea", "fifo.nmea is no regular file"},
      {dir / "folder.kml", "folder.kml is a folder"},
      {dir / "missing.gpx", "missing.gpx cannot be opened (No such file or directory)"},
      {Write("badsum.nmea", "$GPRMC,100000,A,4800.0000,N,01100.0000,E,10.0,90.0,050324,,*00\r\n"),
       "badsum.nmea, line 1: a point was skipped: its checksum is wrong"},
      {Write("undated.nmea",
             "$GPGGA,100010,4800.0000,N,01100.0000,E,1,08,0.9,,M,,M,,*7F\r\n"
             "$GPGGA,100011,4801.0000,N,01100.0000,E,1,08,0.9,,M,,M,,*7F\r\n"),
       "undated.nmea, its $GPGGA and $GPGLL sentences give only the time of day of each fix, and "
       "no sentence gives the date ($GPRMC or $GPZDA)"},
      {Write("comments.nmea", "# Name: a logger\n# Date: 2024-03-05\n#\n"),
       "comments.nmea is no GPX, KML or NMEA file"},
      {Write("long.txt", std::string(5 << 20, 'x') + "\n$GPRMC,100000,A,4800.0000,N,01100.0000,"
                                                     "E,10.0,90.0,050324,,*18\n"),
       "long.txt is no GPX, KML or NMEA file (it holds neither an XML element nor an NMEA "
       "sentence in its first"},
      {Write("line.kml",
             "<kml><Placemark><LineString><coordinates>11,48 12,49</coordinates></LineString>"
             "</Placemark></kml>"),
       "line.kml, it holds positions but no times"},
  };
  std::filesystem::resize_file(Write("sparse.gpx", ""), 2ull << 30);  // 2 GB of nothing
  ASSERT_EQ(::mkfifo((dir / "fifo.nmea").c_str(), 0600), 0);
  std::filesystem::create_directory(dir / "folder.kml");

  for (const Case& c : cases) {
    const auto run = Tavrin({"import", c.name});
    EXPECT_FALSE(run.timedOut) << c.name;
    EXPECT_EQ(run.exitCode, 1) << c.name << "\n" << run.err;
    EXPECT_NE(run.err.find(c.expected), std::string::npos) << c.name << ": " << run.err;
    EXPECT_NE(run.out.find("files with problems: 1 of 1"), std::string::npos) << run.out;
    EXPECT_EQ(Stored(), stored) << c.name;
  }
  // A bad file among good ones spoils nothing else.
  const auto mixed = Tavrin({"import", dir / "empty.gpx", Write("second.gpx", [] {
                               std::string text = kGoodGpx;
                               return text.replace(text.find("2024-03-05T10"), 13, "2024-03-06T10");
                             }())});
  EXPECT_EQ(mixed.exitCode, 1);
  EXPECT_NE(mixed.out.find("20240306_100000.bt0"), std::string::npos) << mixed.out;
}

// Real logs: every timed track point is imported, what is no track point is said, and the exit
// status tells a script whether anything was lost.
TEST_F(CliImport, RealLogsImportWholeAndExitZero) {
  struct Case {
    std::string file;
    std::string summary;
    int exitCode;
    std::string said;  // on stderr
  };
  const std::vector<Case> cases = {
      {"gpsbabel__reference_track_mtk_logger_m241.gpx",
       "Imported: 1 track, 1121 points; stored already: 0; files with problems: 0 of 1\n", 0,
       "track files hold no elevation, names and descriptions, waypoints; the file's are left "
       "out."},
      // Its first second has a $GNGGA and $GNGLL but no $GNRMC: dated by the $GNZDA after them.
      {"gpsd__test_daemon_ublox-8.log",
       "Imported: 1 track, 72 points; stored already: 0; files with problems: 0 of 1\n", 0,
       "gpsd__test_daemon_ublox-8.log, line 1019: 1 line is left out: the file ends in the "
       "middle of this sentence."},
      {"gpsbabel__reference_track_nmea_utf16",
       "Imported: 1 track, 154 points; stored already: 0; files with problems: 0 of 1\n", 0,
       "gpsbabel__reference_track_nmea_utf16: track files hold no elevation"},
      {"gpsd__test_daemon_haicom-305N.log",
       "Imported: 1 track, 68 points; stored already: 0; files with problems: 0 of 1\n", 0,
       "gpsd__test_daemon_haicom-305N.log, line 12: 6 lines are left out (the first here): a "
       "$GPRMC sentence without a fix (status V), so without a position."},
      // Three sentences' times hold letters: lost, and said so.
      {"gpsbabel__reference_track_nmeadatetime.nmea",
       "Imported: 1 track, 16 points; stored already: 0; files with problems: 1 of 1\n", 1,
       "gpsbabel__reference_track_nmeadatetime.nmea, line 17: 3 points were skipped (the first "
       "here): its time or date is no time of day and date."},
      // My Tracks writes each position before its time.
      {"togeojson__test_data_non_gx_multitrack.kml",
       "Imported: 1 track, 16 points; stored already: 0; files with problems: 0 of 1\n", 0,
       "togeojson__test_data_non_gx_multitrack.kml: track files hold no elevation, names and "
       "descriptions, waypoints; the file's are left out."},
      // Its last second has a $GPGGA and no $GPRMC.
      {"signalk__samples_gps.log",
       "Imported: 1 track, 1202 points; stored already: 0; files with problems: 0 of 1\n", 0,
       "signalk__samples_gps.log: track files hold no elevation"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(dir / "DataLog");
    const auto run = Tavrin({"import", std::string(TAVRIN_TEST_DATA) + "/real_tracks/" + c.file});
    EXPECT_EQ(run.exitCode, c.exitCode) << c.file << "\n" << run.err;
    EXPECT_TRUE(run.out.ends_with(c.summary)) << c.file << "\n" << run.out;
    EXPECT_NE(run.err.find(c.said), std::string::npos) << c.file << "\n" << run.err;
  }
}

std::vector<std::string> TabFields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
  return fields;
}

// Fiji, east over the 180th meridian: 0.12 degrees of longitude at 17 degrees south, 12.77 km
// in ten minutes, listed and logged as such, however the track was stored.
TEST_F(CliImport, ATrackAcrossTheDateLineCountsTheShortWayRound) {
  std::string gpx = "<gpx version=\"1.1\"><trk><trkseg>\n";
  for (int k = 0; k <= 20; ++k) {
    char point[128];
    std::snprintf(point, sizeof point,
                  "<trkpt lat=\"-17\" lon=\"%.3f\"><time>2024-05-25T01:%02d:%02dZ</time></trkpt>\n",
                  std::remainder(179.95 + 0.006 * k, 360.0), k / 2, k % 2 * 30);
    gpx += point;
  }
  const auto imported = Tavrin({"import", Write("fiji.gpx", gpx + "</trkseg></trk></gpx>\n")});
  ASSERT_EQ(imported.exitCode, 0) << imported.err;
  const std::string track = dir / "DataLog/20240525_010000.bt0";
  ASSERT_TRUE(std::filesystem::exists(track)) << imported.out;

  const auto listedKm = [&] {
    const auto listed = Tavrin({"list"});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    const auto fields = TabFields(listed.out.substr(0, listed.out.find('\n')));
    return fields.size() > 5 ? std::stod(fields[4]) : -1.0;
  };
  EXPECT_NEAR(listedKm(), 12.77, 0.05);
  const auto logbook = Tavrin({"logbook"});
  ASSERT_EQ(logbook.exitCode, 0) << logbook.err;
  const auto row = TabFields(logbook.out.substr(0, logbook.out.find('\n')));
  ASSERT_GT(row.size(), 5u) << logbook.out;
  EXPECT_NEAR(std::stod(row[5]), 12.8, 0.05) << logbook.out;

  // Stored before: the header counts a lap of the globe, which no drive covers in ten minutes.
  auto bytes = test::ReadBytes(track);
  TrackHeader header;
  std::memcpy(&header, bytes.data(), sizeof header);
  header.distance = 38267710;
  std::memcpy(bytes.data(), &header, sizeof header);
  std::ofstream(track, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  EXPECT_NEAR(listedKm(), 12.77, 0.05);
}

TEST_F(CliImport, UntimedWaypointsAndRoutesBesideATrackAreNoProblem) {
  std::string gpx = kGoodGpx;
  gpx.insert(gpx.find("<trk>"),
             "<wpt lat=\"48\" lon=\"11\"><name>Home</name></wpt><rte><rtept lat=\"48\" "
             "lon=\"11\"/><rtept lat=\"48.1\" lon=\"11.1\"/></rte>");
  const auto run = Tavrin({"import", Write("planned.gpx", gpx)});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(run.out.ends_with(
      "Imported: 2 tracks, 4 points; stored already: 0; files with problems: 0 of 1\n"))
      << run.out;
  EXPECT_EQ(run.err,
            "tavrin import: planned.gpx: track files hold no elevation, names and descriptions, "
            "waypoints and routes without times; the file's are left out.\n");
}

TEST_F(CliImport, NeedsAFileAndSaysSoInItsHelp) {
  const auto none = Tavrin({"import"});
  EXPECT_EQ(none.exitCode, 2);
  const auto help = Tavrin({"import", "--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("--all-or-nothing"), std::string::npos) << help.out;
}

}  // namespace
}  // namespace tavrin
