// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "settings/settings.h"
#include "store/track_store.h"
#include "test_support.h"

namespace tavrin {
namespace {

using test::Header;
using test::Point;
using test::WriteTrackFile;

class TrackLists : public ::testing::Test {
 protected:
  TrackLists() : store(messages.Fn()) { EXPECT_TRUE(store.PrepareDataFolder(dir.Path())); }

  // A track starting at the given UTC time with `count` points a second apart.
  std::string AddTrack(DateTime start, uint32_t count, uint32_t distance, uint16_t selection = 0) {
    std::vector<TrackPoint> points;
    for (uint32_t i = 0; i < count; ++i) {
      DateTime t = start;
      t.second += static_cast<int>(i);
      points.push_back(Point(t.year, t.month, t.day, t.hour, t.minute, t.second));
    }
    TrackHeader h = Header(points.front(), count, count - 1, distance);
    h.selectionMarker = selection;
    const std::string path = store.TrackFileName(h);
    WriteTrackFile(path, h, points);
    return path;
  }

  // Deletes the files of a listed row and takes the row out, as the record page does.
  bool DeleteRow(TrackListing& listing, size_t row) {
    const auto tracks = listing.TracksOfRow(row);
    if (tracks.empty() || !store.Files().DeleteTrackFiles(tracks)) return false;
    listing.RemoveRow(row);
    return true;
  }

