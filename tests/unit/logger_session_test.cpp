// SPDX-License-Identifier: GPL-3.0-or-later
// The session against a logger the test plays byte by byte on an in-process link, on a loop whose
// clock moves only when nothing else is left to run: no device, no sleeps.
#include "protocol/logger_session.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "../support/scripted_link.h"
#include "../support/session_test_host.h"
#include "protocol/frames.h"
#include "protocol/nmea.h"
#include "test_support.h"
#include "wording/session_wording.h"

namespace tavrin {
namespace {

using test::Point;

std::string Bytes(const std::vector<uint8_t>& v) {
  return std::string(v.begin(), v.end());
}

class Session : public ::testing::Test {
 protected:
  Session() : store(storeMessages.Fn()), session(host, store) {
    EXPECT_TRUE(store.PrepareDataFolder(dir.Path()));
    host.session = &session;
    Attach();
  }

  // A fresh line to the logger.
  void Attach() {
    auto fresh = std::make_unique<test::ScriptedLink>();
    link = fresh.get();
    session.AttachLink(std::move(fresh));
  }
  // Sends what the logger would and lets the session handle it.
  void FromLogger(const std::string& bytes) {
    link->FromLogger(bytes);
    host.loop.RunFor(std::chrono::milliseconds(30));
  }
  void Answer(const std::string& body) { FromLogger(MakeSentence(body)); }
  // What the session wrote, letting its timers run first (the acknowledgement waits 100 ms).
  std::string Sent() {
    host.loop.RunFor(std::chrono::milliseconds(150));
    return link->TakeSent();
  }

  // A binary read with Tracking Data Information for `first`, acknowledged after 100 ms.
  void StartBinaryRead(const TrackPoint& first) {
    session.SendCommand(Command::ReadAllBinary);
    EXPECT_EQ(Sent(), MakeSentence("PSRF200,1,0,0,0,0,0"));
    const DateTime t = first.GetDateTime();
    char body[64];
    std::snprintf(body, sizeof body, "PSRF200,1,1,%02d%02d%02d,%02d%02d%02d,3,4", t.day, t.month,
                  t.year, t.hour, t.minute, t.second);
    Answer(body);
    EXPECT_EQ(Sent(), MakeSentence("PSRF200,1,2,0,0,0,0"));  // the acknowledgement
  }
  void SendPoints(const std::vector<TrackPoint>& points) {
    std::string bytes;
    for (const TrackPoint& p : points) bytes += Bytes(EncodePointFrame(p));
    FromLogger(bytes);
  }
  void EndRead() {
    FromLogger(Bytes(EncodeControlFrame(kFrameEndOfMessage)));
    ASSERT_TRUE(host.RunUntil([&] { return !session.TransferActive(); }));
  }
  std::vector<TrackPoint> TrackPoints(size_t index) {
    listing = store.Catalogue().ListTracks(nullptr, false);
    PointVector points;
    EXPECT_LT(index, listing.tracks.size());
    if (index < listing.tracks.size()) store.Files().ReadTrackPoints(listing.tracks[index], points);
    return std::vector<TrackPoint>(points.begin(), points.end());
  }

