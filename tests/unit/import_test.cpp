// SPDX-License-Identifier: GPL-3.0-or-later
// Importing track files: our own exports of the demo logger's tracks read back, files gpsbabel
// wrote, tracks cut at gaps, duplicates, and what a file holds that a track file cannot.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "base/civil_date.h"
#include "emulator/demo_memory.h"
#include "export/export_writer.h"
#include "import/track_import.h"
#include "test_support.h"

namespace tavrin {
namespace {

using imports::FileImport;
using imports::ImportFiles;

// The drives of the demo logger: each begins with a track start.
std::vector<std::vector<TrackPoint>> DemoDrives() {
  std::vector<std::vector<TrackPoint>> drives;
  for (const TrackPoint& point : emulator::DemoMemory().points) {
    if (point.FixKind() == kFixTrackStart || drives.empty()) drives.emplace_back();
    drives.back().push_back(point);
  }
  return drives;
}

std::vector<TrackPoint> StoredPoints(const std::vector<std::string>& paths) {
  TrackStore store;
  PointVector points;
  for (const std::string& path : paths) {
    const auto entry = store.Files().ReadTrackHeader(path);
    EXPECT_TRUE(entry) << path;
    if (entry) {
      EXPECT_TRUE(store.Files().ReadTrackPoints(*entry, points)) << path;
    }
  }
  return {points.begin(), points.end()};
}

int HeadingDifference(int a, int b) {
  const int d = std::abs(a - b) % 360;
  return std::min(d, 360 - d);
}

struct Tolerance {
  double degrees;
  int kmh;
  int headingDegrees;
  bool fixKinds;  // the format carries the fix
};

void ExpectSamePoints(const std::vector<TrackPoint>& got, const std::vector<TrackPoint>& want,
                      const Tolerance& tolerance, const std::string& what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  for (size_t i = 0; i < want.size(); ++i) {
    const TrackPoint &g = got[i], &w = want[i];
    ASSERT_EQ(FormatDateTime(g.GetDateTime()), FormatDateTime(w.GetDateTime()))
        << what << " #" << i;
    ASSERT_NEAR(g.latitude, w.latitude, tolerance.degrees) << what << " #" << i;
    ASSERT_NEAR(g.longitude, w.longitude, tolerance.degrees) << what << " #" << i;
    ASSERT_LE(std::abs(g.speed - w.speed), tolerance.kmh) << what << " #" << i;
    ASSERT_LE(HeadingDifference(g.HeadingDegrees(), w.HeadingDegrees()), tolerance.headingDegrees)
        << what << " #" << i;
    if (tolerance.fixKinds && w.FixKind() != kFixTrackStart) {
      ASSERT_EQ(g.FixKind(), w.FixKind()) << what << " #" << i;
    }
  }
}

class Import : public ::testing::Test {
 protected:
  Import() { EXPECT_TRUE(store.PrepareDataFolder(dir / "DataLog")); }

  FileImport ImportOne(const std::string& path, imports::ImportOptions options = {}) {
    const std::vector<std::string> files{path};
    auto results = ImportFiles(store, files, options);
    EXPECT_EQ(results.size(), 1u);
    return results.empty() ? FileImport{} : results.front();
  }