  test::TempDir dir;
  test::MessageLog messages;
  TrackStore store;
  test::EntryRowsRecorder rows;
};

TEST_F(TrackLists, ByTrackListsFilesInNameOrderWithTheirRowTexts) {
  TrackListing listing;
  AddTrack({24, 5, 2, 8, 0, 0}, 3, 2500);
  AddTrack({24, 5, 1, 9, 30, 0}, 2, 12345);
  listing = store.Catalogue().ListTracks(&rows, false);
  ASSERT_EQ(rows.rows.size(), 2u);
  EXPECT_EQ(rows.rows[0], (EntryRow{"0001", "2024-05-01 09:30:00", "2024-05-01 09:30:01", "0:0:1",
                                    "12.35Km", "44442.0Km/h", "2"}));
  EXPECT_EQ(rows.rows[1][0], "0002");
  EXPECT_EQ(listing.tracks.size(), 2u);
  EXPECT_TRUE(listing.days.empty());
}

TEST_F(TrackLists, EntryRowFormatsDriveTimeAndSpeed) {
  TrackEntry entry;
  entry.header.elapsedSeconds = 3725;
  entry.header.distance = 12345;
  entry.averageSpeed = AverageSpeedKmh(12345, 3725);
  const EntryRow row = EntryRowTexts(entry, 7);
  EXPECT_EQ(row[3], "1:2:5");
  EXPECT_EQ(row[4], "12.35Km");
  EXPECT_EQ(row[5], "11.9Km/h");
  entry.header.elapsedSeconds = 0;
  entry.averageSpeed = AverageSpeedKmh(12345, 0);
  EXPECT_EQ(EntryRowTexts(entry, 1)[3], "0:0:0");
  EXPECT_EQ(EntryRowTexts(entry, 1)[5], "0.0Km/h");
}

TEST_F(TrackLists, ByDaySumsTheTracksOfEachDay) {
  TrackListing listing;
  AddTrack({24, 5, 1, 8, 0, 0}, 3, 1000);
  AddTrack({24, 5, 1, 12, 0, 0}, 4, 2000);
  AddTrack({24, 5, 1, 18, 0, 0}, 5, 3000);
  AddTrack({24, 5, 2, 7, 0, 0}, 2, 500);
  listing = store.Catalogue().ListTracks(&rows, true);
  ASSERT_EQ(rows.rows.size(), 2u);
  const auto& days = listing.days;
  ASSERT_EQ(days.size(), 2u);
  EXPECT_EQ(days[0].firstTrack, 0);
  EXPECT_EQ(days[0].endTrack, 3);
  EXPECT_EQ(days[1].firstTrack, 3);
  EXPECT_EQ(days[1].endTrack, 4);
  EXPECT_EQ(days[0].name, "20240501.bt1");  // a day has no file: only its name
  EXPECT_EQ(rows.rows[0][1], "2024-05-01 08:00:00");
  EXPECT_EQ(rows.rows[0][2], "2024-05-01 18:00:04");
  EXPECT_EQ(rows.rows[0][3], "0:0:9");  // sum of drive times, not the span
  EXPECT_EQ(rows.rows[0][4], "6.00Km");
  EXPECT_EQ(rows.rows[0][6], "12");
  EXPECT_EQ(listing.tracks.size(), 4u);
}

TEST_F(TrackLists, SelectionTracksAreLeftOutOfTheirDayUnlessTheyOpenIt) {
  TrackListing listing;
  AddTrack({24, 5, 1, 8, 0, 0}, 3, 1000);
  AddTrack({24, 5, 1, 8, 0, 1}, 2, 400, kSelectionMarker);  // cut from the first
  AddTrack({24, 5, 2, 8, 0, 0}, 2, 700, kSelectionMarker);  // first of its day
  listing = store.Catalogue().ListTracks(&rows, true);
  ASSERT_EQ(listing.days.size(), 2u);
  EXPECT_EQ(listing.days[0].header.pointCount, 3u);
  EXPECT_EQ(listing.days[0].endTrack, 1);
  EXPECT_EQ(listing.days[1].header.pointCount, 2u);
  EXPECT_EQ(listing.tracks.size(), 2u);

  listing = store.Catalogue().ListTracks(&rows, false);
  EXPECT_EQ(rows.rows.size(), 3u);
}

TEST_F(TrackLists, TimeZoneMovesTracksToTheirLocalDay) {
  TrackListing listing;
  AddTrack({24, 5, 1, 20, 0, 0}, 2, 0);  // 05:00 on the 2nd in UTC+9
  AddTrack({24, 5, 2, 1, 0, 0}, 2, 0);
  store.SetTimeZoneOffset(TimeZoneOffset::FromMinutes(540));
  listing = store.Catalogue().ListTracks(&rows, true);
  ASSERT_EQ(listing.days.size(), 1u);
  EXPECT_EQ(rows.rows[0][1], "2024-05-02 05:00:00");
  listing = store.Catalogue().ListTracksInPeriod(&rows, false, {2024, 5, 2}, {2024, 5, 2});
  EXPECT_EQ(rows.rows.size(), 2u);
  listing = store.Catalogue().ListTracksInPeriod(&rows, false, {2024, 5, 1}, {2024, 5, 1});
  EXPECT_TRUE(rows.rows.empty());
}

// The computer in New York and no settings file: every date-time is shown with the offset New
// York had on its date, which also decides the day a track is grouped and filtered under.
TEST_F(TrackLists, WithoutASettingsFileEachDateShowsTheComputersOffsetOnIt) {
  TrackListing listing;
  test::ScopedTimeZone york("America/New_York");
  AddTrack({24, 1, 15, 13, 0, 0}, 2, 0);  // 08:00 EST
  AddTrack({24, 5, 1, 8, 5, 0}, 2, 0);    // 04:05 EDT
  AddTrack({24, 5, 2, 3, 30, 0}, 2, 0);   // 23:30 EDT on 1 May
  std::vector<std::string> warnings;
  const Settings settings = LoadSettings(dir / "TVR.ini", SystemStandardOffsetMinutes(), warnings);
  store.SetTimeZone(ChooseLocalZone(settings, "", warnings));
  listing = store.Catalogue().ListTracks(&rows, true);
  ASSERT_EQ(rows.rows.size(), 2u);
  EXPECT_EQ(rows.rows[0][1], "2024-01-15 08:00:00");
  EXPECT_EQ(rows.rows[1][1], "2024-05-01 04:05:00");
  EXPECT_EQ(rows.rows[1][2], "2024-05-01 23:30:01");

  test::PointRowsRecorder points;
  PointVector loaded;
  ASSERT_TRUE(store.Files().LoadDayPoints(listing.TracksOfRow(1), loaded, &points));
  ASSERT_EQ(points.rows.size(), 4u);
  EXPECT_EQ(points.rows[0][1], "2024-05-01");
  EXPECT_EQ(points.rows[0][2], "04:05:00");
  EXPECT_EQ(points.rows[3][1], "2024-05-01");
  EXPECT_EQ(points.rows[3][2], "23:30:01");
  EXPECT_EQ(loaded[0].GetDateTime(), (DateTime{24, 5, 1, 8, 5, 0})) << "kept in UTC";

  listing = store.Catalogue().ListTracksInPeriod(&rows, false, {2024, 5, 1}, {2024, 5, 1});
  EXPECT_EQ(rows.rows.size(), 2u);
  listing = store.Catalogue().ListTracksInPeriod(&rows, false, {2024, 5, 2}, {2024, 5, 2});
  EXPECT_TRUE(rows.rows.empty());
  EXPECT_TRUE(warnings.empty());
}

TEST_F(TrackLists, PeriodIncludesBothEndsAndComparesFullDates) {
  TrackListing listing;
  AddTrack({23, 12, 31, 10, 0, 0}, 2, 0);
  AddTrack({24, 1, 1, 10, 0, 0}, 2, 0);
  AddTrack({24, 1, 31, 10, 0, 0}, 2, 0);
  AddTrack({24, 2, 1, 10, 0, 0}, 2, 0);
  listing = store.Catalogue().ListTracksInPeriod(&rows, false, {2024, 1, 1}, {2024, 1, 31});
  ASSERT_EQ(rows.rows.size(), 2u);
  EXPECT_EQ(rows.rows[0][1], "2024-01-01 10:00:00");
  EXPECT_EQ(rows.rows[1][1], "2024-01-31 10:00:00");
  listing = store.Catalogue().ListTracksInPeriod(&rows, true, {2023, 12, 31}, {2024, 2, 1});
  EXPECT_EQ(listing.days.size(), 4u);
}

TEST_F(TrackLists, BadFilesAreSkippedWithAMessage) {
  TrackListing listing;
  AddTrack({24, 5, 1, 8, 0, 0}, 2, 0);
  std::ofstream(store.DataFolder() + "/20240501_090000.bt0") << "short";
  std::ofstream(store.DataFolder() + "/notes.txt") << "not a track";
  listing = store.Catalogue().ListTracks(&rows, false);
  EXPECT_EQ(rows.rows.size(), 1u);
  EXPECT_EQ(messages.texts, std::vector<std::string>{"Unknown Data file(Data Error)."});
}

TEST_F(TrackLists, EmptyFolderListsNothing) {
  TrackListing listing;
  listing = store.Catalogue().ListTracks(&rows, true);
  EXPECT_TRUE(rows.rows.empty());
  EXPECT_TRUE(listing.tracks.empty());
  EXPECT_TRUE(listing.days.empty());
}

TEST_F(TrackLists, LoadingADayNumbersPointsAcrossItsTracks) {
  TrackListing listing;
  AddTrack({24, 5, 1, 8, 0, 0}, 3, 0);
  AddTrack({24, 5, 1, 9, 0, 0}, 4, 0);
  listing = store.Catalogue().ListTracks(nullptr, true);
  test::PointRowsRecorder points;
  PointVector shown, exported;
  ASSERT_TRUE(store.Files().LoadDayPoints(listing.TracksOfRow(0), shown, &points));
  ASSERT_EQ(points.rows.size(), 7u);
  EXPECT_EQ(points.rows[6],
            (PointRow{"7", "2024-05-01", "09:00:03", "A", "37.5000", "127.0000", "90", "40"}));
  EXPECT_EQ(shown.size(), 7u);
  EXPECT_TRUE(exported.empty());

  ASSERT_TRUE(store.Files().LoadDayPoints(listing.TracksOfRow(0), exported));
  EXPECT_EQ(exported.size(), 7u);
  EXPECT_EQ(shown.size(), 7u);  // the shown list is left alone
}

TEST_F(TrackLists, LoadingAMissingTrackKeepsTheShownPoints) {
  TrackListing listing;
  const std::string path = AddTrack({24, 5, 1, 8, 0, 0}, 3, 0);
  listing = store.Catalogue().ListTracks(nullptr, false);
  test::PointRowsRecorder points;
  PointVector shown;
  ASSERT_TRUE(store.Files().LoadTrackPoints(listing.tracks[0], shown, &points));
  std::filesystem::remove(path);
  EXPECT_FALSE(store.Files().LoadTrackPoints(listing.tracks[0], shown, &points));
  EXPECT_EQ(points.rows.size(), 3u);
  EXPECT_EQ(shown.size(), 3u);
  EXPECT_EQ(messages.texts, std::vector<std::string>{"Error.. Cannot find file."});
}

TEST_F(TrackLists, DeletingADayRemovesItsFilesAndRenumbersLaterDays) {
  TrackListing listing;
  AddTrack({24, 5, 1, 8, 0, 0}, 2, 0);
  AddTrack({24, 5, 1, 9, 0, 0}, 2, 0);
  AddTrack({24, 5, 2, 8, 0, 0}, 2, 0);
  AddTrack({24, 5, 2, 9, 0, 0}, 2, 0);
  AddTrack({24, 5, 2, 10, 0, 0}, 2, 0);
  AddTrack({24, 5, 3, 8, 0, 0}, 2, 0);
  listing = store.Catalogue().ListTracks(nullptr, true);
  ASSERT_EQ(listing.days.size(), 3u);
  ASSERT_TRUE(DeleteRow(listing, 1));
  EXPECT_EQ(listing.tracks.size(), 3u);
  ASSERT_EQ(listing.days.size(), 2u);
  EXPECT_EQ(listing.days[1].firstTrack, 2);
  EXPECT_EQ(listing.days[1].endTrack, 3);
  EXPECT_FALSE(std::filesystem::exists(store.DataFolder() + "/20240502_090000.bt0"));
  EXPECT_TRUE(std::filesystem::exists(store.DataFolder() + "/20240503_080000.bt0"));
  // What is left still loads.
  PointVector left;
  EXPECT_TRUE(store.Files().LoadDayPoints(listing.TracksOfRow(1), left));
  EXPECT_EQ(left.size(), 2u);
}

TEST_F(TrackLists, DeletingADayStopsAtAFileThatCannotBeDeleted) {
  TrackListing listing;
  const std::string first = AddTrack({24, 5, 1, 8, 0, 0}, 2, 0);
  AddTrack({24, 5, 1, 9, 0, 0}, 2, 0);
  listing = store.Catalogue().ListTracks(nullptr, true);
  std::filesystem::remove(first);
  EXPECT_FALSE(DeleteRow(listing, 0));
  EXPECT_EQ(listing.days.size(), 1u);
  EXPECT_FALSE(DeleteRow(listing, 5));
}

TEST_F(TrackLists, RemovingAnEntryMovesTheLaterOnesDown) {
  TrackListing listing;
  AddTrack({24, 5, 1, 8, 0, 0}, 2, 0);
  AddTrack({24, 5, 1, 9, 0, 0}, 3, 0);
  listing = store.Catalogue().ListTracks(nullptr, false);
  EXPECT_TRUE(DeleteRow(listing, 0));
  ASSERT_EQ(listing.tracks.size(), 1u);
  EXPECT_EQ(listing.tracks[0].header.pointCount, 3u);
  EXPECT_FALSE(DeleteRow(listing, 1));
}

TEST_F(TrackLists, ShowEntryRowInsertsAtTheGivenRow) {
  TrackListing listing;
  AddTrack({24, 5, 1, 8, 0, 0}, 2, 0);
  AddTrack({24, 5, 1, 9, 0, 0}, 3, 0);
  listing = store.Catalogue().ListTracks(&rows, false);
  store.Catalogue().ShowEntryRow(rows, 1, listing.tracks[1]);
  ASSERT_EQ(rows.rows.size(), 3u);
  EXPECT_EQ(rows.rows[1][0], "0002");
  EXPECT_EQ(rows.rows[1][6], "3");
}

}  // namespace
// Whoever holds a listing hears of each change to the files, a day's deletion as one change.
TEST_F(TrackLists, ListenersHearOfEachChangeToTheTrackFiles) {
  std::vector<TrackChangeNotice> heard;
  const int id = store.Catalogue().ListenForChanges(
      [&](const TrackChangeNotice& notice) { heard.push_back(notice); });
  const std::string first = AddTrack({24, 5, 1, 8, 0, 0}, 4, 0);
  const std::string second = AddTrack({24, 5, 1, 9, 0, 0}, 3, 0);
  TrackListing listing = store.Catalogue().ListTracks(nullptr, false);
  ASSERT_EQ(listing.tracks.size(), 2u);
  EXPECT_TRUE(heard.empty()) << "listing changes nothing";

  const size_t marked[] = {1};
  ASSERT_TRUE(store.Files().MarkPointsDeleted(listing.tracks[0], marked));
  ASSERT_TRUE(store.Files().CompactTrackFile(listing.tracks[0]));
  PointVector points;
  ASSERT_TRUE(store.Files().ReadTrackPoints(listing.tracks[1], points));
  const auto cut = store.Writer().CreateTrack(listing.tracks[1], std::span(points).first(2));
  ASSERT_TRUE(cut && cut->Kept());
  listing = store.Catalogue().ListTracks(nullptr, true);
  ASSERT_EQ(listing.days.size(), 1u);
  ASSERT_TRUE(store.Files().DeleteTrackFiles(listing.TracksOfRow(0)));
  store.Catalogue().StopListening(id);
  ASSERT_TRUE(store.Files().DeleteTrackFiles(store.Catalogue().ListTracks(nullptr, false).tracks));

  ASSERT_EQ(heard.size(), 4u);
  EXPECT_EQ(heard[0].change, TrackChange::Compacted);
  EXPECT_EQ(heard[0].paths, std::vector<std::string>{first});
  EXPECT_EQ(heard[1].change, TrackChange::Compacted);
  EXPECT_EQ(heard[2].change, TrackChange::Saved);
  EXPECT_EQ(heard[2].paths, std::vector<std::string>{cut->path});
  EXPECT_EQ(heard[3].change, TrackChange::Deleted);
  EXPECT_EQ(heard[3].paths, (std::vector<std::string>{first, second}));
}

// A listing shows what a file's records hold, not what its header claims: a file of zeroed
// records is told of and left out; one with records that are no points is listed with the
// figures of its points; a file replaced under the same name is judged again.
class ListedRecords : public TrackLists {
 protected:
  ListedRecords() {
    store.SetProblemReporter([this](const TrackFileProblem& p) { problems.push_back(p.detail); });
  }

