// SPDX-License-Identifier: GPL-3.0-or-later
// The window shows every date-time with the offset the user's zone had at that date: the
// computer's zone when there is no settings file, the zone an older settings file chose by its
// place in the list, the zone saved by name; and it writes new tracks in exact UTC.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QItemSelectionModel>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimeZone>
#include <fstream>

#include "../support/fake_system.h"
#include "gui/device/device_page.h"
#include "gui/options/software_options_dialog.h"
#include "gui/records/track_record_page.h"
#include "gui_driver.h"
#include "settings/ini_file.h"

namespace tavrin::test {
namespace {

// A folder of track files and, when a test writes one, a settings file; the window is opened on
// them once they are in place, as a user starts the program on what is on the disk.
class ZoneWindow : public ::testing::Test {
 protected:
  ZoneWindow() { std::filesystem::create_directories(DataFolder()); }

  std::filesystem::path DataFolder() const { return dir.Path() / "DataLog"; }
  std::string SettingsFile() const { return dir / "TVR.ini"; }

  // A track of the given UTC points, named by its first one.
  void AddTrack(const std::vector<TrackPoint>& points) {
    const auto count = static_cast<uint32_t>(points.size());
    const TrackHeader header = Header(points.front(), count, count - 1, 0);
    TrackStore names;
    ASSERT_TRUE(names.PrepareDataFolder(DataFolder()));
    WriteTrackFile(names.TrackFileName(header), header, points);
  }
  // One track of two points at 2024-01-15 13:00 UTC (08:00 in New York, EST), and one of three
  // at 2024-05-01 08:05 UTC (04:05 in New York, EDT).
  void AddWinterAndSummerTracks() {
    AddTrack({Point(24, 1, 15, 13, 0, 0), Point(24, 1, 15, 13, 0, 1)});
    AddTrack({Point(24, 5, 1, 8, 5, 0), Point(24, 5, 1, 8, 5, 1), Point(24, 5, 1, 8, 5, 2)});
  }

  // Opens the window and shows every track, one row each, on the Track Record page.
  void OpenOnTracks() {
    AppPaths paths;
    paths.programFolder = dir.Path();
    paths.dataFolder = DataFolder();
    paths.settingsFile = SettingsFile();
    gui = std::make_unique<GuiDriver>(paths, ports.Discovery());
    gui->Find<QTabWidget>("tabs")->setCurrentIndex(1);
    ShowTracks();
  }
  void ShowTracks() {
    gui->Find<QRadioButton>("byTracks")->click();
    auto* all = gui->Find<QCheckBox>("selectAllTracks");
    if (!all->isChecked()) all->click();
  }
  gui::TrackRecordPage& Page() { return *gui->window->RecordTab(); }
  QString RecordCell(int row, int column) {
    return Page()
        .RecordList()
        .data(Page().RecordList().index(row, column), Qt::DisplayRole)
        .toString();
  }
  QString PointCell(int row, int column) {
    return Page()
        .PointList()
        .data(Page().PointList().index(row, column), Qt::DisplayRole)
        .toString();
  }
  // The first date-time of each record row, then the date and time of each point of the record
  // at `row`.
  std::vector<QString> ShownTimes(int row) {
    std::vector<QString> shown;
    for (int r = 0; r < Page().RecordList().RowCount(); ++r) shown.push_back(RecordCell(r, 1));
    Page().LoadRecord(row);
    for (int p = 0; p < Page().PointList().rowCount(); ++p) {
      shown.push_back(PointCell(p, 1) + " " + PointCell(p, 2));
    }
    return shown;
  }
  // What New York's clocks showed for the winter and summer tracks, their records and then the
  // summer track's points.
  static std::vector<QString> NewYorkTimes() {
    return {"2024-01-15 08:00:00", "2024-05-01 04:05:00", "2024-05-01 04:05:00",
            "2024-05-01 04:05:01", "2024-05-01 04:05:02"};
  }

  // Runs the Software Options dialog through `fill`, which ends it.
  void InOptions(const std::function<void(QDialog&)>& fill) {
    gui->fillDialog = [&](QDialog& dialog) {
      fill(dialog);
      return dialog.result();
    };
    gui->Press("softwareOptions");
    gui->fillDialog = nullptr;
  }
  // Presses OK in Software Options; the zone the list showed.
  QString OkInOptions() {
    QString shown;
    InOptions([&](QDialog& dialog) {
      shown = dialog.findChild<QComboBox*>("timeZone")->currentText();
      dialog.findChild<QPushButton*>("ok")->click();
    });
    return shown;
  }
  std::optional<std::string> SavedKey(const char* key) const {
    return IniFile::Load(SettingsFile()).Get("MAIN", key);
  }