  test::TempDir dir;
  test::MessageLog storeMessages;
  test::VirtualSessionTestHost host;
  test::ScriptedLink* link = nullptr;  // owned by the session
  TrackStore store;
  TrackListing listing;  // the last listing of the stored tracks
  LoggerSession session;
};

// A bare number is no command: the logger's command numbers are reached only by name.
template <typename Number>
constexpr bool kSentBy = requires(LoggerSession& session, Number number) {
  session.SendCommand(number);
};
static_assert(!kSentBy<int>);
static_assert(kSentBy<Command>);

TEST_F(Session, CommandsGoOutWithTheirChecksumsAndStatusTexts) {
  session.SendCommand(Command::ReadNewBinary);
  EXPECT_EQ(link->TakeSent(), "$PSRF200,5,0,0,0,0,0*20\r\n");
  EXPECT_EQ(host.statuses.back(), ">>> Get new Tracking data by Binary.\r\n");
  session.SendCommand(Command::Ack);
  EXPECT_EQ(link->TakeSent(), "$PSRF200,5,2,0,0,0,0*22\r\n");
  session.SendCommand(Command::Stop);
  EXPECT_EQ(link->TakeSent(), "$PSRF203,0*3A\r\n");
  session.SendCommand(Command::GetInfo);
  EXPECT_EQ(link->TakeSent(), "$PSRF202,1,0,0,0,0,0*26\r\n");
  session.SendCommand(Command::SetOptions, {.saveOptions = SaveOptions{12, 1, 100}});
  EXPECT_EQ(link->TakeSent(), MakeSentence("PSRF200,9,12,1,100,0,0"));
  host.period = ReadPeriod{{15, 3, 5, 8, 0, 0}, {15, 3, 6, 18, 30, 0}};
  session.SendCommand(Command::ReadPeriodNmea);
  EXPECT_EQ(link->TakeSent(), MakeSentence("PSRF200,8,0,050315,080000,060315,183000"));
  EXPECT_EQ(session.ReadModeValue(), kReadPeriodNmea);
  session.SendCommand(Command::BypassStart);
  EXPECT_EQ(link->TakeSent(), "$PSRF201,1,Bypass Test*29\r\n");
  EXPECT_EQ(host.statuses.back(), ">>> Bypass Mode Start.\r\n");
  session.SendCommand(Command::BypassEnd);
  EXPECT_EQ(link->TakeSent(), "$PSRF201,0*38\r\n");
  EXPECT_EQ(host.statuses.back(), ">>> Bypass Mode Finished.\r\n");
  session.SendCommand(Command::Nack);
  EXPECT_EQ(link->TakeSent(), MakeSentence("PSRF200,8,3,0,0,0,0"));  // in the last read's mode
  session.SendCommand(static_cast<Command>(9));                      // not a command
  EXPECT_EQ(link->TakeSent(), "");
}

TEST_F(Session, NoteGroupsAreCheckedBeforeAnythingIsSent) {
  const auto notes = [](NoteGroups groups) { return CommandInputs{.noteGroups = groups}; };
  session.SendCommand(Command::SetNotes, notes({"ABCDE", "", "x", "12345"}));
  EXPECT_EQ(link->TakeSent(), MakeSentence("PSRF209,ABCDE,,x,12345"));

  session.SendCommand(Command::SetNotes, notes({"ABCDEF", "", "", ""}));
  session.SendCommand(Command::SetNotes, notes({"A-B", "", "", ""}));
  session.SendCommand(Command::SetNotes, notes({"가", "", "", ""}));
  EXPECT_EQ(link->TakeSent(), "");
  ASSERT_EQ(host.messages.size(), 3u);
  EXPECT_EQ(host.messages[0].text, "A note group holds at most 5 characters: ABCDEF.");
  EXPECT_EQ(host.messages[1].text,
            "A note group may hold only the letters A-Z, a-z and the digits 0-9: A-B.");
  EXPECT_EQ(host.messages[2].text,
            "A note group may hold only the letters A-Z, a-z and the digits 0-9: 가.");
}

TEST_F(Session, EraseAsksFirstAndReportsItsProgress) {
  host.okCancelAnswer = MsgAnswer::Cancel;
  session.SendCommand(Command::Erase);
  EXPECT_EQ(link->TakeSent(), "");
  host.okCancelAnswer = MsgAnswer::Ok;
  session.SendCommand(Command::Erase);
  EXPECT_EQ(link->TakeSent(), MakeSentence("PSRF200,4,0,0,0,0,0"));
  Answer("PSRF200,4,1,1,0,0,0");
  Answer("PSRF200,4,32,32,0,0,0");
  Answer("PSRF200,4,64,64,0,0,0");
  EXPECT_EQ(host.statuses.back(), "<<< Flash Memory Erase #64 Sector OK.\r\n");
  Answer("PSRF200,4,0,0,0,0,0");
  EXPECT_EQ(host.progress, (std::vector<int>{15, 500, 1000, 1000, 0}));
  EXPECT_TRUE(host.SawMessage("Deleted all Memory."));
}

TEST_F(Session, EraseProgressStaysOnItsScaleWhateverTheSectorNumber) {
  const struct {
    const char* sector;
    int progress;
  } cases[] = {{"32", 500}, {"65", 1000}, {"200000000", 1000}, {"9999999999999", 1000}, {"-3", 0}};
  for (const auto& c : cases) {
    host.progress.clear();
    Answer(std::string("PSRF200,4,7,") + c.sector + ",0,0,0");
    EXPECT_EQ(host.progress, std::vector<int>{c.progress}) << c.sector;
  }
}

TEST_F(Session, WithoutAPortACommandIsTriedThreeTimes) {
  session.Disconnect();
  session.SendCommand(Command::GetInfo);
  EXPECT_EQ(host.pauses, (std::vector<int>{200, 200, 200}));
  EXPECT_EQ(host.statuses.back(), ">>> Retry Send.\r\n");
  EXPECT_EQ(std::count(host.statuses.begin(), host.statuses.end(), ">>> Retry Send.\r\n"), 2);
}

TEST_F(Session, DeviceInformationIsTakenOverInFullThenCountsOnly) {
  Answer("GPBT,AB1,CD,,,0,0,12,1,100,16,5,6,1000,200");
  const DeviceState& d = session.DeviceInfo();
  EXPECT_EQ(d.noteGroups[0], "AB1");
  EXPECT_EQ(d.noteGroups[1], "CD");
  EXPECT_EQ(d.saveBySpeed, 12);
  EXPECT_EQ(d.saveByDistance, 100);
  EXPECT_EQ(d.Capacity(), 126976u);
  EXPECT_EQ(host.statuses.back(), "Unknown Memory infomation.");
  EXPECT_TRUE(session.InfoComplete());
  EXPECT_EQ(host.deviceNotices, std::vector<DeviceNotice>{DeviceNotice::FullInfo});

  Answer("GPBT,ZZ,,,,0,0,30,5,50,16,5,6,2000,300");
  EXPECT_EQ(d.saveBySpeed, 12);  // options untouched
  EXPECT_EQ(d.noteGroups[0], "AB1");
  EXPECT_EQ(d.usedPoints, 2000u);
  EXPECT_EQ(d.newPoints, 300u);
  EXPECT_EQ(host.deviceNotices.back(), DeviceNotice::CountsOnly);
}

TEST_F(Session, AnItemMayArriveInPieces) {
  const std::string answer = MakeSentence("GPBT,AB1,CD,,,0,0,12,1,100,16,5,6,1000,200") +
                             MakeSentence("PSRF200,4,32,32,0,0,0");
  FromLogger(answer.substr(0, 20));
  FromLogger(answer.substr(20));
  EXPECT_EQ(session.DeviceInfo().saveByDistance, 100);
  EXPECT_EQ(host.deviceNotices, std::vector<DeviceNotice>{DeviceNotice::FullInfo});
  EXPECT_EQ(host.progress, std::vector<int>{500});
  EXPECT_EQ(host.images.back(), ConnectionImage::Receiving);
}

TEST_F(Session, InconsistentOrEmptyMemoryReports) {
  Answer("GPBT,AB1,CD,,,0,0,12,1,100,16,0,6,1000,200");
  EXPECT_EQ(host.statuses.back(), "Unknown Memory infomation.(Memory Scanning...)");
  EXPECT_FALSE(session.InfoComplete());
  Answer("GPBT,AB1,CD,,,0,0,12,1,100,16,5,6,126976,200");  // full memory is not readable
  EXPECT_FALSE(session.InfoComplete());
  Answer("GPBT,AB1,CD,,,0,0,12,1,100,16,5,6,0,0");
  EXPECT_EQ(host.statuses.back(), "Empty Memory.");
  EXPECT_TRUE(session.InfoComplete());
  Answer("GPBT,AB1,CD,,,0,0,12,1,100,16,5,6,1000");  // ends before field 14: no notice
  EXPECT_EQ(host.deviceNotices.size(), 3u);
}

TEST_F(Session, ReaderDropsBadItemsAndNamesUnknownFrames) {
  FromLogger("$PSRF200,9,0*23\r\n");  // wrong checksum: silent
  FromLogger(MakeSentence("GPGGA,1,2,3"));
  EXPECT_TRUE(host.statuses.empty());
  FromLogger(MakeSentence("PSRF200,9,0"));
  EXPECT_EQ(host.statuses.back(), "<<< Unknown Message(200):\r\n");
  auto frame = EncodeControlFrame(kFrameIgnored);
  FromLogger(Bytes(frame));
  EXPECT_EQ(host.statuses.size(), 1u);
  frame[3] ^= 0x01;
  FromLogger(Bytes(frame));
  EXPECT_EQ(host.statuses.back(), "<<< Unknown Check sum fail.\r\n");
  FromLogger(Bytes(EncodeControlFrame(0x50)));
  EXPECT_EQ(host.statuses.back(), "<<< Unknown Data(Bin).\r\n");
}

TEST_F(Session, LowerCaseChecksumDigitsAreAccepted) {
  const std::string sentence = MakeSentence("PSRF200,4,3,3");  // checksum 3D
  const std::string digits = sentence.substr(sentence.size() - 4, 2);
  ASSERT_NE(digits.find_first_of("ABCDEF"), std::string::npos);
  std::string lower = sentence;
  for (size_t i = lower.size() - 4; i < lower.size() - 2; ++i)
    lower[i] = static_cast<char>(std::tolower(lower[i]));
  FromLogger(lower);
  EXPECT_EQ(host.statuses.back(), "<<< Flash Memory Erase #3 Sector OK.\r\n");
}

TEST_F(Session, BinaryDownloadWritesTheTrackAndReportsProgress) {
  Answer("GPBT,,,,,0,0,12,1,100,32,1,2,200,100");
  std::vector<TrackPoint> points;
  for (int s = 0; s < 100; ++s) {
    points.push_back(Point(15, 3, 5, 8, 30 + s / 60, s % 60, 37.5f + s * 1e-4f, 127.0f,
                           s ? kFix3D : kFixTrackStart));
  }
  StartBinaryRead(points[0]);
  EXPECT_TRUE(session.DownloadInProgress());
  SendPoints(points);
  EndRead();
  ASSERT_EQ(host.trackList.rows.size(), 1u);
  EXPECT_EQ(host.trackList.rows[0][1], "2015-03-05 08:30:00");
  EXPECT_EQ(Sent(), MakeSentence("PSRF200,1,2,0,0,0,0"));  // acknowledgement of the end
  EXPECT_TRUE(host.SawStatus("<<< Receive(96/200)"));
  EXPECT_EQ(std::vector<int>(host.progress.end() - 6, host.progress.end()),
            (std::vector<int>{0, 160, 320, 480, 1000, 0}));
  EXPECT_TRUE(host.SawMessage("Read done."));
  const auto stored = TrackPoints(0);
  ASSERT_EQ(stored.size(), 100u);
  EXPECT_EQ(std::memcmp(stored.data(), points.data(), sizeof(TrackPoint) * 100), 0);
  EXPECT_EQ(session.WrittenTracks(), std::vector<std::string>{dir / "20150305_083000.bt0"});
  EXPECT_EQ(listing.tracks[0].header.pointCount, 100u);
}

TEST_F(Session, TracksSplitAtStartPointsAndLongGaps) {
  const std::vector<TrackPoint> points = {
      Point(24, 1, 1, 10, 0, 0, 1, 1, kFixTrackStart),  // first after the information: no split
      Point(24, 1, 1, 10, 0, 1),
      Point(24, 1, 1, 10, 10, 1),                        // 600 s later: same track
      Point(24, 1, 1, 10, 20, 2),                        // 601 s later: new track
      Point(24, 1, 1, 10, 20, 0),                        // clock went back: same track
      Point(24, 1, 1, 10, 20, 5, 1, 1, kFixTrackStart),  // start point: new track
      Point(24, 1, 1, 10, 20, 6),
  };
  StartBinaryRead(points[0]);
  SendPoints(points);
  EndRead();
  listing = store.Catalogue().ListTracks(nullptr, false);
  ASSERT_EQ(listing.tracks.size(), 3u);
  EXPECT_EQ(listing.tracks[0].header.pointCount, 3u);
  EXPECT_EQ(listing.tracks[1].header.pointCount, 2u);
  EXPECT_EQ(listing.tracks[1].header.firstDateTime, (DateTime6{24, 1, 1, 10, 20, 2}));
  EXPECT_EQ(listing.tracks[2].header.pointCount, 2u);
  EXPECT_EQ(session.WrittenTracks().size(), 3u);
}

TEST_F(Session, NmeaPointsAreStoredOnlyDuringADownload) {
  const TrackPoint p = Point(24, 1, 1, 10, 0, 0, -33.5f, 151.25f, kFixNone);
  FromLogger(EncodeRmc(p));  // outside a download: ignored
  session.SendCommand(Command::ReadAllNmea);
  EXPECT_EQ(Sent(), MakeSentence("PSRF200,2,0,0,0,0,0"));
  Answer("PSRF200,2,1,10124,100000,1,1");
  EXPECT_EQ(Sent(), MakeSentence("PSRF200,2,2,0,0,0,0"));
  FromLogger(EncodeRmc(p));
  Answer("PSRF200,2,0,0,0,0,0");
  EXPECT_TRUE(host.SawMessage("Read Done."));
  const auto stored = TrackPoints(0);
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(std::memcmp(&stored[0], &p, sizeof p), 0);
}

TEST_F(Session, NextSectorIsAcknowledgedAndMakesTheTrackDurable) {
  StartBinaryRead(Point(24, 1, 1, 10, 0, 0));
  SendPoints({Point(24, 1, 1, 10, 0, 0), Point(24, 1, 1, 10, 0, 1)});
  FromLogger(Bytes(EncodeControlFrame(kFrameNextSector)));
  EXPECT_EQ(host.statuses.back(), "<<< Next Sector:\r\n");
  // Before the transfer ends, the unfinished file on disk already counts both points.
  const auto entry = store.Files().ReadTrackHeader(dir / "20240101_100000.bt0.part");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->header.pointCount, 2u);
  EXPECT_EQ(Sent(), MakeSentence("PSRF200,1,2,0,0,0,0"));
}

TEST_F(Session, TimeOverKeepsWhatArrivedAndSaysWhatToDo) {
  StartBinaryRead(Point(24, 1, 1, 10, 0, 0));
  SendPoints({Point(24, 1, 1, 10, 0, 0), Point(24, 1, 1, 10, 0, 1),
              Point(24, 1, 1, 11, 0, 0, 1, 1, kFixTrackStart), Point(24, 1, 1, 11, 0, 1)});
  FromLogger(Bytes(EncodeControlFrame(kFrameNextSector)));
  FromLogger(Bytes(EncodeControlFrame(kFrameTimeOver)));
  EXPECT_FALSE(session.DownloadInProgress());
  EXPECT_FALSE(session.TransferActive());
  ASSERT_FALSE(host.messages.empty());
  const std::string& text = host.messages.back().text;
  EXPECT_EQ(text.rfind("Error is Connection program to Device.\r\n", 0), 0u) << text;
  EXPECT_NE(text.find("after 1 sector. The 4 points received are saved in 2 track files."),
            std::string::npos)
      << text;
  EXPECT_EQ(TrackPoints(0).size(), 2u);
  EXPECT_EQ(TrackPoints(1).size(), 2u);
  EXPECT_EQ(session.WrittenTracks().size(), 2u);
}

TEST_F(Session, ALineThatDiesRightAfterTheTrackInformationLeavesNoFile) {
  StartBinaryRead(Point(24, 1, 1, 10, 0, 0));
  FromLogger(Bytes(EncodeControlFrame(kFrameTimeOver)));
  EXPECT_NE(host.messages.back().text.find("No track point had arrived"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path())) << "no file, not even an unfinished one";
}

// The user's stop is told like a disconnect, and an end of message the logger sends after it is
// no success.
TEST_F(Session, AStopSaysWhatWasKeptAndTheLoggersLateEndIsNoSuccess) {
  StartBinaryRead(Point(24, 1, 1, 10, 0, 0));
  SendPoints({Point(24, 1, 1, 10, 0, 0), Point(24, 1, 1, 10, 0, 1)});
  session.SendCommand(Command::Stop);
  ASSERT_FALSE(host.messages.empty());
  EXPECT_EQ(host.messages.back().text,
            "The read was stopped before the first sector was complete. The 2 points received are "
            "saved in 1 track file. It is in 20240101_100000.bt0. The last track is cut short. Get "
            "All Tracks (tavrin read --all) gets the rest.");
  EXPECT_EQ(host.statuses.back(), host.messages.back().text);
  host.messages.clear();
  FromLogger(Bytes(EncodeControlFrame(kFrameEndOfMessage)));
  EXPECT_TRUE(host.messages.empty()) << host.messages.front().text;
}

TEST_F(Session, StoppingAReadKeepsItsPointsUnlessAStoredCopyHasMore) {
  StartBinaryRead(Point(24, 1, 1, 10, 0, 0));
  SendPoints({Point(24, 1, 1, 10, 0, 0)});
  session.SendCommand(Command::Stop);
  EXPECT_EQ(Sent(), MakeSentence("PSRF203,0"));
  EXPECT_FALSE(session.DownloadInProgress());
  EXPECT_EQ(TrackPoints(0).size(), 1u);

  const std::vector<TrackPoint> whole = {Point(24, 1, 1, 10, 0, 0), Point(24, 1, 1, 10, 0, 1),
                                         Point(24, 1, 1, 10, 0, 2)};
  StartBinaryRead(whole[0]);
  SendPoints(whole);
  EndRead();
  Sent();  // the closing acknowledgement
  EXPECT_EQ(TrackPoints(0).size(), 3u);

  StartBinaryRead(whole[0]);
  SendPoints({whole[0], whole[1]});
  session.SendCommand(Command::Stop);
  EXPECT_EQ(TrackPoints(0).size(), 3u);
  EXPECT_TRUE(session.WrittenTracks().empty());
  const std::string summary = SavedSummary(session.ReadSoFar());
  EXPECT_NE(summary.find("20240101_100000.bt0 has more points (3) than this read "
                         "got (2), so it is kept as it was."),
            std::string::npos)
      << summary;
}

TEST_F(Session, ALoggerThatFallsSilentEndsTheReadKeepingWhatArrived) {
  StartBinaryRead(Point(24, 1, 1, 10, 0, 0));
  SendPoints({Point(24, 1, 1, 10, 0, 0), Point(24, 1, 1, 10, 0, 1)});
  FromLogger(Bytes(EncodeControlFrame(kFrameNextSector)));
  Sent();
  SendPoints({Point(24, 1, 1, 10, 0, 2)});
  session.OnLoggerSilent();
  EXPECT_EQ(link->TakeSent(), MakeSentence("PSRF203,0"));  // the logger is told to stop
  EXPECT_FALSE(session.TransferActive());
  EXPECT_EQ(host.messages.back().text,
            "The logger stopped answering after 1 sector. The 3 points received are saved in 1 "
            "track file. Read the tracks again to get the rest.");
  EXPECT_EQ(TrackPoints(0).size(), 3u);
}

TEST_F(Session, DisconnectingDuringAReadStopsItLikeTheStopCommand) {
  StartBinaryRead(Point(24, 1, 1, 10, 0, 0));
  SendPoints({Point(24, 1, 1, 10, 0, 0), Point(24, 1, 1, 10, 0, 1)});
  ASSERT_TRUE(session.Disconnect());
  EXPECT_EQ(link->TakeSent(), MakeSentence("PSRF203,0"));
  EXPECT_FALSE(session.DownloadInProgress());
  EXPECT_FALSE(store.Writer().IsWriting());
  EXPECT_EQ(TrackPoints(0).size(), 2u);
  Attach();
  EXPECT_EQ(TrackPoints(0).size(), 2u);  // connecting again changes nothing on disk
}

TEST_F(Session, TwoTracksThatStartInTheSameSecondAreBothKept) {
  StartBinaryRead(Point(24, 1, 1, 10, 0, 0));
  SendPoints({Point(24, 1, 1, 10, 0, 0), Point(24, 1, 1, 10, 0, 0, 1, 1, kFixTrackStart),
              Point(24, 1, 1, 10, 0, 1)});
  EndRead();
  EXPECT_EQ(session.WrittenTracks(), (std::vector<std::string>{dir / "20240101_100000.bt0",
                                                               dir / "20240101_100000_02.bt0"}));
  EXPECT_EQ(TrackPoints(1).size(), 2u);
}

TEST_F(Session, ImpossibleDatesAreLeftOutAndReportedOnceARead) {
  StartBinaryRead(Point(24, 1, 1, 10, 0, 0));
  SendPoints({Point(24, 1, 1, 10, 0, 0), Point(24, 1, 1, 25, 0, 0), Point(24, 1, 1, 10, 0, 1),
              Point(24, 1, 1, 26, 0, 0)});
  FromLogger(Bytes(EncodeControlFrame(kFrameNextSector)));
  FromLogger(Bytes(EncodeControlFrame(kFrameNextSector)));
  EndRead();
  int reports = 0;
  for (const auto& m : host.messages)
    reports += m.text.find("impossible date") != std::string::npos;
  EXPECT_EQ(reports, 1);
  EXPECT_EQ(host.messages[0].text.rfind("Point 2 of this read has an impossible date/time "
                                        "(2024-01-01 25:00:00). It is left out",
                                        0),
            0u)
      << host.messages[0].text;
  const auto stored = TrackPoints(0);
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[1].GetDateTime(), (DateTime{24, 1, 1, 10, 0, 1}));
}

