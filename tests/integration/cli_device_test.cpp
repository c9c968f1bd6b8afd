// SPDX-License-Identifier: GPL-3.0-or-later
// The tavrin command against tavrin-emulator on a pseudo-terminal, as a script would use them.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "cli_fixture.h"

namespace tavrin {
namespace {

using test::CliDevice;
using test::Lines;

TEST_F(CliDevice, InfoPrintsTheLoggersFigures) {
  Start();
  const auto info = Info();
  EXPECT_EQ(info.at("note-groups"), "TEST,A1,,");
  EXPECT_EQ(info.at("save-by-speed"), "12");
  EXPECT_EQ(info.at("save-by-distance"), "100");
  EXPECT_EQ(info.at("memory-size-mbit"), "32");
  EXPECT_EQ(info.at("used-points"), "3000");
  EXPECT_EQ(info.at("new-points"), "3000");
  EXPECT_EQ(info.at("capacity-points"), "258048");
  EXPECT_EQ(info.at("remaining-percent"), "98");
}

TEST_F(CliDevice, ReadingNewTracksTwiceFetchesThemOnce) {
  Start();
  const auto first = Tavrin({"read", "--port", pty, "--new"});
  ASSERT_EQ(first.exitCode, 0) << first.err;
  const auto paths = Lines(first.out);
  EXPECT_EQ(paths.size(), 5u);
  EXPECT_TRUE(Same(PointsOf(paths), Expected(1)));
  const auto second = Tavrin({"read", "--port", pty, "--new"});
  EXPECT_EQ(second.exitCode, 0);
  EXPECT_TRUE(second.out.empty());
  EXPECT_NE(second.err.find("no new tracks"), std::string::npos);
  const auto list = Tavrin({"list"});
  EXPECT_EQ(Lines(list.out).size(), 5u);
}

TEST_F(CliDevice, ReadingAllAndAPeriodInNmea) {
  Start();
  const auto all = Tavrin({"read", "--port", pty, "--all", "--nmea"});
  ASSERT_EQ(all.exitCode, 0) << all.err;
  EXPECT_TRUE(Same(PointsOf(Lines(all.out)), Expected(2)));
  const auto period =
      Tavrin({"read", "--port", pty, "--period", "2024-05-01T08:10:00", "2024-05-01T08:19:59"});
  ASSERT_EQ(period.exitCode, 0) << period.err;
  EXPECT_TRUE(Same(PointsOf(Lines(period.out)), Expected(7, 600, 1200)));
  EXPECT_EQ(Tavrin({"read", "--port", pty, "--period", "yesterday", "today"}).exitCode, 2);
}

// A download adds tracks, which the logbook need not hear of: a damaged logbook beside them is
// neither opened, nor told of, nor copied once a track.
TEST_F(CliDevice, ADownloadLeavesTheLogbookAlone) {
  Start();
  std::filesystem::create_directories(dir / "DataLog");
  std::ofstream(dir / "DataLog/logbook.sqlite", std::ios::binary) << std::string(8192, 'x');
  const auto all = Tavrin({"read", "--port", pty, "--all"});
  ASSERT_EQ(all.exitCode, 0) << all.err;
  EXPECT_GT(Lines(all.out).size(), 1u);
  EXPECT_EQ(all.err.find("logbook"), std::string::npos) << all.err;
  for (const auto& item : std::filesystem::directory_iterator(dir / "DataLog")) {
    EXPECT_FALSE(item.path().filename().string().starts_with("logbook.sqlite.damaged"));
  }
}

// The history index follows the data folder: tracks just read from the logger or imported are
// found by the next search without a word about the index.
TEST_F(CliDevice, FindAnswersFromTracksJustReadAndImported) {
  Start();
  const auto read = Tavrin({"read", "--port", pty, "--new"});
  ASSERT_EQ(read.exitCode, 0) << read.err;
  const auto everywhere = Tavrin({"find", "--box", "-90,-180,90,180"});
  ASSERT_EQ(everywhere.exitCode, 0) << everywhere.err;
  std::vector<std::string> passed;
  for (const std::string& line : Lines(everywhere.out))
    passed.push_back(line.substr(0, line.find('\t')));
  EXPECT_EQ(passed, Lines(read.out));

  const std::string gpx = dir / "walk.gpx";
  std::ofstream(gpx)
      << "<?xml version=\"1.0\"?>\n"
         "<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\">"
         "<trk><trkseg>\n"
         "<trkpt lat=\"10.0\" lon=\"20.0\"><time>2023-03-05T10:00:00Z</time></trkpt>\n"
         "<trkpt lat=\"10.0001\" lon=\"20.0\"><time>2023-03-05T10:00:10Z</time></trkpt>\n"
         "</trkseg></trk></gpx>\n";
  const auto imported = Tavrin({"import", gpx});
  ASSERT_EQ(imported.exitCode, 0) << imported.err;
  const auto there = Tavrin({"find", "--near", "10,20", "--radius", "20"});
  EXPECT_EQ(there.out,
            Lines(imported.out).at(0) + "\t2023-03-05 10:00:00\t2023-03-05 10:00:10\t0\n")
      << there.err;
  EXPECT_TRUE(there.err.empty()) << there.err;
}

TEST_F(CliDevice, OptionsAndNotesAreWrittenAndReadBack) {
  Start();
  const auto set = Tavrin({"set-options", "--port", pty, "--speed", "30", "--time", "5",
                           "--distance", "200", "--notes", "AB1,,X,Z9"});
  ASSERT_EQ(set.exitCode, 0) << set.err;
  const auto info = Info();
  EXPECT_EQ(info.at("save-by-speed"), "30");
  EXPECT_EQ(info.at("save-by-time"), "5");
  EXPECT_EQ(info.at("save-by-distance"), "200");
  EXPECT_EQ(info.at("note-groups"), "AB1,,X,Z9");
  const auto bad = Tavrin({"set-options", "--port", pty, "--notes", "TOOLONG"});
  EXPECT_EQ(bad.exitCode, 2);
  // The window shows the logger's own texts; the command line speaks English like its other
  // messages.
  EXPECT_NE(bad.err.find("note group 1 'TOOLONG' has 7 characters"), std::string::npos) << bad.err;
}

TEST_F(CliDevice, EraseNeedsYesAndEmptiesTheMemory) {
  Start({"--erase-delay", "1"});
  EXPECT_EQ(Tavrin({"erase", "--port", pty}).exitCode, 2);
  EXPECT_EQ(Info().at("used-points"), "3000");
  const auto erase = Tavrin({"erase", "--port", pty, "--yes"});
  ASSERT_EQ(erase.exitCode, 0) << erase.err;
  EXPECT_NE(erase.err.find("progress 100%"), std::string::npos);
  EXPECT_EQ(Info().at("used-points"), "0");
  const auto read = Tavrin({"read", "--port", pty, "--all"});
  EXPECT_EQ(read.exitCode, 1);
  EXPECT_NE(read.err.find("empty"), std::string::npos);
}

TEST_F(CliDevice, CtrlCStopsAReadAndKeepsWhatArrived) {
  Start({"--baud", "38400"});  // about two seconds for the whole memory
  test::Program read(Command({"read", "--port", pty, "--all"}), dir.Path());
  std::this_thread::sleep_for(std::chrono::milliseconds(900));
  read.Signal(SIGINT);
  const auto result = read.Wait();
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("stopped by the user. The "), std::string::npos) << result.err;
  // Every track named on stdout is stored, and together they are the memory's first points.
  const auto named = Lines(result.out);
  EXPECT_EQ(named, StoredPaths());
  const auto stored = PointsOf(named);
  EXPECT_GT(stored.size(), 0u);
  EXPECT_LT(stored.size(), 3000u);
  EXPECT_TRUE(Same(stored, Expected(1, 0, stored.size())));
  // The logger is free again.
  EXPECT_EQ(Tavrin({"stop", "--port", pty}).exitCode, 0);
}

TEST_F(CliDevice, LineFaultsEndWithTheirReasons) {
  struct Case {
    std::vector<std::string> knobs;
    int exitCode;
    const char* says;
    size_t pointsKept;
  };
  const Case cases[] = {
      {{"--flip-item", "5"}, 3, "1 item was damaged", 2999},
      {{"--drop-item", "5"}, 0, "", 2999},
      {{"--points-per-sector", "512", "--hangup-after-sector", "2"}, 1, "was lost", 1024},
      {{"--points-per-sector", "512", "--stop-after-sector", "2"},
       1,
       "The logger stopped answering after 2 sectors. The 1024 points received are saved in 2 "
       "track files.",
       1024},
      {{"--ack-timeout", "30"}, 1, "Error is Connection program to Device.", 0},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(dir / "DataLog");
    Start(c.knobs);
    const auto read = Tavrin({"read", "--port", pty, "--all", "--timeout", "1"});
    EXPECT_EQ(read.exitCode, c.exitCode) << c.knobs[0] << ": " << read.err;
    EXPECT_NE(read.err.find(c.says), std::string::npos) << c.knobs[0] << ": " << read.err;
    EXPECT_EQ(PointsOf(StoredPaths()).size(), c.pointsKept) << c.knobs[0];
    EXPECT_EQ(Lines(read.out), StoredPaths()) << c.knobs[0];
    process.reset();
  }
}

TEST_F(CliDevice, PortsThatCannotBeUsedSayWhy) {
  const auto missing = Tavrin({"info", "--port", "/dev/no-such-port"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("no such device"), std::string::npos);
  EXPECT_EQ(Tavrin({"info"}).exitCode, 2);
  EXPECT_EQ(Tavrin({"frobnicate"}).exitCode, 2);
}

}  // namespace
}  // namespace tavrin
