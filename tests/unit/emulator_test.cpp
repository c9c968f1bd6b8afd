// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstring>

#include "emulator/host_record.h"
#include "emulator/read_selection.h"
#include "emulator_support.h"

namespace tavrin::emulator {
namespace {

using namespace test;

enum class Answer { kNextSector, kSuccess, kTimeOver, kOther };

// Next Sector, Success and Time Over in either form, as the host tells them apart.
Answer ControlOf(const Item& item) {
  if (item.frame) {
    switch (item.FrameType()) {
      case kFrameNextSector:
        return Answer::kNextSector;
      case kFrameEndOfMessage:
        return Answer::kSuccess;
      case kFrameTimeOver:
        return Answer::kTimeOver;
      default:
        return Answer::kOther;
    }
  }
  const auto f = Fields(item.Text());
  if (f[0] != "PSRF200" || f.size() < 7 || !IsReadMode(ParseInteger(f[1]))) return Answer::kOther;
  const long long code = ParseInteger(f[2]);
  if (code == 1 && f[3] == "0" && f[4] == "0") return Answer::kNextSector;
  return code == 0 ? Answer::kSuccess : code == 4 ? Answer::kTimeOver : Answer::kOther;
}

TrackPoint Decode(const Item& item) {
  EXPECT_TRUE(item.frame ? FrameChecksumOk(item.bytes) : SentenceChecksumOk(item.Text()));
  return item.frame ? *DecodePointFrame(item.bytes) : DecodeRmc(SplitFields(item.Text()));
}

bool SameRecord(const TrackPoint& a, const TrackPoint& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

std::string Ack(int mode) {
  return "PSRF200," + std::to_string(mode) + ",2,0,0,0,0";
}

// A whole read as a patient host runs it: the information answer, then one acknowledgement per
// block and one for the end. Checks on the way that a block is points followed by one control
// answer, and that nothing more arrives until the host acknowledges.
struct Download {
  std::vector<std::string> info;  // fields of the Tracking Data Information answer
  std::vector<std::vector<Item>> blocks;
  std::vector<TrackPoint> points;
  Answer end = Answer::kOther;
};

Download RunRead(Line& line, const std::string& command) {
  Download d;
  line.Send(command);
  const int mode = static_cast<int>(ParseInteger(SplitFields("$" + command)[1]));
  auto items = line.Take();
  if (items.size() == 1 && ControlOf(items[0]) == Answer::kSuccess) {
    d.end = Answer::kSuccess;
    return d;
  }
  EXPECT_EQ(items.size(), 1u);
  d.info = Fields(items.at(0).Text());
  while (true) {
    line.Advance(100ms);
    EXPECT_TRUE(line.Take().empty()) << "sent before the acknowledgement";
    line.Send(Ack(mode));
    d.blocks.push_back(line.Take());
    const auto& block = d.blocks.back();
    EXPECT_FALSE(block.empty());
    if (block.empty()) return d;
    for (size_t i = 0; i + 1 < block.size(); ++i) {
      EXPECT_TRUE(block[i].IsPoint()) << block[i].Text();
      d.points.push_back(Decode(block[i]));
    }
    d.end = ControlOf(block.back());
    if (d.end == Answer::kSuccess) line.Send(Ack(mode));  // the host has taken the end
    if (d.end != Answer::kNextSector) return d;
  }
}

std::vector<TrackPoint> Expected(std::span<const TrackPoint> points, int mode) {
  std::vector<TrackPoint> records;
  for (const TrackPoint& p : points) records.push_back(HostRecord(p, mode));
  return records;
}

void ExpectSameRecords(const std::vector<TrackPoint>& got, const std::vector<TrackPoint>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_TRUE(SameRecord(got[i], want[i])) << "record " << i;
  }
}

std::vector<std::string> GpbtFields(Line& line) {
  line.Send("PSRF202,1,0,0,0,0,0");
  const auto items = line.Take();
  EXPECT_EQ(items.size(), 1u);
  if (items.empty()) return std::vector<std::string>(15);
  EXPECT_TRUE(SentenceChecksumOk(items[0].Text()));
  return Fields(items[0].Text());
}

TEST(EmulatorInformation, ReportsCountsSectorsOptionsAndNotes) {
  Line empty(LoggerMemory{});
  EXPECT_EQ(GpbtFields(empty), (std::vector<std::string>{"GPBT", "", "", "", "", "0", "0", "0", "1",
                                                         "0", "32", "0", "0", "0", "0"}));

  Line line(Memory(10, 4, 6));
  auto f = GpbtFields(line);
  ASSERT_EQ(f.size(), 15u);
  EXPECT_EQ(f[11], "1");   // first used sector
  EXPECT_EQ(f[12], "3");   // 10 points at 4 a sector end in sector 3
  EXPECT_EQ(f[13], "10");  // used
  EXPECT_EQ(f[14], "4");   // new

  line.Send("PSRF200,9,12,5,300,0,0");
  line.Send("PSRF209,AB1,,x,Z9999");
  EXPECT_TRUE(line.Take().empty()) << "writes are not answered";
  f = GpbtFields(line);
  EXPECT_EQ(std::vector<std::string>(f.begin() + 1, f.begin() + 11),
            (std::vector<std::string>{"AB1", "", "x", "Z9999", "0", "0", "12", "5", "300", "32"}));

  // Groups the logger cannot hold leave all four as they were.
  line.Send("PSRF209,ABCDEF,,,");
  line.Send("PSRF209,A-B,,,");
  EXPECT_EQ(GpbtFields(line)[1], "AB1");
}

TEST(EmulatorInformation, CommandsArriveInPiecesAmongNoiseAndBadChecksumsAreDropped) {
  Line line(Memory(3));
  line.SendRaw(std::string("\xff\x00garbage$PSRF202,1,0,0", 23));
  EXPECT_TRUE(line.Take().empty());
  line.SendRaw(",0,0,0*26\r\n");
  EXPECT_EQ(line.Take().size(), 1u);
  line.SendRaw("$PSRF202,1,0,0,0,0,0*27\r\n");  // wrong checksum
  line.SendRaw("$PSRF202,1,0,0,0,0,0*26\n");    // no CR: the digits are read one place off
  line.SendRaw("$PSRF202,1," + std::string(200, '0') + "*00\r\n");  // overlong
  EXPECT_TRUE(line.Take().empty());
  // A command cut short does not swallow the next one.
  line.SendRaw("$PSRF200,1,0,0$PSRF202,1,0,0,0,0,0*26\r\n");
  const auto items = line.Take();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].Text().substr(0, 6), "$GPBT,");
}

