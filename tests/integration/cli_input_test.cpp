// SPDX-License-Identifier: GPL-3.0-or-later
// tavrin given bad input as a user gives it: bad track files in the data folder, mistyped values
// on the command line, a data folder it cannot use, a settings file with impossible values.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <future>

#include "../support/emulator_process.h"
#include "../support/folder_conditions.h"
#include "../support/program_run.h"
#include "../support/sample_memory.h"
#include "emulator/memory_file.h"
#include "test_support.h"

namespace tavrin {
namespace {

// Far beyond what any of these runs needs; a run that takes longer hangs.
constexpr auto kRunLimit = std::chrono::seconds(60);

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
  return text;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class CliInput : public ::testing::Test {
 protected:
  CliInput() {
    std::filesystem::create_directory(dataFolder);
    std::ofstream(settingsFile) << "[MAIN]\r\nLocalTimeOffset=0\r\n";
  }

  test::ProgramResult Tavrin(std::vector<std::string> words, std::vector<std::string> global = {}) {
    std::vector<std::string> argv = {TAVRIN_CLI};
    if (global.empty()) global = {"--data", dataFolder, "--config", settingsFile};
    argv.insert(argv.end(), global.begin(), global.end());
    argv.insert(argv.end(), words.begin(), words.end());
    auto result = test::RunProgramWithin(argv, dir.Path(), kRunLimit);
    EXPECT_FALSE(result.timedOut) << "tavrin hangs: " << Joined(argv);
    return result;
  }

  // A track of `count` points a second apart from the given UTC start.
  std::string WriteTrack(DateTime start, uint32_t count) {
    std::vector<TrackPoint> points;
    for (uint32_t i = 0; i < count; ++i) {
      points.push_back(test::Point(start.year, start.month, start.day, start.hour, start.minute,
                                   static_cast<int>(i)));
    }
    TrackStore store;
    EXPECT_TRUE(store.PrepareDataFolder(dataFolder));
    const TrackHeader h = test::Header(points.front(), count, count - 1, 0);
    const std::string path = store.TrackFileName(h);
    test::WriteTrackFile(path, h, points);
    return path;
  }

  test::TempDir dir;
  const std::string dataFolder = dir / "DataLog";
  const std::string settingsFile = dir / "TVR.ini";
};

// One bad file of each kind between good ones: each is named with its reason, every good one
// is listed, printed and exported, and the exit status says that something was bad.
TEST_F(CliInput, BadTrackFilesAreNamedAndTheGoodOnesStillServed) {
  const std::vector<std::string> good = {WriteTrack({24, 5, 1, 8, 5, 0}, 3),
                                         WriteTrack({24, 5, 3, 9, 0, 0}, 4)};
  struct Bad {
    std::string name;
    std::string reason;
  };
  const std::vector<Bad> bad = {
      {"20240501_090000.bt0", "shorter than a track header"},
      {"20240501_100000.bt0", "does not begin with the track marker"},
      {"20240501_110000.bt0", "It is a FIFO"},
      {"20240501_120000.bt0", "It is a folder"},
      {"20240501_130000.bt0", "which does not exist"},
      {"20240502_080000.bt0", "but the file holds only"},
  };
  std::ofstream(dataFolder + "/" + bad[0].name) << std::string(20, '\xF3');
  std::ofstream(dataFolder + "/" + bad[1].name) << std::string(200, 'x');
  ASSERT_EQ(::mkfifo((dataFolder + "/" + bad[2].name).c_str(), 0644), 0);
  std::filesystem::create_directory(dataFolder + "/" + bad[3].name);
  std::filesystem::create_symlink(dir / "gone.bt0", dataFolder + "/" + bad[4].name);
  // 268 million points claimed over never-written space.
  const std::string sparse = dataFolder + "/" + bad[5].name;
  TrackHeader h = test::Header(test::Point(24, 5, 2, 8, 0, 0), 1u << 28, 0, 0);
  h.lastDateTime = DateTime6{24, 5, 9, 8, 0, 0};
  std::ofstream(sparse, std::ios::binary).write(reinterpret_cast<const char*>(&h), sizeof h);
  ASSERT_EQ(::truncate(sparse.c_str(), 64 + 16 * (off_t{1} << 28)), 0);

  const auto expectBadNamed = [&](const test::ProgramResult& run, const std::string& what) {
    for (const Bad& b : bad) {
      if (b.name == bad[5].name) continue;  // listed in part, told of separately
      EXPECT_TRUE(
          Contains(run.err, "tavrin: " + dataFolder + "/" + b.name + ": Unknown Data file("))
          << what << " does not name " << b.name << ":\n"
          << run.err;
      EXPECT_TRUE(Contains(run.err, b.reason)) << what << ": " << b.reason;
    }
  };

  const auto list = Tavrin({"list"});
  EXPECT_EQ(list.exitCode, 1);
  expectBadNamed(list, "list");
  const auto rows = Lines(list.out);
  ASSERT_EQ(rows.size(), 2u) << list.out;  // the good two: the sparse one holds no point
  EXPECT_TRUE(Contains(rows[0], "2024-05-01 08:05:00"));
  EXPECT_TRUE(Contains(rows[1], "2024-05-03 09:00:00"));
  EXPECT_TRUE(Contains(list.err, bad[5].reason));

  for (const Bad& b : bad) {
    const auto points = Tavrin({"points", dataFolder + "/" + b.name});
    EXPECT_EQ(points.exitCode, 1) << b.name;
    EXPECT_TRUE(points.out.empty()) << b.name << ": " << points.out;
    EXPECT_TRUE(Contains(points.err, b.name)) << points.err;
  }
  const auto goodPoints = Tavrin({"points", good[1]});
  EXPECT_EQ(goodPoints.exitCode, 0) << goodPoints.err;
  EXPECT_EQ(Lines(goodPoints.out).size(), 4u);

  std::vector<std::string> files = good;
  for (const Bad& b : bad) files.push_back(dataFolder + "/" + b.name);
  for (const std::string format : {"kml", "nmea", "log", "gpx", "map"}) {
    SCOPED_TRACE(format);
    std::filesystem::remove_all(dir / "out");
    std::vector<std::string> words = {"export", format, "--out", dir / "out"};
    words.insert(words.end(), files.begin(), files.end());
    const auto run = Tavrin(words);
    EXPECT_EQ(run.exitCode, 1);
    expectBadNamed(run, format);
    const auto written = Lines(run.out);
    // Two exports, or the two map pages (no map key is set).
    EXPECT_EQ(written.size(), 2u) << run.out;
    uintmax_t bytes = 0;
    for (const auto& item : std::filesystem::directory_iterator(dir / "out")) {
      bytes += item.file_size();
    }
    EXPECT_LT(bytes, 1u << 20) << "an export grew with a header's claim";
  }
}

TEST_F(CliInput, ReadingBadFilesLeavesTheirPointsOutAndSaysHowMany) {
  const std::string path = WriteTrack({24, 5, 1, 8, 5, 0}, 6);
  TrackPoint wild[3] = {};  // zeroed; then positions no place has, one dated 2041
  wild[1] = test::Point(24, 5, 1, 8, 5, 3, -5.9e34f, 127.0f);
  wild[2] = test::Point(41, 1, 1, 0, 0, 0, 37.5f, 1.6e24f);
  std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
  for (int k : {1, 3, 5}) file.seekp(64 + 16 * k).write(reinterpret_cast<char*>(&wild[k / 2]), 16);
  file.close();
  const std::string empty = WriteTrack({24, 5, 2, 8, 0, 0}, 460);
  std::fstream(empty, std::ios::binary | std::ios::in | std::ios::out)
      .seekp(64)
      .write(std::string(460 * 16, '\0').data(), 460 * 16);

  const auto points = Tavrin({"points", path});
  EXPECT_EQ(points.exitCode, 1);
  EXPECT_EQ(Lines(points.out).size(), 3u) << points.out;
  EXPECT_TRUE(Contains(points.err,
                       "3 of its 6 records are not track points (1 zeroed, 2 with a "
                       "position off the globe; the first is record 2)"))
      << points.err;
  const auto gpx = Tavrin({"export", "gpx", "--out", dir / "out", path});
  EXPECT_EQ(gpx.exitCode, 1);
  std::string text;
  for (const auto& item : std::filesystem::recursive_directory_iterator(dir / "out")) {
    if (!item.is_regular_file()) continue;
    std::ifstream in(item.path());
    text.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  size_t written = 0;
  for (size_t at = text.find("<trkpt "); at != std::string::npos; at = text.find("<trkpt ", at + 1))
    ++written;
  EXPECT_EQ(written, 3u) << gpx.err << text;

  // The listing says the same, leaves out the file with no point and shows the other's points.
  const auto list = Tavrin({"list"});
  EXPECT_EQ(list.exitCode, 1);
  EXPECT_TRUE(Contains(list.err, path + ": Unknown Data file(Data Error). 3 of its 6 records"))
      << list.err;
  EXPECT_TRUE(Contains(list.err, "460 of its 460 records are not track points")) << list.err;
  const auto rows = Lines(list.out);
  ASSERT_EQ(rows.size(), 1u) << list.out;
  EXPECT_TRUE(Contains(rows[0], "2024-05-01 08:05:04")) << "the last point's time: " << rows[0];
}

// Each mistyped value ends the command before anything is done, with status 2 and a word on
// what was wrong.
TEST_F(CliInput, BadValuesAreUsageErrorsThatNameTheProblem) {
  struct Case {
    std::vector<std::string> words;
    std::string says;
  };
  const std::vector<std::string> port = {"--port", dir / "no-such-port"};
  const auto with = [&port](std::vector<std::string> words) {
    words.insert(words.begin() + 1, port.begin(), port.end());
    return words;
  };
  const Case cases[] = {
      {with({"read", "--all", "--timeout", "inf"}), "--timeout: 'inf' is not a number of seconds"},
      {with({"read", "--all", "--timeout", "nan"}), "'nan' is not a number of seconds"},
      {with({"read", "--all", "--timeout", "0"}), "'0' is not a number of seconds above 0"},
      {with({"read", "--all", "--timeout", "-1"}), "--timeout"},
      {with({"read", "--all", "--timeout", "1e999"}), "'1e999' is not a number of seconds"},
      {with({"read", "--all", "--timeout", "0x10"}), "'0x10' is not a number of seconds"},
      {with({"read", "--all", "--baud", "12345"}), "'12345' is not a baud rate the port can use"},
      {with({"read", "--all", "--baud", "0"}), "'0' is not a baud rate"},
      {with({"read", "--all", "--baud", "0x1c200"}), "'0x1c200' is not a baud rate"},
      {with({"info", "--baud", "99999999999"}), "'99999999999' is not a baud rate"},
      {with({"set-options", "--speed", "0x10"}), "--speed: '0x10' is not a whole number"},
      {with({"set-options", "--time", "0o7"}), "--time: '0o7' is not a whole number"},
      {with({"set-options", "--distance", "0b101"}), "--distance: '0b101' is not a whole number"},
      {with({"set-options", "--distance", "1e2"}), "'1e2' is not a whole number"},
      {with({"set-options", "--speed", "256"}), "--speed"},
      {with({"set-options", "--notes", "TOOLONG"}),
       "--notes: note group 1 'TOOLONG' has 7 characters; the logger keeps at most 5."},
      {with({"set-options", "--notes", "AB,C-D"}),
       "note group 2 'C-D' may hold only the letters A-Z, a-z and the digits 0-9"},
      {with({"read", "--period", "2024-05-02T00:00:00", "2024-05-01T00:00:00"}),
       "FROM 2024-05-02T00:00:00 comes after TO 2024-05-01T00:00:00"},
      {with({"read", "--period", "2024-02-30T00:00:00", "2024-03-01T00:00:00"}),
       "'2024-02-30T00:00:00' is not a date the calendar has"},
      {with({"read", "--period", "2023-02-29T00:00:00", "2023-03-01T00:00:00"}),
       "'2023-02-29T00:00:00' is not a date the calendar has"},
      {with({"read", "--period", "2024-04-31T00:00:00", "2024-05-01T00:00:00"}),
       "'2024-04-31T00:00:00' is not a date the calendar has"},
      {with({"read", "--period", "2100-01-01T00:00:00", "2100-01-02T00:00:00"}),
       "outside the years the logger keeps, 2000 to 2099"},
      {with({"read", "--period", "1999-12-31T00:00:00", "2024-01-01T00:00:00"}),
       "outside the years the logger keeps"},
      {with({"read", "--period", "2024-05-01T24:00:00", "2024-05-02T00:00:00"}),
       "is not a time of day"},
      {with({"read", "--period", "2024-5-1T00:00:00", "2024-05-02T00:00:00"}),
       "is not a UTC time written YYYY-MM-DDThh:mm:ss"},
      {{"list", "--from", "2024-05-31", "--to", "2024-05-01"},
       "--from 2024-05-31 comes after --to 2024-05-01"},
      {{"list", "--from", "2024-02-30"}, "--from: '2024-02-30' is not a date the calendar has"},
      {{"list", "--to", "2023-02-29"}, "--to: '2023-02-29' is not a date the calendar has"},
      {{"list", "--to", "yesterday"}, "'yesterday' is not a date written YYYY-MM-DD"},
      {{"lst"}, "tavrin: unknown command 'lst'; the commands are: list, points, ports,"},
      {{"list", "--data", dir / "x"},
       "tavrin: --data is an option of tavrin itself and must come before the command, as in: "
       "tavrin --data " +
           dir / "x" + " list"},
      {{"list", "-v"}, "-v is an option of tavrin itself and must come before the command"},
  };
  for (const Case& c : cases) {
    const auto run = Tavrin(c.words);
    const std::string command = Joined(c.words);
    EXPECT_EQ(run.exitCode, 2) << command << "\n" << run.err;
    EXPECT_TRUE(Contains(run.err, c.says)) << command << " says:\n" << run.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "x"));
}

TEST_F(CliInput, SettingsFileOptionMustNameASettingsFile) {
  const auto missing = Tavrin({"list"}, {"--data", dataFolder, "--config", dir / "tvr.ini"});
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_TRUE(Contains(
      missing.err, "the settings file " + dir / "tvr.ini" + " given with --config does not exist"))
      << missing.err;
  const auto folder = Tavrin({"list"}, {"--data", dataFolder, "--config", dataFolder});
  EXPECT_EQ(folder.exitCode, 2);
  EXPECT_TRUE(Contains(folder.err, "is a folder, not a settings file")) << folder.err;
}

TEST_F(CliInput, ImpossibleSettingsAreRefusedWithAWarning) {
  WriteTrack({24, 5, 1, 8, 5, 0}, 3);
  std::ofstream(settingsFile) << "[MAIN]\r\nLocalTimeOffset=10000\r\nDaylightsaving=1x\r\n";
  const auto list = Tavrin({"list"});
  EXPECT_EQ(list.exitCode, 0) << list.err;
  EXPECT_TRUE(Contains(list.err, "tavrin: " + settingsFile +
                                     ": LocalTimeOffset=10000 is not a whole number from -720 "
                                     "to 840"))
      << list.err;
  EXPECT_TRUE(Contains(list.err, "Daylightsaving=1x is not a whole number from 0 to 1"));
  // The tests run in UTC, whose standard offset is the default: times are shown as stored.
  EXPECT_TRUE(Contains(list.out, "\t2024-05-01 08:05:00\t")) << list.out;
}

// A computer in New York and a settings file that says nothing: each date-time is shown with the
// offset New York had at its date.
TEST_F(CliInput, TimesShowTheComputersZoneWithTheOffsetOfTheirDate) {
  test::ScopedTimeZone york("America/New_York");  // tavrin inherits TZ
  WriteTrack({24, 1, 15, 13, 0, 0}, 2);
  const std::string summer = WriteTrack({24, 5, 1, 8, 5, 0}, 3);
  // The clocks show 01:30 twice on 3 November: the zone's name tells which one.
  const std::string daylight = WriteTrack({24, 11, 3, 5, 30, 0}, 2);
  WriteTrack({24, 11, 3, 6, 30, 0}, 2);
  std::ofstream(settingsFile, std::ios::trunc) << "";
  const auto list = Tavrin({"list"});
  EXPECT_EQ(list.exitCode, 0) << list.err;
  EXPECT_TRUE(Contains(list.out, "0001\t2024-01-15 08:00:00\t2024-01-15 08:00:01\t")) << list.out;
  EXPECT_TRUE(Contains(list.out, "0002\t2024-05-01 04:05:00\t2024-05-01 04:05:02\t")) << list.out;
  EXPECT_TRUE(Contains(list.out, "0003\t2024-11-03 01:30:00 EDT\t2024-11-03 01:30:01 EDT\t"))
      << list.out;
  EXPECT_TRUE(Contains(list.out, "0004\t2024-11-03 01:30:00 EST\t2024-11-03 01:30:01 EST\t"))
      << list.out;
  const auto points = Tavrin({"points", summer});
  EXPECT_EQ(points.exitCode, 0) << points.err;
  EXPECT_EQ(Lines(points.out).front().substr(0, 22), "1\t2024-05-01\t04:05:00\t") << points.out;
  const auto repeated = Tavrin({"points", daylight});
  EXPECT_EQ(Lines(repeated.out).front().substr(0, 26), "1\t2024-11-03\t01:30:00 EDT\t")
      << repeated.out;
  EXPECT_TRUE(list.err.empty()) << list.err;
}

// One track of 12,346 m in 599 s at 40 km/h, listed in both units: the imperial figures are
// the metric ones over 1.609344, to the same decimals, and only they change.
TEST_F(CliInput, ImperialUnitsShowMilesAndMphOfTheSameFigures) {
  std::vector<TrackPoint> points;
  for (int i = 0; i < 600; ++i) points.push_back(test::Point(24, 5, 1, 8, i / 60, i % 60));
  TrackStore store;
  ASSERT_TRUE(store.PrepareDataFolder(dataFolder));
  const TrackHeader h = test::Header(points.front(), 600, 599, 12346);
  const std::string path = store.TrackFileName(h);
  test::WriteTrackFile(path, h, points);
  const auto cells = [](const std::string& line) {
    std::vector<std::string> cells;
    std::istringstream in(line);
    for (std::string cell; std::getline(in, cell, '\t');) cells.push_back(cell);
    return cells;
  };

  const auto metric = Tavrin({"list"});
  const auto imperial = Tavrin({"list", "--units", "imperial"});
  ASSERT_EQ(metric.exitCode, 0) << metric.err;
  ASSERT_EQ(imperial.exitCode, 0) << imperial.err;
  const auto km = cells(Lines(metric.out).at(0)), mi = cells(Lines(imperial.out).at(0));
  ASSERT_EQ(km.size(), 7u);
  ASSERT_EQ(mi.size(), 7u);
  EXPECT_EQ(km[4], "12.35Km");
  EXPECT_EQ(mi[4], "7.67mi");  // 12.346 km / 1.609344
  ASSERT_TRUE(km[5].ends_with("Km/h") && mi[5].ends_with("mph")) << km[5] << " " << mi[5];
  const double kmh = std::stod(km[5]), mph = std::stod(mi[5]);
  EXPECT_NEAR(mph, kmh / 1.609344, 0.051 + 0.05 / 1.609344) << km[5] << " " << mi[5];
  for (size_t c : {0u, 1u, 2u, 3u, 6u}) EXPECT_EQ(km[c], mi[c]) << "column " << c;

  // The point rows' speed: 40 km/h is 24.85 mph, shown whole as the km/h are.
  const auto metricPoints = Tavrin({"points", path, "--units", "metric"});
  const auto imperialPoints = Tavrin({"points", path, "--units", "imperial"});
  EXPECT_EQ(cells(Lines(metricPoints.out).at(0)).back(), "40");
  EXPECT_EQ(cells(Lines(imperialPoints.out).at(0)).back(), "25");

  // The settings file's choice, which --units overrides for one run.
  std::ofstream(settingsFile, std::ios::trunc) << "[MAIN]\r\nLocalTimeOffset=0\r\nUnits=1\r\n";
  EXPECT_EQ(Tavrin({"list"}).out, imperial.out);
  EXPECT_EQ(Tavrin({"list", "--units", "metric"}).out, metric.out);
  const auto wrong = Tavrin({"list", "--units", "furlongs"});
  EXPECT_EQ(wrong.exitCode, 2);
  EXPECT_TRUE(Contains(wrong.err, "--units")) << wrong.err;
}

// Two tracks stand at 37.5, 127.0 (the points' default place), one of them in New York's
// repeated hour; the index is made on the first find and kept in the test's own cache.
TEST_F(CliInput, FindNamesEachPassageWithItsLocalTimesAndDistance) {
  test::ScopedTimeZone york("America/New_York");
  const std::string may = WriteTrack({24, 5, 1, 8, 5, 0}, 3);
  const std::string november = WriteTrack({24, 11, 3, 5, 30, 0}, 2);
  std::ofstream(settingsFile, std::ios::trunc) << "";
  const auto near = Tavrin({"find", "--near", "37.5005,127.0", "--radius", "100"});
  EXPECT_EQ(near.exitCode, 0) << near.err;
  EXPECT_EQ(near.out, may + "\t2024-05-01 04:05:00\t2024-05-01 04:05:02\t56\n" + november +
                          "\t2024-11-03 01:30:00 EDT\t2024-11-03 01:30:01 EDT\t56\n");
  const auto box = Tavrin({"find", "--box", "37.4,126.9,37.6,127.1", "--from", "2024-06-01"});
  EXPECT_EQ(box.out, november + "\t2024-11-03 01:30:00 EDT\t2024-11-03 01:30:01 EDT\t0\n");
  const auto far = Tavrin({"find", "--near", "37.6,127.0"});
  EXPECT_EQ(far.exitCode, 0);
  EXPECT_TRUE(far.out.empty());
  EXPECT_TRUE(Contains(far.err, "no stored track passes there")) << far.err;
  const auto index = Tavrin({"index"});
  EXPECT_EQ(index.exitCode, 0) << index.err;
  EXPECT_TRUE(Contains(index.out, "holds 2 track files: 0 indexed now")) << index.out;
  // A file that cannot be read is named by every run, as `tavrin list` names it.
  std::ofstream(dataFolder + "/20240502_120000.bt0") << std::string(200, 'x');
  for (const char* command : {"find", "find", "index"}) {
    const auto again = std::string(command) == "find"
                           ? Tavrin({"find", "--near", "37.5005,127.0", "--radius", "100"})
                           : Tavrin({"index"});
    EXPECT_EQ(again.exitCode, 1) << command << ": " << again.err;
    EXPECT_TRUE(Contains(again.err, "20240502_120000.bt0")) << command << ": " << again.err;
  }
  for (const std::vector<std::string>& wrong :
       {std::vector<std::string>{"find"},
        {"find", "--near", "91,0"},
        {"find", "--near", "1,2,3"},
        {"find", "--near", "0x25.9,127"},
        {"find", "--near", "1,2", "--radius", "-5"},
        {"find", "--box", "1,2,3"},
        {"find", "--near", "1,2", "--from", "2024-02-30"}}) {
    const auto refused = Tavrin(wrong);
    EXPECT_EQ(refused.exitCode, 2) << Joined(wrong);
    EXPECT_TRUE(Contains(refused.err, "tavrin find: ")) << refused.err;
  }
}

// A database that cannot grow (a full disk; here a file-size limit) is given up for this run:
// the answer is still whole, read from the track files, and the next run indexes again.
TEST_F(CliInput, FindAnswersWholeWhenTheIndexCannotBeWritten) {
  WriteTrack({24, 5, 1, 8, 5, 0}, 3);
  ASSERT_EQ(Tavrin({"find", "--near", "37.5,127.0"}).exitCode, 0);
  // Enough new tracks that their rows outgrow the limit, which the database opens within.
  for (int track = 0; track < 600; ++track) {
    WriteTrack({24, 6, 1 + track / 24, track % 24, 0, 0}, 3);
  }
  std::vector<std::string> limited = {"/usr/bin/prlimit", "--fsize=65536", TAVRIN_CLI,   "--data",
                                      dataFolder,         "--config",      settingsFile, "find",
                                      "--near",           "37.5,127.0"};
  const auto full = test::RunProgramWithin(limited, dir.Path(), kRunLimit);
  EXPECT_EQ(full.exitCode, 0) << full.err;
  EXPECT_TRUE(Contains(full.err, "cannot be written")) << full.err;
  EXPECT_TRUE(Contains(full.err, "searches read every track file instead")) << full.err;
  const auto later = Tavrin({"find", "--near", "37.5,127.0"});
  EXPECT_EQ(Lines(full.out).size(), 601u);
  EXPECT_EQ(full.out, later.out);
  EXPECT_TRUE(later.err.empty()) << later.err;
}

// Programs that make and use one index at the same moment (the window and tavrin, or two
// scripts) each get the whole answer from it, and none spoils it for the others.
TEST_F(CliInput, FindsRunAtOnceShareOneIndex) {
  // Enough tracks that the programs' updates overlap.
  for (int track = 0; track < 3000; ++track) {
    WriteTrack({24, 1 + track / 672, 1 + track / 24 % 28, track % 24, 0, 0}, 3);
  }
  std::vector<std::future<test::ProgramResult>> runs;
  for (int i = 0; i < 4; ++i) {
    runs.push_back(std::async(std::launch::async, [this] {
      return Tavrin({"find", "--near", "37.5,127.0"});
    }));
  }
  for (auto& run : runs) {
    const test::ProgramResult result = run.get();
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(Lines(result.out).size(), 3000u) << result.err;
    EXPECT_TRUE(result.err.empty()) << "each find used the index: " << result.err;
  }
  const auto index = Tavrin({"index"});
  EXPECT_TRUE(Contains(index.out, "holds 3000 track files: 0 indexed now"))
      << index.out << index.err;
}

// An index killed while it is made keeps what it committed; the next find finishes it and
// answers whole.
TEST_F(CliInput, AnIndexKilledWhileItIsMadeIsFinishedByTheNextFind) {
  for (int track = 0; track < 3000; ++track) {
    WriteTrack({24, 1 + track / 672, 1 + track / 24 % 28, track % 24, 0, 0}, 3);
  }
  const auto killed =
      test::RunProgramWithin({"/usr/bin/timeout", "-s", "KILL", "0.03", TAVRIN_CLI, "--data",
                              dataFolder, "--config", settingsFile, "index"},
                             dir.Path(), kRunLimit);
  EXPECT_TRUE(killed.exitCode == 137 || killed.exitCode == 0) << killed.exitCode;
  const auto found = Tavrin({"find", "--near", "37.5,127.0"});
  EXPECT_EQ(found.exitCode, 0) << found.err;
  EXPECT_EQ(Lines(found.out).size(), 3000u);
  EXPECT_TRUE(found.err.empty()) << found.err;
  const auto index = Tavrin({"index"});
  EXPECT_TRUE(Contains(index.out, "holds 3000 track files: 0 indexed now")) << index.out;
}

TEST_F(CliInput, ListingAMissingDataFolderSaysSoAndMakesNothing) {
  const std::string typo = dir / "Datalog/by/mistake";
  const auto list = Tavrin({"list"}, {"--data", typo, "--config", settingsFile});
  EXPECT_EQ(list.exitCode, 2);
  EXPECT_TRUE(Contains(list.err, "the data folder " + typo + " does not exist")) << list.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "Datalog"));
}

