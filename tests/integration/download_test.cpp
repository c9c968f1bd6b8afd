// SPDX-License-Identifier: GPL-3.0-or-later
// The session downloads from the real tavrin-emulator over a pseudo-terminal, and the track files
// it writes are compared record for record with the emulator's memory.
#include <gtest/gtest.h>

#include <cstring>

#include "../support/emulator_process.h"
#include "../support/sample_memory.h"
#include "../support/session_test_host.h"
#include "emulator/memory_file.h"
#include "test_support.h"

namespace tavrin {
namespace {

using test::kPointsPerSector;
using test::kTrackLength;
using test::SampleMemory;

class Download : public ::testing::Test {
 protected:
  Download() : store(storeMessages.Fn()), session(host, store) {
    EXPECT_TRUE(store.PrepareDataFolder(dir.Path() / "DataLog"));
    host.session = &session;
    memoryFile = dir / "memory.json";
    std::string error;
    EXPECT_TRUE(emulator::SaveMemoryFile(memory, memoryFile, error)) << error;
  }

  // Starts the emulator with `extra` options and connects to it.
  void Start(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"--pty", "--memory", memoryFile};
    args.insert(args.end(), extra.begin(), extra.end());
    process = std::make_unique<test::EmulatorProcess>(TAVRIN_EMULATOR_PROGRAM, args, dir / "run");
    const std::string pty = process->FirstLine();
    ASSERT_FALSE(pty.empty()) << process->Errors();
    session.SetPort(pty, 230400);
    ASSERT_TRUE(session.Connect()) << session.OpenError();
    session.SendCommand(Command::GetInfo);
    ASSERT_TRUE(host.RunUntil([&] { return !host.deviceNotices.empty(); }, 5000));
  }

  // Reads with `command` until the transfer ends (or `patienceMs` passes).
  bool Read(Command command, int patienceMs = 20000) {
    session.SendCommand(command);
    return host.RunUntil([&] { return !session.TransferActive(); }, patienceMs);
  }

  // Every point of every track file, in file order.
  std::vector<TrackPoint> Stored() {
    listing = store.Catalogue().ListTracks(nullptr, false);
    PointVector all;
    for (const TrackEntry& entry : listing.tracks) store.Files().ReadTrackPoints(entry, all);
    return std::vector<TrackPoint>(all.begin(), all.end());
  }

  std::vector<TrackPoint> Expected(int mode, size_t from = 0, size_t to = SIZE_MAX) const {
    return test::ExpectedRecords(memory, mode, from, to);
  }

  static void ExpectSameRecords(const std::vector<TrackPoint>& stored,
                                const std::vector<TrackPoint>& expected) {
    ASSERT_EQ(stored.size(), expected.size());
    for (size_t i = 0; i < stored.size(); ++i) {
      ASSERT_EQ(std::memcmp(&stored[i], &expected[i], sizeof(TrackPoint)), 0) << "record " << i;
    }
  }

  emulator::LoggerMemory memory = SampleMemory();
  test::TempDir dir;
  std::string memoryFile;
  test::MessageLog storeMessages;
  test::SessionTestHost host;
  TrackStore store;
  TrackListing listing;  // the last listing of the stored tracks
  LoggerSession session;
  std::unique_ptr<test::EmulatorProcess> process;
};

TEST_F(Download, BinaryReadEqualsTheLoggersMemory) {
  Start();
  EXPECT_EQ(session.DeviceInfo().usedPoints, 3000u);
  ASSERT_TRUE(Read(Command::ReadAllBinary));
  EXPECT_TRUE(host.SawMessage("Read done."));
  ExpectSameRecords(Stored(), Expected(kReadAllBinary));
  EXPECT_EQ(listing.tracks.size(), 5u);  // four start points and one long pause
  EXPECT_EQ(listing.tracks[0].header.saveByDistance, 100);
  EXPECT_EQ(NoteGroupText(listing.tracks[0].header.noteGroup1), "TEST");
  EXPECT_EQ(session.DamagedItems(), 0);
}

TEST_F(Download, NmeaReadEqualsTheLoggersMemory) {
  Start();
  ASSERT_TRUE(Read(Command::ReadAllNmea));
  EXPECT_TRUE(host.SawMessage("Read Done."));
  ExpectSameRecords(Stored(), Expected(kReadAllNmea));
}

TEST_F(Download, ASecondReadOfNewTracksFindsNothing) {
  Start();
  ASSERT_TRUE(Read(Command::ReadNewBinary));
  EXPECT_EQ(Stored().size(), 3000u);
  session.SendCommand(Command::GetInfo);
  host.RunUntil([&] { return host.deviceNotices.size() >= 2; }, 5000);
  EXPECT_EQ(session.DeviceInfo().newPoints, 0u);
  ASSERT_TRUE(Read(Command::ReadNewBinary));
  EXPECT_TRUE(session.WrittenTracks().empty());
}

TEST_F(Download, AFlippedByteLosesOnlyThatPointAndIsReported) {
  Start({"--flip-item", "1000"});
  ASSERT_TRUE(Read(Command::ReadAllBinary));
  std::vector<TrackPoint> expected = Expected(kReadAllBinary);
  expected.erase(expected.begin() + 999);
  ExpectSameRecords(Stored(), expected);
  EXPECT_EQ(session.DamagedItems(), 1);
  EXPECT_EQ(host.messages.back().text.rfind("Read done. 1 item was damaged", 0), 0u);
}

TEST_F(Download, ADroppedItemLosesNothingElse) {
  Start({"--drop-item", "10", "--control", "sentences"});
  ASSERT_TRUE(Read(Command::ReadAllNmea));
  std::vector<TrackPoint> expected = Expected(kReadAllNmea);
  expected.erase(expected.begin() + 9);
  ExpectSameRecords(Stored(), expected);
}

TEST_F(Download, AHangUpKeepsEveryPointReceived) {
  Start({"--hangup-after-sector", "3"});
  Read(Command::ReadAllBinary);
  EXPECT_EQ(host.connectionsLost, 1);
  EXPECT_FALSE(session.IsConnected());
  ExpectSameRecords(Stored(), Expected(kReadAllBinary, 0, 3 * kPointsPerSector));
}

TEST_F(Download, ALoggerThatFallsSilentCanBeStopped) {
  Start({"--stop-after-sector", "2"});
  EXPECT_FALSE(Read(Command::ReadAllBinary, 1500));  // nothing more comes
  session.SendCommand(Command::Stop);
  // The first track was complete; the second, cut short, keeps the points of both sectors.
  ExpectSameRecords(Stored(), Expected(kReadAllBinary, 0, 2 * test::kPointsPerSector));
}

TEST_F(Download, AnAcknowledgementTooLateIsATimeOver) {
  Start({"--ack-timeout", "30"});
  Read(Command::ReadAllBinary);
  ASSERT_FALSE(host.messages.empty());
  EXPECT_EQ(host.messages.back().text.rfind("Error is Connection program to Device.", 0), 0u);
  EXPECT_TRUE(Stored().empty());
}

TEST_F(Download, APeriodReadTakesOnlyItsPoints) {
  Start();
  host.period = ReadPeriod{{24, 5, 1, 8, 10, 0}, {24, 5, 1, 8, 19, 59}};
  ASSERT_TRUE(Read(Command::ReadPeriodBinary));
  ExpectSameRecords(Stored(), Expected(kReadPeriodBinary, 600, 1200));
}

}  // namespace
}  // namespace tavrin
