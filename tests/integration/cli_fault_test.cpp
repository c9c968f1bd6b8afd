// SPDX-License-Identifier: GPL-3.0-or-later
// The bad days of a download, run as a user meets them: tavrin read against tavrin-emulator on a
// pseudo-terminal, stopped by every fault the line, the user, the disk or the kernel can bring.
// What is on disk afterwards is checked record for record: no stored track is ever lost, and a
// track cut short keeps the points that arrived.
#include <sys/resource.h>

#include <csignal>
#include <thread>

#include "cli_fixture.h"

namespace tavrin {
namespace {

using test::Lines;

using Files = std::map<std::string, std::vector<uint8_t>>;

// `part` stands in `all` as one unbroken run.
bool IsRunOf(const std::vector<TrackPoint>& part, const std::vector<TrackPoint>& all) {
  if (part.empty() || part.size() > all.size()) return false;
  for (size_t at = 0; at + part.size() <= all.size(); ++at) {
    if (std::memcmp(&all[at], part.data(), part.size() * sizeof(TrackPoint)) == 0) return true;
  }
  return false;
}

// How a read is brought down.
enum class Ending { Knob, CtrlC, KillTavrin, KillEmulator, FullDisk };

struct Fault {
  const char* name;
  Ending ending;
  std::vector<std::string> knobs;  // the emulator's fault switches
};

const Fault kFaults[] = {
    {"time-over", Ending::Knob, {"--time-over-after-sector", "2"}},
    {"silence", Ending::Knob, {"--stop-after-sector", "2"}},
    {"hang-up", Ending::Knob, {"--hangup-after-sector", "2"}},
    {"Ctrl-C", Ending::CtrlC, {"--baud", "38400"}},
    {"SIGKILL of tavrin", Ending::KillTavrin, {"--baud", "38400"}},
    {"SIGKILL of the emulator", Ending::KillEmulator, {"--baud", "38400"}},
    {"a full disk", Ending::FullDisk, {}},
};

// Binary frames or $GPRMC sentences.
class CliFaults : public test::CliDevice, public ::testing::WithParamInterface<bool> {
 protected:
  bool Nmea() const { return GetParam(); }
  int Mode() const { return Nmea() ? 2 : 1; }

  std::vector<std::string> ReadAll() {
    std::vector<std::string> words = {"read", "--port", pty, "--all", "--timeout", "1"};
    if (Nmea()) words.push_back("--nmea");
    return Command(words);
  }

  // Every file of the data folder with its bytes.
  Files OnDisk() const {
    Files files;
    std::error_code ignored;
    for (const auto& item : std::filesystem::directory_iterator(dir / "DataLog", ignored)) {
      files[item.path().filename().string()] = test::ReadBytes(item.path().string());
    }
    return files;
  }

  // Reads the whole memory into an empty data folder and returns what was stored.
  Files FirstRead() {
    Start();
    const auto read = test::RunProgram(ReadAll(), dir.Path());
    EXPECT_EQ(read.exitCode, 0) << read.err;
    process.reset();
    return OnDisk();
  }

  // Starts the emulator with the fault's switches and runs tavrin read until the fault ends it.
  test::ProgramResult ReadWith(const Fault& fault) {
    Start(fault.knobs);
    if (fault.ending == Ending::Knob) return test::RunProgram(ReadAll(), dir.Path());
    if (fault.ending == Ending::FullDisk) return ReadIntoAFullFolder(ReadAll());
    test::Program read(ReadAll(), dir.Path());
    // Paced at 38400 baud the read takes several seconds; this is well inside it.
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    if (fault.ending == Ending::CtrlC) read.Signal(SIGINT);
    if (fault.ending == Ending::KillTavrin) read.Signal(SIGKILL);
    if (fault.ending == Ending::KillEmulator) process->Stop(SIGKILL);
    return read.Wait();
  }

  // Room for 600 points a track, as if the disk filled up then: the first sector's points reach
  // the disk, the rest of the first track does not.
  test::ProgramResult ReadIntoAFullFolder(const std::vector<std::string>& read) {
    return test::Program(read, dir.Path(),
                         [] {
                           const rlimit limit{64 + 16 * 600, 64 + 16 * 600};
                           ::setrlimit(RLIMIT_FSIZE, &limit);
                         })
        .Wait();
  }