  // Into a data folder of its own, where nothing is stored already.
  FileImport ImportAfresh(const std::string& path) {
    TrackStore fresh;
    EXPECT_TRUE(fresh.PrepareDataFolder(dir / ("DataLog" + std::to_string(++folders_))));
    auto results = ImportFiles(fresh, std::vector<std::string>{path});
    return results.empty() ? FileImport{} : results.front();
  }

  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = dir / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  test::TempDir dir;
  test::MessageLog messages;
  TrackStore store{messages.Fn()};
  int folders_ = 0;
};

// Every track of the demo logger, exported by us and imported again, gives the same points: the
// times exact, positions within the float a track file holds (NMEA: four decimals of a minute),
// speeds within 1 km/h.
TEST_F(Import, OurExportsOfEveryDemoTrackComeBackAsTheSamePoints) {
  ExportOptions exportOptions;
  exportOptions.outputFolder = dir / "exports";
  exportOptions.zone = LocalZone::Fixed(120);  // the KML names go local; its times stay UTC
  std::filesystem::create_directories(exportOptions.outputFolder);
  ExportWriter writer(messages.Fn(), nullptr, exportOptions);
  const auto drives = DemoDrives();
  ASSERT_GE(drives.size(), 6u);
  for (size_t d = 0; d < drives.size(); ++d) {
    const std::string track = "drive" + std::to_string(d) + ".bt0";
    const std::vector<std::pair<std::string, Result<std::string>>> files = {
        {"GPX", writer.MakeGpx(drives[d], track)},
        {"KML", writer.MakeKml(drives[d], track, dir.Path().string())},
        {"NMEA", writer.MakeTxt(drives[d], track)}};
    for (const auto& [format, file] : files) {
      ASSERT_TRUE(file) << file.Error().reason;
      test::TempDir folder;
      TrackStore fresh;
      ASSERT_TRUE(fresh.PrepareDataFolder(folder / "DataLog"));
      const auto results = ImportFiles(fresh, std::vector<std::string>{*file});
      ASSERT_EQ(results.size(), 1u);
      const FileImport& result = results.front();
      EXPECT_FALSE(result.failure) << *result.failure;
      EXPECT_TRUE(result.skipped.empty()) << result.skipped.front();
      ASSERT_EQ(result.trackFiles.size(), 1u) << format << " " << d;
      EXPECT_EQ(result.points, drives[d].size());
      const Tolerance tolerance{format == "NMEA" ? 2e-6 : 1e-5, 1, format == "KML" ? 2 : 2,
                                format == "GPX"};
      ExpectSamePoints(StoredPoints(result.trackFiles), drives[d], tolerance,
                       format + " of drive " + std::to_string(d));
    }
  }
}

// tests/data/import/points.csv, as scripts/make_import_samples.sh gave it to gpsbabel.
struct SamplePoint {
  DateTime time;
  double latitude, longitude, speedKmh;
  int course;
};

std::vector<SamplePoint> SamplePoints() {
  std::ifstream in(std::string(TAVRIN_TEST_DATA) + "/import/points.csv");
  std::string line;
  std::getline(in, line);  // the column names
  std::vector<SamplePoint> points;
  while (std::getline(in, line)) {
    SamplePoint p{};
    int year, month, day, hour, minute, second;
    double speed;
    EXPECT_EQ(
        std::sscanf(line.c_str(), "%lf,%lf,%d/%d/%d,%d:%d:%d,%lf,%d", &p.latitude, &p.longitude,
                    &year, &month, &day, &hour, &minute, &second, &speed, &p.course),
        10)
        << line;
    p.time = DateTime{year - 2000, month, day, hour, minute, second};
    p.speedKmh = speed * 3.6;
    points.push_back(p);
  }
  return points;
}

TEST_F(Import, FilesThatGpsbabelWroteGiveThePointsTheyWereMadeFrom) {
  const auto want = SamplePoints();
  ASSERT_EQ(want.size(), 30u);
  struct Case {
    const char* file;
    bool speeds;  // the format carries them: compared within 1 km/h
    // gpsbabel's KML writes a heading of its own, worked out from the positions, not the course
    // it was given.
    bool courses;
  };
  for (const Case& c :
       {Case{"gpsbabel-1.0.gpx", true, true}, Case{"gpsbabel-1.1.gpx", false, false},
        Case{"gpsbabel.kml", true, false}, Case{"gpsbabel.nmea", true, true}}) {
    test::TempDir folder;
    TrackStore fresh;
    ASSERT_TRUE(fresh.PrepareDataFolder(folder / "DataLog"));
    const auto results = ImportFiles(
        fresh, std::vector<std::string>{std::string(TAVRIN_TEST_DATA) + "/import/" + c.file});
    const FileImport& result = results.front();
    EXPECT_FALSE(result.failure) << c.file << ": " << result.failure.value_or("");
    EXPECT_TRUE(result.skipped.empty()) << c.file;
    // Two drives 700 seconds apart: two tracks, named after their first points.
    ASSERT_EQ(result.trackFiles.size(), 2u) << c.file;
    EXPECT_EQ(std::filesystem::path(result.trackFiles[0]).filename(), "20240305_120000.bt0");
    EXPECT_EQ(std::filesystem::path(result.trackFiles[1]).filename(), "20240305_121155.bt0");
    const auto got = StoredPoints(result.trackFiles);
    ASSERT_EQ(got.size(), want.size()) << c.file;
    for (size_t i = 0; i < want.size(); ++i) {
      EXPECT_EQ(got[i].GetDateTime(), want[i].time) << c.file << " #" << i;
      // NMEA has three decimals of a minute here: within 1e-5 degrees.
      EXPECT_NEAR(got[i].latitude, want[i].latitude, 1e-5) << c.file << " #" << i;
      EXPECT_NEAR(got[i].longitude, want[i].longitude, 1e-5) << c.file << " #" << i;
      EXPECT_EQ(got[i].FixKind(), kFix3D) << c.file << " #" << i;
      if (c.speeds) {
        EXPECT_NEAR(got[i].speed, want[i].speedKmh, 1.0) << c.file << " #" << i;
      }
      if (c.courses) {
        EXPECT_LE(HeadingDifference(got[i].HeadingDegrees(), want[i].course), 2)
            << c.file << " #" << i;
      }
    }
  }
}

std::string Gpx(const std::string& points) {
  return "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" "
         "xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><name>Ride</name><trkseg>\n" +
         points + "</trkseg></trk></gpx>\n";
}

std::string GpxPoint(double lat, double lon, const std::string& time,
                     const std::string& more = "") {
  std::ostringstream text;
  text.precision(9);
  text << "<trkpt lat=\"" << lat << "\" lon=\"" << lon << "\"><time>" << time << "</time>" << more
       << "</trkpt>\n";
  return text.str();
}

TEST_F(Import, PointsAreCutIntoTracksWhereMoreThan600SecondsPassAndNamedByTheirFirstTime) {
  const std::string path =
      Write("gaps.gpx", Gpx(GpxPoint(48, 11, "2024-03-05T10:00:00Z") +
                            GpxPoint(48.001, 11, "2024-03-05T10:10:00Z") +  // 600 s: the same track
                            GpxPoint(48.002, 11, "2024-03-05T10:20:01Z") +  // 601 s: a new one
                            GpxPoint(48.003, 11, "2024-03-05T12:20:01+02:00")));  // 10:20:01 again
  const FileImport result = ImportOne(path);
  ASSERT_EQ(result.trackFiles.size(), 2u);
  EXPECT_EQ(std::filesystem::path(result.trackFiles[0]).filename(), "20240305_100000.bt0");
  EXPECT_EQ(std::filesystem::path(result.trackFiles[1]).filename(), "20240305_102001.bt0");
  EXPECT_EQ(result.points, 3u);
  ASSERT_EQ(result.notes.size(), 2u);  // the track's name, and the second point of 10:20:01
  EXPECT_NE(result.notes[1].find("line 6: 1 point gives another position in a second that has a "
                                 "point already"),
            std::string::npos)
      << result.notes[1];
  const auto entry = store.Files().ReadTrackHeader(result.trackFiles[0]);
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->header.pointCount, 2u);
  EXPECT_EQ(entry->header.elapsedSeconds, 600u);
  EXPECT_EQ(entry->header.marker, kTrackMarker);
}

TEST_F(Import, SpeedAndHeadingComeFromTheFileOrElseFromTheNeighbouringPoints) {
  // 0.001 degrees of latitude is 111.2 m: in 10 s, 40 km/h due north.
  const std::string path = Write(
      "speed.gpx",
      Gpx(GpxPoint(48, 11, "2024-03-05T10:00:00Z") + GpxPoint(48.001, 11, "2024-03-05T10:00:10Z") +
          GpxPoint(48.002, 11, "2024-03-05T10:00:20Z",
                   "<extensions><gpxtpx:TrackPointExtension xmlns:gpxtpx=\"x\">"
                   "<gpxtpx:speed>25</gpxtpx:speed><gpxtpx:course>271</gpxtpx:course>"
                   "</gpxtpx:TrackPointExtension></extensions>") +
          GpxPoint(48.003, 11, "2024-03-05T10:00:30Z", "<speed>1e300</speed>")));
  const FileImport result = ImportOne(path);
  const auto points = StoredPoints(result.trackFiles);
  ASSERT_EQ(points.size(), 4u);
  EXPECT_EQ(points[0].speed, 40);
  EXPECT_EQ(points[1].speed, 40);
  EXPECT_EQ(points[0].HeadingDegrees(), 0);
  EXPECT_EQ(points[2].speed, 90);  // 25 m/s
  EXPECT_EQ(points[2].HeadingDegrees(), 272);
  EXPECT_EQ(points[3].speed, 255);  // as fast as a track point can tell
}

TEST_F(Import, WhatTrackFilesCannotHoldIsSaidOnce) {
  const std::string path = Write(
      "more.gpx", Gpx(GpxPoint(48, 11, "2024-03-05T10:00:00Z", "<ele>500</ele><name>a</name>") +
                      GpxPoint(48.001, 11, "2024-03-05T10:00:10Z",
                               "<ele>501</ele><extensions><hr>120</hr></extensions>")));
  const FileImport result = ImportOne(path);
  EXPECT_EQ(result.points, 2u);
  EXPECT_EQ(result.dropped,
            (std::vector<std::string>{"elevation", "heart rate", "names and descriptions"}));
  ASSERT_EQ(result.notes.size(), 1u);
  EXPECT_EQ(result.notes[0],
            "more.gpx: track files hold no elevation, heart rate, names and descriptions; the "
            "file's are left out.");
}

TEST_F(Import, ATrackStoredAlreadyIsSkippedAndNamesStayFree) {
  const std::string path = Write("twice.gpx", Gpx(GpxPoint(48, 11, "2024-03-05T10:00:00Z") +
                                                  GpxPoint(48.001, 11, "2024-03-05T10:00:10Z")));
  const FileImport first = ImportOne(path);
  ASSERT_EQ(first.trackFiles.size(), 1u);
  const auto bytes = test::ReadBytes(first.trackFiles[0]);
  const FileImport second = ImportOne(path);
  EXPECT_TRUE(second.trackFiles.empty());
  EXPECT_EQ(second.duplicates, first.trackFiles);
  EXPECT_FALSE(second.Failed());
  EXPECT_EQ(test::ReadBytes(first.trackFiles[0]), bytes);
  // Another track that starts in the same second gets the next free name.
  const std::string other = Write("other.gpx", Gpx(GpxPoint(48, 11, "2024-03-05T10:00:00Z") +
                                                   GpxPoint(49, 11, "2024-03-05T10:00:10Z")));
  const FileImport third = ImportOne(other);
  ASSERT_EQ(third.trackFiles.size(), 1u);
  EXPECT_EQ(std::filesystem::path(third.trackFiles[0]).filename(), "20240305_100000_02.bt0");
  EXPECT_EQ(test::ReadBytes(first.trackFiles[0]), bytes);
}

TEST_F(Import, RoutesWaypointsGpx10AndKmlTracksAreReadToo) {
  const std::string gpx10 =
      Write("route.gpx",
            "<gpx version=\"1.0\" xmlns=\"http://www.topografix.com/GPX/1/0\"><rte>"
            "<rtept lat=\"48\" lon=\"11\"><time>2024-03-05T10:00:00Z</time><speed>10</speed>"
            "<course>90</course></rtept><rtept lat=\"48\" lon=\"11.001\"><time>2024-03-05T10:00:05Z"
            "</time><fix>2d</fix></rtept></rte><wpt lat=\"-33.5\" lon=\"-70.25\"><time>"
            "2024-03-05T11:00:00.250Z</time></wpt></gpx>");
  const FileImport route = ImportOne(gpx10);
  const auto points = StoredPoints(route.trackFiles);
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points[0].speed, 36);
  EXPECT_EQ(points[0].HeadingDegrees(), 90);
  EXPECT_EQ(points[1].FixKind(), kFix2D);
  EXPECT_EQ(points[2].latitude, -33.5f);
  EXPECT_EQ(points[2].GetDateTime(), (DateTime{24, 3, 5, 11, 0, 0}));