TEST(EmulatorInformation, IgnoresBypassAndAcknowledgementsWhileIdle) {
  Line line(Memory(5));
  line.Send("PSRF201,1,Bypass Test");
  line.Send("PSRF201,0");
  line.Send(Ack(1));
  line.Send("PSRF200,1,3,0,0,0,0");
  line.Send("PSRF203,0");
  line.Advance(5s);
  EXPECT_TRUE(line.Take().empty());
}

TEST(EmulatorErase, ReportsEverySectorAtItsPaceThenEmptiesTheMemory) {
  Line line(Memory(10, 4, 3));
  line.Send("PSRF200,4,0,0,0,0,0");
  EXPECT_TRUE(line.Take().empty());
  line.Advance(19ms);
  EXPECT_TRUE(line.Take().empty());
  line.Advance(1ms);
  auto items = line.Take();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].Text(), "$PSRF200,4,1,1,0,0,0*21\r\n");
  // Reads are refused while the flash is busy; the state can still be asked for.
  line.Send("PSRF200,1,0,0,0,0,0");
  EXPECT_TRUE(line.Take().empty());
  EXPECT_EQ(GpbtFields(line)[13], "10");

  line.Advance(62 * 20ms);
  items = line.Take();
  ASSERT_EQ(items.size(), 62u);
  EXPECT_EQ(items.back().Text(), MakeSentence("PSRF200,4,63,63,0,0,0"));
  line.Advance(20ms);
  items = line.Take();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].Text(), MakeSentence("PSRF200,4,64,64,0,0,0"));
  EXPECT_EQ(items[1].Text(), MakeSentence("PSRF200,4,0,0,0,0,0"));
  EXPECT_FALSE(line.Logger().NextDeadline().has_value());

  const auto f = GpbtFields(line);
  EXPECT_EQ(std::vector<std::string>(f.begin() + 11, f.end()),
            (std::vector<std::string>{"0", "0", "0", "0"}));
}

