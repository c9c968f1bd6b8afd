// SPDX-License-Identifier: GPL-3.0-or-later
// Writing tracks safely: a read that ends early, a full disk or a killed program never costs a
// stored track, and never leaves a file whose header claims points it does not hold.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>

#include "store/track_store.h"
#include "test_support.h"

namespace tavrin {
namespace {

using test::Header;
using test::Point;
using test::ReadBytes;

// `count` points one second apart from 2020-06-01 12:00:00.
std::vector<TrackPoint> Track(int count, int startHour = 12) {
  std::vector<TrackPoint> points;
  for (int i = 0; i < count; ++i) {
    points.push_back(Point(20, 6, 1, startHour, i / 60 % 60, i % 60, 37.0f + i * 1e-4f, 127.0f));
  }
  return points;
}

class TrackWriting : public ::testing::Test {
 protected:
  TrackWriting() : store(messages.Fn()) { EXPECT_TRUE(store.PrepareDataFolder(folder)); }

  // Writes `points` as one track of a download and closes it the given way.
  TrackSaved Write(const std::vector<TrackPoint>& points, TrackEnd end, uint32_t checkpointAt = 0) {
    TrackEntry entry;
    entry.header = Header(points.front(), 0, 0, 0);
    EXPECT_TRUE(store.Writer().OpenTrackFile(entry));
    uint32_t count = 0;
    for (const TrackPoint& p : points) {
      entry.header.distance += store.Writer().AppendPoint(p);
      if (++count == checkpointAt) {
        EXPECT_TRUE(store.Writer().CheckpointTrackFile(entry, count));
      }
    }
    return store.Writer().CloseTrackFile(entry, count, end);
  }

  std::vector<TrackPoint> Stored(const std::string& name) {
    TrackStore reader;
    const auto entry = reader.Files().ReadTrackHeader(folder + "/" + name);
    PointVector points;
    if (entry) reader.Files().ReadTrackPoints(*entry, points);
    return std::vector<TrackPoint>(points.begin(), points.end());
  }
  std::vector<std::string> FilesInFolder() const {
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
      names.push_back(item.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  static bool Same(const std::vector<TrackPoint>& a, const std::vector<TrackPoint>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(TrackPoint)) == 0);
  }