// A data folder that the settings file names is told of as the settings file's: the user gave
// no --data to correct.
TEST_F(CliInput, ADataFolderFromTheSettingsFileIsToldOfWithThatFile) {
  std::ofstream(dir / "a-file") << "not a folder";
  const auto settingsNaming = [this](const std::string& folder) {
    std::ofstream(settingsFile, std::ios::trunc)
        << "[MAIN]\r\nLocalTimeOffset=0\r\n[PROGRAM]\r\nUserDataPath=" << folder << "\r\n";
  };
  settingsNaming(dir / "a-file");
  const auto list = Tavrin({"list"}, {"--config", settingsFile});
  settingsNaming(dir / "a-file/DataLog");
  const auto import = Tavrin({"import", dir / "none.gpx"}, {"--config", settingsFile});
  EXPECT_EQ(list.exitCode, 2);
  EXPECT_EQ(import.exitCode, 1);
  for (const std::string& err : {list.err, import.err}) {
    EXPECT_TRUE(Contains(err, "(named in the settings file " + settingsFile + " as UserDataPath)"))
        << err;
    EXPECT_FALSE(Contains(err, "--data")) << err;
  }
  EXPECT_TRUE(Contains(list.err, "is not a folder")) << list.err;
  EXPECT_TRUE(Contains(import.err, "cannot create the data folder")) << import.err;
}

