// SPDX-License-Identifier: GPL-3.0-or-later
// What every export format shares: a failed export never costs the earlier file of its name, and
// points without a valid position are left out the same way everywhere.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <functional>
#include <limits>

#include "export/export_paths.h"
#include "export/export_writer.h"
#include "export_test_support.h"

namespace tavrin {
namespace {

using test::At;

// How the outside readers take a file of a format.
enum class Reader { None, Xml, Html, GpxSchema };

struct Format {
  const char* name;
  const char* file;  // where the export goes, under the track's folder
  std::function<Result<std::string>(ExportWriter&, const std::string& trackFile,
                                    std::span<const TrackPoint>)>
      make;
  Reader lint;
  const char* gpsbabelFormat;  // nullptr when gpsbabel does not read it
  bool madeWithoutPoints;      // the map page shows the map without a track
};

const Format kFormats[] = {
    {"KML", "KML/20150102_030405.kml",
     [](ExportWriter& w, const std::string& track, std::span<const TrackPoint> points) {
       return w.MakeKml(points, track, "/opt/tavrin");
     },
     Reader::Xml, "kml", false},
    {"NMEA text", "TXT/20150102_030405.txt",
     [](ExportWriter& w, const std::string& track, std::span<const TrackPoint> points) {
       return w.MakeTxt(points, track);
     },
     Reader::None, "nmea", false},
    {"track log", "DORVALE/20150102_030405.log",
     [](ExportWriter& w, const std::string& track, std::span<const TrackPoint> points) {
       return w.MakeLog(points, track);
     },
     Reader::None, "nmea", false},
    {"GPX", "GPX/20150102_030405.gpx",
     [](ExportWriter& w, const std::string& track, std::span<const TrackPoint> points) {
       return w.MakeGpx(points, track);
     },
     Reader::GpxSchema, "gpx", false},
    {"map page", "KML/Tvr_GoogleMap.html",
     [](ExportWriter& w, const std::string& track, std::span<const TrackPoint> points) {
       return w.MakeMapPage(std::filesystem::path(track).parent_path().string(), 726, 412, points);
     },
     Reader::Html, nullptr, true},
};

void ExpectReadersAccept(const Format& format, const std::string& path) {
  switch (format.lint) {
    case Reader::None:
      break;
    case Reader::Xml:
      test::ExpectXmllintAccepts(path);
      break;
    case Reader::Html:
      test::ExpectXmllintAccepts(path, "--html");
      break;
    case Reader::GpxSchema:
      test::ExpectValidGpx(path);
      break;
  }
}

// `count` points a second apart along a short line.
std::vector<TrackPoint> Track(int count) {
  std::vector<TrackPoint> points;
  for (int i = 0; i < count; ++i) {
    points.push_back(At({15, 1, 2, 3, 4 + i / 60, i % 60}, 37.5f + i * 1e-4f, 127.25f + i * 1e-4f));
  }
  return points;
}

// The names in a folder, hidden ones included.
std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& item : std::filesystem::directory_iterator(folder)) {
    names.push_back(item.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

struct ChildRun {
  int exitCode = -1;
  std::string said;  // what the child's work reported
};

// Runs `work` in a child process whose files cannot grow past `limit` bytes, as on a disk that
// is nearly full: writes beyond it fail with EFBIG. The child's exit code is what work returns.
ChildRun RunWithFileSizeLimit(rlim_t limit, const std::function<int(std::string& said)>& work) {
  int channel[2];
  if (::pipe(channel) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(channel[0]);
    const rlimit small{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &small);
    ::signal(SIGXFSZ, SIG_IGN);
    std::string said;
    const int code = work(said);
    [[maybe_unused]] const ssize_t ignored = ::write(channel[1], said.data(), said.size());
    ::_exit(code);
  }
  ::close(channel[1]);
  ChildRun run;
  char chunk[4096];
  ssize_t n;
  while ((n = ::read(channel[0], chunk, sizeof chunk)) > 0) run.said.append(chunk, n);
  ::close(channel[0]);
  int status = 0;
  if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)) {
    run.exitCode = WEXITSTATUS(status);
  }
  return run;
}

class ExportFormats : public test::ExportTest {};

TEST_F(ExportFormats, AFailedReExportLeavesTheEarlierFileAsItWas) {
  constexpr int kExportFailed = 3;
  for (const Format& format : kFormats) {
    SCOPED_TRACE(format.name);
    const std::vector<TrackPoint> first = Track(3);
    ExportWriter writer = Writer();
    const auto path = format.make(writer, TrackPath(), first);
    ASSERT_EQ(path, dir / format.file);
    const std::string before = test::ReadText(*path);

    // The second export is far larger than the files may grow.
    const std::vector<TrackPoint> longer = Track(5000);
    const ChildRun run = RunWithFileSizeLimit(4096, [&](std::string& said) {
      test::MessageLog messages;
      ExportWriter limited(messages.Fn());
      const bool written = format.make(limited, TrackPath(), longer).Ok();
      for (const std::string& text : messages.texts) said += text + "\n";
      return written ? 0 : kExportFailed;
    });
    EXPECT_EQ(run.exitCode, kExportFailed) << run.said;
    EXPECT_NE(run.said.find(": File too large. Nothing was written under that name; an earlier "
                            "export of it is unchanged."),
              std::string::npos)
        << run.said;
    EXPECT_EQ(test::ReadText(*path), before);
    // No temporary file is left beside it.
    for (const std::string& name : NamesIn(std::filesystem::path(*path).parent_path().string())) {
      EXPECT_NE(name.front(), '.') << name;
    }
  }
}

TEST_F(ExportFormats, AFinishedExportReplacesTheEarlierOneAndLeavesNothingElse) {
  for (const Format& format : kFormats) {
    SCOPED_TRACE(format.name);
    ExportWriter writer = Writer();
    const auto first = format.make(writer, TrackPath(), Track(2));
    ASSERT_TRUE(first);
    const std::string before = test::ReadText(*first);
    const auto second = format.make(writer, TrackPath(), Track(40));
    ASSERT_EQ(second, first);
    EXPECT_GT(test::ReadText(*second).size(), before.size());
  }
  for (const auto& item : std::filesystem::recursive_directory_iterator(dir.Path())) {
    EXPECT_NE(item.path().filename().string().front(), '.') << item.path();
  }
}

// How the map page writes a position, and the start of each point of its line.
std::string MapPosition(const TrackPoint& point) {
  char text[64];
  std::snprintf(text, sizeof text, "%f, %f", point.latitude, point.longitude);
  return text;
}
const std::string kLinePoint = "            new google.maps.latlng(";

// True when `read` lies within a millionth of a degree of the point.
bool SamePosition(const test::ReadPoint& read, const TrackPoint& point) {
  return std::fabs(read.latitude - point.latitude) < 1e-6 &&
         std::fabs(read.longitude - point.longitude) < 1e-6;
}

constexpr float kNan = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

TEST_F(ExportFormats, PointsWithoutAValidPositionAreLeftOutWithOneWarning) {
  const std::vector<TrackPoint> good = Track(4);
  const std::vector<TrackPoint> points = {
      At({15, 1, 2, 3, 3, 58}, kNan, 127.25f),  // first, so Start must skip it
      good[0],
      At({15, 1, 2, 3, 3, 59}, 37.5f, kInf),
      good[1],
      TrackPoint{},  // a zeroed record
      good[2],
      At({15, 1, 2, 3, 4, 30}, -kInf, kNan),
      At({15, 1, 2, 3, 4, 31}, 90.5f, 127.25f),  // off the globe
      good[3],
      At({15, 1, 2, 3, 4, 32}, kNan, kNan),  // last, so Stop must skip it
  };
  for (const Format& format : kFormats) {
    SCOPED_TRACE(format.name);
    messages.texts.clear();
    ExportWriter writer = Writer();
    const auto path = format.make(writer, TrackPath(), points);
    ASSERT_EQ(path, dir / format.file);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0].rfind("6 point(s) ", 0), 0u) << messages.texts[0];
    EXPECT_NE(messages.texts[0].find("left out of " + NameOf(*path) + "."), std::string::npos)
        << messages.texts[0];

