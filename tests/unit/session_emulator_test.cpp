// SPDX-License-Identifier: GPL-3.0-or-later
// The session against the emulator's engine on an in-process link: whole downloads, erases and
// the logger's faults, compared record for record with the emulated memory, on a loop whose
// clock jumps ahead instead of sleeping.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "../support/folder_conditions.h"
#include "../support/sample_memory.h"
#include "../support/session_test_host.h"
#include "emulator/emulator_link.h"
#include "protocol/logger_session.h"
#include "test_support.h"

namespace tavrin {
namespace {

using test::kPointsPerSector;

class EmulatedLogger : public ::testing::Test {
 protected:
  EmulatedLogger() : store(storeMessages.Fn()), session(host, store) {
    EXPECT_TRUE(store.PrepareDataFolder(dir.Path()));
    host.session = &session;
  }

  // Connects to an emulated logger with `faults` and reads its information.
  void Connect(emulator::Faults faults = {}, std::chrono::milliseconds ackTimeout = {}) {
    emulator::EmulatorOptions options;
    options.faults = faults;
    if (ackTimeout.count() > 0) options.ackTimeout = ackTimeout;
    auto fresh = std::make_unique<emulator::EmulatorLink>(memory, options, "Emulated logger",
                                                          [this] { return host.loop.Now(); });
    link = fresh.get();
    host.loop.AddDeadlineSource(
        {[this] { return link->NextDeadline(); }, [this] { link->Poll(); }});
    session.AttachLink(std::move(fresh));
    ASSERT_TRUE(Run(Operation::Info, Command::GetInfo));
  }