// A bad track file named from outside the data folder is not there to be moved out of it.
TEST_F(CliInput, ABadTrackFileOutsideTheDataFolderIsNotToldToBeMovedOutOfIt) {
  std::filesystem::create_directory(dir / "elsewhere");
  const std::string outside = dir / "elsewhere/20240501_090000.bt0";
  const std::string inside = dataFolder + "/20240501_090000.bt0";
  for (const std::string& file : {outside, inside}) std::ofstream(file) << std::string(20, 'x');
  const std::string shortFile = "shorter than a track header (64 bytes); ";
  for (const char* command : {"points", "export"}) {
    std::vector<std::string> words = {command, outside};
    if (words[0] == "export") words.insert(words.begin() + 1, "gpx");
    const auto run = Tavrin(words);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.err, shortFile + "it cannot be used: name another track file."))
        << run.err;
    EXPECT_FALSE(Contains(run.err, "data folder")) << run.err;
  }
  const auto points = Tavrin({"points", inside});
  EXPECT_TRUE(Contains(points.err, shortFile + "move it out of the data folder.")) << points.err;
}

// A data folder that cannot take track files is found before the logger is asked for anything:
// the logger still counts all its points as new afterwards.
class CliDataFolder : public CliInput {
 protected:
  CliDataFolder() {
    const std::string memoryFile = dir / "memory.json";
    std::string error;
    EXPECT_TRUE(emulator::SaveMemoryFile(test::SampleMemory(), memoryFile, error)) << error;
    emulator = std::make_unique<test::EmulatorProcess>(
        TAVRIN_EMULATOR_PROGRAM, std::vector<std::string>{"--pty", "--memory", memoryFile},
        dir / "run");
    pty = emulator->FirstLine();
  }