  const std::string kml = Write(
      "track.kml",
      "<kml xmlns=\"http://www.opengis.net/kml/2.2\" "
      "xmlns:gx=\"http://www.google.com/kml/ext/2.2\">"
      "<Placemark><gx:Track><when>2024-03-05T10:00:00Z</when><when>2024-03-05T10:00:01Z</when>"
      "<gx:coord>11 48 0</gx:coord><gx:coord>11.0001 48.0001 0</gx:coord></gx:Track></Placemark>"
      "</kml>");
  const FileImport track = ImportOne(kml);
  const auto kmlPoints = StoredPoints(track.trackFiles);
  ASSERT_EQ(kmlPoints.size(), 2u);
  EXPECT_EQ(kmlPoints[1].longitude, 11.0001f);
  EXPECT_EQ(kmlPoints[1].GetDateTime(), (DateTime{24, 3, 5, 10, 0, 1}));
}

TEST_F(Import, NmeaSentencesWithBadChecksumsAreCountedAndSkipped) {
  const std::string path =
      Write("log.nmea",
            "$GPRMC,100000,A,4800.0000,N,01100.0000,E,10.0,90.0,050324,,*18\r\n"
            "$GPRMC,100001,A,4800.0010,N,01100.0000,E,10.0,90.0,050324,,*00\r\n"  // wrong checksum
            "$GPGGA,100002,4800.0020,N,01100.0000,E,0,00,0.0,,M,,M,,*7E\r\n"
            "$GPRMC,100002,A,4800.0020,N,01100.0000,E,10.0,90.0,050324,,*18\r\n"
            "$GPRMC,100003,A,4800.0030,N,01100.0000,E,10.0,90.0,050324,,*18\r\n");
  const FileImport result = ImportOne(path);
  EXPECT_EQ(result.points, 3u);
  ASSERT_EQ(result.skipped.size(), 1u);
  EXPECT_EQ(result.skipped[0], "log.nmea, line 2: a point was skipped: its checksum is wrong.");
  const auto points = StoredPoints(result.trackFiles);
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points[0].speed, 19);            // 10 knots
  EXPECT_EQ(points[1].FixKind(), kFixNone);  // the GGA of that second had no fix
  EXPECT_EQ(points[2].FixKind(), kFix3D);
}

