// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for the export tests: reading what was written, golden files, and the outside programs
// (xmllint, gpsbabel) that must accept our files.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "export/export_writer.h"
#include "test_support.h"

namespace tavrin::test {

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

struct ToolResult {
  int exitCode = -1;
  std::string output;  // stdout and stderr together
};

inline ToolResult RunTool(const std::string& command) {
  ToolResult result;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  char chunk[4096];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) result.output.append(chunk, n);
  const int status = ::pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

// Whether the outside reader `program` (from the Debian `package`) is on the PATH. When it is
// not, the test fails saying so and what to do, rather than with the shell's "not found" taken
// for a file the reader could not read.
inline bool ReaderInstalled(const std::string& program, const std::string& package) {
  if (RunTool("command -v " + Quote(program)).exitCode == 0) return true;
  ADD_FAILURE() << program << " is not installed (Debian package " << package
                << "): run scripts/install-deps.sh";
  return false;
}

// xmllint finds the file well-formed; "--html" reads it as HTML. The HTML parser reports errors
// yet exits with 0, so anything it says at all counts as a complaint.
inline void ExpectXmllintAccepts(const std::string& path, const std::string& arguments = "") {
  if (!ReaderInstalled("xmllint", "libxml2-utils")) return;
  const ToolResult lint = RunTool("xmllint --noout " + arguments + " " + Quote(path));
  EXPECT_EQ(lint.exitCode, 0) << path;
  EXPECT_EQ(lint.output, "") << path;
}

inline void ExpectValidGpx(const std::string& path) {
  if (!ReaderInstalled("xmllint", "libxml2-utils")) return;
  const ToolResult lint =
      RunTool("xmllint --noout --schema " + Quote(TAVRIN_GPX_SCHEMA) + " " + Quote(path));
  EXPECT_EQ(lint.exitCode, 0) << path;
  EXPECT_EQ(lint.output, path + " validates\n");
}

// A position and UTC time as another program read it back.
struct ReadPoint {
  double latitude = 0;
  double longitude = 0;
  std::string time;  // "yyyy-mm-ddThh:mm:ss", empty when none
};

// What gpsbabel reads from a file of the given format: its waypoints and track points, in order,
// as written out again in GPX.
inline std::vector<ReadPoint> GpsbabelReads(const std::string& format, const std::string& path) {
  if (!ReaderInstalled("gpsbabel", "gpsbabel")) return {};
  const ToolResult run =
      RunTool("gpsbabel -w -t -i " + format + " -f " + Quote(path) + " -o gpx -F -");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  static const std::regex kPoint(
      R"re(<(wpt|trkpt) lat="([-0-9.]+)" lon="([-0-9.]+)"(/>|>([\s\S]*?)</\1>))re");
  static const std::regex kTime(R"(<time>(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d))");
  std::vector<ReadPoint> points;
  for (std::sregex_iterator it(run.output.begin(), run.output.end(), kPoint), end; it != end;
       ++it) {
    ReadPoint p{std::stod((*it)[2]), std::stod((*it)[3]), ""};
    std::smatch time;
    const std::string body = (*it)[5];
    if (std::regex_search(body, time, kTime)) p.time = time[1];
    points.push_back(p);
  }
  return points;
}

// "2015-01-02T03:04:05" for a date-time.
inline std::string IsoTime(const DateTime& dt) {
  std::string text = FormatDateTime(dt);
  text[10] = 'T';
  return text;
}

// Compares a written file with tests/data/export/<name> byte for byte. With TAVRIN_UPDATE_GOLDEN
// set, writes the file there instead, to be checked by hand before it is committed.
inline void ExpectGolden(const std::string& written, const std::string& name) {
  const std::string golden = std::string(TAVRIN_TEST_DATA) + "/export/" + name;
  if (std::getenv("TAVRIN_UPDATE_GOLDEN")) {
    std::ofstream(golden, std::ios::binary) << ReadText(written);
    return;
  }
  EXPECT_EQ(ReadText(written), ReadText(golden)) << "differs from " << golden;
}

// Records what would have been opened, so that no test ever starts an application.
struct OpenedLog {
  std::vector<std::string> paths;
  DocumentOpener Fn() {
    return [this](const std::string& path) { paths.push_back(path); };
  }
};

// A point as the logger records it, for the export tests.
inline TrackPoint At(DateTime dt, float lat, float lon, int fix = kFix3D, int speed = 10,
                     int heading = 90) {
  return MakePoint(dt, fix, lat, lon, speed, heading);
}

// A temporary folder with a track file in it, a writer and recorders of what the writer said
// and opened.
class ExportTest : public ::testing::Test {
 protected:
  std::string TrackPath(const std::string& name = "20150102_030405.bt0") const {
    return dir / name;
  }

  // A writer that reports to the recorders; `zone` is the store's, which names show times in.
  ExportWriter Writer(const LocalZone& zone, const std::string& mapKey = "") {
    return ExportWriter(messages.Fn(), opened.Fn(), {zone, "", mapKey});
  }
  ExportWriter Writer(int offsetMinutes = 0, const std::string& mapKey = "") {
    return Writer(LocalZone::Fixed(offsetMinutes), mapKey);
  }

  // Writes the points (UTC, as the logger gave them) as a track file and loads it the way an
  // export command does, with the store showing times in `zone`.
  PointVector LoadThroughStore(const std::vector<TrackPoint>& points, const LocalZone& zone) {
    TrackStore store(messages.Fn());
    EXPECT_TRUE(store.PrepareDataFolder(dir.Path()));
    store.SetTimeZone(zone);
    const uint32_t count = static_cast<uint32_t>(points.size());
    WriteTrackFile(TrackPath(), Header(points.front(), count, count - 1, 0), points);
    const auto entry = store.Files().ReadTrackHeader(TrackPath());
    PointVector loaded;
    EXPECT_TRUE(entry && store.Files().LoadTrackPoints(*entry, loaded));
    return loaded;
  }
  PointVector LoadThroughStore(const std::vector<TrackPoint>& points, int offsetMinutes) {
    return LoadThroughStore(points, LocalZone::Fixed(offsetMinutes));
  }

  TempDir dir;
  MessageLog messages;
  OpenedLog opened;
};

}  // namespace tavrin::test
