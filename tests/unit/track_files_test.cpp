// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstring>

#include "store/track_store.h"
#include "test_support.h"

namespace tavrin {
namespace {

using test::Header;
using test::Point;
using test::ReadBytes;
using test::WriteTrackFile;

class TrackFiles : public ::testing::Test {
 protected:
  TrackFiles() : store(messages.Fn()) {
    EXPECT_TRUE(store.PrepareDataFolder(dir.Path() / "DataLog"));
  }

  // Writes a track the way a download does and returns its closed entry.
  TrackEntry WriteTrack(const std::vector<TrackPoint>& points) {
    TrackEntry entry;
    entry.header = Header(points.front(), 0, 0, 0);
    SetNoteGroup(entry.header.noteGroup1, "Hike");
    EXPECT_TRUE(store.Writer().OpenTrackFile(entry));
    for (const TrackPoint& p : points) entry.header.distance += store.Writer().AppendPoint(p);
    EXPECT_TRUE(store.Writer().CloseTrackFile(entry, static_cast<uint32_t>(points.size())).Kept());
    return *store.Files().ReadTrackHeader(entry.path);
  }

  TrackHeader HeaderOnDisk(const std::string& path) {
    TrackHeader h;
    const auto bytes = ReadBytes(path);
    EXPECT_GE(bytes.size(), sizeof h);
    std::memcpy(&h, bytes.data(), sizeof h);
    return h;
  }

