// SPDX-License-Identifier: GPL-3.0-or-later
// The export buttons' loop over the ticked records, and the window's own pages that go with it.
#include <gtest/gtest.h>

#include <set>

#include "export/export_commands.h"
#include "export/export_paths.h"
#include "export/viewing_pages.h"
#include "export_test_support.h"

namespace tavrin {
namespace {

using test::At;

class ExportCommands : public test::ExportTest {
 protected:
  ExportCommands() : store(messages.Fn()) { EXPECT_TRUE(store.PrepareDataFolder(dir.Path())); }

  // A track of `count` points a second apart, starting at the given UTC time.
  std::string AddTrack(DateTime start, int count) {
    std::vector<TrackPoint> points;
    for (int i = 0; i < count; ++i) {
      points.push_back(At({start.year, start.month, start.day, start.hour, start.minute, i}, 1, 2));
    }
    const TrackHeader header = test::Header(points.front(), count, count - 1, 0);
    const std::string path = store.TrackFileName(header);
    test::WriteTrackFile(path, header, points);
    return path;
  }

  std::vector<std::string> Run(ExportKind kind, bool byDay, std::vector<bool> ticked) {
    const TrackListing listing = store.Catalogue().ListTracks(nullptr, byDay);
    ExportWriter writer = Writer();
    return ExportTicked(
        store, listing, writer, {kind, byDay, std::move(ticked), "/opt/tavrin"},
        [this](const std::string& text) { status.push_back(text); }, messages.Fn());
  }

  size_t Lines(const std::string& path) {
    const std::string text = test::ReadText(path);
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
  }

