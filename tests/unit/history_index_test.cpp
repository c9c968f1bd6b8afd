// SPDX-License-Identifier: GPL-3.0-or-later
// The history index answers as a pass over every point of every track file answers: the same
// passages, times and distances, for places anywhere (across 180 degrees, at a pole), after the
// folder changes behind it, and when its database is damaged or cannot be kept at all.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <tuple>

#include "base/civil_date.h"
#include "index/history_index.h"
#include "store/track_file_checks.h"
#include "store/track_store.h"
#include "test_support.h"

namespace tavrin::test {
namespace {

using index::HistoryIndex;
using index::Passage;
using index::Place;

// A point `seconds` after the start of 2024 (UTC).
TrackPoint At(long seconds, double lat, double lon) {
  const long long utc = DaysOfCivilDate(2024, 1, 1) * 86400LL + seconds;
  const long long days = DaysOfSeconds(utc), rest = utc - days * 86400;
  const CivilDate date = CivilDateOfDays(days);
  return Point(static_cast<int>(date.year - 2000), date.month, date.day,
               static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
               static_cast<int>(rest % 60), static_cast<float>(lat), static_cast<float>(lon));
}

void Write(const std::string& folder, const std::vector<TrackPoint>& points) {
  const TrackHeader header = Header(points.front(), static_cast<uint32_t>(points.size()), 0, 0);
  TrackFolder names;
  names.path = folder;
  WriteTrackFile(names.TrackFileName(header), header, points);
}

// Every passage, by reading every record of every track file.
std::vector<Passage> BruteForce(const std::string& folder, const Place& place) {
  std::vector<Passage> found;
  std::vector<std::string> names;
  for (const auto& item : std::filesystem::directory_iterator(folder)) {
    if (item.path().extension() == ".bt0") names.push_back(item.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    const std::vector<uint8_t> bytes = ReadBytes(folder + "/" + name);
    std::optional<Passage> open;
    for (size_t at = sizeof(TrackHeader); at + sizeof(TrackPoint) <= bytes.size();
         at += sizeof(TrackPoint)) {
      TrackPoint p;
      std::memcpy(&p, bytes.data() + at, sizeof p);
      if (!IsTrackPoint(p) || p.IsDeleted()) continue;
      const double metres =
          GreatCircleMetres(place.latitude, place.longitude, p.latitude, p.longitude);
      const bool inside = place.kind == Place::Kind::Near
                              ? metres <= place.radius
                              : place.DistanceInside(p.latitude, p.longitude).has_value();
      if (!inside) {
        if (open) found.push_back(*open);
        open.reset();
        continue;
      }
      const long long utc = *ToCalendarSeconds(p.GetDateTime());
      const double distance = place.kind == Place::Kind::Near ? metres : 0;
      if (!open) open = Passage{folder + "/" + name, utc, utc, distance};
      open->lastUtc = utc;
      open->closest = std::min(open->closest, distance);
    }
    if (open) found.push_back(*open);
  }
  std::sort(found.begin(), found.end(), [](const Passage& a, const Passage& b) {
    return std::tie(a.firstUtc, a.path) < std::tie(b.firstUtc, b.path);
  });
  return found;
}

void ExpectSame(const std::vector<Passage>& got, const std::vector<Passage>& expected,
                const std::string& what) {
  ASSERT_EQ(got.size(), expected.size()) << what;
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].path, expected[i].path) << what << " #" << i;
    EXPECT_EQ(got[i].firstUtc, expected[i].firstUtc) << what << " #" << i;
    EXPECT_EQ(got[i].lastUtc, expected[i].lastUtc) << what << " #" << i;
    EXPECT_DOUBLE_EQ(got[i].closest, expected[i].closest) << what << " #" << i;
  }
}