TEST_F(Import, AllOrNothingLeavesAFileWithABadPointOut) {
  const std::string path = Write("bad.gpx", Gpx(GpxPoint(48, 11, "2024-03-05T10:00:00Z") +
                                                GpxPoint(91, 11, "2024-03-05T10:00:10Z")));
  imports::ImportOptions options;
  options.allOrNothing = true;
  const FileImport none = ImportOne(path, options);
  EXPECT_TRUE(none.trackFiles.empty());
  EXPECT_TRUE(none.Failed());
  EXPECT_TRUE(std::filesystem::is_empty(dir / "DataLog"));
  const FileImport some = ImportOne(path);
  EXPECT_EQ(some.points, 1u);
  ASSERT_EQ(some.skipped.size(), 1u);
  EXPECT_NE(some.skipped[0].find("bad.gpx, line 4: a point was skipped: its position is off the "
                                 "globe"),
            std::string::npos)
      << some.skipped[0];
}

TEST_F(Import, AStopLeavesEveryTrackWholeOrUnwritten) {
  std::string points;
  for (int i = 0; i < 40000; ++i) {
    char time[32];
    std::snprintf(time, sizeof time, "2024-03-05T%02d:%02d:%02dZ", 10 + i / 3600, i / 60 % 60,
                  i % 60);
    points += GpxPoint(48 + i * 1e-5, 11, time);
  }
  const std::string path = Write("long.gpx", Gpx(points));
  std::atomic<bool> stop = false;
  imports::ImportOptions options;
  options.stop = &stop;
  uint64_t lastDone = 0, lastTotal = 0;
  options.progress = [&](uint64_t done, uint64_t total) {
    lastDone = done;
    lastTotal = total;
    stop = true;  // after the first piece
  };
  const FileImport result = ImportOne(path, options);
  EXPECT_TRUE(result.stopped);
  EXPECT_GT(lastDone, 0u);
  EXPECT_LT(lastDone, lastTotal);
  EXPECT_TRUE(result.trackFiles.empty());
  EXPECT_TRUE(std::filesystem::is_empty(dir / "DataLog"));  // no track, no ".part"
}

// A point as gpsbabel read it: its second (a fraction cut off, as a track point keeps it) and
// position.
struct ReadPoint {
  long long second;
  double latitude, longitude;
};

long long SecondOf(const DateTime& time) {
  return DaysOfCivilDate(2000 + time.year, time.month, time.day) * 86400 + time.hour * 3600LL +
         time.minute * 60 + time.second;
}

// tests/data/real_tracks/FILE.gpsbabel.csv: unicsv, whose columns differ with what the file has.
std::vector<ReadPoint> GpsbabelReading(const std::string& file) {
  std::ifstream in(std::string(TAVRIN_TEST_DATA) + "/real_tracks/" + file + ".gpsbabel.csv");
  std::string line;
  std::getline(in, line);
  if (line.ends_with('\r')) line.pop_back();
  std::vector<std::string> names;
  for (std::istringstream header(line); std::getline(header, line, ',');) names.push_back(line);
  const auto column = [&names](const std::string& name) {
    const auto found = std::find(names.begin(), names.end(), name);
    EXPECT_NE(found, names.end()) << name;
    return static_cast<size_t>(found - names.begin());
  };
  const size_t lat = column("Latitude"), lon = column("Longitude"), date = column("Date"),
               time = column("Time");
  std::vector<ReadPoint> points;
  while (std::getline(in, line)) {
    if (line.ends_with('\r')) line.pop_back();
    std::vector<std::string> fields;
    for (std::istringstream row(line); std::getline(row, line, ',');) fields.push_back(line);
    if (fields.size() < names.size()) fields.resize(names.size());
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    EXPECT_EQ(std::sscanf(fields[date].c_str(), "%d/%d/%d", &year, &month, &day), 3) << line;
    EXPECT_EQ(std::sscanf(fields[time].c_str(), "%d:%d:%d", &hour, &minute, &second), 3) << line;
    points.push_back({SecondOf(DateTime{year - 2000, month, day, hour, minute, second}),
                      std::stod(fields[lat]), std::stod(fields[lon])});
  }
  return points;
}