  TrackStore store;
  std::vector<std::string> status;
};

TEST_F(ExportCommands, TickedTracksAreWrittenInRowOrder) {
  AddTrack({24, 5, 1, 8, 0, 0}, 3);
  AddTrack({24, 5, 1, 9, 0, 0}, 4);
  AddTrack({24, 5, 2, 8, 0, 0}, 5);
  AddTrack({24, 5, 3, 8, 0, 0}, 6);
  const auto written = Run(ExportKind::Nmea, false, {true, false, true, true});
  const std::string txt = dir / "TXT/";
  EXPECT_EQ(written,
            (std::vector<std::string>{txt + "20240501_080000.txt", txt + "20240502_080000.txt",
                                      txt + "20240503_080000.txt"}));
  EXPECT_EQ(Lines(written[1]), 5u);
  EXPECT_FALSE(std::filesystem::exists(txt + "20240501_090000.txt"));
  EXPECT_EQ(status, std::vector<std::string>{"Track Record make Text File."});
  EXPECT_EQ(opened.paths, written);
}

TEST_F(ExportCommands, EachTickedDayGivesOneFileWithAllItsPoints) {
  AddTrack({24, 5, 1, 8, 0, 0}, 3);
  AddTrack({24, 5, 1, 9, 0, 0}, 4);
  AddTrack({24, 5, 2, 8, 0, 0}, 5);
  const auto written = Run(ExportKind::Gpx, true, {true, true});
  ASSERT_EQ(written.size(), 2u);
  EXPECT_EQ(written[0], dir / "GPX/20240501.gpx");
  EXPECT_EQ(Lines(written[0]), 7u + 8u);  // seven points inside eight lines of frame
  test::ExpectValidGpx(written[0]);
}

TEST_F(ExportCommands, AnEmptyListOrNothingTickedIsRefusedAndWritesNothing) {
  EXPECT_TRUE(Run(ExportKind::Kml, false, {}).empty());
  EXPECT_EQ(messages.texts, std::vector<std::string>{"Nothing selected Track Record."});
  EXPECT_TRUE(status.empty());

  AddTrack({24, 5, 1, 8, 0, 0}, 3);
  messages.texts.clear();
  EXPECT_TRUE(Run(ExportKind::Kml, false, {false}).empty());
  EXPECT_EQ(messages.texts, std::vector<std::string>{"Nothing selected Track Record."});
  EXPECT_TRUE(status.empty()) << "no word of an export";
  EXPECT_FALSE(std::filesystem::exists(dir / "KML"));
}

TEST_F(ExportCommands, RecordThatCannotBeLoadedIsNotWrittenWithAnotherRecordsPoints) {
  AddTrack({24, 5, 1, 8, 0, 0}, 3);
  const std::string gone = AddTrack({24, 5, 2, 8, 0, 0}, 5);
  const TrackListing listing = store.Catalogue().ListTracks(nullptr, false);
  std::filesystem::remove(gone);
  ExportWriter writer = Writer();
  const auto written =
      ExportTicked(store, listing, writer, {ExportKind::TrackLog, false, {true, true, true}, ""},
                   nullptr, messages.Fn());
  EXPECT_EQ(written, std::vector<std::string>{dir / "DORVALE/20240501_080000.log"});
  EXPECT_FALSE(std::filesystem::exists(dir / "DORVALE/20240502_080000.log"));
  // The missing file, then the third row, which the store does not hold.
  ASSERT_EQ(messages.texts.size(), 2u);
  EXPECT_EQ(messages.texts[0], "Error.. Cannot find file.");
  EXPECT_NE(messages.texts[1].find("List the tracks again"), std::string::npos);
}

TEST_F(ExportCommands, EveryWriterReportsAFileItCannotCreateAndOpensNothing) {
  // A plain file where each export folder should be: neither folder nor file can be made.
  for (const char* folder : {"KML", "TXT", "DORVALE", "GPX"}) {
    std::ofstream(dir / folder) << "in the way";
  }
  const TrackPoint point = At({15, 1, 2, 3, 4, 5}, 1, 2);
  ExportWriter writer = Writer();
  for (ExportKind kind :
       {ExportKind::Kml, ExportKind::Nmea, ExportKind::TrackLog, ExportKind::Gpx}) {
    const auto written = WriteExport(writer, kind, TrackPath(), "/opt/tavrin", {&point, 1});
    ASSERT_FALSE(written);
    // The failure carries what the user was told.
    EXPECT_EQ(written.Error().reason.rfind("Can't create ", 0), 0u) << written.Error().reason;
  }
  EXPECT_FALSE(writer.MakeMapPage(dir.Path().string(), 726, 412, {}));
  const char* texts[] = {"Can't create KML file.\n", "Can't create Txt file\n",
                         "Can't create Log file\n", "Can't create GPX file.\n",
                         "Can't create MAP file\n"};
  ASSERT_EQ(messages.texts.size(), std::size(texts));
  for (size_t i = 0; i < std::size(texts); ++i) {
    EXPECT_EQ(messages.texts[i].rfind(texts[i], 0), 0u) << messages.texts[i];
  }
  EXPECT_TRUE(opened.paths.empty());
}

// The page's buttons and tavrin export's words go by the rows: a row whose writer writes elsewhere
// than its folder, or that shares a word or button with another, breaks them.
TEST_F(ExportCommands, EachFormatsRowFindsItAndItsWriterFillsItsFolder) {
  const TrackPoint point = At({15, 1, 2, 3, 4, 5}, 1, 2);
  ExportWriter writer = Writer();
  std::set<std::string> buttons;
  for (const ExportFormat& format : ExportFormats()) {
    EXPECT_EQ(&FormatOf(format.kind), &format) << format.commandName;
    EXPECT_EQ(FindExportFormat(format.commandName), &format) << format.commandName;
    EXPECT_TRUE(buttons.insert(format.buttonName).second) << format.buttonName;
    const auto written = format.write(writer, {&point, 1}, TrackPath(), "/opt/tavrin");
    ASSERT_TRUE(written) << format.commandName;
    EXPECT_EQ(FolderOf(*written), dir / format.folder);
  }
  EXPECT_EQ(FindExportFormat("map"), nullptr);
}

// Only the pages noted as the window's go, and only while they are the files noted: the exports,
// the tracks and a page written again under the same name since all stay.
TEST_F(ExportCommands, OnlyTheWindowsOwnPagesAreRemoved) {
  const std::string track = AddTrack({24, 5, 1, 8, 0, 0}, 3);
  const auto kml = Run(ExportKind::Kml, false, {true});
  const auto gpx = Run(ExportKind::Gpx, false, {true});
  ViewingPages shown;
  const auto page = Writer().MakeMapPage(dir.Path().string(), 726, 412, {});
  const auto open = Writer().MakeOpenMapPage(dir.Path().string(), {});
  ASSERT_TRUE(page && open);
  shown.Keep(*page);
  shown.Keep(*open);
  ASSERT_TRUE(Writer().MakeOpenMapPage(dir.Path().string(), {}));  // as tavrin export map does
  shown.RemoveAll();
  EXPECT_FALSE(std::filesystem::exists(*page));
  EXPECT_TRUE(std::filesystem::exists(*open)) << "written since by another";
  for (const std::string& kept : {kml.at(0), gpx.at(0), track}) {
    EXPECT_TRUE(std::filesystem::exists(kept)) << kept;
  }
}

}  // namespace
}  // namespace tavrin