  // Sends `command` and runs until its operation ends (or a minute of loop time passes).
  bool Run(Operation operation, Command command, const CommandInputs& inputs = {}) {
    const size_t before = host.ends.size();
    session.SendCommand(command, inputs);
    const bool ended = host.RunUntil(
        [&] {
          for (size_t i = before; i < host.ends.size(); ++i) {
            if (host.ends[i].operation == operation) return true;
          }
          return false;
        },
        60'000);
    return ended && host.Ended(operation)->outcome == Outcome::Done;
  }

  std::vector<TrackPoint> Stored() {
    listing = store.Catalogue().ListTracks(nullptr, false);
    PointVector all;
    for (const TrackEntry& entry : listing.tracks) store.Files().ReadTrackPoints(entry, all);
    return std::vector<TrackPoint>(all.begin(), all.end());
  }
  void ExpectStored(int mode, size_t from = 0, size_t to = SIZE_MAX) {
    const auto stored = Stored();
    const auto expected = test::ExpectedRecords(memory, mode, from, to);
    ASSERT_EQ(stored.size(), expected.size());
    for (size_t i = 0; i < stored.size(); ++i) {
      ASSERT_EQ(std::memcmp(&stored[i], &expected[i], sizeof(TrackPoint)), 0) << "record " << i;
    }
  }

  emulator::LoggerMemory memory = test::SampleMemory();
  test::TempDir dir;
  test::MessageLog storeMessages;
  test::VirtualSessionTestHost host;
  TrackStore store;
  TrackListing listing;  // the last listing of the stored tracks
  LoggerSession session;
  emulator::EmulatorLink* link = nullptr;  // owned by the session
};

TEST_F(EmulatedLogger, InformationAndBothReadFormatsEqualTheMemory) {
  Connect();
  const DeviceState& d = session.DeviceInfo();
  EXPECT_EQ(d.usedPoints, 3000u);
  EXPECT_EQ(d.saveByDistance, 100);
  EXPECT_EQ(d.noteGroups[0], "TEST");
  EXPECT_EQ(session.PortDevice(), "Emulated logger");

  ASSERT_TRUE(Run(Operation::Read, Command::ReadAllBinary));
  ExpectStored(kReadAllBinary);
  const OperationEnd end = *host.Ended(Operation::Read);
  EXPECT_EQ(end.points, 3000u);
  EXPECT_EQ(end.tracks, 5);  // four start points and one long pause
  EXPECT_EQ(end.damagedItems, 0);

  ASSERT_TRUE(Run(Operation::Read, Command::ReadAllNmea));
  ExpectStored(kReadAllNmea);  // the same tracks, replaced whole
}

TEST_F(EmulatedLogger, NewTracksAreReadOnce) {
  Connect();
  ASSERT_TRUE(Run(Operation::Read, Command::ReadNewBinary));
  EXPECT_EQ(host.Ended(Operation::Read)->points, 3000u);
  ASSERT_TRUE(Run(Operation::Info, Command::GetInfo));
  EXPECT_EQ(session.DeviceInfo().newPoints, 0u);
}

TEST_F(EmulatedLogger, APeriodReadTakesOnlyItsPoints) {
  Connect();
  CommandInputs inputs;
  inputs.period = ReadPeriod{{24, 5, 1, 8, 10, 0}, {24, 5, 1, 8, 19, 59}};
  ASSERT_TRUE(Run(Operation::Read, Command::ReadPeriodBinary, inputs));
  ExpectStored(kReadPeriodBinary, 600, 1200);
}

// A read that finds nothing says so in place of "Read done.", whichever read it was.
TEST_F(EmulatedLogger, AReadThatFindsNothingSaysSoInsteadOfDone) {
  Connect();
  CommandInputs inputs;
  inputs.period = ReadPeriod{{30, 1, 1, 0, 0, 0}, {30, 1, 2, 0, 0, 0}};
  ASSERT_TRUE(Run(Operation::Read, Command::ReadPeriodBinary, inputs));
  EXPECT_EQ(host.Ended(Operation::Read)->outcome, Outcome::Done);
  ASSERT_FALSE(host.messages.empty());
  EXPECT_EQ(host.messages.back().text,
            "The logger holds no track point in the chosen period, so nothing was read. Choose "
            "another period, or get all tracks.");

  ASSERT_TRUE(Run(Operation::Read, Command::ReadNewBinary));
  EXPECT_EQ(host.Ended(Operation::Read)->points, 3000u);
  EXPECT_EQ(host.messages.back().text, "Read done.");
  ASSERT_TRUE(Run(Operation::Read, Command::ReadNewBinary));
  EXPECT_EQ(host.messages.back().text.rfind("The logger holds no new track point, so nothing was "
                                            "read.",
                                            0),
            0u)
      << host.messages.back().text;
}

// A read of new tracks measures its progress against the new points, by NMEA as by binary, so
// that the bar reaches its end.
TEST_F(EmulatedLogger, ANewReadByNmeaMeasuresItsProgressAgainstTheNewPoints) {
  memory.newFrom = memory.points.size() / 3;  // a third was read before
  Connect();
  ASSERT_LT(session.DeviceInfo().newPoints, session.DeviceInfo().usedPoints);
  ASSERT_TRUE(Run(Operation::Read, Command::ReadNewNmea));
  int furthest = 0;  // during the read, before the end puts the bar at 1000
  for (int position : host.progress) {
    if (position < 1000) furthest = std::max(furthest, position);
  }
  EXPECT_GT(furthest, 950);
}

TEST_F(EmulatedLogger, OptionsNotesAndEraseReachTheMemory) {
  Connect();
  CommandInputs inputs;
  inputs.saveOptions = SaveOptions{20, 3, 50};
  ASSERT_TRUE(Run(Operation::Options, Command::SetOptions, inputs));
  inputs.noteGroups = NoteGroups{"HOME", "", "X1", ""};
  ASSERT_TRUE(Run(Operation::Notes, Command::SetNotes, inputs));
  EXPECT_EQ(link->Memory().options, (SaveOptions{20, 3, 50}));
  EXPECT_EQ(link->Memory().notes, (NoteGroups{"HOME", "", "X1", ""}));

  ASSERT_TRUE(Run(Operation::Erase, Command::Erase));
  EXPECT_TRUE(link->Memory().points.empty());
  EXPECT_NE(std::find(host.progress.begin(), host.progress.end(), 1000), host.progress.end());
  ASSERT_TRUE(Run(Operation::Info, Command::GetInfo));
  EXPECT_EQ(session.DeviceInfo().usedPoints, 0u);
}

TEST_F(EmulatedLogger, AHangUpEndsTheReadAsALostConnectionKeepingWhatArrived) {
  emulator::Faults faults;
  faults.hangUpAfterSector = 3;
  Connect(faults);
  EXPECT_FALSE(Run(Operation::Read, Command::ReadAllBinary));
  EXPECT_EQ(host.Ended(Operation::Read)->outcome, Outcome::ConnectionLost);
  EXPECT_FALSE(session.IsConnected());
  ExpectStored(kReadAllBinary, 0, 3 * kPointsPerSector);
}

TEST_F(EmulatedLogger, TheLoggersTimeOverEndsTheReadKeepingWhatArrived) {
  emulator::Faults faults;
  faults.timeOverAfterSector = 2;
  Connect(faults);
  EXPECT_FALSE(Run(Operation::Read, Command::ReadAllBinary));
  EXPECT_EQ(host.Ended(Operation::Read)->outcome, Outcome::TimeOver);
  EXPECT_EQ(host.Ended(Operation::Read)->points, 2u * kPointsPerSector);
  ExpectStored(kReadAllBinary, 0, 2 * kPointsPerSector);
}

TEST_F(EmulatedLogger, AnAcknowledgementTooLateIsATimeOver) {
  Connect({}, std::chrono::milliseconds(30));  // the session acknowledges after 100 ms
  EXPECT_FALSE(Run(Operation::Read, Command::ReadAllBinary));
  EXPECT_EQ(host.Ended(Operation::Read)->outcome, Outcome::TimeOver);
  EXPECT_TRUE(Stored().empty());
}

TEST_F(EmulatedLogger, ADamagedItemIsCountedAndOnlyThatPointIsLost) {
  emulator::Faults faults;
  faults.items.flipItem = 1000;
  Connect(faults);
  ASSERT_TRUE(Run(Operation::Read, Command::ReadAllBinary));
  EXPECT_EQ(host.Ended(Operation::Read)->damagedItems, 1);
  auto expected = test::ExpectedRecords(memory, kReadAllBinary);
  expected.erase(expected.begin() + 999);
  const auto stored = Stored();
  ASSERT_EQ(stored.size(), expected.size());
  EXPECT_EQ(std::memcmp(stored.data(), expected.data(), stored.size() * sizeof(TrackPoint)), 0);
}

TEST_F(EmulatedLogger, ASilentLoggerEndsTheReadWhenTheHostGivesUp) {
  emulator::Faults faults;
  faults.stopAfterSector = 2;
  Connect(faults);
  EXPECT_FALSE(Run(Operation::Read, Command::ReadAllBinary));
  EXPECT_FALSE(host.Ended(Operation::Read)) << "nothing ends a read the logger just abandons";
  session.OnLoggerSilent();
  EXPECT_EQ(host.Ended(Operation::Read)->outcome, Outcome::Failed);
  ExpectStored(kReadAllBinary, 0, 2 * kPointsPerSector);

  // With a silence limit of its own the session gives up by itself, keeping the same points.
  std::filesystem::remove_all(dir.Path());
  ASSERT_TRUE(store.PrepareDataFolder(dir.Path()));
  session.SetSilenceLimit(5000);
  Connect(faults);
  EXPECT_FALSE(Run(Operation::Read, Command::ReadAllBinary));
  ASSERT_TRUE(host.Ended(Operation::Read));
  EXPECT_EQ(host.Ended(Operation::Read)->outcome, Outcome::Failed);
  EXPECT_EQ(host.messages.back().text.rfind("The logger stopped answering after 2 sectors.", 0), 0u)
      << host.messages.back().text;
  EXPECT_EQ(host.progress.back(), 0);
  ExpectStored(kReadAllBinary, 0, 2 * kPointsPerSector);
}

// A track file that cannot be written stops the read where it failed, before the logger is
// asked for more or hears that the read succeeded: the tracks not saved stay new, and the next
// read of new tracks, with room again, gets every track.
TEST_F(EmulatedLogger, ATrackFileThatCannotBeWrittenStopsTheReadAndTheTracksStayNew) {
  struct Case {
    const char* where;
    uint32_t pointsPerSector;
    size_t points;  // in the logger's memory
    rlim_t room;    // points a track file has room for
    uint32_t kept;  // points the read keeps: what reached the disk before the failed write
  };
  const Case cases[] = {
      {"at the end of a sector", 256, 3000, 400, 256},
      {"where a track ends, in the last sector", 600, 1000, 650, 600},
      {"at the end of the read", 200, 300, 250, 200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    std::filesystem::remove_all(dir.Path());
    ASSERT_TRUE(store.PrepareDataFolder(dir.Path()));
    memory = test::SampleMemory();
    memory.pointsPerSector = c.pointsPerSector;
    memory.points.resize(c.points);
    Connect();
    {
      const test::ScopedFileSizeLimit full(64 + 16 * c.room);
      EXPECT_FALSE(Run(Operation::Read, Command::ReadNewBinary));
    }
    const OperationEnd end = *host.Ended(Operation::Read);
    EXPECT_EQ(end.outcome, Outcome::Failed);
    EXPECT_EQ(end.points, c.kept);
    EXPECT_EQ(end.tracks, 1);
    const std::string& told = host.messages.back().text;
    EXPECT_EQ(told.rfind("Could not write the track file " + (dir / "20240501_080000.bt0") +
                             ": File too large.",
                         0),
              0u)
        << told;
    EXPECT_NE(told.find(" The read was stopped there, before the logger was told that it "
                        "succeeded, so the tracks that were not saved are still new on the "
                        "logger."),
              std::string::npos)
        << told;
    EXPECT_NE(told.find("tavrin read --new"), std::string::npos) << told;
    EXPECT_EQ(link->Memory().newFrom, 0u) << "the logger counts the points as read";
    ExpectStored(kReadNewBinary, 0, c.kept);

    ASSERT_TRUE(Run(Operation::Read, Command::ReadNewBinary));
    EXPECT_EQ(host.Ended(Operation::Read)->points, c.points);
    ExpectStored(kReadNewBinary);
  }
}

}  // namespace
}  // namespace tavrin