  std::string NewPoints() {
    const auto info = Tavrin({"info", "--port", pty});
    EXPECT_EQ(info.exitCode, 0) << info.err;
    for (const std::string& line : Lines(info.out)) {
      if (line.rfind("new-points: ", 0) == 0) return line.substr(12);
    }
    return {};
  }

  std::unique_ptr<test::EmulatorProcess> emulator;
  std::string pty;
};

TEST_F(CliDataFolder, ReadRefusesAFolderItCannotWriteBeforeAskingTheLogger) {
  ASSERT_FALSE(pty.empty()) << emulator->Errors();
  ASSERT_EQ(NewPoints(), "3000");
  std::ofstream(dir / "a-file") << "not a folder";
  struct Case {
    std::string folder;
    const char* says;
  };
  // Root writes through permission bits, so these fail for root too: a folder that cannot be
  // made under a regular file, and /proc, where no file can be made.
  std::vector<Case> cases = {{dir / "a-file/DataLog", "cannot create the data folder"}};
  struct stat proc {};
  if (::stat("/proc/self", &proc) == 0) {
    cases.push_back({"/proc", "cannot store tracks in the data folder /proc"});
  }
  for (const Case& c : cases) {
    const auto read =
        Tavrin({"read", "--port", pty, "--new"}, {"--data", c.folder, "--config", settingsFile});
    EXPECT_EQ(read.exitCode, 1) << c.folder;
    EXPECT_TRUE(Contains(read.err, c.says)) << read.err;
    EXPECT_TRUE(Contains(read.err, c.folder)) << read.err;
    EXPECT_TRUE(Contains(read.err, "with --data")) << read.err;
    EXPECT_TRUE(read.out.empty());
    EXPECT_EQ(NewPoints(), "3000") << "the logger was asked for its tracks";
  }
}

TEST_F(CliDataFolder, AReadOnlyFolderIsRefusedAndTheTracksStayNewForAGoodOne) {
  ASSERT_FALSE(pty.empty()) << emulator->Errors();
  {
    test::ReadOnlyFolder readOnly(dataFolder);
    if (!readOnly.Ready()) GTEST_SKIP() << readOnly.Why();
    const auto read = Tavrin({"read", "--port", pty, "--new"});
    EXPECT_EQ(read.exitCode, 1);
    EXPECT_TRUE(Contains(read.err, "cannot store tracks in the data folder " + dataFolder +
                                       " (a test file could not be written there: Read-only "
                                       "file system)"))
        << read.err;
    EXPECT_TRUE(read.out.empty());
  }
  EXPECT_EQ(NewPoints(), "3000");
  const auto read = Tavrin({"read", "--port", pty, "--new"});
  ASSERT_EQ(read.exitCode, 0) << read.err;
  EXPECT_EQ(Lines(read.out).size(), 5u);
  EXPECT_EQ(NewPoints(), "0");
}

}  // namespace
}  // namespace tavrin