  // The points of the stored tracks, in name order, as the next start of tavrin sees them.
  std::vector<TrackPoint> StoredPoints() { return PointsOf(StoredPaths()); }
};

TEST_P(CliFaults, AReadAgainThatFailsNeverTouchesTheStoredTracks) {
  const Files before = FirstRead();
  ASSERT_EQ(before.size(), 5u);
  for (const Fault& fault : kFaults) {
    const auto read = ReadWith(fault);
    EXPECT_NE(read.exitCode, 0) << fault.name;
    process.reset();
    // The next start (any tavrin command) puts away what a killed read left behind.
    const auto list = Tavrin({"list"});
    EXPECT_EQ(Lines(list.out).size(), 5u) << fault.name << ": " << list.err;
    EXPECT_EQ(OnDisk(), before) << fault.name << " changed the stored tracks";
  }
}

TEST_P(CliFaults, AFirstReadThatFailsKeepsEveryPointThatArrived) {
  for (const Fault& fault : kFaults) {
    std::filesystem::remove_all(dir / "DataLog");
    const auto read = ReadWith(fault);
    process.reset();
    EXPECT_NE(read.exitCode, 0) << fault.name;
    Tavrin({"list"});  // the next start
    const auto stored = StoredPoints();
    if (fault.ending == Ending::FullDisk) {
      // What did not fit is gone, but every file kept holds an unbroken run of the memory.
      for (const std::string& path : StoredPaths()) {
        EXPECT_TRUE(IsRunOf(PointsOf({path}), Expected(Mode()))) << path;
      }
    } else {
      // Whatever is kept is the memory's points from the first one on, with nothing missing.
      EXPECT_TRUE(Same(stored, Expected(Mode(), 0, stored.size())))
          << fault.name << ": " << stored.size() << " points";
    }
    for (const auto& [name, bytes] : OnDisk()) {
      EXPECT_TRUE(name.ends_with(".bt0")) << fault.name << " left " << name;
      TrackHeader h;
      ASSERT_GE(bytes.size(), sizeof h) << name;
      std::memcpy(&h, bytes.data(), sizeof h);
      EXPECT_EQ(bytes.size(), 64u + 16u * h.pointCount) << fault.name << ": " << name;
      EXPECT_GT(h.pointCount, 0u) << fault.name << ": " << name;
    }
    if (fault.ending == Ending::Knob) {
      // Both sectors before the fault arrived whole, and the read names what it saved.
      EXPECT_EQ(stored.size(), 2u * test::kPointsPerSector) << fault.name << ": " << read.err;
      EXPECT_EQ(Lines(read.out), StoredPaths()) << fault.name;
    }
    if (fault.ending == Ending::FullDisk) {
      EXPECT_NE(read.err.find("File too large"), std::string::npos) << read.err;
      EXPECT_NE(read.err.find("Free some disk space"), std::string::npos) << read.err;
    }
  }
}

// A read of new tracks into a folder that fills up stops at the track file that cannot be
// written, before the logger counts the tracks as read; with room again, read --new gets them.
TEST_P(CliFaults, ANewReadIntoAFolderThatFillsUpLeavesTheTracksNew) {
  Start();
  std::vector<std::string> readNew = {"read", "--port", pty, "--new"};
  if (Nmea()) readNew.push_back("--nmea");
  const auto full = ReadIntoAFullFolder(Command(readNew));
  EXPECT_EQ(full.exitCode, 1) << full.err;
  EXPECT_NE(full.err.find("File too large"), std::string::npos) << full.err;
  EXPECT_NE(full.err.find("The read was stopped there, before the logger was told that it "
                          "succeeded, so the tracks that were not saved are still new on the "
                          "logger."),
            std::string::npos)
      << full.err;
  EXPECT_NE(full.err.find("tavrin read --new"), std::string::npos) << full.err;
  EXPECT_EQ(Lines(full.out), StoredPaths()) << "the track kept is named";
  EXPECT_TRUE(Same(StoredPoints(), Expected(Mode() + 4, 0, test::kPointsPerSector)));
  EXPECT_EQ(Info().at("new-points"), "3000");

  const auto again = test::RunProgram(Command(readNew), dir.Path());
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_EQ(Lines(again.out).size(), 5u);
  EXPECT_TRUE(Same(StoredPoints(), Expected(Mode() + 4)));
  EXPECT_EQ(Info().at("new-points"), "0");
}

INSTANTIATE_TEST_SUITE_P(Binary, CliFaults, ::testing::Values(false));
INSTANTIATE_TEST_SUITE_P(Nmea, CliFaults, ::testing::Values(true));

}  // namespace
}  // namespace tavrin