// Real logs of loggers and receivers: what is stored is gpsbabel's reading of the file's tracks,
// second for second. A track point holds one position a second: of a logger's several positions
// in one second the first is stored, and the others are said, not lost unseen.
TEST_F(Import, RealDevicesLogsGiveThePointsGpsbabelReadsOfTheirTracks) {
  struct Case {
    const char* file;
    // Sentences whose time field holds letters: gpsbabel makes them midnight, we skip them as
    // bad sentences.
    size_t garbageTimes = 0;
    // Fixes before the log's first date, dated by the sentences after them: gpsbabel leaves
    // them out.
    size_t datedLater = 0;
  };
  for (const Case& c :
       {Case{"gpsbabel__reference_track_mtk_logger_m241.gpx"},
        Case{"gpsd__test_daemon_ublox-8.log", 0, 1}, Case{"gpsbabel__reference_track_nmea_utf16"},
        Case{"gpsd__test_daemon_haicom-305N.log"},
        Case{"gpsbabel__reference_track_nmeadatetime.nmea", 3},
        Case{"togeojson__test_data_non_gx_multitrack.kml"}, Case{"signalk__samples_gps.log"}}) {
    std::vector<ReadPoint> want = GpsbabelReading(c.file);
    ASSERT_FALSE(want.empty()) << c.file;
    const size_t midnights = static_cast<size_t>(
        std::erase_if(want, [](const ReadPoint& p) { return p.second % 86400 == 0; }));
    EXPECT_EQ(midnights, c.garbageTimes) << c.file;
    std::stable_sort(want.begin(), want.end(),
                     [](const ReadPoint& a, const ReadPoint& b) { return a.second < b.second; });
    size_t otherPositions = 0;
    want.erase(std::unique(want.begin(), want.end(),
                           [&otherPositions](const ReadPoint& a, const ReadPoint& b) {
                             if (a.second != b.second) return false;
                             otherPositions += std::fabs(a.latitude - b.latitude) > 2e-5 ||
                                               std::fabs(a.longitude - b.longitude) > 2e-5;
                             return true;
                           }),
               want.end());

    test::TempDir folder;
    TrackStore fresh;
    ASSERT_TRUE(fresh.PrepareDataFolder(folder / "DataLog"));
    const auto results = ImportFiles(
        fresh, std::vector<std::string>{std::string(TAVRIN_TEST_DATA) + "/real_tracks/" + c.file});
    const FileImport& result = results.front();
    EXPECT_FALSE(result.failure) << c.file << ": " << result.failure.value_or("");
    EXPECT_EQ(result.Failed(), c.garbageTimes > 0) << c.file;
    std::vector<TrackPoint> got = StoredPoints(result.trackFiles);
    std::stable_sort(got.begin(), got.end(), [](const TrackPoint& a, const TrackPoint& b) {
      return SecondOf(a.GetDateTime()) < SecondOf(b.GetDateTime());
    });
    ASSERT_GE(got.size(), c.datedLater) << c.file;
    for (size_t i = 0; i < c.datedLater; ++i) {
      EXPECT_LT(SecondOf(got[i].GetDateTime()), want.front().second) << c.file << " #" << i;
    }
    got.erase(got.begin(), got.begin() + static_cast<long>(c.datedLater));
    ASSERT_EQ(got.size(), want.size()) << c.file;
    for (size_t i = 0; i < want.size(); ++i) {
      ASSERT_EQ(SecondOf(got[i].GetDateTime()), want[i].second) << c.file << " #" << i;
      ASSERT_NEAR(got[i].latitude, want[i].latitude, 2e-5) << c.file << " #" << i;
      ASSERT_NEAR(got[i].longitude, want[i].longitude, 2e-5) << c.file << " #" << i;
    }
    const bool saysOtherPositions =
        std::any_of(result.notes.begin(), result.notes.end(), [](const std::string& note) {
          return note.find("another position in a second") != std::string::npos;
        });
    EXPECT_EQ(saysOtherPositions, otherPositions > 0) << c.file;
  }
}

// "$BODY*HH\r\n", its checksum worked out.
std::string Sentence(const std::string& body) {
  uint8_t sum = 0;
  for (const char c : body) sum ^= static_cast<uint8_t>(c);
  char hex[8];
  std::snprintf(hex, sizeof hex, "*%02X\r\n", sum);
  return "$" + body + hex;
}

// A fix of 2024-03-05 10:00:SS, moving north.
std::string Rmc(int second, const std::string& time = "", const std::string& status = "A") {
  char body[96];
  std::snprintf(body, sizeof body, "GPRMC,%s,%s,48%02d.0000,N,01100.0000,E,10.0,0.0,050324,,",
                time.empty() ? ("1000" + std::to_string(10 + second)).c_str() : time.c_str(),
                status.c_str(), second);
  return Sentence(body);
}

// The fix of Rmc(second) as a $GGA of fix quality `quality` (0: none) or a $GLL, of talker
// `talker`; `time` as in Rmc().
std::string Gga(int second, const std::string& time = "", const std::string& quality = "1",
                const std::string& talker = "GP") {
  char body[112];
  std::snprintf(body, sizeof body, "%sGGA,%s,48%02d.0000,N,01100.0000,E,%s,08,0.9,,M,,M,,",
                talker.c_str(),
                time.empty() ? ("1000" + std::to_string(10 + second)).c_str() : time.c_str(),
                second, quality.c_str());
  return Sentence(body);
}

std::string Gll(int second, const std::string& talker = "GP") {
  char body[96];
  std::snprintf(body, sizeof body, "%sGLL,48%02d.0000,N,01100.0000,E,1000%d.00,A,A", talker.c_str(),
                second, 10 + second);
  return Sentence(body);
}

std::string SixFixes() {
  std::string text;
  for (int second = 0; second < 6; ++second) text += Rmc(second);
  return text;
}

bool HasNote(const FileImport& result, const std::string& words) {
  return std::any_of(result.notes.begin(), result.notes.end(), [&words](const std::string& note) {
    return note.find(words) != std::string::npos;
  });
}

std::string AllNotes(const FileImport& result) {
  std::string text;
  for (const std::string& note : result.notes) text += note + "\n";
  for (const std::string& line : result.skipped) text += line + "\n";
  return text;
}

