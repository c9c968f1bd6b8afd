// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "emulator/demo_memory.h"
#include "emulator/memory_file.h"
#include "emulator_support.h"
#include "test_support.h"

namespace tavrin::emulator {
namespace {

TEST(MemoryFile, SavedMemoryLoadsBackUnchanged) {
  LoggerMemory memory = test::Memory(40, 16, 25);
  memory.points[3].latitude = -0.1f;  // a value with no short binary form
  memory.memoryMbit = 64;
  memory.options = SaveOptions{12, 5, 65535};
  memory.notes = {"AB1", "", "x", "Z9999"};
  tavrin::test::TempDir dir;
  std::string error;
  ASSERT_TRUE(SaveMemoryFile(memory, dir / "memory.json", error)) << error;
  const MemoryResult loaded = LoadMemoryFile(dir / "memory.json");
  ASSERT_TRUE(loaded.memory) << loaded.error;
  EXPECT_TRUE(*loaded.memory == memory);

  const MemoryResult demo = ParseMemoryJson(MemoryToJson(DemoMemory()));
  ASSERT_TRUE(demo.memory) << demo.error;
  EXPECT_TRUE(*demo.memory == DemoMemory());
}

TEST(MemoryFile, ReadableFormWithDefaults) {
  const MemoryResult r = ParseMemoryJson(R"({"saveBySpeed":12,"notes":["AB1"],"points":[
      {"time":"2024-05-01T08:00:00Z","lat":37.5,"lon":127.0,"speed":40,"heading":90,"fix":"start"},
      {"time":"2024-02-29T23:59:59Z","lat":-1.25,"lon":-0.5,"fix":"nofix"},
      {"time":"2099-12-31T00:00:00Z","lat":0,"lon":0}]})");
  ASSERT_TRUE(r.memory) << r.error;
  const LoggerMemory& m = *r.memory;
  EXPECT_EQ(m.memoryMbit, 32u);
  EXPECT_EQ(m.pointsPerSector, 4096u);
  EXPECT_EQ(m.options, (SaveOptions{12, 1, 0}));
  EXPECT_EQ(m.notes[0], "AB1");
  EXPECT_EQ(m.newFrom, 0u);
  ASSERT_EQ(m.points.size(), 3u);
  EXPECT_EQ(m.points[0].GetDateTime(), (DateTime{24, 5, 1, 8, 0, 0}));
  EXPECT_EQ(m.points[0].FixKind(), kFixTrackStart);
  EXPECT_EQ(m.points[0].speed, 40);
  EXPECT_EQ(m.points[0].HeadingDegrees(), 90);
  EXPECT_EQ(m.points[1].FixKind(), kFixNone);
  EXPECT_EQ(m.points[1].latitude, -1.25f);
  EXPECT_EQ(m.points[2].FixKind(), kFix3D);
  EXPECT_EQ(m.points[2].Year(), 99);
}

TEST(MemoryFile, BadFilesSayWhatIsWrong) {
  const auto point = [](const std::string& fields) {
    return R"({"points":[{"time":"2024-05-01T08:00:00Z","lat":1,"lon":2},{)" + fields + "}]}";
  };
  const struct {
    std::string text;
    std::string saying;
  } cases[] = {
      {"", "not valid JSON"},
      {"{\"points\":[", "not valid JSON"},
      {"[1,2]", "one JSON object"},
      {R"({"memoryMBit":32})", "unknown key \"memoryMBit\""},
      {R"({"memoryMbit":24})", "8, 16, 32, 64 or 128"},
      {R"({"memoryMbit":"32"})", "\"memoryMbit\" must be a whole number"},
      {R"({"saveByDistance":65536})", "from 0 to 65535"},
      {R"({"notes":["ABCDEF"]})", "notes[0]"},
      {R"({"notes":["A","B","C","D","E"]})", "at most four"},
      {R"({"points":{}})", "\"points\" must be a list"},
      {R"({"newFrom":1})", "\"newFrom\" must be a whole number from 0 to 0"},
      {point(R"("lat":1,"lon":2)"), "points[1]: \"time\" is missing"},
      {point(R"("time":"2024-02-30T08:00:00Z","lat":1,"lon":2)"), "points[1]: \"time\" must be"},
      {point(R"("time":"1999-12-31T23:59:59Z","lat":1,"lon":2)"), "from year 2000"},
      {point(R"("time":"2024-05-01 08:00:00","lat":1,"lon":2)"), "like 2024-05-01T08:00:00Z"},
      {point(R"("time":"2024-05-01T08:00:00Z","lat":91,"lon":2)"), "\"lat\" must be a number"},
      {point(R"("time":"2024-05-01T08:00:00Z","lat":1)"), "\"lon\" is missing"},
      {point(R"("time":"2024-05-01T08:00:00Z","lat":1,"lon":2,"speed":40.5)"), "\"speed\""},
      {point(R"("time":"2024-05-01T08:00:00Z","lat":1,"lon":2,"heading":360)"), "\"heading\""},
      {point(R"("time":"2024-05-01T08:00:00Z","lat":1,"lon":2,"fix":"3D")"), "\"fix\" must be"},
      {point(R"("time":"2024-05-01T08:00:00Z","lat":1,"lon":2,"alt":5)"), "unknown key \"alt\""},
  };
  for (const auto& c : cases) {
    const MemoryResult r = ParseMemoryJson(c.text);
    EXPECT_FALSE(r.memory) << c.text;
    EXPECT_NE(r.error.find(c.saying), std::string::npos) << c.text << "\n  said: " << r.error;
  }
}