    std::string text = test::ReadText(*path);
    std::transform(text.begin(), text.end(), text.begin(), ::tolower);
    EXPECT_EQ(text.find("nan"), std::string::npos);
    EXPECT_EQ(text.find("inf"), std::string::npos);
    ExpectReadersAccept(format, *path);
    if (format.gpsbabelFormat) {
      // Every good point is read back, and nothing else.
      const auto read = test::GpsbabelReads(format.gpsbabelFormat, *path);
      for (const TrackPoint& point : good) {
        EXPECT_TRUE(std::any_of(read.begin(), read.end(),
                                [&](const test::ReadPoint& r) { return SamePosition(r, point); }));
      }
      for (const test::ReadPoint& r : read) {
        EXPECT_TRUE(std::any_of(good.begin(), good.end(),
                                [&](const TrackPoint& point) { return SamePosition(r, point); }))
            << r.latitude << ", " << r.longitude;
      }
    } else {
      // The map page's line: every good point, the last one twice to close it.
      std::vector<std::string> line;
      for (size_t at = 0; (at = text.find(kLinePoint, at)) != std::string::npos; ++at) {
        const size_t start = at + kLinePoint.size();
        line.push_back(text.substr(start, text.find(')', start) - start));
      }
      std::vector<std::string> expected;
      for (const TrackPoint& point : good) expected.push_back(MapPosition(point));
      expected.push_back(expected.back());
      EXPECT_EQ(line, expected);
    }
  }
}