  TempDir dir;
  FakeSystem ports;
  std::unique_ptr<GuiDriver> gui;
};

TEST_F(ZoneWindow, WithoutASettingsFileTheComputersZoneGivesEachDateItsOwnOffset) {
  ScopedTimeZone york("America/New_York");
  AddWinterAndSummerTracks();
  OpenOnTracks();
  EXPECT_EQ(ShownTimes(1), NewYorkTimes());
  EXPECT_FALSE(std::filesystem::exists(SettingsFile()));
}

TEST_F(ZoneWindow, AnOlderSettingsFileMeansTheZoneAtItsPlaceInTheList) {
  // Written before zones were kept by name: New York's place in the list, its standard offset,
  // and "Daylight saving" ticked. The computer itself is on UTC.
  const int place =
      gui::IndexOfZone(gui::TimeZoneList(QDateTime::currentDateTimeUtc()), "America/New_York");
  ASSERT_GE(place, 0);
  std::ofstream(SettingsFile()) << "[MAIN]\r\nLocalTime=" << place
                                << "\r\nLocalTimeOffset=-300\r\nDaylightsaving=1\r\n";
  AddWinterAndSummerTracks();
  OpenOnTracks();
  EXPECT_EQ(ShownTimes(1), NewYorkTimes());

  // OK in Software Options keeps that zone, now by its name.
  EXPECT_EQ(OkInOptions(), "(UTC-05:00) America/New_York");
  EXPECT_EQ(SavedKey("TimeZoneName"), "America/New_York");
  EXPECT_EQ(SavedKey("LocalTimeOffset"), "-300");
}

// The place an older file kept now holds a zone of another offset (the list's westernmost), as
// after a change of the database or of the computer: the times and the list keep to the
// computer's zone, which has the file's offset, rather than to that neighbour.
TEST_F(ZoneWindow, AnOlderFileWhosePlaceMovedKeepsTheZoneItsTimesAreShownIn) {
  ScopedTimeZone york("America/New_York");
  std::ofstream(SettingsFile()) << "[MAIN]\r\nLocalTime=0\r\nLocalTimeOffset=-300\r\n"
                                   "Daylightsaving=1\r\n";
  AddWinterAndSummerTracks();
  OpenOnTracks();
  EXPECT_EQ(ShownTimes(1), NewYorkTimes());
  EXPECT_EQ(OkInOptions(), "(UTC-05:00) America/New_York");
  EXPECT_EQ(SavedKey("TimeZoneName"), "America/New_York");
}

TEST_F(ZoneWindow, TheListKeepsTheSavedZoneByNameAndSummerTimeFollowsTheBox) {
  // LocalTime points elsewhere, as after a change of the database or of the computer's zone.
  std::ofstream(SettingsFile()) << "[MAIN]\r\nLocalTime=0\r\nLocalTimeOffset=-300\r\n"
                                   "Daylightsaving=1\r\nTimeZoneName=America/New_York\r\n";
  AddWinterAndSummerTracks();
  OpenOnTracks();
  EXPECT_EQ(ShownTimes(1), NewYorkTimes());

  bool ticked = false;
  InOptions([&](QDialog& dialog) {
    EXPECT_EQ(dialog.findChild<QComboBox*>("timeZone")->currentText(),
              "(UTC-05:00) America/New_York");
    auto* daylight = dialog.findChild<QCheckBox*>("daylightSaving");
    ticked = daylight->isChecked();
    daylight->setChecked(false);  // New York's standard offset all year
    dialog.findChild<QPushButton*>("ok")->click();
  });
  EXPECT_TRUE(ticked);
  EXPECT_EQ(SavedKey("Daylightsaving"), "0");
  EXPECT_EQ(SavedKey("TimeZoneName"), "America/New_York");
  EXPECT_NE(SavedKey("LocalTime"), "0") << "the zone's own place in today's list";
  EXPECT_EQ(ShownTimes(1), (std::vector<QString>{"2024-01-15 08:00:00", "2024-05-01 03:05:00",
                                                 "2024-05-01 03:05:00", "2024-05-01 03:05:01",
                                                 "2024-05-01 03:05:02"}));
}

// OK in Software Options with another zone shows everything in it at once: both pages' lists,
// the loaded record's points, the time window's controls (on the same points) and the graph.
TEST_F(ZoneWindow, AnotherZoneShowsTheListsTheLoadedPointsAndTheTimeWindowInIt) {
  std::ofstream(SettingsFile()) << "[MAIN]\r\nTimeZoneName=America/New_York\r\n";
  AddWinterAndSummerTracks();
  // 10 March 2024, 14:00 to 14:50 UTC, a point every ten minutes at 10, 20, ... 60 km/h: 10:00
  // in New York (summer time began at 07:00 UTC), 23:00 in Tokyo.
  std::vector<TrackPoint> march;
  for (int i = 0; i < 6; ++i) {
    march.push_back(Point(24, 3, 10, 14, 10 * i, 0));
    march.back().speed = static_cast<uint8_t>(10 * (i + 1));
  }
  AddTrack(march);
  OpenOnTracks();
  Page().LoadRecord(2);
  EXPECT_EQ(PointCell(0, 2), "04:05:00");
  const auto toTokyo = [&] {
    InOptions([&](QDialog& dialog) {
      auto* list = dialog.findChild<QComboBox*>("timeZone");
      const int tokyo = list->findText("Asia/Tokyo", Qt::MatchEndsWith);
      ASSERT_GE(tokyo, 0);
      list->setCurrentIndex(tokyo);
      emit list->activated(tokyo);
      dialog.findChild<QPushButton*>("ok")->click();
    });
  };
  toTokyo();
  EXPECT_EQ(RecordCell(0, 1), "2024-01-15 22:00:00");
  EXPECT_EQ(RecordCell(1, 1), "2024-03-10 23:00:00");
  EXPECT_EQ(RecordCell(2, 1), "2024-05-01 17:05:00");
  ASSERT_EQ(Page().PointList().rowCount(), 3) << "the summer track stays loaded";
  EXPECT_EQ(PointCell(0, 1) + " " + PointCell(0, 2), "2024-05-01 17:05:00");
  EXPECT_EQ(gui->Find<QComboBox>("windowStartHour")->currentIndex(), 17);
  gui::TrackListModel& deviceList = gui->window->DeviceTab()->TrackList();
  ASSERT_EQ(deviceList.RowCount(), 3);
  EXPECT_EQ(deviceList.data(deviceList.index(2, 1), Qt::DisplayRole).toString(),
            "2024-05-01 17:05:00");

  // By day, with a time window on the graph: back to New York, then Tokyo again.
  InOptions([&](QDialog& dialog) {
    auto* list = dialog.findChild<QComboBox*>("timeZone");
    const int york = list->findText("America/New_York", Qt::MatchEndsWith);
    list->setCurrentIndex(york);
    emit list->activated(york);
    dialog.findChild<QPushButton*>("ok")->click();
  });
  gui->Find<QRadioButton>("byDays")->click();
  Page().LoadRecord(1);  // 10 March
  ASSERT_EQ(Page().PointList().rowCount(), 6);
  EXPECT_EQ(gui->Find<QComboBox>("windowStartHour")->currentIndex(), 10);
  gui->Find<QComboBox>("windowStartMinute")->setCurrentIndex(20);
  gui->Press("conformTrackSelected");
  ASSERT_EQ(Page().PointList().rowCount(), 4);
  gui->Press("speedGraphButton");
  const QString readout = Page().SpeedGraph().Readout();
  ASSERT_TRUE(readout.endsWith("Min: 30.000    Max: 60.000")) << readout.toStdString();
  EXPECT_EQ(Page().SpeedGraph().XLabels().front(), "10:20") << "times of day in New York";
  toTokyo();
  EXPECT_EQ(RecordCell(1, 1), "2024-03-10 23:00:00");
  ASSERT_EQ(Page().PointList().rowCount(), 4) << "the same points in the window";
  EXPECT_EQ(PointCell(0, 1) + " " + PointCell(0, 2), "2024-03-10 23:20:00");
  EXPECT_EQ(gui->Find<QComboBox>("windowStartHour")->currentIndex(), 23);
  EXPECT_EQ(gui->Find<QComboBox>("windowStartMinute")->currentIndex(), 20);
  EXPECT_EQ(gui->Find<QComboBox>("windowEndHour")->currentIndex(), 23);
  EXPECT_EQ(gui->Find<QComboBox>("windowEndMinute")->currentIndex(), 50);
  EXPECT_EQ(Page().SpeedGraph().Readout(), readout);
  // Loaded again in the new zone, the record's whole day sets the ranges before its window.
  EXPECT_EQ(Page().SpeedGraph().XLabels().front(), "23:00") << "times of day in Tokyo";
  EXPECT_TRUE(Page().SpeedGraph().isVisibleTo(gui->window.get()));
}

// New York leaves summer time at 06:00 UTC on 3 November 2024: its clocks show 01:00 to 01:59
// twice. A track cut from points of both hours keeps each point's own UTC time.
TEST_F(ZoneWindow, ANewTrackAcrossTheAutumnChangeIsWrittenInExactUtc) {
  std::ofstream(SettingsFile()) << "[MAIN]\r\nTimeZoneName=America/New_York\r\n";
  std::vector<TrackPoint> utc;
  for (int minute = 0; minute <= 120; minute += 10) {
    utc.push_back(Point(24, 11, 3, 5 + minute / 60, minute % 60, minute % 7));
  }
  AddTrack(utc);
  OpenOnTracks();
  Page().LoadRecord(0);
  ASSERT_EQ(Page().PointList().rowCount(), 13);
  // Times of the hour the clocks show twice say which of the two they are, in both lists.
  EXPECT_EQ(PointCell(0, 2), "01:00:00 EDT");  // 05:00 UTC
  EXPECT_EQ(PointCell(6, 2), "01:00:04 EST");  // 06:00 UTC
  EXPECT_EQ(PointCell(12, 2), "02:00:01");     // 07:00 UTC: once only
  EXPECT_EQ(RecordCell(0, 1), "2024-11-03 01:00:00 EDT");
  EXPECT_EQ(RecordCell(0, 2), "2024-11-03 02:00:01");
  auto* view = gui->Find<QTableView>("pointList");
  EXPECT_GT(view->columnWidth(2), view->fontMetrics().horizontalAdvance("01:00:04 EST"))
      << "the time column shows the zone's name whole";
  view->selectionModel()->select(
      QItemSelection(Page().PointList().index(0, 0), Page().PointList().index(12, 7)),
      QItemSelectionModel::Select | QItemSelectionModel::Rows);
  gui->Press("createSelectedTrack");

  const std::filesystem::path made = DataFolder() / "20241103_050000_02.bt0";
  TrackStore store;
  ASSERT_TRUE(store.PrepareDataFolder(DataFolder()));
  const auto entry = store.Files().ReadTrackHeader(made.string());
  ASSERT_TRUE(entry) << "no track " << made;
  PointVector written;
  ASSERT_TRUE(store.Files().ReadTrackPoints(*entry, written));
  ASSERT_EQ(written.size(), utc.size());
  for (size_t i = 0; i < utc.size(); ++i) {
    EXPECT_EQ(written[i].GetDateTime(), utc[i].GetDateTime()) << i;
  }
  EXPECT_EQ(entry->header.firstDateTime, ToDateTime6(utc.front().GetDateTime()));
  EXPECT_EQ(entry->header.lastDateTime, ToDateTime6(utc.back().GetDateTime()));
}

TEST(SoftwareOptionsZone, ChoosingAZoneTicksDaylightSavingWhereItKeepsSummerTime) {
  const QDateTime at(QDate(2026, 1, 15), QTime(12, 0), QTimeZone::utc());
  std::vector<gui::TimeZoneEntry> zones = {gui::DescribeTimeZone("America/New_York", at),
                                           gui::DescribeTimeZone("Asia/Kolkata", at),
                                           gui::DescribeTimeZone("Europe/Berlin", at)};
  Settings settings;
  settings.localTime = 0;  // stale: the name decides
  settings.timeZoneName = "Asia/Kolkata";
  gui::SoftwareOptionsDialog dialog(settings, "/data", zones, zones[0], nullptr);
  auto* list = dialog.findChild<QComboBox*>("timeZone");
  auto* daylight = dialog.findChild<QCheckBox*>("daylightSaving");
  EXPECT_EQ(list->currentText(), "(UTC+05:30) Asia/Kolkata");
  EXPECT_FALSE(daylight->isChecked());
  const auto choose = [&](int index) {
    list->setCurrentIndex(index);
    emit list->activated(index);  // as the user's choice does
  };
  choose(2);
  EXPECT_TRUE(daylight->isChecked()) << "Berlin keeps summer time";
  choose(1);
  EXPECT_FALSE(daylight->isChecked()) << "Kolkata keeps none";
  choose(0);
  dialog.findChild<QPushButton*>("ok")->click();
  EXPECT_EQ(settings.timeZoneName, "America/New_York");
  EXPECT_EQ(settings.localTime, 0);
  EXPECT_EQ(settings.localTimeOffset, -300);
  EXPECT_EQ(settings.daylightSaving, 1);
}

}  // namespace
}  // namespace tavrin::test