TEST_F(Session, AnImpossibleStartNamesTheTrackAfterItsFirstPoint) {
  session.SendCommand(Command::ReadAllBinary);
  Sent();
  Answer("PSRF200,1,1,320124,250000,3,4");  // the 32nd at 25 o'clock
  Sent();
  SendPoints({Point(24, 1, 1, 10, 0, 0), Point(24, 1, 1, 10, 0, 1)});
  FromLogger(Bytes(EncodeControlFrame(kFrameNextSector)));
  EndRead();
  EXPECT_EQ(session.WrittenTracks(), std::vector<std::string>{dir / "20240101_100000.bt0"});
  EXPECT_EQ(TrackPoints(0).size(), 2u);
  EXPECT_NE(host.messages[0].text.find("named after its first point"), std::string::npos);
}

TEST_F(Session, DamagedItemsAreCountedAndReportedAfterTheRead) {
  StartBinaryRead(Point(24, 1, 1, 10, 0, 0));
  auto bad = EncodePointFrame(Point(24, 1, 1, 10, 0, 1));
  bad[6] ^= 0x01;
  FromLogger(Bytes(EncodePointFrame(Point(24, 1, 1, 10, 0, 0))) + Bytes(bad) +
             Bytes(EncodePointFrame(Point(24, 1, 1, 10, 0, 2))));
  EndRead();
  EXPECT_EQ(session.DamagedItems(), 1);
  ASSERT_FALSE(host.messages.empty());
  // One box: the warning comes with "Read done.", never after it.
  EXPECT_EQ(host.messages.back().text.rfind("Read done. 1 item was damaged", 0), 0u)
      << host.messages.back().text;
  EXPECT_EQ(host.messages.back().icon, MsgIcon::Warning);
  for (const auto& message : host.messages) EXPECT_NE(message.text, "Read done.");
  EXPECT_EQ(TrackPoints(0).size(), 2u);  // the intact ones
}