// New York leaves summer time at 06:00 UTC on 3 November 2024, and its clocks show 01:00 to
// 01:59 twice. The store shows the points in New York time, and yet every format with UTC times
// holds each point's own instant, those of the repeated hour too.
TEST_F(ExportFormats, AcrossTheAutumnChangeEachPointKeepsItsOwnUtcTime) {
  std::vector<TrackPoint> utc;
  for (int minute = 0; minute <= 120; minute += 5) {
    utc.push_back(At({24, 11, 3, 5 + minute / 60, minute % 60, minute % 7}, 40.7f + minute * 1e-4f,
                     -74.0f + minute * 1e-4f));
  }
  const auto york = LocalZone::Named("America/New_York", true);
  ASSERT_TRUE(york);
  const PointVector loaded = LoadThroughStore(utc, *york);
  ASSERT_EQ(loaded.size(), utc.size());
  ExportWriter writer = Writer(*york);
  for (const Format& format : kFormats) {
    if (format.gpsbabelFormat == nullptr) continue;  // the map page holds no times
    SCOPED_TRACE(format.name);
    const auto path = format.make(writer, TrackPath(), loaded);
    ASSERT_TRUE(path);
    std::vector<std::string> times;
    for (const test::ReadPoint& read : test::GpsbabelReads(format.gpsbabelFormat, *path)) {
      if (!read.time.empty()) times.push_back(read.time);
    }
    std::vector<std::string> expected;
    for (const TrackPoint& point : utc) expected.push_back(test::IsoTime(point.GetDateTime()));
    if (std::string(format.gpsbabelFormat) == "kml") {
      // Start, the placemarks, then Stop.
      expected.insert(expected.begin(), expected.front());
      expected.push_back(expected.back());
    }
    EXPECT_EQ(times, expected);
  }
  // The placemarks' names are for people: New York time, with 01:30 twice.
  const std::string kml = test::ReadText(dir / "KML/20150102_030405.kml");
  EXPECT_NE(kml.find("<name>2024-11-03 01:30:02</name>"), std::string::npos);
  EXPECT_NE(kml.find("<name>2024-11-03 01:30:06</name>"), std::string::npos);
  EXPECT_NE(kml.find("<name>2024-11-03 02:00:01</name>"), std::string::npos);
}

TEST_F(ExportFormats, ATrackWithoutAnyValidPositionGivesNoFileAndSaysSo) {
  const std::vector<TrackPoint> points = {TrackPoint{}, At({15, 1, 2, 3, 4, 5}, kNan, 127.25f),
                                          At({15, 1, 2, 3, 4, 6}, 37.5f, -kInf)};
  for (const Format& format : kFormats) {
    SCOPED_TRACE(format.name);
    messages.texts.clear();
    ExportWriter writer = Writer();
    const auto path = format.make(writer, TrackPath(), points);
    ASSERT_EQ(messages.texts.size(), 1u);
    const std::string& said = messages.texts[0];
    if (format.madeWithoutPoints) {
      ASSERT_EQ(path, dir / format.file);
      EXPECT_EQ(said.rfind("3 point(s) have no valid position", 0), 0u) << said;
      EXPECT_NE(said.find("which shows no track."), std::string::npos) << said;
      EXPECT_EQ(test::ReadText(*path).find("Marker"), std::string::npos);
      ExpectReadersAccept(format, *path);
    } else {
      EXPECT_FALSE(path);
      EXPECT_EQ(said.rfind("None of the 3 point(s) of 20150102_030405.bt0 has a valid position", 0),
                0u)
          << said;
      EXPECT_FALSE(std::filesystem::exists(dir / format.file));
    }
  }
  EXPECT_TRUE(opened.paths.empty());
}

}  // namespace
}  // namespace tavrin