  test::TempDir dir;
  test::MessageLog messages;
  TrackStore store;
};

TEST_F(TrackFiles, DownloadWritesHeaderAndPointsExactly) {
  test::ScopedTimeZone zone("Asia/Seoul");  // names and stored times stay UTC
  const std::vector<TrackPoint> points = {Point(15, 3, 7, 8, 5, 9, 10.0f, 5.0f),
                                          Point(15, 3, 7, 8, 5, 10, 10.01f, 5.0f),
                                          Point(15, 3, 7, 8, 6, 0, 10.02f, 5.0f)};
  const TrackEntry entry = WriteTrack(points);

  EXPECT_EQ(entry.path, store.DataFolder() + "/20150307_080509.bt0");
  const auto bytes = ReadBytes(entry.path);
  ASSERT_EQ(bytes.size(), 64u + 48u);
  const TrackHeader& h = entry.header;
  EXPECT_EQ(h.marker, 0xF3);
  EXPECT_EQ(h.pointCount, 3u);
  EXPECT_EQ(h.elapsedSeconds, 51u);
  EXPECT_EQ(h.distance, 1111u + 1111u);
  EXPECT_EQ(h.lastDateTime, (DateTime6{15, 3, 7, 8, 6, 0}));
  EXPECT_EQ(NoteGroupText(h.noteGroup1), "Hike");
  // Note groups are UTF-16LE, NUL padded.
  EXPECT_EQ(bytes[32], 'H');
  EXPECT_EQ(bytes[33], 0);
  EXPECT_EQ(bytes[40], 0);
  EXPECT_EQ(std::memcmp(bytes.data() + 64, points.data(), 48), 0);
}

TEST_F(TrackFiles, FileClosedWithoutPointsKeepsItsOpeningHeader) {
  TrackEntry entry;
  entry.header = Header(Point(20, 6, 1, 12, 0, 0), 0, 0, 0);
  ASSERT_TRUE(store.Writer().OpenTrackFile(entry));
  store.Writer().CloseTrackFile(entry, 0);
  const TrackHeader h = HeaderOnDisk(entry.path);
  EXPECT_EQ(h.pointCount, 0u);
  EXPECT_EQ(h.lastDateTime, (DateTime6{}));
  EXPECT_EQ(ReadBytes(entry.path).size(), 64u);
  EXPECT_FALSE(store.Writer().IsWriting());
}

TEST_F(TrackFiles, ReadingTheSameTrackAgainReplacesTheStoredFileWhole) {
  std::vector<TrackPoint> longTrack;
  for (int s = 0; s < 5; ++s) longTrack.push_back(Point(20, 6, 1, 12, 0, s));
  WriteTrack(longTrack);
  const TrackEntry entry = WriteTrack({longTrack[0], longTrack[1]});
  EXPECT_EQ(ReadBytes(entry.path).size(), 64u + 2 * 16u);  // nothing of the older track is left
  PointVector read;
  ASSERT_TRUE(store.Files().ReadTrackPoints(entry, read));
  EXPECT_EQ(read.size(), 2u);
}

TEST_F(TrackFiles, CheckpointMakesPointsReadableBeforeTheTrackIsClosed) {
  TrackEntry entry;
  entry.header = Header(Point(20, 6, 1, 12, 0, 0), 0, 0, 0);
  ASSERT_TRUE(store.Writer().OpenTrackFile(entry));
  for (int s = 0; s < 10; ++s)
    entry.header.distance += store.Writer().AppendPoint(Point(20, 6, 1, 12, 0, s));
  ASSERT_TRUE(store.Writer().CheckpointTrackFile(entry, 10));
  // As if the program died here: the unfinished file counts every point written so far.
  const TrackHeader h = HeaderOnDisk(entry.path + ".part");
  EXPECT_EQ(h.pointCount, 10u);
  EXPECT_EQ(h.elapsedSeconds, 9u);
  EXPECT_EQ(ReadBytes(entry.path + ".part").size(), 64u + 160u);
  store.Writer().CloseTrackFile(entry, 10);
}

TEST_F(TrackFiles, AppendWithoutOpenFileStillTracksThePreviousPoint) {
  EXPECT_EQ(store.Writer().AppendPoint(Point(20, 1, 1, 0, 0, 0, 10.0f, 5.0f)), 0u);
  EXPECT_EQ(store.Writer().AppendPoint(Point(20, 1, 1, 0, 0, 1, 10.01f, 5.0f)), 1111u);
  EXPECT_EQ(store.Writer().PointGapSeconds(Point(20, 1, 1, 0, 10, 2)), 601);
}

TEST_F(TrackFiles, InvalidLastDateTimeKeepsThePointsAndSaysSo) {
  TrackEntry entry;
  entry.header = Header(Point(20, 6, 1, 12, 0, 0), 0, 0, 0);
  ASSERT_TRUE(store.Writer().OpenTrackFile(entry));
  store.Writer().AppendPoint(Point(20, 6, 1, 12, 0, 0));
  store.Writer().AppendPoint(Point(20, 6, 1, 25, 0, 0));  // hour 25
  const TrackSaved saved = store.Writer().CloseTrackFile(entry, 2);
  EXPECT_TRUE(saved.Kept());
  EXPECT_FALSE(saved.datesValid);
  const TrackHeader h = HeaderOnDisk(entry.path);
  EXPECT_EQ(h.pointCount, 2u);
  EXPECT_EQ(h.elapsedSeconds, 0u);
}

TEST_F(TrackFiles, ReaderSkipsDeletedPointsKeepsUtcAndStopsAtCount) {
  std::vector<TrackPoint> points;
  for (int s = 0; s < 6; ++s) points.push_back(Point(20, 12, 31, 23, 30, s));
  points[1].SetDeleted(true);
  points[4].SetDeleted(true);
  const std::string path = store.DataFolder() + "/20201231_233000.bt0";
  WriteTrackFile(path, Header(points[0], 4, 5, 0), points);
  store.SetTimeZoneOffset(TimeZoneOffset::FromMinutes(60));
  TrackEntry entry = *store.Files().ReadTrackHeader(path);
  PointVector read;
  ASSERT_TRUE(store.Files().ReadTrackPoints(entry, read));
  // The count covers records 0-3, the deleted one among them; records 4 and 5 are not the track.
  ASSERT_EQ(read.size(), 3u);  // points 0, 2, 3
  EXPECT_EQ(read[0].GetDateTime(), (DateTime{20, 12, 31, 23, 30, 0})) << "shifted only when shown";
  EXPECT_EQ(read[1].Second(), 2);
  EXPECT_EQ(read[2].Second(), 3);
}

TEST_F(TrackFiles, BadFilesAreReportedWithTheirReasons) {
  const std::string shortFile = store.DataFolder() + "/20200101_000000.bt0";
  std::ofstream(shortFile) << std::string(20, '\xF3');
  const std::string wrongMarker = store.DataFolder() + "/20200101_000001.bt0";
  std::ofstream(wrongMarker) << std::string(64, 'x');
  EXPECT_FALSE(store.Files().ReadTrackHeader(shortFile));
  EXPECT_FALSE(store.Files().ReadTrackHeader(wrongMarker));
  EXPECT_FALSE(store.Files().ReadTrackHeader(store.DataFolder() + "/missing.bt0"));
  PointVector points;
  TrackEntry missing;
  missing.path = store.DataFolder() + "/missing.bt0";
  EXPECT_FALSE(store.Files().ReadTrackPoints(missing, points));
  EXPECT_EQ(messages.texts,
            (std::vector<std::string>{
                "Unknown Data file(Data Error).", "Unknown Data file(Data Error).",
                "Unknown Data file(File Open Error).", "Error.. Cannot find file."}));
}

TEST_F(TrackFiles, CompactionDropsDeletedPointsAndRewritesTheHeader) {
  std::vector<TrackPoint> points;
  for (int s = 0; s < 5; ++s) points.push_back(Point(20, 6, 1, 12, 0, 10 * s));
  const std::string path = store.DataFolder() + "/20200601_120000.bt0";
  WriteTrackFile(path, Header(points[0], 5, 40, 999), points);
  store.SetTimeZoneOffset(TimeZoneOffset::FromMinutes(540));
  TrackEntry entry = *store.Files().ReadTrackHeader(path);
  const size_t positions[] = {0, 4};
  ASSERT_TRUE(store.Files().MarkPointsDeleted(entry, positions));

  ASSERT_TRUE(store.Files().CompactTrackFile(entry));
  const auto bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), 64u + 3 * 16u);
  EXPECT_EQ(std::memcmp(bytes.data() + 64, &points[1], 48), 0);
  const TrackHeader h = HeaderOnDisk(path);
  EXPECT_EQ(h.pointCount, 3u);
  EXPECT_EQ(h.distance, 0u);
  EXPECT_EQ(h.elapsedSeconds, 20u);
  EXPECT_EQ(h.firstDateTime, (DateTime6{20, 6, 1, 12, 0, 10}));  // UTC on disk
  EXPECT_EQ(h.lastDateTime, (DateTime6{20, 6, 1, 12, 0, 30}));
  EXPECT_EQ(h.saveByDistance, 100);
  // The entry, like any listed entry, shows local time.
  EXPECT_EQ(entry.header.firstDateTime, (DateTime6{20, 6, 1, 21, 0, 10}));
  EXPECT_EQ(entry.header.pointCount, 3u);
  EXPECT_FALSE(std::filesystem::exists(path + ".new"));
}