class HistoryIndexTest : public ::testing::Test {
 protected:
  HistoryIndexTest() {
    std::filesystem::create_directories(Folder());
    // Drives that wander about one town and come back to the same crossings, a point a
    // second; some records are no points and some points are deleted.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> step(-0.0002, 0.0002);
    for (int track = 0; track < 40; ++track) {
      double lat = 37.55 + 0.01 * (track % 5), lon = 126.97 + 0.01 * (track % 7);
      std::vector<TrackPoint> points;
      const size_t count = 300 + static_cast<size_t>(track) * 37;
      for (size_t i = 0; i < count; ++i) {
        lat += step(random);
        lon += step(random);
        points.push_back(At(track * 86400L + 8 * 3600 + static_cast<long>(i), lat, lon));
        if (i % 97 == 5) points.back().SetDeleted(true);
        if (i % 151 == 9) points.back().latitude = 123.0f;  // off the globe
      }
      Write(Folder(), points);
    }
    // Across 180 degrees, and round the north pole.
    std::vector<TrackPoint> dateLine, pole;
    for (int i = 0; i < 400; ++i) {
      double lon = 179.9 + 0.0005 * i;
      if (lon > 180) lon -= 360;
      dateLine.push_back(At(60 * 86400L + i, -16.5 + 0.0001 * i, lon));
      pole.push_back(At(61 * 86400L + i, 89.995, -180 + 0.9 * i));
    }
    Write(Folder(), dateLine);
    Write(Folder(), pole);
  }

  std::string Folder() const { return dir / "DataLog"; }
  std::string IndexFile() const { return dir / "cache/history.sqlite"; }

  HistoryIndex Opened() {
    HistoryIndex history(Folder(), [this](const TrackFileProblem&) { ++problems; });
    EXPECT_TRUE(history.Open(IndexFile())) << history.Trouble();
    return history;
  }

  void ExpectAnswersAsBruteForce(HistoryIndex& history, int places, const std::string& what) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> lat(37.53, 37.62), lon(126.95, 127.05);
    std::uniform_real_distribution<double> radius(5, 1500), size(0.0005, 0.02);
    for (int i = 0; i < places; ++i) {
      const Place place = i % 3 == 2 ? Place::Between(lat(random), lon(random), 0, 0)
                                     : Place::Near(lat(random), lon(random), radius(random));
      Place box = place;
      if (i % 3 == 2) {
        const double a = place.box.north, b = place.box.east, s = size(random);
        box = Place::Between(a, b, a + s, b + s);
      }
      ExpectSame(history.Find(box, std::nullopt), BruteForce(Folder(), box),
                 what + ", place " + std::to_string(i));
    }
  }

  TempDir dir;
  int problems = 0;
};

TEST_F(HistoryIndexTest, FindsThePassagesAPassOverEveryPointFinds) {
  HistoryIndex history = Opened();
  const index::IndexUpdate first = history.Update();
  EXPECT_EQ(first.indexed, 42u);
  ExpectAnswersAsBruteForce(history, 150, "town");
  // Across 180 degrees: circles and a box that straddle it.
  for (const Place& place : {Place::Near(-16.48, 179.9995, 300), Place::Near(-16.47, -179.95, 2000),
                             Place::Between(-16.6, 179.95, -16.4, -179.95)}) {
    const auto found = history.Find(place, std::nullopt);
    EXPECT_FALSE(found.empty());
    ExpectSame(found, BruteForce(Folder(), place), "the date line");
  }
  // At the pole every longitude is near.
  const Place pole = Place::Near(90, 0, 800);
  ASSERT_EQ(history.Find(pole, std::nullopt).size(), 1u);
  ExpectSame(history.Find(pole, std::nullopt), BruteForce(Folder(), pole), "the pole");
  EXPECT_TRUE(history.Find(Place::Near(-33.9, 18.4, 5000), std::nullopt).empty());
}

TEST_F(HistoryIndexTest, APointJustInsideTheRadiusCountsAndOneJustOutsideDoesNot) {
  std::vector<TrackPoint> north;
  for (int i = 0; i < 20; ++i) north.push_back(At(90 * 86400L + i, 10.0 + 0.0001 * i, 20.0));
  Write(Folder(), north);
  HistoryIndex history = Opened();
  const double toFifth = GreatCircleMetres(10.0, 20.0, north[5].latitude, 20.0);
  const auto within = history.Find(Place::Near(10.0, 20.0, toFifth + 0.01), std::nullopt);
  ASSERT_EQ(within.size(), 1u);
  EXPECT_EQ(within[0].lastUtc - within[0].firstUtc, 5) << "points 0 to 5";
  const auto short_ = history.Find(Place::Near(10.0, 20.0, toFifth - 0.01), std::nullopt);
  ASSERT_EQ(short_.size(), 1u);
  EXPECT_EQ(short_[0].lastUtc - short_[0].firstUtc, 4) << "points 0 to 4";
}

