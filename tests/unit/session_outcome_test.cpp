// SPDX-License-Identifier: GPL-3.0-or-later
// How each operation ends, as the host hears it: never from a status text, always from one
// OperationEnded call with the operation, the outcome and a read's counts.
#include <gtest/gtest.h>

#include "../support/scripted_link.h"
#include "../support/session_test_host.h"
#include "protocol/frames.h"
#include "protocol/logger_session.h"
#include "protocol/nmea.h"
#include "test_support.h"

namespace tavrin {
namespace {

using test::Point;

using EndList = std::vector<std::pair<Operation, Outcome>>;

class Outcomes : public ::testing::Test {
 protected:
  Outcomes() : store(storeMessages.Fn()), session(host, store) {
    EXPECT_TRUE(store.PrepareDataFolder(dir.Path()));
    host.session = &session;
    auto fresh = std::make_unique<test::ScriptedLink>();
    link = fresh.get();
    session.AttachLink(std::move(fresh));
  }

  void FromLogger(const std::string& bytes) {
    link->FromLogger(bytes);
    host.loop.RunFor(std::chrono::milliseconds(150));
  }
  void FromLogger(const std::vector<uint8_t>& bytes) {
    FromLogger(std::string(bytes.begin(), bytes.end()));
  }
  void Answer(const std::string& body) { FromLogger(MakeSentence(body)); }
  // Every end the host heard, as operation/outcome pairs.
  EndList Ends() const {
    EndList ends;
    for (const OperationEnd& end : host.ends) ends.emplace_back(end.operation, end.outcome);
    return ends;
  }
  // A binary read of `points` one second apart from `hour`:00:00, not yet ended.
  void ReadPoints(int points, int hour = 10) {
    session.SendCommand(Command::ReadAllBinary);
    Answer("PSRF200,1,1,010124," + std::to_string(hour) + "0000,1," + std::to_string(points));
    std::string frames;
    for (int s = 0; s < points; ++s) {
      const auto frame = EncodePointFrame(Point(24, 1, 1, hour, 0, s));
      frames.append(frame.begin(), frame.end());
    }
    FromLogger(frames);
  }