TEST(EmulatorErase, SectorCountFollowsTheMemorySize) {
  LoggerMemory memory = Memory(2);
  memory.memoryMbit = 16;
  Line line(memory);
  line.Send("PSRF200,4,0,0,0,0,0");
  line.Advance(10s);
  const auto items = line.Take();
  ASSERT_EQ(items.size(), 33u);
  EXPECT_EQ(items[31].Text(), MakeSentence("PSRF200,4,32,32,0,0,0"));
}

TEST(EmulatorRead, BinaryReadOfSeveralSectorsDecodesToTheHostRecords) {
  Line line(Memory(10, 4));
  const Download d = RunRead(line, "PSRF200,1,0,0,0,0,0");
  // First point 2024-05-01 08:00:00: a = 10524 (DDMMYY), b = 80000, 3 sectors, 10 points.
  EXPECT_EQ(d.info, (std::vector<std::string>{"PSRF200", "1", "1", "10524", "80000", "3", "10"}));
  ASSERT_EQ(d.blocks.size(), 3u);
  EXPECT_EQ(d.blocks[0].size(), 5u);
  EXPECT_EQ(d.blocks[1].size(), 5u);
  EXPECT_EQ(d.blocks[2].size(), 3u) << "the last sector ends with Success, not Next Sector";
  EXPECT_TRUE(d.blocks[0].back().frame);
  EXPECT_EQ(d.end, Answer::kSuccess);
  EXPECT_TRUE(d.blocks[2].back().frame);
  ExpectSameRecords(d.points, Expected(line.Logger().Memory().points, 1));
  // Binary frames know only track starts and fixes.
  EXPECT_EQ(d.points[1].FixKind(), kFix3D);
  // The logger is idle again: a late acknowledgement gets nothing.
  line.Send(Ack(1));
  EXPECT_TRUE(line.Take().empty());
}

TEST(EmulatorRead, NmeaReadSendsRmcSentencesAndControlSentences) {
  Line line(Memory(9, 4));
  const Download d = RunRead(line, "PSRF200,2,0,0,0,0,0");
  ASSERT_EQ(d.blocks.size(), 3u);
  EXPECT_EQ(d.blocks[0].back().Text(), "$PSRF200,2,1,0,0,0,0*26\r\n");
  EXPECT_EQ(d.blocks[2].back().Text(), MakeSentence("PSRF200,2,0,0,0,0,0"));
  ExpectSameRecords(d.points, Expected(line.Logger().Memory().points, 2));
  EXPECT_EQ(d.points[1].FixKind(), kFixNone);
  EXPECT_EQ(d.points[2].FixKind(), kFix3D);
}

TEST(EmulatorRead, ControlOptionForcesOneFormForAllModes) {
  EmulatorOptions sentences = Line::Options();
  sentences.control = ControlForm::kSentences;
  Line binary(Memory(6, 4), sentences);
  Download d = RunRead(binary, "PSRF200,1,0,0,0,0,0");
  EXPECT_EQ(d.blocks[0].back().Text(), MakeSentence("PSRF200,1,1,0,0,0,0"));
  EXPECT_EQ(d.blocks[1].back().Text(), MakeSentence("PSRF200,1,0,0,0,0,0"));
  EXPECT_TRUE(d.blocks[0].front().frame) << "points stay frames";

  EmulatorOptions frames = Line::Options();
  frames.control = ControlForm::kFrames;
  Line nmea(Memory(6, 4), frames);
  d = RunRead(nmea, "PSRF200,2,0,0,0,0,0");
  EXPECT_EQ(d.blocks[0].back().FrameType(), kFrameNextSector);
  EXPECT_EQ(d.blocks[1].back().FrameType(), kFrameEndOfMessage);
  EXPECT_FALSE(d.blocks[0].front().frame);
}

