// SPDX-License-Identifier: GPL-3.0-or-later
// Track files that are not what a track file should be. Each one is told of with its name and
// reason, every good file beside it is still listed and loaded, and no read hangs or grows past
// what the file holds.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <limits>
#include <set>
#include <thread>

#include "store/live_records.h"
#include "store/store_messages.h"
#include "store/track_file_checks.h"
#include "store/track_store.h"
#include "test_support.h"

namespace tavrin {
namespace {

using test::Header;
using test::Point;

constexpr auto kPatience = std::chrono::seconds(20);
constexpr char kGoodName[] = "20240501_080500.bt0";

std::vector<TrackPoint> Points(int count) {
  std::vector<TrackPoint> points;
  for (int i = 0; i < count; ++i) points.push_back(Point(24, 5, 1, 8, 5 + i / 60, i % 60));
  return points;
}

TrackHeader HeaderFor(const std::vector<TrackPoint>& points, uint32_t count) {
  TrackHeader h = Header(points.front(), count, 0, 0);
  h.lastDateTime = ToDateTime6(points.back().GetDateTime());
  return h;
}

void WriteBytes(const std::string& path, const void* data, size_t size) {
  std::ofstream(path, std::ios::binary)
      .write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// A header with `count` and the given records, byte for byte.
void WriteRecords(const std::string& path, const TrackHeader& header,
                  const std::vector<TrackPoint>& records) {
  std::vector<char> bytes(sizeof header + records.size() * sizeof(TrackPoint));
  std::memcpy(bytes.data(), &header, sizeof header);
  if (!records.empty()) {
    std::memcpy(bytes.data() + sizeof header, records.data(), records.size() * sizeof(TrackPoint));
  }
  WriteBytes(path, bytes.data(), bytes.size());
}

struct ProblemLog {
  std::vector<TrackFileProblem> problems;
  TrackFileProblemFn Fn() {
    return [this](const TrackFileProblem& problem) { problems.push_back(problem); };
  }
};

// Runs `work` on a thread and answers whether it ended within the patience. A reader stuck on a
// FIFO is then freed by opening the FIFO's writing end, so that the thread can still be joined.
bool EndsInTime(const std::function<void()>& work, const std::string& path) {
  std::atomic<bool> done{false};
  std::thread worker([&] {
    work();
    done = true;
  });
  const auto end = std::chrono::steady_clock::now() + kPatience;
  while (!done && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const bool inTime = done;
  if (!inTime) {
    const int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
    worker.join();
    if (writer >= 0) ::close(writer);
  } else {
    worker.join();
  }
  return inTime;
}

struct BadFile {
  const char* what;
  std::function<void(const std::string& path)> make;
  const char* message;       // the short text
  const char* reason;        // part of the detail
  bool listed;               // still listed (with the count the file really holds)
  uint32_t listedCount;      // when listed
  bool toldWhenListed;       // told of by the listing, not only when loaded
  bool loads;                // LoadTrackPoints' answer, when listed
  size_t points;             // points loaded, when listed
  bool headerReads = false;  // not listed, yet its header reads: its records are no points
};

const std::vector<BadFile>& BadFiles() {
  static const std::vector<BadFile> kBadFiles = {
      {"a truncated header",
       [](const std::string& path) {
         const auto points = Points(3);
         const TrackHeader h = HeaderFor(points, 3);
         WriteBytes(path, &h, 20);
       },
       kDataError, "The file is 20 bytes, shorter than a track header", false, 0, true, false, 0},
      {"a truncated last record",
       [](const std::string& path) {
         const auto points = Points(3);
         WriteRecords(path, HeaderFor(points, 3), points);
         ASSERT_EQ(::truncate(path.c_str(), 64 + 2 * 16 + 8), 0);
       },
       kDataError, "counts 3 points, but the file holds only 2", true, 2, true, true, 2},
      {"a wrong marker",
       [](const std::string& path) {
         const auto points = Points(3);
         TrackHeader h = HeaderFor(points, 3);
         h.marker = 0x7F;
         WriteRecords(path, h, points);
       },
       kDataError, "does not begin with the track marker", false, 0, true, false, 0},
      {"a count of 0 with points after it",
       [](const std::string& path) {
         const auto points = Points(3);
         WriteRecords(path, HeaderFor(points, 0), points);
       },
       kDataError, "counts no points, but 3 records follow it", true, 0, true, true, 0},
      {"a count beyond the file",
       [](const std::string& path) {
         const auto points = Points(508);
         WriteRecords(path, HeaderFor(points, 4000), points);
       },
       kDataError, "counts 4000 points, but the file holds only 508", true, 508, true, true, 508},
      {"an impossible first date in the header",
       [](const std::string& path) {
         const auto points = Points(3);
         TrackHeader h = HeaderFor(points, 3);
         h.firstDateTime = DateTime6{24, 2, 30, 8, 5, 0};
         WriteRecords(path, h, points);
       },
       kDataError, "first date/time (2024-02-30 08:05:00) is not a real date", false, 0, true,
       false, 0},
      {"an impossible last date in the header",
       [](const std::string& path) {
         const auto points = Points(3);
         TrackHeader h = HeaderFor(points, 3);
         h.lastDateTime = DateTime6{24, 5, 1, 25, 0, 0};
         WriteRecords(path, h, points);
       },
       kDataError, "last date/time (2024-05-01 25:00:00) is not a real date", false, 0, true, false,
       0},
      {"impossible dates in points",
       [](const std::string& path) {
         auto points = Points(4);
         points[1] = Point(24, 4, 31, 8, 5, 1);  // April has 30 days
         points[2] = Point(24, 5, 1, 24, 5, 2);  // hour 24
         WriteRecords(path, HeaderFor(points, 4), points);
       },
       kDataError,
       "2 of its 4 records are not track points (2 with an impossible date/time; the first is "
       "record 2); they are left out",
       true, 2, true, true, 2},
      {"positions off the globe",
       [](const std::string& path) {
         auto points = Points(5);
         points[1].latitude = -5.9e34f;
         points[2].longitude = 1.6e24f;
         points[3].latitude = std::numeric_limits<float>::quiet_NaN();
         WriteRecords(path, HeaderFor(points, 5), points);
       },
       kDataError,
       "3 of its 5 records are not track points (3 with a position off the globe; the first is "
       "record 2); they are left out",
       true, 2, true, true, 2},
      {"zeroed records",
       [](const std::string& path) {
         auto points = Points(4);
         points[1] = TrackPoint{};
         points[2] = TrackPoint{};
         WriteRecords(path, HeaderFor(points, 4), points);
       },
       kDataError, "2 of its 4 records are not track points (2 zeroed; the first is record 2)",
       true, 2, true, true, 2},
      {"nothing but zeroed records",
       [](const std::string& path) {
         const auto points = Points(3);
         WriteRecords(path, HeaderFor(points, 3), std::vector<TrackPoint>(3));
       },
       kDataError, "nothing of it can be used", false, 0, true, false, 0, true},
      {"a folder", [](const std::string& path) { std::filesystem::create_directory(path); },
       kFileOpenError, "It is a folder, not a track file", false, 0, true, false, 0},
      {"a FIFO", [](const std::string& path) { ::mkfifo(path.c_str(), 0644); }, kFileOpenError,
       "It is a FIFO, not a track file", false, 0, true, false, 0},
      {"a dangling link",
       [](const std::string& path) { std::filesystem::create_symlink(path + ".gone", path); },
       kFileOpenError, ".gone, which does not exist", false, 0, true, false, 0},
      {"a link to itself (fails to open even for root)",
       [](const std::string& path) { std::filesystem::create_symlink(path, path); }, kFileOpenError,
       "It cannot be opened: Too many levels of symbolic links", false, 0, true, false, 0},
  };
  return kBadFiles;
}

class BadTrackFiles : public ::testing::Test {
 protected:
  BadTrackFiles() : store(messages.Fn()) {
    EXPECT_TRUE(store.PrepareDataFolder(dir.Path()));
    store.SetProblemReporter(log.Fn());
    const auto points = Points(3);
    WriteRecords(dir / kGoodName, HeaderFor(points, 3), points);
  }

  test::TempDir dir;
  test::MessageLog messages;
  ProblemLog log;
  TrackStore store;
};

TEST_F(BadTrackFiles, EachIsToldOfWithItsNameAndReasonAndTheGoodFileStays) {
  TrackListing listing;
  PointVector loadedPoints;  // one vector for every load: a failed load leaves it as it was
  for (const BadFile& bad : BadFiles()) {
    SCOPED_TRACE(bad.what);
    const std::string path = dir / "20240501_090000.bt0";
    std::filesystem::remove(path);
    bad.make(path);
    log.problems.clear();

    test::EntryRowsRecorder rows;
    ASSERT_TRUE(EndsInTime([&] { listing = store.Catalogue().ListTracks(&rows, false); }, path))
        << "listing hangs";
    ASSERT_EQ(rows.rows.size(), bad.listed ? 2u : 1u);
    EXPECT_EQ(listing.tracks[0].path, dir / kGoodName);
    ASSERT_EQ(log.problems.size(), bad.toldWhenListed ? 1u : 0u);
    if (bad.toldWhenListed) {
      EXPECT_EQ(log.problems[0].path, path);
      EXPECT_STREQ(log.problems[0].message, bad.message);
      EXPECT_NE(log.problems[0].detail.find(bad.reason), std::string::npos)
          << log.problems[0].detail;
    }
    // The good file loads as before.
    ASSERT_TRUE(store.Files().LoadTrackPoints(listing.tracks[0], loadedPoints));
    EXPECT_EQ(loadedPoints.size(), 3u);

    log.problems.clear();
    if (bad.listed) {
      const TrackEntry entry = listing.tracks[1];
      EXPECT_EQ(entry.header.pointCount, bad.listedCount);
      EXPECT_EQ(store.Files().LoadTrackPoints(entry, loadedPoints), bad.loads);
      EXPECT_EQ(loadedPoints.size(), bad.points);
      for (const TrackPoint& p : loadedPoints) {
        EXPECT_EQ(p.GetDateTime().month, 5);
        EXPECT_EQ(p.GetDateTime().day, 1);
        EXPECT_LT(p.GetDateTime().hour, 24);
      }
      if (!bad.toldWhenListed) {
        ASSERT_EQ(log.problems.size(), 1u);
        EXPECT_NE(log.problems[0].detail.find(bad.reason), std::string::npos)
            << log.problems[0].detail;
      }
    } else if (!bad.headerReads) {
      EXPECT_FALSE(store.Files().ReadTrackHeader(path));
    } else {
      EXPECT_FALSE(
          store.Files().LoadTrackPoints(*store.Files().ReadTrackHeader(path), loadedPoints));
    }
    if (std::strcmp(bad.message, kFileOpenError) == 0) {
      // An entry listed before the file went bad: loading tells of it and does not wait.
      TrackEntry stale = listing.tracks[0];
      stale.path = path;
      log.problems.clear();
      bool loaded = true;
      ASSERT_TRUE(
          EndsInTime([&] { loaded = store.Files().LoadTrackPoints(stale, loadedPoints); }, path))
          << "loading hangs";
      EXPECT_FALSE(loaded);
      ASSERT_EQ(log.problems.size(), 1u);
      EXPECT_STREQ(log.problems[0].message, kCannotFindFile);
    }
  }
  EXPECT_TRUE(messages.texts.empty()) << "problems go to the reporter, not the message box";
}

TEST_F(BadTrackFiles, FiveBadFilesGiveFiveDifferentLinesThatNameThem) {
  TrackListing listing;
  for (int i = 0; i < 5; ++i) {
    const std::string path = dir / ("20240502_00000" + std::to_string(i) + ".bt0");
    std::ofstream(path) << std::string(static_cast<size_t>(10 + i), 'x');
  }
  listing = store.Catalogue().ListTracks(nullptr, false);
  ASSERT_EQ(log.problems.size(), 5u);
  std::set<std::string> lines;
  for (const TrackFileProblem& problem : log.problems) lines.insert(problem.Line());
  EXPECT_EQ(lines.size(), 5u);
  EXPECT_EQ(log.problems[2].Line(),
            dir / "20240502_000002.bt0" +
                ": Unknown Data file(Data Error). The file is 12 bytes, shorter than a track "
                "header (64 bytes); move it out of the data folder.");
}

TEST_F(BadTrackFiles, WithoutAReporterTheMessageBoxGetsTheShortText) {
  TrackListing listing;
  TrackStore plain(messages.Fn());
  EXPECT_TRUE(plain.PrepareDataFolder(dir.Path()));
  std::filesystem::create_directory(dir / "20240501_090000.bt0");
  listing = plain.Catalogue().ListTracks(nullptr, false);
  EXPECT_EQ(messages.texts, std::vector<std::string>{kFileOpenError});
  EXPECT_EQ(listing.tracks.size(), 1u);
}

TEST_F(BadTrackFiles, APeriodListingGoesOnPastAFileThatCannotBeOpened) {
  TrackListing listing;
  std::filesystem::create_symlink(dir / "gone", dir / "20240501_070000.bt0");
  const auto points = Points(2);
  TrackHeader later = HeaderFor(points, 2);
  later.firstDateTime = DateTime6{24, 5, 1, 9, 0, 0};
  WriteRecords(dir / "20240501_090000.bt0", later, points);
  test::EntryRowsRecorder rows;
  listing = store.Catalogue().ListTracksInPeriod(&rows, true, {2024, 5, 1}, {2024, 5, 1});
  EXPECT_EQ(listing.tracks.size(), 2u);
  ASSERT_EQ(listing.days.size(), 1u);
  EXPECT_EQ(listing.days[0].header.pointCount, 5u);
  ASSERT_EQ(log.problems.size(), 1u);
  EXPECT_STREQ(log.problems[0].message, kFileOpenError);
}

TEST_F(BadTrackFiles, AFileWithoutReadPermissionIsToldOf) {
  TrackListing listing;
  if (::geteuid() == 0) GTEST_SKIP() << "root reads a file whatever its permission bits say";
  const std::string path = dir / "20240501_090000.bt0";
  const auto points = Points(2);
  WriteRecords(path, HeaderFor(points, 2), points);
  ::chmod(path.c_str(), 0);
  listing = store.Catalogue().ListTracks(nullptr, false);
  EXPECT_EQ(listing.tracks.size(), 1u);
  ASSERT_EQ(log.problems.size(), 1u);
  EXPECT_NE(log.problems[0].detail.find("Give yourself permission to read it"), std::string::npos);
}

// A header that claims 268 million points over a 4 GB file that holds nothing but never-written
// space: nothing may grow with the claim.
TEST_F(BadTrackFiles, AHugeSparseFileIsReadWithinWhatItHolds) {
  TrackListing listing;
  const std::string path = dir / "20240501_090000.bt0";
  const auto points = Points(1);
  const uint32_t claimed = 1u << 28;
  const TrackHeader h = HeaderFor(points, claimed);
  WriteBytes(path, &h, sizeof h);
  ASSERT_EQ(::truncate(path.c_str(), 64 + 16 * static_cast<off_t>(claimed)), 0);

  ASSERT_TRUE(EndsInTime([&] { listing = store.Catalogue().ListTracks(nullptr, false); }, path));
  ASSERT_EQ(listing.tracks.size(), 1u) << "none of its records is a point";
  TrackEntry entry = *store.Files().ReadTrackHeader(path);
  bool loaded = true;
  PointVector loadedPoints;
  ASSERT_TRUE(
      EndsInTime([&] { loaded = store.Files().LoadTrackPoints(entry, loadedPoints); }, path));
  EXPECT_FALSE(loaded);
  EXPECT_TRUE(loadedPoints.empty());
  EXPECT_LE(loadedPoints.capacity(), 4096u) << "the point list grew with the claim";
  ASSERT_FALSE(log.problems.empty());
  EXPECT_NE(log.problems.back().detail.find("zeroed"), std::string::npos);
  EXPECT_NE(log.problems.back().detail.find("nothing of it can be used"), std::string::npos);

  // Compaction would drop records the user never deleted: it refuses and changes nothing.
  log.problems.clear();
  bool compacted = true;
  ASSERT_TRUE(EndsInTime([&] { compacted = store.Files().CompactTrackFile(entry); }, path));
  EXPECT_FALSE(compacted);
  EXPECT_EQ(std::filesystem::file_size(path), 64 + 16 * static_cast<uintmax_t>(claimed));
  ASSERT_EQ(log.problems.size(), 1u);
  EXPECT_NE(log.problems[0].detail.find("The deleted points were not removed"), std::string::npos);
}

// A 3-point track written over a 5-point one of the same name leaves records 3 and 4 behind.
// With point 1 deleted, only points 0 and 2 are the track; the old records never come back.
TEST_F(BadTrackFiles, RecordsPastTheCountNeverComeBack) {
  const std::string path = dir / "20240501_090000.bt0";
  const auto five = Points(5);
  WriteRecords(path, HeaderFor(five, 5), five);
  const std::vector<TrackPoint> three(five.begin(), five.begin() + 3);
  const TrackHeader shorter = HeaderFor(three, 3);
  std::fstream(path, std::ios::binary | std::ios::in | std::ios::out)
      .write(reinterpret_cast<const char*>(&shorter), sizeof shorter);

  TrackEntry entry = *store.Files().ReadTrackHeader(path);
  const size_t deleted[] = {1};
  ASSERT_TRUE(store.Files().MarkPointsDeleted(entry, deleted));
  const auto seconds = [](const PointVector& points) {
    std::vector<int> out;
    for (const TrackPoint& p : points) out.push_back(p.Second());
    return out;
  };
  PointVector loadedPoints;
  ASSERT_TRUE(store.Files().LoadTrackPoints(entry, loadedPoints));
  EXPECT_EQ(seconds(loadedPoints), (std::vector<int>{0, 2}));

  ASSERT_TRUE(store.Files().CompactTrackFile(entry));
  EXPECT_EQ(std::filesystem::file_size(path), 64u + 2 * 16u);
  EXPECT_EQ(entry.header.pointCount, 2u);
  PointVector after;
  ASSERT_TRUE(store.Files().ReadTrackPoints(entry, after));
  EXPECT_EQ(seconds(after), (std::vector<int>{0, 2}));
  EXPECT_TRUE(log.problems.empty());
}

TEST_F(BadTrackFiles, MarksPastTheTrackAreRefusedAndWriteNothing) {
  const std::string path = dir / "20240501_090000.bt0";
  const auto five = Points(5);
  WriteRecords(path, HeaderFor(five, 3), five);
  const auto before = test::ReadBytes(path);
  const TrackEntry entry = *store.Files().ReadTrackHeader(path);
  const size_t positions[] = {0, 3};  // record 3 is past the count
  EXPECT_FALSE(store.Files().MarkPointsDeleted(entry, positions));
  EXPECT_EQ(test::ReadBytes(path), before);
  const size_t far[] = {1'000'000};  // would grow the file
  EXPECT_FALSE(store.Files().MarkPointsDeleted(entry, far));
  EXPECT_EQ(test::ReadBytes(path), before);
  ASSERT_EQ(messages.texts.size(), 2u);
  EXPECT_NE(messages.texts[0].find("Point 4 is not in 20240501_090000.bt0"), std::string::npos);
}

}  // namespace
}  // namespace tavrin

namespace tavrin {
namespace {

// The four-at-a-time look over a stretch of records must agree with the record-by-record rules
// on every field's edges, in every lane.
TEST(RecordChecks, AStretchIsAllLiveExactlyWhenEveryRecordIs) {
  const TrackPoint good = test::Point(24, 5, 28, 23, 59, 59);
  std::vector<TrackPoint> odd;
  const auto with = [&](auto change) {
    TrackPoint r = good;
    change(r);
    odd.push_back(r);
  };
  with([](TrackPoint& r) { r.SetDeleted(true); });
  with([](TrackPoint& r) { r = TrackPoint{}; });
  for (int month : {0, 13, 15})
    with([&](TrackPoint& r) { r.monthFix = (r.monthFix & 0xF0) | month; });
  for (int year : {100, 127})
    with([&](TrackPoint& r) { r.dateTime = (r.dateTime & ~0x7Fu) | year; });
  for (const DateTime& t :
       {DateTime{24, 5, 0, 1, 1, 1}, DateTime{24, 5, 32, 1, 1, 1}, DateTime{23, 2, 29, 1, 1, 1},
        DateTime{24, 2, 30, 1, 1, 1}, DateTime{24, 4, 31, 1, 1, 1}, DateTime{24, 6, 31, 1, 1, 1},
        DateTime{24, 9, 31, 1, 1, 1}, DateTime{24, 11, 31, 1, 1, 1}, DateTime{24, 5, 1, 24, 1, 1},
        DateTime{24, 5, 1, 63, 1, 1}, DateTime{24, 5, 1, 1, 60, 1}, DateTime{24, 5, 1, 1, 1, 60},
        DateTime{24, 5, 1, 1, 1, 63}}) {
    with([&](TrackPoint& r) { r.SetDateTime(t); });
  }
  const float inf = std::numeric_limits<float>::infinity();
  for (float wild : {90.01f, -90.01f, -5.9e34f, inf, std::numeric_limits<float>::quiet_NaN()})
    with([&](TrackPoint& r) { r.latitude = wild; });
  for (float wild : {180.01f, -180.01f, 1.6e24f, -inf, -std::numeric_limits<float>::quiet_NaN()})
    with([&](TrackPoint& r) { r.longitude = wild; });
  for (const TrackPoint& r : odd) ASSERT_FALSE(IsTrackPoint(r) && !r.IsDeleted());
  // The globe's edges and the months' last days are live.
  TrackPoint corner = good;
  corner.latitude = -90.0f;
  corner.longitude = 180.0f;
  EXPECT_TRUE(LookOverRecords(std::vector<TrackPoint>(5, corner).data(), 5).allLive);
  for (const DateTime& t : {DateTime{0, 2, 29, 0, 0, 0}, DateTime{24, 2, 29, 0, 0, 0},
                            DateTime{99, 12, 31, 0, 0, 0}, DateTime{24, 4, 30, 0, 0, 0}}) {
    for (int month = 1; month <= 12; ++month) {
      TrackPoint last = good;
      last.SetDateTime(t.month == 12 ? DateTime{24, month, MonthLength(month, 24), 0, 0, 0} : t);
      EXPECT_TRUE(LookOverRecords(std::vector<TrackPoint>(6, last).data(), 6).allLive)
          << month << " " << t.day;
    }
  }
  for (size_t count : {1u, 4u, 7u}) {
    for (size_t lane = 0; lane < count; ++lane) {
      std::vector<TrackPoint> chunk(count, good);
      EXPECT_TRUE(LookOverRecords(chunk.data(), count).allLive);
      for (size_t k = 0; k < odd.size(); ++k) {
        chunk[lane] = odd[k];
        EXPECT_FALSE(LookOverRecords(chunk.data(), count).allLive)
            << "record " << k << " in lane " << lane;
      }
    }
  }
}

// The same look tells whether the times never go back, and gives the positions' box, wherever
// in the stretch the step back or the extreme lies.
TEST(RecordChecks, AStretchKnowsItsTimeOrderAndItsBox) {
  // Seven seconds apart from 2063-12-31 23:59:50: across a minute, a day and a year.
  const long long start = *ToCalendarSeconds(DateTime{63, 12, 31, 23, 59, 50});
  const auto later = [&](int step) {
    TrackPoint p = test::Point(0, 1, 1, 0, 0, 0, 10.0f + static_cast<float>(step) * 0.01f, -20.0f);
    p.SetDateTime(FromCalendarSeconds(start + 7 * step));
    return p;
  };
  for (size_t count : {2u, 5u, 9u, 12u}) {
    std::vector<TrackPoint> run;
    for (size_t i = 0; i < count; ++i) run.push_back(later(static_cast<int>(i)));
    ASSERT_TRUE(LookOverRecords(run.data(), count).allLive);
    EXPECT_TRUE(LookOverRecords(run.data(), count).inTimeOrder) << count;
    for (size_t at = 1; at < count; ++at) {
      std::vector<TrackPoint> same = run, back = run;
      same[at] = same[at - 1];  // a repeated time is no step back
      same[at].longitude = -30.5f;
      std::swap(back[at], back[at - 1]);
      const LiveRecords seenSame = LookOverRecords(same.data(), count);
      EXPECT_TRUE(seenSame.inTimeOrder) << count << " at " << at;
      EXPECT_FALSE(LookOverRecords(back.data(), count).inTimeOrder) << count << " at " << at;
      EXPECT_EQ(seenSame.west, -30.5f);
      EXPECT_EQ(seenSame.east, -20.0f);
      EXPECT_EQ(seenSame.south, 10.0f);
    }
    EXPECT_EQ(LookOverRecords(run.data(), count).north, run.back().latitude);
  }
}

}  // namespace
}  // namespace tavrin