// Loggers and capture tools write more than sentences: what is no sentence is left out and
// counted, and the file is no worse for it.
TEST_F(Import, NmeaLogsWithCommentsNotesAndCutOffSentencesAreRead) {
  const std::string fixes = SixFixes();
  const std::string before = Rmc(9, "095959");
  const std::string lastHalf = before.substr(before.find(",N,") + 3);  // "01100.0000,E,...*hh"
  struct Case {
    std::string name, text, note;
  };
  const std::vector<Case> cases = {
      {"comments.log", "# Name: a logger\r\n#\r\n# Date: 2024-03-05\r\n" + fixes,
       "comments.log, line 1: 3 lines are left out (the first here): no NMEA sentence"},
      {"note.log",
       fixes.substr(0, fixes.size() / 2) + "stopped at the lights\r\n\r\n" +
           fixes.substr(fixes.size() / 2),
       "note.log, line 4: 1 line is left out: no NMEA sentence"},
      {"capture.log", lastHalf + fixes + "$GPRMC,100016,A,4806.00",
       "capture.log, line 8: 1 line is left out: the file ends in the middle of this sentence"},
  };
  for (const Case& c : cases) {
    const FileImport result = ImportAfresh(Write(c.name, c.text));
    EXPECT_FALSE(result.Failed()) << c.name << "\n" << AllNotes(result);
    EXPECT_EQ(result.points, 6u) << c.name;
    EXPECT_TRUE(HasNote(result, c.note)) << c.name << "\n" << AllNotes(result);
  }
  // A cut-off sentence inside a log is a fault of the receiver or the line, not of the capture.
  const FileImport cut = ImportAfresh(Write("cut.log", "$GPRMC,100016,A,4806.00\r\n" + fixes));
  EXPECT_EQ(cut.points, 6u);
  ASSERT_EQ(cut.skipped.size(), 1u);
  EXPECT_EQ(cut.skipped[0], "cut.log, line 1: a point was skipped: the sentence has no checksum.");
}

std::string Utf16(const std::string& ascii, bool bigEndian, bool mark) {
  std::string text;
  if (mark) text = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char c : ascii) {
    text += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
  }
  return text;
}

TEST_F(Import, Utf16NmeaOfEitherByteOrderIsRead) {
  const std::string fixes = "# from a Windows program\r\n" + SixFixes();
  for (const bool bigEndian : {false, true}) {
    for (const bool mark : {true, false}) {
      const std::string name =
          std::string(bigEndian ? "be" : "le") + (mark ? "-bom" : "") + ".nmea";
      test::TempDir folder;
      TrackStore fresh;
      ASSERT_TRUE(fresh.PrepareDataFolder(folder / "DataLog"));
      const auto results =
          ImportFiles(fresh, std::vector<std::string>{Write(name, Utf16(fixes, bigEndian, mark))});
      const FileImport& result = results.front();
      EXPECT_FALSE(result.Failed()) << name << ": " << result.failure.value_or("");
      const auto points = StoredPoints(result.trackFiles);
      ASSERT_EQ(points.size(), 6u) << name;
      EXPECT_EQ(points[5].GetDateTime(), (DateTime{24, 3, 5, 10, 0, 15})) << name;
      EXPECT_NEAR(points[5].latitude, 48 + 5 / 60.0, 1e-5) << name;
      // The byte-order mark is no line of its own; the comment is.
      EXPECT_TRUE(HasNote(result, name + ", line 1: 1 line is left out")) << AllNotes(result);
    }
  }
}

TEST_F(Import, VoidFixesAreLeftOutAndOddTimeFieldsAreReadOrSkipped) {
  const FileImport fixes =
      ImportOne(Write("void.nmea", Rmc(0) + Rmc(1, "", "V") + Rmc(2) + Rmc(3, "", "V") + Rmc(4)));
  EXPECT_FALSE(fixes.Failed()) << AllNotes(fixes);
  EXPECT_EQ(fixes.points, 3u);
  EXPECT_TRUE(HasNote(fixes,
                      "void.nmea, line 2: 2 lines are left out (the first here): a $GPRMC "
                      "sentence without a fix (status V)"))
      << AllNotes(fixes);
  const FileImport none = ImportOne(Write("nofix.nmea", Rmc(0, "", "V") + Rmc(1, "", "V")));
  EXPECT_EQ(none.points, 0u);
  EXPECT_NE(none.failure.value_or("").find("receiver had no fix"), std::string::npos)
      << none.failure.value_or("");

  // Blanks around the digits and any fraction of a second are read; letters are garbage.
  const FileImport times =
      ImportOne(Write("times.nmea", Rmc(0, " 100010") + Rmc(1, "100011 ") + Rmc(2, "100012.") +
                                        Rmc(3, "100013.250") + Rmc(4, "100014.x") +
                                        Rmc(5, "10001x") + Rmc(6, ".1")));
  const auto points = StoredPoints(times.trackFiles);
  ASSERT_EQ(points.size(), 4u);
  EXPECT_EQ(points[0].GetDateTime(), (DateTime{24, 3, 5, 10, 0, 10}));
  EXPECT_EQ(points[3].GetDateTime(), (DateTime{24, 3, 5, 10, 0, 13}));
  ASSERT_EQ(times.skipped.size(), 1u);
  EXPECT_EQ(times.skipped[0],
            "times.nmea, line 5: 3 points were skipped (the first here): its time or date is no "
            "time of day and date.");
}