TEST(EmulatorRead, NewReadsTakeOnlyUnreadPointsOnce) {
  Line line(Memory(10, 4, 7));
  Download d = RunRead(line, "PSRF200,5,0,0,0,0,0");
  EXPECT_EQ(d.info[6], "3");
  ExpectSameRecords(d.points, Expected(std::span(line.Logger().Memory().points).subspan(7), 5));
  EXPECT_EQ(GpbtFields(line)[14], "0");

  // Nothing new: Success at once, as a frame for a binary read.
  line.Send("PSRF200,5,0,0,0,0,0");
  const auto items = line.Take();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].FrameType(), kFrameEndOfMessage);
  // A read of all tracks still finds everything.
  EXPECT_EQ(RunRead(line, "PSRF200,2,0,0,0,0,0").points.size(), 10u);
}

TEST(EmulatorRead, PeriodReadIncludesBothEnds) {
  LoggerMemory memory;
  memory.pointsPerSector = 2;
  for (int day : {4, 5, 6}) {
    for (int hour : {7, 8, 18, 19}) {
      memory.points.push_back(MakePoint(DateTime{15, 3, day, hour, 30, 0}, 3, 1, 2, 3, 4));
    }
  }
  Line line(memory);
  // The example of the period dialog: 5 March 2015 08:00:00 to 6 March 2015 18:30:00.
  const Download d = RunRead(line, "PSRF200,7,0,050315,080000,060315,183000");
  ASSERT_EQ(d.points.size(), 6u);
  EXPECT_EQ(d.info[3], "50315");
  EXPECT_EQ(d.info[4], "83000");
  EXPECT_EQ(d.info[5], "3");
  EXPECT_EQ(d.points.front().GetDateTime(), (DateTime{15, 3, 5, 8, 30, 0}));
  EXPECT_EQ(d.points.back().GetDateTime(), (DateTime{15, 3, 6, 18, 30, 0}));

  EXPECT_EQ(RunRead(line, "PSRF200,8,0,060315,193000,060315,193000").points.size(), 1u);
  const Download none = RunRead(line, "PSRF200,8,0,070315,000000,310315,235959");
  EXPECT_TRUE(none.blocks.empty());
  EXPECT_EQ(none.end, Answer::kSuccess);
}

TEST(EmulatorRead, WithoutAcknowledgementTheLoggerGivesUp) {
  Line line(Memory(10, 4, 2));
  line.Send("PSRF200,5,0,0,0,0,0");
  line.Send(Ack(5));
  ASSERT_EQ(line.Take().size(), 6u);
  line.Advance(499ms);
  EXPECT_TRUE(line.Take().empty());
  line.Advance(1ms);
  auto items = line.Take();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].FrameType(), kFrameTimeOver);
  // The read is over: acknowledgements get nothing and the new points stay new.
  line.Send(Ack(5));
  line.Advance(1s);
  EXPECT_TRUE(line.Take().empty());
  EXPECT_EQ(GpbtFields(line)[14], "8");

  line.Send("PSRF200,6,0,0,0,0,0");
  line.Advance(500ms);
  items = line.Take();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1].Text(), MakeSentence("PSRF200,6,4,0,0,0,0"));
}

TEST(EmulatorRead, AckTimeoutStartsWhenTheBlockHasLeft) {
  std::vector<uint8_t> sent;
  EmulatorOptions options = Line::Options();
  LoggerEmulator logger(Memory(8, 4), options, [&](std::span<const uint8_t> bytes) {
    sent.insert(sent.end(), bytes.begin(), bytes.end());
  });
  const LoggerEmulator::Clock::time_point t0{};
  const std::string read = MakeSentence("PSRF200,1,0,0,0,0,0");
  logger.Receive(std::span(reinterpret_cast<const uint8_t*>(read.data()), read.size()), t0);
  // A slow line still carries the block long after the timeout would have passed.
  logger.Poll(t0 + 10s);
  EXPECT_FALSE(logger.NextDeadline().has_value());
  logger.OutputDrained(t0 + 10s);
  EXPECT_EQ(logger.NextDeadline(), t0 + 10s + 500ms);
  sent.clear();
  logger.Poll(t0 + 10s + 499ms);
  EXPECT_TRUE(sent.empty());
  logger.Poll(t0 + 10s + 500ms);
  EXPECT_EQ(sent, EncodeControlFrame(kFrameTimeOver));
}