  // Six points 0.01 degrees of latitude (1111 m) and a minute apart, with wild records after
  // the third and at the end (dated 2041, as a damaged logger memory gives them).
  std::vector<TrackPoint> MixedRecords() const {
    std::vector<TrackPoint> records;
    for (int i = 0; i < 6; ++i) records.push_back(Point(24, 5, 2, 8, i, 0, 37.5f + 0.01f * i));
    records.insert(records.begin() + 3, Point(24, 5, 2, 8, 2, 30, -5.9e34f, 1.6e24f));
    records.push_back(Point(41, 1, 1, 0, 0, 0, 37.5f, 1.6e24f));
    return records;
  }

  std::vector<std::string> problems;
};

TEST_F(ListedRecords, FilesAreListedWithTheFiguresOfTheirPoints) {
  const std::string sound = AddTrack({24, 5, 1, 8, 0, 0}, 3, 40);
  const std::string zeroed = dir / "20240501_120000.bt0";
  TrackHeader claims = Header(Point(24, 5, 1, 12, 0, 0), 460, 459, 4090);
  claims.lastDateTime = DateTime6{24, 5, 1, 12, 7, 39};
  WriteTrackFile(zeroed, claims, {});
  std::ofstream(zeroed, std::ios::app).write(std::string(460 * 16, '\0').data(), 460 * 16);
  const std::string mixed = dir / "20240502_080000.bt0";
  const std::vector<TrackPoint> records = MixedRecords();
  WriteTrackFile(mixed, Header(records[0], 8, 99999, 8150000), records);

  const TrackListing listing = store.Catalogue().ListTracks(&rows, false);
  ASSERT_EQ(listing.tracks.size(), 2u);
  EXPECT_EQ(listing.tracks[0].path, sound);
  EXPECT_EQ(listing.tracks[0].header.distance, 40u) << "a sound file keeps its header's figures";
  const TrackHeader& h = listing.tracks[1].header;
  EXPECT_EQ(listing.tracks[1].path, mixed);
  EXPECT_EQ(h.pointCount, 6u);
  EXPECT_NEAR(h.distance, 5 * 1111, 5);
  EXPECT_EQ(h.elapsedSeconds, 300u);
  EXPECT_EQ(h.lastDateTime, (DateTime6{24, 5, 2, 8, 5, 0}));
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0],
            "460 of its 460 records are not track points (460 zeroed; the first is "
            "record 1); nothing of it can be used, so move it out of the data folder.");
  EXPECT_NE(
      problems[1].find("2 of its 8 records are not track points (2 with a position off the globe"),
      std::string::npos)
      << problems[1];

  // The points a load gives are the ones the listing counted.
  PointVector points;
  EXPECT_TRUE(store.Files().LoadTrackPoints(listing.tracks[1], points));
  EXPECT_EQ(points.size(), 6u);
  EXPECT_EQ(store.Catalogue().ListedTrack(mixed)->header.pointCount, 6u);
  EXPECT_FALSE(store.Catalogue().ListedTrack(zeroed));
}