// A second that only a $GGA or $GLL tells of is a point, dated by the $RMC or $ZDA sentences
// around it, also over midnight; of one second's $RMC and $GGA one point is made.
TEST_F(Import, FixesOfAGgaOrGllAloneTakeTheDateOfTheSentencesAroundThem) {
  struct Case {
    std::string name, text;
    std::vector<DateTime> times;
  };
  const auto at = [](int day, int hour, int minute, int second) {
    return DateTime{24, 3, day, hour, minute, second};
  };
  const std::vector<Case> cases = {
      {"lone-gga.nmea",
       Rmc(0) + Gga(0) + Gga(1) + Rmc(1) + Gga(2) + Gga(3, "", "0"),
       {at(5, 10, 0, 10), at(5, 10, 0, 11), at(5, 10, 0, 12)}},
      {"gll-first.nmea",
       Gll(0) + Rmc(1) + Rmc(2),
       {at(5, 10, 0, 10), at(5, 10, 0, 11), at(5, 10, 0, 12)}},
      {"zda.nmea",
       Gga(0, "", "1", "GN") + Sentence("GNZDA,100010.00,05,03,2024,00,00") +
           Gga(1, "", "1", "GN") + Gll(1, "GN"),
       {at(5, 10, 0, 10), at(5, 10, 0, 11)}},
      {"midnight.nmea",
       Rmc(0, "235959") + Gga(1, "000000") + Gga(2, "000001"),
       {at(5, 23, 59, 59), at(6, 0, 0, 0), at(6, 0, 0, 1)}},
      {"before-date.nmea",
       Gga(0, "235958") + Gga(1, "235959") + Rmc(2, "000000"),
       {at(4, 23, 59, 58), at(4, 23, 59, 59), at(5, 0, 0, 0)}},
  };
  for (const Case& c : cases) {
    const FileImport result = ImportAfresh(Write(c.name, c.text));
    EXPECT_FALSE(result.Failed()) << c.name << "\n" << AllNotes(result);
    const auto points = StoredPoints(result.trackFiles);
    ASSERT_EQ(points.size(), c.times.size()) << c.name;
    for (size_t i = 0; i < points.size(); ++i) {
      EXPECT_EQ(points[i].GetDateTime(), c.times[i]) << c.name << " #" << i;
      EXPECT_NEAR(points[i].latitude, 48 + static_cast<double>(i) / 60, 1e-5) << c.name;
    }
  }
  // The $RMC's speed stays with the point its $GGA joined.
  const auto joined = StoredPoints(ImportAfresh(Write("joined.nmea", Gga(0) + Rmc(0))).trackFiles);
  ASSERT_EQ(joined.size(), 1u);
  EXPECT_EQ(joined[0].speed, 19);  // 10 knots

  const FileImport undated =
      ImportAfresh(Write("undated.nmea", "# no date\r\n" + Gga(0) + Gga(1) + Gll(1)));
  EXPECT_EQ(undated.points, 0u);
  EXPECT_NE(undated.failure.value_or("").find("no sentence gives the date"), std::string::npos)
      << undated.failure.value_or("");
  ASSERT_EQ(undated.skipped.size(), 1u);
  EXPECT_EQ(undated.skipped[0],
            "undated.nmea, line 2: 2 points were skipped (the first here): no $GPRMC or $GPZDA "
            "sentence of the log gives the date of its fix.");
}

// SignalK's log with one $GPRMC taken out of its middle keeps that second, from its $GPGGA.
TEST_F(Import, ASecondWhoseRmcIsMissingIsKeptFromItsGga) {
  std::ifstream in(std::string(TAVRIN_TEST_DATA) + "/real_tracks/signalk__samples_gps.log",
                   std::ios::binary);
  std::string text, line;
  int rmcs = 0;
  std::string removed;
  while (std::getline(in, line)) {
    if (line.starts_with("$GPRMC") && ++rmcs == 600) {
      removed = line;
      continue;
    }
    text += line + "\n";
  }
  ASSERT_FALSE(removed.empty());
  const FileImport result = ImportAfresh(Write("gps.log", text));
  EXPECT_FALSE(result.Failed()) << AllNotes(result);
  std::vector<TrackPoint> got = StoredPoints(result.trackFiles);
  const std::vector<ReadPoint> want = GpsbabelReading("signalk__samples_gps.log");
  ASSERT_EQ(want.size(), 1202u);
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    ASSERT_EQ(SecondOf(got[i].GetDateTime()), want[i].second) << removed << " #" << i;
    ASSERT_NEAR(got[i].latitude, want[i].latitude, 2e-5) << removed << " #" << i;
    ASSERT_NEAR(got[i].longitude, want[i].longitude, 2e-5) << removed << " #" << i;
  }
}

// Receivers that leave out leading zeros write 11 degrees 31.1 minutes as "1131.1000"; a
// position that is no number is refused with its line.
TEST_F(Import, NmeaPositionsAreNumbersWithOrWithoutLeadingZeros) {
  const FileImport result = ImportOne(
      Write("zeros.nmea", Sentence("GPRMC,100010,A,4807.0000,N,1131.1000,E,0.0,0.0,050324,,") +
                              Sentence("GPRMC,100011,A,807.0000,S,01131.1000,W,0.0,,050324,,") +
                              Sentence("GPGGA,100012,4807.0000,N,11x31.100,E,1,08,0.9,,M,,M,,")));
  const auto points = StoredPoints(result.trackFiles);
  ASSERT_EQ(points.size(), 2u);
  EXPECT_NEAR(points[0].latitude, 48.116667, 1e-5);
  EXPECT_NEAR(points[0].longitude, 11.518333, 1e-5);
  EXPECT_NEAR(points[1].latitude, -8.116667, 1e-5);
  EXPECT_NEAR(points[1].longitude, -11.518333, 1e-5);
  ASSERT_EQ(result.skipped.size(), 1u);
  EXPECT_EQ(result.skipped[0],
            "zeros.nmea, line 3: a point was skipped: its position is no latitude and longitude.");
}

// A <gx:Track> pairs its n-th <when> with its n-th <gx:coord>, written in any order: each time
// first, each position first (My Tracks), or a run of each (OpenTracks). Where the counts
// differ, what has no partner is lost, and said so at the track.
TEST_F(Import, KmlTrackTimesAndPositionsPairByTheirPlaceInTheirLists) {
  const auto when = [](int s) {
    return "<when>2024-03-05T10:00:0" + std::to_string(s) + "Z</when>";
  };
  const auto coord = [](int s) {
    return "<gx:coord>11 48.00" + std::to_string(s) + " 0</gx:coord>";
  };
  const auto kml = [](const std::string& track) {
    return "<kml xmlns:gx=\"http://www.google.com/kml/ext/2.2\"><Placemark>\n<gx:Track>" + track +
           "</gx:Track></Placemark></kml>";
  };
  std::string timeFirst, positionFirst, timesThenPositions, positionsThenTimes;
  for (int s = 0; s < 4; ++s) {
    timeFirst += when(s) + coord(s);
    positionFirst += coord(s) + when(s);
    timesThenPositions += when(s);
    positionsThenTimes += coord(s);
  }
  for (int s = 0; s < 4; ++s) {
    timesThenPositions += coord(s);
    positionsThenTimes += when(s);
  }
  for (const std::string& track :
       {timeFirst, positionFirst, timesThenPositions, positionsThenTimes}) {
    const FileImport result = ImportAfresh(Write("track.kml", kml(track)));
    EXPECT_FALSE(result.Failed()) << track << "\n" << AllNotes(result);
    const auto points = StoredPoints(result.trackFiles);
    ASSERT_EQ(points.size(), 4u) << track;
    for (int s = 0; s < 4; ++s) {
      EXPECT_EQ(points[s].GetDateTime(), (DateTime{24, 3, 5, 10, 0, s})) << track;
      EXPECT_NEAR(points[s].latitude, 48 + s * 1e-3, 1e-5) << track;
    }
  }
  const FileImport uneven = ImportAfresh(
      Write("uneven.kml", kml(coord(0) + when(0) + coord(1) + when(1) + coord(2) + coord(3))));
  EXPECT_EQ(uneven.points, 2u);
  ASSERT_EQ(uneven.skipped.size(), 1u);
  EXPECT_EQ(uneven.skipped[0],
            "uneven.kml, line 2: 2 points were skipped (the first here): its <gx:Track> has 2 "
            "<when> but 4 <gx:coord>, which go in pairs.");
}