TEST(EmulatorRead, EndCommandAbandonsTheReadSilently) {
  Line line(Memory(10, 4, 0));
  line.Send("PSRF200,5,0,0,0,0,0");
  line.Send(Ack(5));
  line.Take();
  line.Send("PSRF203,0");
  line.Send(Ack(5));
  line.Advance(5s);
  EXPECT_TRUE(line.Take().empty());
  EXPECT_EQ(GpbtFields(line)[14], "10");
}

// The points of a read of new tracks count as read when the host acknowledges Success, not when
// the logger sends it: a host that could not store the last sector stops instead, or goes away,
// and finds them new next time.
TEST(EmulatorRead, NewPointsCountAsReadOnlyOnceTheHostTakesTheEnd) {
  for (const char* instead : {"PSRF203,0", "PSRF200,5,3,0,0,0,0", ""}) {
    Line line(Memory(6, 4, 0));
    line.Send("PSRF200,5,0,0,0,0,0");
    line.Send(Ack(5));
    line.Send(Ack(5));
    auto items = line.Take();
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(ControlOf(items.back()), Answer::kSuccess);
    if (*instead != '\0') line.Send(instead);
    line.Advance(10s);
    line.Take();
    EXPECT_EQ(GpbtFields(line)[14], "6") << "after " << instead;
  }
  Line line(Memory(6, 4, 0));
  const Download d = RunRead(line, "PSRF200,5,0,0,0,0,0");
  EXPECT_EQ(d.points.size(), 6u);
  EXPECT_EQ(GpbtFields(line)[14], "0");
}

TEST(EmulatorRead, NackSendsTheLastBlockAgain) {
  Line line(Memory(10, 4));
  line.Send("PSRF200,1,0,0,0,0,0");
  const auto info = line.Take();
  line.Send("PSRF200,1,3,0,0,0,0");
  EXPECT_EQ(line.Take().at(0).bytes, info.at(0).bytes);
  line.Send(Ack(1));
  const auto first = line.Take();
  line.Send("PSRF200,1,3,0,0,0,0");
  const auto again = line.Take();
  ASSERT_EQ(again.size(), first.size());
  for (size_t i = 0; i < first.size(); ++i) EXPECT_EQ(again[i].bytes, first[i].bytes);
  line.Send(Ack(1));
  EXPECT_TRUE(
      SameRecord(Decode(line.Take().at(0)), HostRecord(line.Logger().Memory().points[4], 1)));
}

TEST(EmulatorFaults, FlippedItemFailsItsChecksumOnlyOnce) {
  for (const int mode : {1, 2}) {
    EmulatorOptions options = Line::Options();
    options.faults.items.flipItem = 6;
    Line line(Memory(10, 4), options);
    line.Send("PSRF200," + std::to_string(mode) + ",0,0,0,0,0");
    line.Send(Ack(mode));
    line.Send(Ack(mode));
    auto second = line.Take();
    ASSERT_EQ(second.size(), 11u);  // TDI, 4 + Next Sector, 4 + Next Sector
    for (size_t i = 1; i < second.size(); ++i) {
      const Item& item = second[i];
      const bool ok = item.frame ? FrameChecksumOk(item.bytes) : SentenceChecksumOk(item.Text());
      EXPECT_EQ(ok, i != 7) << "mode " << mode << " item " << i;
    }
    line.Send("PSRF200," + std::to_string(mode) + ",3,0,0,0,0");
    for (const Item& item : line.Take()) {
      EXPECT_TRUE(item.frame ? FrameChecksumOk(item.bytes) : SentenceChecksumOk(item.Text()));
    }
  }
}