TEST_F(HistoryIndexTest, ATrackThatLeavesAndComesBackPassesTwice) {
  constexpr int kRun = static_cast<int>(index::kPointsPerRun);
  std::vector<TrackPoint> outAndBack;
  for (int i = 0; i < 3 * kRun; ++i) {
    const bool away = i >= kRun && i < 2 * kRun;  // a whole run of points far off
    outAndBack.push_back(At(120 * 86400L + i, away ? 11.0 : 10.0, 20.0));
  }
  Write(Folder(), outAndBack);
  HistoryIndex history = Opened();
  const auto found = history.Find(Place::Near(10.0, 20.0, 50), std::nullopt);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].lastUtc - found[0].firstUtc, kRun - 1);
  EXPECT_EQ(found[1].firstUtc - found[0].firstUtc, 2 * kRun);
}

TEST_F(HistoryIndexTest, KeepsUpWithTheFolderAndReadsOnlyWhatChanged) {
  HistoryIndex history = Opened();
  history.Update();
  EXPECT_EQ(history.Update().indexed, 0u) << "nothing changed";
  TrackStore store([](const std::string& text, MsgIcon, MsgButtons) {
    ADD_FAILURE() << text;
    return MsgAnswer::Ok;
  });
  store.SetProblemReporter(
      [](const TrackFileProblem& problem) { ADD_FAILURE() << problem.Line(); });
  store.SetProblemReporter([](const TrackFileProblem&) {});  // the town's records off the globe
  ASSERT_TRUE(store.PrepareDataFolder(Folder()));
  const auto tracks = store.Catalogue().ListTracks(nullptr, false).tracks;
  ASSERT_EQ(tracks.size(), 42u);
  // A cut (compaction drops points), a delete, a new track and a change by another program.
  TrackEntry cut = tracks[40];  // across 180 degrees: a file of points only, which compacts
  const std::vector<size_t> dropped = {0, 1, 2, 50, 51};
  ASSERT_TRUE(store.Files().CompactTrackFile(cut, dropped));
  ASSERT_TRUE(store.Files().DeleteTrackFile(tracks[7]));
  std::vector<TrackPoint> added;
  for (int i = 0; i < 100; ++i) added.push_back(At(100 * 86400L + i, 37.58 + 0.00003 * i, 127.0));
  Write(Folder(), added);
  {
    std::ofstream outside(tracks[9].path, std::ios::binary | std::ios::in | std::ios::out);
    outside.seekp(sizeof(TrackHeader) + 10 * sizeof(TrackPoint) + 4);
    const float elsewhere = 37.6f;
    outside.write(reinterpret_cast<const char*>(&elsewhere), sizeof elsewhere);
  }
  // The outside change keeps the size; its time alone tells.
  struct timespec later[2] = {{0, UTIME_OMIT}, {2000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, tracks[9].path.c_str(), later, 0), 0);
  const index::IndexUpdate update = history.Update();
  EXPECT_EQ(update.indexed, 3u) << "the cut, the new and the changed track";
  EXPECT_EQ(update.removed, 1u);
  ExpectAnswersAsBruteForce(history, 60, "after the changes");
}

TEST_F(HistoryIndexTest, ADamagedOrUnusableDatabaseNeverStopsTheSearch) {
  {
    HistoryIndex history = Opened();
    history.Update();
  }
  std::ofstream(IndexFile(), std::ios::trunc) << "this is not a database at all, not any more";
  HistoryIndex rebuilt = Opened();
  EXPECT_EQ(rebuilt.Update().indexed, 42u) << "made again from the track files";
  ExpectAnswersAsBruteForce(rebuilt, 20, "rebuilt");

  // A cache folder that cannot be made: the search reads every file itself.
  std::ofstream(dir / "not-a-folder") << "a file";
  HistoryIndex without(Folder(), nullptr);
  EXPECT_FALSE(without.Open(dir / "not-a-folder/history.sqlite"));
  EXPECT_NE(without.Trouble().find("searches read every track file"), std::string::npos);
  ExpectAnswersAsBruteForce(without, 20, "without an index");
}