  test::TempDir dir;
  std::string folder = dir / "DataLog";
  test::MessageLog messages;
  TrackStore store;
};

constexpr char kName[] = "20200601_120000.bt0";

TEST_F(TrackWriting, PointsGoToAPartFileThatNoListingShowsUntilTheTrackIsClosed) {
  TrackListing listing;
  TrackEntry entry;
  entry.header = Header(Point(20, 6, 1, 12, 0, 0), 0, 0, 0);
  ASSERT_TRUE(store.Writer().OpenTrackFile(entry));
  for (const TrackPoint& p : Track(10)) entry.header.distance += store.Writer().AppendPoint(p);
  EXPECT_TRUE(store.Writer().CheckpointTrackFile(entry, 10));
  EXPECT_EQ(FilesInFolder(), std::vector<std::string>{std::string(kName) + ".part"});
  listing = store.Catalogue().ListTracks(nullptr, false);
  EXPECT_TRUE(listing.tracks.empty());
  EXPECT_TRUE(store.Writer().CloseTrackFile(entry, 10).Kept());
  EXPECT_EQ(FilesInFolder(), std::vector<std::string>{kName});
  EXPECT_TRUE(Same(Stored(kName), Track(10)));
}

TEST_F(TrackWriting, WhichCopyOfATrackIsKept) {
  struct Case {
    const char* what;
    int stored;  // points of the copy on disk before, -1 for none
    int read;    // points of this read
    TrackEnd end;
    TrackSaved::Outcome outcome;
    int onDisk;  // points under the track's name afterwards, -1 for no file
  };
  using O = TrackSaved::Outcome;
  const Case cases[] = {
      {"a new track cut short keeps what came", -1, 40, TrackEnd::CutShort, O::Saved, 40},
      {"a re-read cut short keeps the fuller stored copy", 100, 40, TrackEnd::CutShort,
       O::StoredCopyKept, 100},
      {"a re-read cut short that got more replaces it", 30, 40, TrackEnd::CutShort, O::Saved, 40},
      {"a complete re-read replaces it", 100, 40, TrackEnd::Complete, O::Saved, 40},
      {"an empty track cut short leaves no file", -1, 0, TrackEnd::CutShort, O::NothingSaved, -1},
      {"an empty complete track replaces nothing", 100, 0, TrackEnd::Complete, O::NothingSaved,
       100},
      {"an empty complete track is listed as one of 0 points", -1, 0, TrackEnd::Complete, O::Saved,
       0},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(folder);
    EXPECT_TRUE(store.PrepareDataFolder(folder));
    store.Writer().BeginDownload();
    if (c.stored >= 0) Write(Track(c.stored), TrackEnd::Complete);
    store.Writer().BeginDownload();
    std::vector<TrackPoint> points = Track(std::max(c.read, 1));
    points.resize(static_cast<size_t>(c.read));
    TrackEntry entry;
    entry.header = Header(Point(20, 6, 1, 12, 0, 0), 0, 0, 0);
    ASSERT_TRUE(store.Writer().OpenTrackFile(entry)) << c.what;
    for (const TrackPoint& p : points) store.Writer().AppendPoint(p);
    const TrackSaved saved =
        store.Writer().CloseTrackFile(entry, static_cast<uint32_t>(c.read), c.end);
    EXPECT_EQ(saved.outcome, c.outcome) << c.what;
    if (c.onDisk < 0) {
      EXPECT_EQ(FilesInFolder(), std::vector<std::string>{}) << c.what;
    } else {
      EXPECT_EQ(FilesInFolder(), std::vector<std::string>{kName}) << c.what;
      EXPECT_TRUE(Same(Stored(kName), Track(c.onDisk))) << c.what;
    }
  }
}

TEST_F(TrackWriting, TwoTracksStartingInTheSameSecondGetTwoFilesInOrder) {
  TrackListing listing;
  store.Writer().BeginDownload();
  Write(Track(3), TrackEnd::Complete);
  std::vector<TrackPoint> second = Track(5);
  for (TrackPoint& p : second) p.latitude += 1;
  Write(second, TrackEnd::Complete);
  EXPECT_EQ(FilesInFolder(), (std::vector<std::string>{kName, "20200601_120000_02.bt0"}));
  listing = store.Catalogue().ListTracks(nullptr, false);
  ASSERT_EQ(listing.tracks.size(), 2u);
  EXPECT_EQ(listing.tracks[1].header.pointCount, 5u);
  // The same read again writes the same two names over the old ones.
  store.Writer().BeginDownload();
  Write(Track(3), TrackEnd::Complete);
  Write(second, TrackEnd::Complete);
  EXPECT_EQ(FilesInFolder().size(), 2u);
  EXPECT_TRUE(Same(Stored("20200601_120000_02.bt0"), second));
}

// Runs `body` in a child process whose files may grow to `limit` bytes at most, as on a full
// disk; returns the child's exit status.
int WithFileSizeLimit(rlim_t limit, const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit r{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &r);
    ::_exit(body());
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

TEST_F(TrackWriting, AFullDiskKeepsAnHonestFileOfThePointsThatFit) {
  const auto points = Track(10000);
  const int status = WithFileSizeLimit(64 + 16 * 5000, [&] {
    store.Writer().BeginDownload();
    const TrackSaved saved = Write(points, TrackEnd::Complete, 3000);
    return saved.Kept() && saved.error == EFBIG ? static_cast<int>(saved.points / 1000) : 99;
  });
  // The checkpoint wrote 3000 points; the next block of 4096 does not fit.
  EXPECT_EQ(status, 3);
  const auto bytes = ReadBytes(folder + "/" + kName);
  TrackHeader h;
  ASSERT_GE(bytes.size(), sizeof h);
  std::memcpy(&h, bytes.data(), sizeof h);
  EXPECT_EQ(bytes.size(), 64u + 16u * h.pointCount);
  EXPECT_TRUE(Same(Stored(kName), std::vector<TrackPoint>(points.begin(), points.begin() + 3000)));
  EXPECT_EQ(FilesInFolder(), std::vector<std::string>{kName});
}

TEST_F(TrackWriting, AFullDiskNeverCostsAStoredTrack) {
  Write(Track(6000), TrackEnd::Complete);
  WithFileSizeLimit(64 + 16 * 5000, [&] {
    store.Writer().BeginDownload();
    Write(Track(9000), TrackEnd::Complete);
    return 0;
  });
  EXPECT_TRUE(Same(Stored(kName), Track(6000)));
  EXPECT_EQ(FilesInFolder(), std::vector<std::string>{kName});
}

TEST_F(TrackWriting, AHeaderThatCannotBeWrittenFailsTheOpenCleanly) {
  const int status = WithFileSizeLimit(10, [&] {
    TrackEntry entry;
    entry.header = Header(Point(20, 6, 1, 12, 0, 0), 0, 0, 0);
    const bool opened = store.Writer().OpenTrackFile(entry).Ok();
    return !opened && !store.Writer().IsWriting() ? 0 : 1;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(FilesInFolder(), std::vector<std::string>{});
}

// A download killed after a checkpoint: the child exits without closing anything.
void KilledAfterCheckpoint(TrackStore& store, const std::vector<TrackPoint>& points,
                           uint32_t checkpointAt) {
  if (::fork() == 0) {
    store.Writer().BeginDownload();
    TrackEntry entry;
    entry.header = Header(points.front(), 0, 0, 0);
    EXPECT_TRUE(store.Writer().OpenTrackFile(entry));
    for (uint32_t i = 0; i < points.size(); ++i) {
      entry.header.distance += store.Writer().AppendPoint(points[i]);
      if (i + 1 == checkpointAt) {
        EXPECT_TRUE(store.Writer().CheckpointTrackFile(entry, checkpointAt));
      }
    }
    ::_exit(0);
  }
  ::wait(nullptr);
}

TEST_F(TrackWriting, TheNextStartRecoversWhatAKilledDownloadLeft) {
  KilledAfterCheckpoint(store, Track(500), 300);
  KilledAfterCheckpoint(store, Track(50, 13), 0);  // nothing made durable: nothing to recover
  ASSERT_EQ(FilesInFolder().size(), 2u);
  TrackStore next(messages.Fn());
  EXPECT_TRUE(next.PrepareDataFolder(folder));
  EXPECT_EQ(FilesInFolder(), std::vector<std::string>{kName});
  EXPECT_TRUE(Same(Stored(kName), Track(300)));
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_NE(messages.texts[0].find("300 points"), std::string::npos) << messages.texts[0];
}

TEST_F(TrackWriting, RecoveryKeepsAFullerStoredTrackAndLeavesARunningDownloadAlone) {
  Write(Track(600), TrackEnd::Complete);
  KilledAfterCheckpoint(store, Track(500), 300);
  // Another download is writing a track right now.
  TrackEntry running;
  running.header = Header(Point(20, 6, 1, 14, 0, 0), 0, 0, 0);
  ASSERT_TRUE(store.Writer().OpenTrackFile(running));
  store.Writer().AppendPoint(Point(20, 6, 1, 14, 0, 0));
  EXPECT_TRUE(store.Writer().CheckpointTrackFile(running, 1));

  TrackStore next(messages.Fn());
  EXPECT_TRUE(next.PrepareDataFolder(folder));
  EXPECT_TRUE(Same(Stored(kName), Track(600)));
  EXPECT_EQ(FilesInFolder(), (std::vector<std::string>{kName, "20200601_140000.bt0.part"}));
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_NE(messages.texts[0].find("600 points, is kept"), std::string::npos) << messages.texts[0];
  EXPECT_TRUE(store.Writer().CloseTrackFile(running, 1).Kept());
}

}  // namespace
}  // namespace tavrin