TEST_F(Session, ATrackThatLostAnItemDoesNotReplaceAFullerStoredCopy) {
  const std::vector<TrackPoint> whole = {Point(24, 1, 1, 10, 0, 0), Point(24, 1, 1, 10, 0, 1),
                                         Point(24, 1, 1, 10, 0, 2)};
  StartBinaryRead(whole[0]);
  SendPoints(whole);
  EndRead();
  Sent();
  StartBinaryRead(whole[0]);
  auto bad = EncodePointFrame(whole[1]);
  bad[6] ^= 0x01;
  FromLogger(Bytes(EncodePointFrame(whole[0])) + Bytes(bad) + Bytes(EncodePointFrame(whole[2])));
  EndRead();
  EXPECT_EQ(TrackPoints(0).size(), 3u);
  EXPECT_NE(host.messages.back().text.find("20240101_100000.bt0 has more points (3) than this "
                                           "read got (2), so it is kept as it was."),
            std::string::npos)
      << host.messages.back().text;
}

TEST_F(Session, AnItemBegunInANestedDrainIsNotLost) {
  StartBinaryRead(Point(24, 1, 1, 10, 0, 0));
  const std::string gpbt = MakeSentence("GPBT,AB,,,,0,0,12,1,100,32,1,2,500,7");
  // While the box that ends the read is open the nested loop takes the first half of a sentence.
  host.onMessage = [&](const std::string& text) {
    if (text != "The logger holds no track point, so nothing was read.") return;
    link->FromLogger(gpbt.substr(0, 20));
    host.RunUntil([&] { return false; }, 50);
  };
  FromLogger(Bytes(EncodeControlFrame(kFrameEndOfMessage)));
  host.onMessage = nullptr;
  FromLogger(gpbt.substr(20));
  EXPECT_EQ(session.DeviceInfo().newPoints, 7u);
  EXPECT_EQ(session.DeviceInfo().noteGroups[0], "AB");
}