TEST(EmulatorFaults, DroppedItemIsMissing) {
  EmulatorOptions options = Line::Options();
  options.faults.items.dropItem = 3;
  Line line(Memory(6, 4), options);
  const Download d = RunRead(line, "PSRF200,2,0,0,0,0,0");
  auto want = Expected(line.Logger().Memory().points, 2);
  want.erase(want.begin() + 2);
  ExpectSameRecords(d.points, want);
  EXPECT_EQ(d.end, Answer::kSuccess);
}

TEST(EmulatorFaults, StopAfterSectorFallsSilent) {
  EmulatorOptions options = Line::Options();
  options.faults.stopAfterSector = 2;
  Line line(Memory(12, 4), options);
  line.Send("PSRF200,1,0,0,0,0,0");
  line.Send(Ack(1));
  line.Send(Ack(1));
  auto items = line.Take();
  ASSERT_EQ(items.size(), 11u);
  EXPECT_EQ(items.back().FrameType(), kFrameNextSector);
  line.Send(Ack(1));
  line.Send("PSRF200,1,3,0,0,0,0");
  line.Advance(10s);
  EXPECT_TRUE(line.Take().empty()) << "no third sector, no Time Over";
  EXPECT_FALSE(line.Logger().HangUpRequested());
  // Silence ends with the read: the logger still answers other commands.
  EXPECT_EQ(GpbtFields(line)[13], "12");
}

TEST(EmulatorFaults, StopAfterTheLastSectorHoldsBackSuccess) {
  EmulatorOptions options = Line::Options();
  options.faults.stopAfterSector = 2;
  Line line(Memory(8, 4, 0), options);
  line.Send("PSRF200,5,0,0,0,0,0");
  line.Send(Ack(5));
  line.Send(Ack(5));
  auto items = line.Take();
  ASSERT_EQ(items.size(), 10u);
  EXPECT_TRUE(items.back().IsPoint());
  EXPECT_EQ(GpbtFields(line)[14], "8") << "an unfinished new read keeps the points new";
}

TEST(EmulatorFaults, HangUpAfterSector) {
  EmulatorOptions options = Line::Options();
  options.faults.hangUpAfterSector = 1;
  Line line(Memory(8, 4), options);
  line.Send("PSRF200,2,0,0,0,0,0");
  EXPECT_FALSE(line.Logger().HangUpRequested());
  line.Send(Ack(2));
  EXPECT_EQ(line.Take().size(), 6u);
  EXPECT_TRUE(line.Logger().HangUpRequested());
}

TEST(HostRecords, FixKindsAndReservedBitsAsTheHostStoresThem) {
  TrackPoint p = MakePoint(DateTime{24, 12, 31, 23, 59, 58}, kFix2D, -33.9f, 151.2f, 255, 358);
  p.monthFix |= 0x80;
  p.mark = 0x81;
  p.dateTime |= 0x80;
  const TrackPoint binary = HostRecord(p, kReadAllBinary);
  EXPECT_EQ(binary.monthFix, 0x40 | (3 << 4) | 12);
  EXPECT_EQ(binary.mark, 0);
  EXPECT_EQ(binary.dateTime & 0x80, 0u);
  EXPECT_EQ(binary.GetDateTime(), p.GetDateTime());
  EXPECT_EQ(binary.speed, 255);
  EXPECT_EQ(binary.heading, 179);
  const auto kind = [&](int fix, int mode) {
    p.SetFixKind(fix);
    return HostRecord(p, mode).FixKind();
  };
  EXPECT_EQ(kind(kFixNone, kReadNewBinary), kFix3D);
  EXPECT_EQ(kind(kFixNone, kReadNewNmea), kFixNone);
  EXPECT_EQ(kind(kFix2D, kReadPeriodNmea), kFix3D);
  EXPECT_EQ(kind(kFixTrackStart, kReadAllNmea), kFixTrackStart);
  EXPECT_EQ(kind(kFixTrackStart, kReadAllBinary), kFixTrackStart);
}

}  // namespace
}  // namespace tavrin::emulator
