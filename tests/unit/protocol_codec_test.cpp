// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "protocol/device_state.h"
#include "protocol/frames.h"
#include "protocol/nmea.h"
#include "protocol/note_group.h"
#include "test_support.h"

namespace tavrin {
namespace {

using test::Point;

TEST(Sentences, ChecksumsOfTheCommandCatalogue) {
  EXPECT_EQ(MakeSentence("PSRF200,5,0,0,0,0,0"), "$PSRF200,5,0,0,0,0,0*20\r\n");
  EXPECT_EQ(MakeSentence("PSRF203,0"), "$PSRF203,0*3A\r\n");
  EXPECT_EQ(MakeSentence("PSRF202,1,0,0,0,0,0"), "$PSRF202,1,0,0,0,0,0*26\r\n");
  EXPECT_EQ(MakeSentence("PSRF200,5,2,0,0,0,0"), "$PSRF200,5,2,0,0,0,0*22\r\n");
  std::string tiny = "$*hh\r\n";
  FillChecksum(tiny);
  EXPECT_EQ(tiny, "$*00\r\n");
}

TEST(Sentences, ChecksumIsTheXorOfTheBodyWrittenInUpperCaseHex) {
  struct Case {
    std::string_view body;
    uint8_t sum;
    std::string_view digits;
  };
  const Case cases[] = {
      {"", 0x00, "00"},          {"A", 0x41, "41"},          {"AA", 0x00, "00"},
      {"PSRF203,0", 0x3A, "3A"}, {"GPRMC,\xff", 0x98, "98"},  // bytes above 0x7F count too
      {"\x0f", 0x0F, "0F"},      {"\xa0", 0xA0, "A0"}};
  for (const Case& c : cases) {
    const uint8_t sum = NmeaChecksum(c.body);
    EXPECT_EQ(sum, c.sum) << c.body;
    EXPECT_EQ(std::string({ChecksumDigit(sum >> 4), ChecksumDigit(sum)}), c.digits) << c.body;
  }
  const std::string_view digits = "0123456789ABCDEF";
  for (unsigned value = 0; value < 32; ++value) {
    EXPECT_EQ(ChecksumDigit(value), digits[value % 16]) << value;  // only the low four bits
  }
}

TEST(Sentences, ReceivedChecksumAcceptsEitherCaseAndNeedsCrLf) {
  EXPECT_TRUE(SentenceChecksumOk("$PSRF200,5,2,0,0,0,0*22\r\n"));
  EXPECT_FALSE(SentenceChecksumOk("$PSRF200,5,2,0,0,0,0*23\r\n"));
  EXPECT_TRUE(SentenceChecksumOk("$PSRF203,0*3A\r\n"));
  EXPECT_TRUE(SentenceChecksumOk("$PSRF203,0*3a\r\n"));
  EXPECT_FALSE(SentenceChecksumOk("$PSRF203,0*3A\n"));  // digits read one place off
  EXPECT_FALSE(SentenceChecksumOk("$*0\r\n"));
}

TEST(Sentences, FieldsKeepEmptyPositionsAndStopAtTheStar) {
  const auto f = SplitFields("$GPBT,AB1,CD,,,0*7F\r\n");
  ASSERT_EQ(f.size(), 6u);
  EXPECT_EQ(f[0], "GPBT");
  EXPECT_EQ(f[2], "CD");
  EXPECT_EQ(f[3], "");
  EXPECT_EQ(f[5], "0");
  EXPECT_EQ(ParseInteger("-12x"), -12);
  EXPECT_EQ(ParseInteger("abc"), 0);
  EXPECT_EQ(ParseInteger("99999999999999999999999"), ParseInteger("999999999999999999999999"));
  EXPECT_DOUBLE_EQ(ParseNumber("3723.2475"), 3723.2475);
}

TEST(Capacity, EachFlashSizeKeepsOneSectorBack) {
  struct Case {
    uint32_t mbit;
    uint32_t points;
  };
  const Case cases[] = {
      {8, 61440},       {16, 126976},     {32, 258048}, {64, 520192},
      {128, 1044480},   {0, 0xFFFFF000u},  // below one 8-Mbit block: wraps as unsigned
      {7, 0xFFFFF000u}, {15, 61440}};
  for (const Case& c : cases) {
    EXPECT_EQ(LoggerCapacity(c.mbit), c.points) << c.mbit << " Mbit";
    DeviceState d;
    d.memorySize = c.mbit;
    EXPECT_EQ(d.Capacity(), c.points) << c.mbit << " Mbit";
  }
}

TEST(NoteGroups, AtMostFiveAsciiLettersOrDigits) {
  struct Case {
    std::string_view group;
    bool tooLong;
    bool notLettersOrDigits;
  };
  const Case cases[] = {
      {"", false, false},
      {"AB1", false, false},
      {"az09Z", false, false},
      {"ABCDEF", true, false},
      {"AB CD", false, true},
      {"AB-1", false, true},
      {"\xED\x95\x9C\xEA\xB8\x80", false, true},  // two Korean characters, six bytes
      {"\xED\x95\x9C\xEA\xB8\x80\xED\x95\x9C\xEA\xB8\x80\xED\x95\x9C\xEA\xB8\x80", true, true},
      {"ABCD\xC3\xA9", false, true},  // five characters, six bytes
      {"ABCDE\xC3\xA9", true, true},
  };
  for (const Case& c : cases) {
    const NoteGroupFaults faults = FindNoteGroupFaults(c.group);
    EXPECT_EQ(faults.tooLong, c.tooLong) << c.group;
    EXPECT_EQ(faults.notLettersOrDigits, c.notLettersOrDigits) << c.group;
    EXPECT_EQ(IsValidNoteGroup(c.group), !c.tooLong && !c.notLettersOrDigits) << c.group;
  }
  EXPECT_TRUE(FindNoteGroupFaults("ABC", 2).tooLong);  // the limit is the caller's
  EXPECT_FALSE(FindNoteGroupFaults("ABCDEFG", 7).tooLong);
}

TEST(DateFields, DdmmyyAndHhmmssBothWays) {
  struct Case {
    long long ddmmyy, hhmmss;
    DateTime t;
  };
  const Case cases[] = {
      {10524, 80000, {24, 5, 1, 8, 0, 0}},        {311299, 235959, {99, 12, 31, 23, 59, 59}},
      {290200, 0, {0, 2, 29, 0, 0, 0}},           {0, 0, {0, 0, 0, 0, 0, 0}},
      {9990101, 995959, {1, 1, 999, 99, 59, 59}},  // the day and the hour keep what lies above
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FromDdmmyyHhmmss(c.ddmmyy, c.hhmmss), c.t) << c.ddmmyy << " " << c.hhmmss;
    EXPECT_EQ(ToDdmmyy(c.t), c.ddmmyy) << c.ddmmyy;
    EXPECT_EQ(ToHhmmss(c.t), c.hhmmss) << c.hhmmss;
  }
  // DDMMYY holds only the last two digits of a year.
  EXPECT_EQ(ToDdmmyy(DateTime{124, 5, 1, 0, 0, 0}), 10524);
  EXPECT_EQ(ToDdmmyy(DateTime{-1, 5, 1, 0, 0, 0}), 10599);
  // Setting one half leaves the other as it was.
  DateTime t{1, 2, 3, 4, 5, 6};
  SetDdmmyy(t, 311224);
  EXPECT_EQ(t, (DateTime{24, 12, 31, 4, 5, 6}));
  SetHhmmss(t, 101112);
  EXPECT_EQ(t, (DateTime{24, 12, 31, 10, 11, 12}));
}

TEST(Rmc, DecodesPositionSpeedCourseAndDate) {
  const auto fields =
      SplitFields("$GPRMC,083000.000,A,3723.2475,S,12158.3416,W,10.0,359.9,050315,,,A*00\r\n");
  const TrackPoint p = DecodeRmc(fields);
  EXPECT_NEAR(p.latitude, -37.387458, 1e-6);
  EXPECT_NEAR(p.longitude, -121.97236, 1e-5);
  EXPECT_EQ(p.speed, 18);     // 18.52 km/h truncated
  EXPECT_EQ(p.heading, 179);  // 359.9 degrees
  EXPECT_EQ(p.GetDateTime(), (DateTime{15, 3, 5, 8, 30, 0}));
  EXPECT_EQ(p.FixKind(), kFix3D);
  EXPECT_EQ(p.monthFix & 0x40, 0x40);
}

TEST(Rmc, StatusDecidesTheFixKind) {
  const auto kind = [](const char* status) {
    const std::string line = std::string("$GPRMC,000000,") + status + ",0,N,0,E,0,0,010124*00\r\n";
    return DecodeRmc(SplitFields(line));
  };
  EXPECT_EQ(kind("S").FixKind(), kFixTrackStart);
  EXPECT_EQ(kind("V").FixKind(), kFixNone);
  EXPECT_EQ(kind("A").FixKind(), kFix3D);
  const TrackPoint empty = kind("");
  EXPECT_EQ(empty.FixKind(), kFixTrackStart);
  EXPECT_EQ(empty.monthFix & 0x40, 0);
}

TEST(Rmc, AbsurdFieldsDoNotOverflow) {
  const TrackPoint p = DecodeRmc(SplitFields("$GPRMC,0,A,99999999,S,0,E,0,0,010124*00\r\n"));
  EXPECT_EQ(p.latitude, 0.0f);
  const TrackPoint huge = DecodeRmc(SplitFields("$GPRMC,1e19,A,0,N,0,E,1e300,1e300,-1e19*00\r\n"));
  EXPECT_EQ(huge.Hour(), 0);
  EXPECT_EQ(huge.speed, 0);
  EXPECT_EQ(huge.Day(), 0);
}

TEST(Frames, ChecksumByteAndControlFrames) {
  const auto next = EncodeControlFrame(kFrameNextSector);
  EXPECT_EQ(next.front(), kFrameStart);
  EXPECT_EQ(next.back(), kFrameEnd);
  EXPECT_TRUE(FrameChecksumOk(next));
  auto damaged = next;
  damaged[damaged.size() - 3] ^= 0x01;
  EXPECT_FALSE(FrameChecksumOk(damaged));
  const uint8_t shortFrame[] = {0xC0, 0x42, 0xC9};
  EXPECT_FALSE(FrameChecksumOk(shortFrame));
}

TEST(Frames, MaskRestoresEveryHighBit) {
  std::vector<uint8_t> f(kPointFrameLength, 0);
  f[0] = kFrameStart;
  f[1] = kFramePoint;
  f[17] = 0x7F;
  f[18] = 0x7F;
  f[19] = 0x01;
  const TrackPoint p = *DecodePointFrame(f);
  // Bytes 2-4 keep only six bits of time, so look at the bytes that land whole.
  uint8_t lat[4];
  std::memcpy(lat, &p.latitude, 4);
  for (uint8_t b : lat) EXPECT_EQ(b, 0x80);
  EXPECT_EQ(p.heading, 0x80);
  EXPECT_EQ(p.speed, 0x80);
  EXPECT_EQ(p.Year(), 0x40);  // bit 7 of byte 16 is bit 15 of the date word
  EXPECT_FALSE(DecodePointFrame(std::vector<uint8_t>(kPointFrameLength - 1, 0)).has_value());
}

TEST(Frames, PointsSurviveTheWireInBothForms) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> lat(-90, 90), lon(-180, 180);
  std::uniform_int_distribution<int> byte(0, 255), year(0, 99), month(1, 12), day(1, 31),
      hour(0, 23), sixty(0, 59);
  // $GPRMC carries a two-digit year, so the years stay below 100.
  for (int i = 0; i < 2000; ++i) {
    TrackPoint p = MakePoint(DateTime{year(random), month(random), day(random), hour(random),
                                      sixty(random), sixty(random)},
                             i % 7 == 0 ? kFixTrackStart : kFix3D, lat(random), lon(random), 0, 0);
    p.speed = static_cast<uint8_t>(byte(random));
    p.heading = static_cast<uint8_t>(byte(random) % 180);
    const auto frame = EncodePointFrame(p);
    for (size_t k = 1; k + 1 < frame.size(); ++k) ASSERT_NE(frame[k], kFrameEnd);
    ASSERT_TRUE(FrameChecksumOk(frame));
    const TrackPoint fromFrame = *DecodePointFrame(frame);
    ASSERT_EQ(std::memcmp(&fromFrame, &p, sizeof p), 0) << i;

    const std::string rmc = EncodeRmc(p);
    ASSERT_TRUE(SentenceChecksumOk(rmc)) << rmc;
    const TrackPoint fromRmc = DecodeRmc(SplitFields(rmc));
    ASSERT_EQ(std::memcmp(&fromRmc, &p, sizeof p), 0) << rmc;
  }
}

}  // namespace
}  // namespace tavrin
