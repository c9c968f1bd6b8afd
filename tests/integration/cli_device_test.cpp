// The tavrin command against tavrin-emulator on a pseudo-terminal, as a script would use them.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "../support/emulator_process.h"
#include "../support/program_run.h"
#include "../support/sample_memory.h"
#include "emulator/memory_file.h"
#include "store/track_store.h"
#include "test_support.h"

namespace tavrin {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class CliDevice : public ::testing::Test {
 protected:
  CliDevice() {
    memoryFile = dir / "memory.json";
    std::string error;
    EXPECT_TRUE(emulator::SaveMemoryFile(memory, memoryFile, error)) << error;
    std::ofstream(dir / "TVR.ini") << "[MAIN]\r\nLocalTimeOffset=0\r\n";
  }

  void Start(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"--pty", "--memory", memoryFile};
    args.insert(args.end(), extra.begin(), extra.end());
    process = std::make_unique<test::EmulatorProcess>(TAVRIN_EMULATOR_PROGRAM, args, dir / "run");
    pty = process->FirstLine();
    ASSERT_FALSE(pty.empty()) << process->Errors();
  }

  std::vector<std::string> Command(std::vector<std::string> words) {
    std::vector<std::string> argv = {TAVRIN_CLI, "--data", dir / "DataLog", "--config",
                                     dir / "TVR.ini"};
    argv.insert(argv.end(), words.begin(), words.end());
    return argv;
  }
  test::ProgramResult Tavrin(std::vector<std::string> words) {
    return test::RunProgram(Command(std::move(words)), dir.Path());
  }

  // name: value lines of `tavrin info`.
  std::map<std::string, std::string> Info() {
    const auto result = Tavrin({"info", "--port", pty});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::map<std::string, std::string> values;
    for (const std::string& line : Lines(result.out)) {
      const size_t colon = line.find(": ");
      if (colon != std::string::npos) values[line.substr(0, colon)] = line.substr(colon + 2);
    }
    return values;
  }

  // The points of the given track files, in order.
  std::vector<SAVELOG> PointsOf(const std::vector<std::string>& paths) {
    CTrackStore store;
    PointVector points;
    for (const std::string& path : paths) {
      const auto entry = store.ReadTrackHeader(path);
      EXPECT_TRUE(entry) << path;
      if (entry) store.ReadTrackPoints(*entry, points);
    }
    return std::vector<SAVELOG>(points.begin(), points.end());
  }
  std::vector<SAVELOG> Expected(int mode, size_t from = 0, size_t to = SIZE_MAX) const {
    return test::ExpectedRecords(memory, mode, from, to);
  }
  // Every track file in the data folder, in name order.
  std::vector<std::string> StoredPaths() {
    CTrackStore store;
    store.PrepareDataFolder(dir / "DataLog");
    store.ListTracks(nullptr, false);
    std::vector<std::string> paths;
    for (const auto& entry : store.TrackEntries()) paths.push_back(entry.path);
    return paths;
  }
  static bool Same(const std::vector<SAVELOG>& a, const std::vector<SAVELOG>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(SAVELOG)) == 0);
  }

  emulator::LoggerMemory memory = test::SampleMemory();
  test::TempDir dir;
  std::string memoryFile;
  std::unique_ptr<test::EmulatorProcess> process;
  std::string pty;
};

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
  EXPECT_NE(bad.err.find("글자 개수가 너무 많습니다."), std::string::npos);
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

TEST_F(CliDevice, CtrlCStopsAReadAndDiscardsOnlyTheOpenTrack) {
  Start({"--baud", "38400"});  // about two seconds for the whole memory
  test::Program read(Command({"read", "--port", pty, "--all"}), dir.Path());
  std::this_thread::sleep_for(std::chrono::milliseconds(900));
  read.Signal(SIGINT);
  const auto result = read.Wait();
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("stopped by the user"), std::string::npos);
  // Whatever was written is whole tracks that equal the memory's first tracks.
  const auto list = Lines(Tavrin({"list"}).out);
  EXPECT_LT(list.size(), 5u);
  const auto stored = PointsOf(StoredPaths());
  EXPECT_TRUE(Same(stored, Expected(1, 0, stored.size())));
  EXPECT_EQ(stored.size() % test::kTrackLength, 0u);
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
      {{"--flip-item", "5"}, 0, "1 item was damaged", 2999},
      {{"--drop-item", "5"}, 0, "", 2999},
      {{"--points-per-sector", "512", "--hangup-after-sector", "2"}, 1, "was lost", 1024},
      {{"--points-per-sector", "512", "--stop-after-sector", "2"},
       1,
       "no answer from the logger",
       700},
      {{"--ack-timeout", "30"}, 1, "Error is Connection program to Device.", 0},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(dir / "DataLog");
    Start(c.knobs);
    const auto read = Tavrin({"read", "--port", pty, "--all", "--timeout", "1"});
    EXPECT_EQ(read.exitCode, c.exitCode) << c.knobs[0] << ": " << read.err;
    EXPECT_NE(read.err.find(c.says), std::string::npos) << c.knobs[0] << ": " << read.err;
    EXPECT_EQ(PointsOf(StoredPaths()).size(), c.pointsKept) << c.knobs[0];
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