TEST_F(ListedRecords, AFileReplacedUnderItsNameIsJudgedAgain) {
  const std::string path = dir / "20240502_080000.bt0";
  std::vector<TrackPoint> records = MixedRecords();
  WriteTrackFile(path, Header(records[0], 8, 0, 0), records);
  EXPECT_EQ(store.Catalogue().ListTracks(nullptr, false).tracks.at(0).header.pointCount, 6u);

  // Replaced as the store replaces files (a new file renamed over the old), the same size.
  records[3] = Point(24, 5, 2, 8, 2, 30);
  records[7] = Point(24, 5, 2, 8, 6, 0);
  const std::string fresh = dir / ".fresh";
  WriteTrackFile(fresh, Header(records[0], 8, 360, 0), records);
  std::filesystem::rename(fresh, path);
  problems.clear();
  EXPECT_EQ(store.Catalogue().ListTracks(nullptr, false).tracks.at(0).header.pointCount, 8u);
  EXPECT_TRUE(problems.empty()) << problems.front();

  // Written over in place, with a different size.
  records.resize(4);
  records[2] = TrackPoint{};
  WriteTrackFile(path, Header(records[0], 4, 0, 0), records);
  EXPECT_EQ(store.Catalogue().ListTracks(nullptr, false).tracks.at(0).header.pointCount, 3u);
  EXPECT_EQ(problems.size(), 1u);
}

}  // namespace tavrin