  test::TempDir dir;
  test::MessageLog storeMessages;
  test::VirtualSessionTestHost host;
  TrackStore store;
  LoggerSession session;
  test::ScriptedLink* link = nullptr;  // owned by the session
};

TEST_F(Outcomes, InfoEndsWithTheFullAnswerOrAFlashError) {
  session.SendCommand(Command::GetInfo);
  EXPECT_TRUE(host.ends.empty());
  Answer("GPBT,AB1,CD,,,0,0,12,1,100,16,5,6,1000,200");
  Answer("GPBT,AB1,CD,,,0,0,12,1,100,16,5,6,1000,300");  // counts only: no second end
  session.SendCommand(Command::GetInfo);
  Answer("PSRF200,3,0");
  EXPECT_EQ(Ends(),
            (EndList{{Operation::Info, Outcome::Done}, {Operation::Info, Outcome::Failed}}));
}

TEST_F(Outcomes, OptionsAndNotesGoOutFromWhatTheCallCarries) {
  CommandInputs options;
  options.saveOptions = SaveOptions{30, 5, 250};
  session.SendCommand(Command::SetOptions, options);
  EXPECT_EQ(link->TakeSent(), MakeSentence("PSRF200,9,30,5,250,0,0"));
  EXPECT_EQ(session.DeviceInfo().saveByDistance, 250);  // what the logger now holds

  CommandInputs notes;
  notes.noteGroups = NoteGroups{"A1", "", "B2", ""};
  session.SendCommand(Command::SetNotes, notes);
  EXPECT_EQ(link->TakeSent(), MakeSentence("PSRF209,A1,,B2,"));
  EXPECT_EQ(session.DeviceInfo().noteGroups[2], "B2");

  notes.noteGroups = NoteGroups{"A-1", "", "", ""};
  session.SendCommand(Command::SetNotes, notes);
  EXPECT_EQ(link->TakeSent(), "");
  EXPECT_EQ(session.DeviceInfo().noteGroups[0], "A1");  // a refused group changes nothing

  link->FailWrites();
  options.saveOptions = SaveOptions{1, 1, 1};
  session.SendCommand(Command::SetOptions, options);
  EXPECT_EQ(session.DeviceInfo().saveByDistance, 250);
  EXPECT_EQ(Ends(), (EndList{{Operation::Options, Outcome::Done},
                             {Operation::Notes, Outcome::Done},
                             {Operation::Notes, Outcome::Refused},
                             {Operation::Options, Outcome::Failed}}));
}

// The device settings send the note groups a moment after the options: the session waits on its
// own timer, so that the window's thread never sleeps, and a closed line takes the wait with it.
TEST_F(Outcomes, ANoteGroupsSentenceQueuedAfterTheOptionsGoesOutOnceThePauseIsOver) {
  CommandInputs options;
  options.saveOptions = SaveOptions{30, 5, 250};
  CommandInputs notes;
  notes.noteGroups = NoteGroups{"HOME", "", "", ""};
  session.SendCommand(Command::SetOptions, options);
  session.SendCommandAfter(10, Command::SetNotes, notes);
  EXPECT_EQ(link->TakeSent(), MakeSentence("PSRF200,9,30,5,250,0,0")) << "the notes wait";
  EXPECT_EQ(session.DeviceInfo().noteGroups[0], "");
  host.loop.RunFor(std::chrono::milliseconds(50));
  EXPECT_EQ(link->TakeSent(), MakeSentence("PSRF209,HOME,,,"));
  EXPECT_EQ(session.DeviceInfo().noteGroups[0], "HOME");

  notes.noteGroups = NoteGroups{"AWAY", "", "", ""};
  session.SendCommandAfter(10, Command::SetNotes, notes);
  ASSERT_TRUE(session.Disconnect());
  host.loop.RunFor(std::chrono::milliseconds(50));
  EXPECT_EQ(link->TakeSent(), "") << "nothing goes out after the disconnect";
  EXPECT_EQ(Ends(),
            (EndList{{Operation::Options, Outcome::Done}, {Operation::Notes, Outcome::Done}}));
}

TEST_F(Outcomes, EraseIsRefusedDoneOrFailed) {
  host.okCancelAnswer = MsgAnswer::Cancel;
  session.SendCommand(Command::Erase);
  host.okCancelAnswer = MsgAnswer::Ok;
  session.SendCommand(Command::Erase);
  Answer("PSRF200,4,32,32,0,0,0");
  EXPECT_EQ(host.ends.size(), 1u) << "progress is not an end";
  Answer("PSRF200,4,0,0,0,0,0");
  session.SendCommand(Command::Erase);
  Answer("PSRF200,3,1");
  EXPECT_EQ(Ends(), (EndList{{Operation::Erase, Outcome::Refused},
                             {Operation::Erase, Outcome::Done},
                             {Operation::Erase, Outcome::Failed}}));
}

TEST_F(Outcomes, AReadEndsDoneWithItsCounts) {
  ReadPoints(5);
  auto damaged = EncodePointFrame(Point(24, 1, 1, 10, 0, 9));
  damaged[6] ^= 0x01;
  FromLogger(damaged);
  FromLogger(EncodeControlFrame(kFrameEndOfMessage));
  ASSERT_EQ(host.ends.size(), 1u);
  const OperationEnd& end = host.ends[0];
  EXPECT_EQ(end.operation, Operation::Read);
  EXPECT_EQ(end.outcome, Outcome::Done);
  EXPECT_EQ(end.points, 5u);
  EXPECT_EQ(end.tracks, 1);
  EXPECT_EQ(end.damagedItems, 1);
}

TEST_F(Outcomes, AReadThatDoesNotFinishSaysHowItEnded) {
  // Each read is of another track, so that each keeps its points.
  ReadPoints(2, 10);
  session.SendCommand(Command::Stop);  // the user stops it
  ReadPoints(2, 11);
  FromLogger(EncodeControlFrame(kFrameTimeOver));
  ReadPoints(2, 12);
  session.OnLoggerSilent();
  ReadPoints(2, 13);
  Answer("PSRF200,3,0");  // a flash error: the read goes on but does not end as done
  FromLogger(EncodeControlFrame(kFrameEndOfMessage));
  ReadPoints(2, 14);
  ASSERT_TRUE(session.Disconnect());  // a disconnect stops it too, without a Stop end
  EXPECT_EQ(Ends(), (EndList{{Operation::Read, Outcome::Stopped},
                             {Operation::Stop, Outcome::Done},
                             {Operation::Read, Outcome::TimeOver},
                             {Operation::Read, Outcome::Failed},
                             {Operation::Read, Outcome::Failed},
                             {Operation::Read, Outcome::Stopped}}));
  for (const OperationEnd& end : host.ends) {
    if (end.operation == Operation::Read) {
      EXPECT_EQ(end.points, 2u);
    }
  }
}

TEST_F(Outcomes, APeriodComesWithTheCallOrFromTheHostsQuestion) {
  CommandInputs inputs;
  inputs.period = ReadPeriod{{15, 3, 5, 8, 0, 0}, {15, 3, 6, 18, 30, 0}};
  session.SendCommand(Command::ReadPeriodBinary, inputs);
  EXPECT_EQ(link->TakeSent(), MakeSentence("PSRF200,7,0,050315,080000,060315,183000"));
  session.SendCommand(Command::Stop);
  link->TakeSent();
  host.ends.clear();
  session.SendCommand(Command::ReadPeriodBinary);  // the host's question is cancelled
  EXPECT_EQ(link->TakeSent(), "");
  EXPECT_EQ(Ends(), (EndList{{Operation::Read, Outcome::Refused}}));
  EXPECT_FALSE(session.TransferActive());
}

TEST_F(Outcomes, ALostLineEndsWhatWaitsForAnAnswer) {
  session.SendCommand(Command::GetInfo);
  ReadPoints(3);
  link->HangUp();
  host.loop.RunFor(std::chrono::milliseconds(10));
  EXPECT_EQ(Ends(), (EndList{{Operation::Read, Outcome::ConnectionLost},
                             {Operation::Info, Outcome::ConnectionLost}}));
  EXPECT_EQ(host.ends[0].points, 3u);
  host.ends.clear();
  session.SendCommand(Command::GetInfo);  // nothing to write to
  EXPECT_EQ(Ends(), (EndList{{Operation::Info, Outcome::Failed}}));
}

}  // namespace
}  // namespace tavrin
