// SPDX-License-Identifier: GPL-3.0-or-later
// tavrin cut and tavrin delete as a user runs them, on real track files in a data folder, with a
// settings zone nine hours east of UTC so that local and UTC days differ.
#include <gtest/gtest.h>

#include <cstring>

#include "cli_fixture.h"

namespace tavrin {
namespace {

class CliEdit : public ::testing::Test {
 protected:
  CliEdit() {
    std::ofstream(dir / "TVR.ini") << "[MAIN]\r\nLocalTimeOffset=540\r\n";
    std::filesystem::create_directories(dir / "DataLog");
  }

  // A track of `count` points `step` seconds apart from a UTC date-time, under its own name.
  std::string WriteTrack(const DateTime& start, int count, int step = 20) {
    std::vector<TrackPoint> points;
    for (int i = 0; i < count; ++i) {
      DateTime t = start;
      const int seconds = t.hour * 3600 + t.minute * 60 + t.second + i * step;
      t.hour = seconds / 3600;
      t.minute = seconds / 60 % 60;
      t.second = seconds % 60;
      points.push_back(test::Point(t.year, t.month, t.day, t.hour, t.minute, t.second,
                                   37.5f + 0.001f * static_cast<float>(i), 127.0f));
    }
    const std::string path = dir / "DataLog" + "/" + Name(start) + ".bt0";
    test::WriteTrackFile(path, test::Header(points[0], static_cast<uint32_t>(count), 0, 0), points);
    return path;
  }
  static std::string Name(const DateTime& t) {
    char name[32];
    std::snprintf(name, sizeof name, "20%02d%02d%02d_%02d%02d%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return name;
  }

  test::ProgramResult Tavrin(std::vector<std::string> words) {
    std::vector<std::string> argv = {TAVRIN_CLI, "--data", dir / "DataLog", "--config",
                                     dir / "TVR.ini"};
    argv.insert(argv.end(), words.begin(), words.end());
    return test::RunProgram(argv, dir.Path());
  }

  std::vector<std::string> StoredNames() {
    std::vector<std::string> names;
    for (const auto& file : std::filesystem::directory_iterator(dir / "DataLog"))
      names.push_back(file.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  static TrackHeader HeaderOf(const std::string& path) {
    TrackHeader header{};
    std::ifstream(path, std::ios::binary).read(reinterpret_cast<char*>(&header), sizeof header);
    return header;
  }
  static std::vector<uint8_t> PointBytes(const std::string& path, size_t from, size_t count) {
    const std::vector<uint8_t> bytes = test::ReadBytes(path);
    const size_t begin = sizeof(TrackHeader) + from * sizeof(TrackPoint);
    if (bytes.size() < begin + count * sizeof(TrackPoint)) return {};
    return std::vector<uint8_t>(
        bytes.begin() + static_cast<ptrdiff_t>(begin),
        bytes.begin() + static_cast<ptrdiff_t>(begin + count * sizeof(TrackPoint)));
  }

  test::TempDir dir;
};

TEST_F(CliEdit, CutWritesTheLocalWindowAsANewUtcTrackUnderAFreeName) {
  // 14:58:00 to 15:01:00 UTC is 23:58:00 on 1 May to 00:01:00 on 2 May in the settings' zone.
  const std::string track = WriteTrack({24, 5, 1, 14, 58, 0}, 10);
  const std::vector<uint8_t> before = test::ReadBytes(track);

  const auto cut =
      Tavrin({"cut", track, "--from", "2024-05-01 23:59:00", "--to", "2024-05-02T00:00:20"});
  ASSERT_EQ(cut.exitCode, 0) << cut.err;
  const std::string made = dir / "DataLog/20240501_145900.bt0";
  EXPECT_EQ(cut.out, made + "\n");
  // The points are those of the file, byte for byte: in UTC, not shifted into the zone.
  EXPECT_EQ(PointBytes(made, 0, 5), PointBytes(track, 3, 5));
  const TrackHeader header = HeaderOf(made);
  EXPECT_EQ(header.pointCount, 5u);
  EXPECT_EQ(header.selectionMarker, kSelectionMarker);
  EXPECT_EQ(header.firstDateTime, (DateTime6{24, 5, 1, 14, 59, 0}));
  EXPECT_EQ(header.lastDateTime, (DateTime6{24, 5, 1, 15, 0, 20}));
  EXPECT_EQ(header.elapsedSeconds, 80u);
  EXPECT_EQ(test::ReadBytes(track), before);

  // The same cut again replaces nothing: it takes the next free name.
  const auto again =
      Tavrin({"cut", track, "--from", "2024-05-01 23:59:00", "--to", "2024-05-02 00:00:20"});
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_EQ(again.out, dir / "DataLog/20240501_145900_02.bt0" + "\n");
  EXPECT_EQ(PointBytes(made, 0, 5), PointBytes(track, 3, 5));

  // tavrin points shows the new track in the zone, as the window was given.
  const auto points = Tavrin({"points", made});
  ASSERT_EQ(points.exitCode, 0) << points.err;
  const auto rows = test::Lines(points.out);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows.front().substr(0, 22), "1\t2024-05-01\t23:59:00\t");
  EXPECT_EQ(rows.back().substr(0, 22), "5\t2024-05-02\t00:00:20\t");
}

TEST_F(CliEdit, CutRefusesWindowsItCannotUseAndMakesNoTrack) {
  const std::string track = WriteTrack({24, 5, 1, 14, 58, 0}, 10);
  struct Refused {
    const char* from;
    const char* to;
    const char* reason;
  };
  for (const Refused& bad : {
           Refused{"2024-05-02 00:00:00", "2024-05-01 23:59:00", "comes after --to"},
           Refused{"2024-05-01", "2024-05-02",
                   "'2024-05-01' is not a date and time written YYYY-MM-DD hh:mm:ss"},
           Refused{"2024-02-30 00:00:00", "2024-05-02 00:00:00",
                   "'2024-02-30 00:00:00' is not a date the calendar has"},
           Refused{"2024-05-01 23:59:00", "2024-05-01 24:00:00",
                   "'2024-05-01 24:00:00' is not a time of day"},
       }) {
    const auto run = Tavrin({"cut", track, "--from", bad.from, "--to", bad.to});
    EXPECT_EQ(run.exitCode, 2) << bad.from << " " << bad.to;
    EXPECT_NE(run.err.find(bad.reason), std::string::npos) << run.err;
  }
  // The window in UTC holds points, the same window in local time none.
  const auto empty =
      Tavrin({"cut", track, "--from", "2024-05-01 14:58:00", "--to", "2024-05-01 15:01:00"});
  EXPECT_EQ(empty.exitCode, 1);
  EXPECT_NE(empty.err.find("no point of " + track), std::string::npos) << empty.err;
  const auto missing = Tavrin({"cut", dir / "DataLog/20240101_000000.bt0", "--from",
                               "2024-05-01 23:59:00", "--to", "2024-05-02 00:00:00"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"20240501_145800.bt0"});
}

TEST_F(CliEdit, DeleteRemovesNamedTracksAndEveryTrackOfALocalDay) {
  const std::string lateMay1 = WriteTrack({24, 5, 1, 14, 0, 0}, 3);   // 23:00 on 1 May
  const std::string earlyMay2 = WriteTrack({24, 5, 1, 16, 0, 0}, 3);  // 01:00 on 2 May
  const std::string noonMay2 = WriteTrack({24, 5, 2, 3, 0, 0}, 3);    // 12:00 on 2 May
  const std::string may3 = WriteTrack({24, 5, 3, 1, 0, 0}, 3);
  std::ofstream(dir / "DataLog/20240504_000000.bt0") << "not a track";

  const auto day = Tavrin({"delete", "--day", "2024-05-02"});
  ASSERT_EQ(day.exitCode, 0) << day.err;
  EXPECT_EQ(day.out, earlyMay2 + "\n" + noonMay2 + "\n");
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"20240501_140000.bt0", "20240503_010000.bt0",
                                                     "20240504_000000.bt0"}));
  const auto gone = Tavrin({"delete", "--day", "2024-05-02"});
  EXPECT_EQ(gone.exitCode, 1);
  EXPECT_NE(gone.err.find("no track was recorded on 2024-05-02"), std::string::npos) << gone.err;

  // A file that is no track file is named and kept; the track beside it still goes.
  const auto named = Tavrin({"delete", may3, dir / "DataLog/20240504_000000.bt0"});
  EXPECT_EQ(named.exitCode, 1);
  EXPECT_EQ(named.out, may3 + "\n");
  EXPECT_NE(named.err.find("20240504_000000.bt0"), std::string::npos) << named.err;
  EXPECT_EQ(StoredNames(),
            (std::vector<std::string>{"20240501_140000.bt0", "20240504_000000.bt0"}));

  EXPECT_EQ(Tavrin({"delete"}).exitCode, 2);
  EXPECT_EQ(Tavrin({"delete", lateMay1, "--day", "2024-05-01"}).exitCode, 2);
  EXPECT_EQ(Tavrin({"delete", "--day", "2024-02-30"}).exitCode, 2);
  EXPECT_EQ(Tavrin({"delete", "--day", "1 May"}).exitCode, 2);
  EXPECT_TRUE(std::filesystem::exists(lateMay1));
}

}  // namespace
}  // namespace tavrin