TEST_F(Session, LostConnectionKeepsEveryPointReceived) {
  StartBinaryRead(Point(24, 1, 1, 10, 0, 0));
  SendPoints({Point(24, 1, 1, 10, 0, 0), Point(24, 1, 1, 10, 0, 1), Point(24, 1, 1, 10, 0, 2)});
  link->HangUp();
  ASSERT_TRUE(host.RunUntil([&] { return host.connectionsLost > 0; }));
  EXPECT_FALSE(session.IsConnected());
  EXPECT_FALSE(session.DownloadInProgress());
  EXPECT_EQ(host.images.back(), ConnectionImage::Disconnected);
  EXPECT_NE(host.messages.back().text.find("3 points received"), std::string::npos);
  EXPECT_EQ(TrackPoints(0).size(), 3u);
}

TEST_F(Session, ConnectOpensThePortThroughTheOpenerItWasGiven) {
  std::string asked;
  session.SetLinkOpener(
      [&](const std::string& device, uint32_t baud) -> Result<std::unique_ptr<ILoggerLink>> {
        asked = device + "@" + std::to_string(baud);
        if (device == "gone") return Failure{"Cannot open gone: no such device."};
        return std::unique_ptr<ILoggerLink>(std::make_unique<test::ScriptedLink>("built-in"));
      });
  session.SetPort("built-in", 230400);
  ASSERT_TRUE(session.Connect());
  EXPECT_EQ(asked, "built-in@230400");
  EXPECT_EQ(session.PortDevice(), "built-in");
  EXPECT_EQ(host.images.back(), ConnectionImage::Connected);
  session.SetPort("gone", 9600);
  EXPECT_FALSE(session.Connect());
  EXPECT_EQ(session.OpenError(), "Cannot open gone: no such device.");
  EXPECT_TRUE(session.IsConnected()) << "a failed open leaves the open link alone";
}

}  // namespace
}  // namespace tavrin