TEST_F(TrackFiles, CompactionLeavesOutRecordsBeyondTheCount) {
  std::vector<TrackPoint> points;
  for (int s = 0; s < 6; ++s) points.push_back(Point(20, 6, 1, 12, 0, s));
  points[1].SetDeleted(true);
  const std::string path = store.DataFolder() + "/20200601_120000.bt0";
  // Count 3 over six records: the last three are left over from an older, longer file. The
  // deleted point is one of the three, so two remain.
  WriteTrackFile(path, Header(points[0], 3, 3, 0), points);
  TrackEntry entry = *store.Files().ReadTrackHeader(path);
  ASSERT_TRUE(store.Files().CompactTrackFile(entry));
  EXPECT_EQ(ReadBytes(path).size(), 64u + 2 * 16u);
  EXPECT_EQ(HeaderOnDisk(path).lastDateTime, (DateTime6{20, 6, 1, 12, 0, 2}));
}

TEST_F(TrackFiles, CompactionWithEveryPointDeletedKeepsTheDates) {
  std::vector<TrackPoint> points = {Point(20, 6, 1, 12, 0, 0), Point(20, 6, 1, 12, 0, 1)};
  points[0].SetDeleted(true);
  points[1].SetDeleted(true);
  const std::string path = store.DataFolder() + "/20200601_120000.bt0";
  WriteTrackFile(path, Header(points[0], 2, 1, 5), points);
  TrackEntry entry = *store.Files().ReadTrackHeader(path);
  ASSERT_TRUE(store.Files().CompactTrackFile(entry));
  const TrackHeader h = HeaderOnDisk(path);
  EXPECT_EQ(ReadBytes(path).size(), 64u);
  EXPECT_EQ(h.pointCount, 0u);
  EXPECT_EQ(h.firstDateTime, (DateTime6{20, 6, 1, 12, 0, 0}));
}

TEST_F(TrackFiles, CompactionRefusesInvalidDatesAndChangesNothing) {
  std::vector<TrackPoint> points = {Point(20, 6, 1, 12, 0, 0), Point(20, 6, 1, 12, 0, 1),
                                    Point(20, 6, 1, 30, 0, 2), Point(20, 6, 1, 12, 0, 3)};
  points[1].SetDeleted(true);
  const std::string path = store.DataFolder() + "/20200601_120000.bt0";
  WriteTrackFile(path, Header(points[0], 4, 3, 0), points);
  const auto before = ReadBytes(path);
  TrackEntry entry = *store.Files().ReadTrackHeader(path);
  const TrackEntry entryBefore = entry;
  EXPECT_FALSE(store.Files().CompactTrackFile(entry));
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_EQ(entry.header.pointCount, entryBefore.header.pointCount);
  EXPECT_EQ(messages.texts, std::vector<std::string>{"Unknown Data file(Data Error)."});
}

TEST_F(TrackFiles, CompactionThatCannotWriteLeavesTheOldTrackWhole) {
  std::vector<TrackPoint> points = {Point(20, 6, 1, 12, 0, 0), Point(20, 6, 1, 12, 0, 1)};
  points[0].SetDeleted(true);
  const std::string path = store.DataFolder() + "/20200601_120000.bt0";
  WriteTrackFile(path, Header(points[0], 2, 1, 0), points);
  const auto before = ReadBytes(path);
  std::filesystem::create_directory(path + ".new");  // the temporary file cannot be made
  TrackEntry entry = *store.Files().ReadTrackHeader(path);
  EXPECT_FALSE(store.Files().CompactTrackFile(entry));
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_EQ(entry.header.pointCount, 2u);
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_NE(messages.texts[0].find("The track is unchanged."), std::string::npos);
}

TEST_F(TrackFiles, CompactionOfAMissingFileSaysSo) {
  TrackEntry entry;
  entry.path = store.DataFolder() + "/20200601_120000.bt0";
  EXPECT_FALSE(store.Files().CompactTrackFile(entry));
  EXPECT_EQ(messages.texts, std::vector<std::string>{"Error.. Cannot find file."});
}

}  // namespace
}  // namespace tavrin