// A receiver's binary messages before its sentences, or a long header, do not make a log
// something else; a file that shows no sentence at all in its first MiBs is refused.
TEST_F(Import, WhatAFileIsIsLookedForBeyondItsFirstBytes) {
  std::string binary(3000, '\0');
  for (size_t i = 0; i < binary.size(); i += 7) binary[i] = static_cast<char>(0xB5 + i % 40);
  const FileImport result = ImportOne(Write("ublox.log", binary + "\r\n" + SixFixes()));
  EXPECT_FALSE(result.Failed()) << AllNotes(result);
  EXPECT_EQ(result.points, 6u);

  using imports::SniffFormat;
  const auto undecided = SniffFormat("# only comments so far\n", false);  // more may tell
  ASSERT_TRUE(undecided);
  EXPECT_FALSE(*undecided);
  const auto comments = SniffFormat("# only comments\n# and more\n", true);
  ASSERT_FALSE(comments);
  EXPECT_NE(comments.Error().reason.find("is no GPX, KML or NMEA file"), std::string::npos);
  const auto zeros = SniffFormat(std::string(1 << 20, '\0'), true);
  ASSERT_FALSE(zeros);
  EXPECT_NE(zeros.Error().reason.find("holds binary data"), std::string::npos);
  const auto noted = SniffFormat("<log started>\n$GNRMC,1", false);
  ASSERT_TRUE(noted && *noted);
  EXPECT_EQ((*noted)->format, imports::TrackFormat::Nmea);
  const auto found = SniffFormat("# header\n  $GNRMC,1", false);
  ASSERT_TRUE(found && *found);
  EXPECT_EQ((*found)->format, imports::TrackFormat::Nmea);
}

// A logger writes its marked points (timed waypoints) first and the track they were marked on
// after them; a GPX file's track may also come out of time order.
TEST_F(Import, TracksAreTakenOnTheirOwnBesideWaypointsAndRoutes) {
  std::string track;
  for (int s : {0, 1, 2, 4, 3, 5, 6, 7, 8, 9}) {  // one pair swapped
    track += GpxPoint(48 + s * 1e-4, 11, "2024-03-05T10:00:0" + std::to_string(s) + "Z");
  }
  track += GpxPoint(48 + 9e-4, 11, "2024-03-05T10:00:09Z");  // written twice
  const std::string path = Write(
      "logger.gpx",
      "<gpx version=\"1.0\">"
      "<wpt lat=\"48.0005\" lon=\"11\"><time>2024-03-05T10:00:05Z</time><name>WP1</name></wpt>"
      "<wpt lat=\"48.5\" lon=\"11.5\"><time>2024-03-05T10:00:09Z</time></wpt>"
      "<wpt lat=\"48.6\" lon=\"11.6\"><name>home</name></wpt>"
      "<rte><rtept lat=\"47\" lon=\"10\"/></rte>"
      "<trk><trkseg>\n" +
          track + "</trkseg></trk></gpx>");
  const FileImport result = ImportOne(path);
  EXPECT_FALSE(result.Failed()) << AllNotes(result);
  ASSERT_EQ(result.trackFiles.size(), 1u);
  const auto points = StoredPoints(result.trackFiles);
  ASSERT_EQ(points.size(), 10u);
  for (int s = 0; s < 10; ++s) {
    EXPECT_EQ(points[s].GetDateTime(), (DateTime{24, 3, 5, 10, 0, s})) << s;
    EXPECT_NEAR(points[s].latitude, 48 + s * 1e-4, 1e-5) << s;
  }
  EXPECT_EQ(result.dropped, (std::vector<std::string>{"names and descriptions", "waypoints",
                                                      "waypoints and routes without times"}));
  EXPECT_TRUE(HasNote(result, "the points of 1 track are not in time order")) << AllNotes(result);
  EXPECT_TRUE(HasNote(result, "1 point repeats the time and position of another and is kept once"))
      << AllNotes(result);

  // A KML's placemarks beside its <gx:Track> are marks too.
  const FileImport kml = ImportOne(Write(
      "marks.kml",
      "<kml xmlns:gx=\"http://www.google.com/kml/ext/2.2\">"
      "<Placemark><TimeStamp><when>2024-03-06T10:00:01Z</when></TimeStamp><Point><coordinates>"
      "12,49</coordinates></Point></Placemark>"
      "<Placemark><gx:Track><when>2024-03-06T10:00:00Z</when><when>2024-03-06T10:00:02Z</when>"
      "<gx:coord>11 48 0</gx:coord><gx:coord>11.0001 48.0001 0</gx:coord></gx:Track></Placemark>"
      "</kml>"));
  EXPECT_FALSE(kml.Failed()) << AllNotes(kml);
  EXPECT_EQ(kml.points, 2u);
  EXPECT_EQ(kml.dropped, (std::vector<std::string>{"waypoints"}));
}

}  // namespace
}  // namespace tavrin