TEST(MemoryFile, MoreThanTheFlashHoldsIsRefused) {
  // 8 Mbit hold 65536 - 4096 = 61440 points.
  const std::string point = R"({"time":"2024-05-01T08:00:00Z","lat":0,"lon":0},)";
  std::string text = R"({"memoryMbit":8,"points":[)";
  for (int i = 0; i < 61440; ++i) text += point;
  text.pop_back();
  EXPECT_TRUE(ParseMemoryJson(text + "]}").memory);
  const MemoryResult r = ParseMemoryJson(text + "," + point.substr(0, point.size() - 1) + "]}");
  EXPECT_FALSE(r.memory);
  EXPECT_NE(r.error.find("61441 points, more than the 61440 a 8 Mbit"), std::string::npos)
      << r.error;
}

TEST(MemoryFile, MissingOrUnwritableFilesNameThePath) {
  tavrin::test::TempDir dir;
  const MemoryResult r = LoadMemoryFile(dir / "absent.json");
  EXPECT_FALSE(r.memory);
  EXPECT_NE(r.error.find(dir / "absent.json"), std::string::npos);
  { std::ofstream(dir / "bad.json") << "{\"newFrom\":-1}"; }
  const MemoryResult bad = LoadMemoryFile(dir / "bad.json");
  EXPECT_NE(bad.error.find("bad.json: \"newFrom\""), std::string::npos) << bad.error;
  std::string error;
  EXPECT_FALSE(SaveMemoryFile(LoggerMemory{}, dir / "no/such/folder.json", error));
  EXPECT_NE(error.find("no/such/folder.json"), std::string::npos);
}

TEST(DemoMemory, DaysOfDrivesAroundOneCity) {
  const LoggerMemory m = DemoMemory();
  ASSERT_GT(m.points.size(), 2000u);
  EXPECT_LT(m.points.size(), m.Capacity());
  std::map<int, int> drivesPerDay;
  for (size_t i = 0; i < m.points.size(); ++i) {
    const TrackPoint& p = m.points[i];
    ASSERT_TRUE(ToCalendarSeconds(p.GetDateTime())) << i;
    EXPECT_LE(p.speed, 130) << i;
    EXPECT_LT(std::hypot(p.latitude - 37.5665, p.longitude - 126.978), 0.25) << i;
    if (p.FixKind() == kFixTrackStart) ++drivesPerDay[p.Day()];
    if (i == 0) continue;
    // One point a second within a drive; hours between drives, and each begins with a start.
    const long long gap = *SecondsBetween(m.points[i - 1], p);
    EXPECT_EQ(p.FixKind() == kFixTrackStart, gap > 600) << i;
    if (gap <= 600) {
      EXPECT_EQ(gap, 1) << i;
    }
  }
  EXPECT_EQ(m.points[0].FixKind(), kFixTrackStart);
  EXPECT_EQ(drivesPerDay.size(), 3u);
  for (const auto& [day, drives] : drivesPerDay) {
    EXPECT_TRUE(drives >= 2 && drives <= 4) << "day " << day << ": " << drives;
  }
  // The last day has not been read yet.
  ASSERT_LT(m.newFrom, m.points.size());
  EXPECT_EQ(m.points[m.newFrom].FixKind(), kFixTrackStart);
  EXPECT_EQ(m.points[m.newFrom].Day(), m.points.back().Day());
  EXPECT_NE(m.points[m.newFrom - 1].Day(), m.points.back().Day());
}

}  // namespace
}  // namespace tavrin::emulator