TEST_F(HistoryIndexTest, ABadTrackFileIsToldOfOnceAndLeftOut) {
  std::ofstream(Folder() + "/20240601_000000.bt0") << "short";
  HistoryIndex history = Opened();
  const index::IndexUpdate update = history.Update();
  EXPECT_EQ(update.unreadable, 1u);
  EXPECT_EQ(problems, 1);
  history.Update();
  history.Find(Place::Near(37.58, 127.0, 300), std::nullopt);
  EXPECT_EQ(problems, 1) << "told once while the file stays as it is";
}

TEST_F(HistoryIndexTest, APeriodKeepsThePassagesOfItsLocalDays) {
  HistoryIndex history = Opened();
  const Place town = Place::Near(37.57, 126.99, 3000);
  const auto all = history.Find(town, std::nullopt);
  ASSERT_GT(all.size(), 3u);
  // Tracks start at 08:00 UTC on day n of 2024: 17:00 in Seoul the same day.
  const index::LocalPeriod days{{2024, 1, 3}, {2024, 1, 5}, LocalZone::Fixed(9 * 60)};
  const auto some = history.Find(town, days);
  ASSERT_FALSE(some.empty());
  for (const Passage& p : some) {
    EXPECT_GE(p.firstUtc, DaysOfCivilDate(2024, 1, 3) * 86400LL);
    EXPECT_LT(p.lastUtc, DaysOfCivilDate(2024, 1, 6) * 86400LL);
  }
  size_t expected = 0;
  for (const Passage& p : all) {
    expected += p.firstUtc >= DaysOfCivilDate(2024, 1, 3) * 86400LL &&
                p.lastUtc < DaysOfCivilDate(2024, 1, 6) * 86400LL;
  }
  EXPECT_EQ(some.size(), expected);
  // The map of those days: the three drives of 3, 4 and 5 January, in time order.
  const auto tracks = history.Tracks(days);
  ASSERT_EQ(tracks.size(), 3u);
  EXPECT_EQ(std::filesystem::path(tracks[0].path).filename(), "20240103_080000.bt0");
  EXPECT_EQ(tracks[2].firstUtc, DaysOfCivilDate(2024, 1, 5) * 86400LL + 8 * 3600);
  EXPECT_EQ(history.Tracks(std::nullopt).size(), 42u);
}

}  // namespace
}  // namespace tavrin::test

namespace tavrin::index {
namespace {

// A run's span is its earliest and latest time whichever way its points come: in order, or with
// a record that is no point among them, across a New Year whose year needs a seventh bit.
TEST(TrackSummary, ARunSpansItsEarliestToItsLatestPointAcrossAnyNewYear) {
  const long long start = *ToCalendarSeconds(DateTime{63, 12, 31, 23, 59, 0});
  std::vector<TrackPoint> points;
  for (int i = 0; i < 120; ++i) {
    TrackPoint p = test::Point(0, 1, 1, 0, 0, 0);
    p.SetDateTime(FromCalendarSeconds(start + i));
    points.push_back(p);
  }
  for (const bool withADeletedRecord : {false, true}) {
    std::vector<TrackPoint> records = points;
    if (withADeletedRecord) records[30].SetDeleted(true);
    TrackSummariser summariser;
    summariser.Add(records.data(), records.size(), 0);
    const TrackSummary summary = summariser.Finish();
    ASSERT_EQ(summary.runs.size(), 1u);
    EXPECT_EQ(summary.points, withADeletedRecord ? 119u : 120u);
    EXPECT_EQ(UtcSecondsOf(summary.firstTime), start) << withADeletedRecord;
    EXPECT_EQ(UtcSecondsOf(summary.lastTime), start + 119) << withADeletedRecord;
  }
}

}  // namespace
}  // namespace tavrin::index
