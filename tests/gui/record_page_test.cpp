// SPDX-License-Identifier: GPL-3.0-or-later
// The Track Record page over real track files: the two list modes and their filters, loading a
// record into the points list and the speed graph, deleting records and exporting the ticked ones.
#include <QAccessible>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QItemSelectionModel>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QWebEngineView>
#include <fstream>

#include "emulator/demo_memory.h"
#include "gui/records/track_record_page.h"
#include "window_fixture.h"

namespace tavrin::test {
namespace {

class RecordPage : public WindowTest {
 protected:
  RecordPage() {
    AddTrack(1, 8, 10);
    AddTrack(1, 12, 5);
    AddTrack(2, 9, 7);
    gui.Find<QTabWidget>("tabs")->setCurrentIndex(1);
  }
  // A track of `count` points one second apart from 2024-05-`day` `hour`:00:00 UTC, speeds 10,
  // 20, 30, ...
  std::string AddTrack(int day, int hour, int count) {
    std::vector<TrackPoint> points;
    for (int i = 0; i < count; ++i) {
      TrackPoint p = Point(24, 5, day, hour, 0, i);
      p.speed = static_cast<uint8_t>(10 * (i + 1));
      points.push_back(p);
    }
    char name[32];
    std::snprintf(name, sizeof name, "20240%d%02d_%02d0000.bt0", 5, day, hour);
    const std::string path = (dir.Path() / "DataLog" / name).string();
    WriteTrackFile(
        path, Header(points[0], static_cast<uint32_t>(count), static_cast<uint32_t>(count - 1), 0),
        points);
    return path;
  }
  gui::TrackRecordPage& Page() { return *gui.window->RecordTab(); }
  void ShowAll(bool byTracks) {
    gui.Find<QRadioButton>(byTracks ? "byTracks" : "byDays")->click();
    auto* all = gui.Find<QCheckBox>("selectAllTracks");
    if (!all->isChecked()) all->click();
  }
  QString Cell(int row, int column) {
    return Page()
        .RecordList()
        .data(Page().RecordList().index(row, column), Qt::DisplayRole)
        .toString();
  }
};

TEST_F(RecordPage, ListsByDayAndByTrackWithTheStoresTexts) {
  ShowAll(false);
  ASSERT_EQ(Page().RecordList().RowCount(), 2);
  EXPECT_EQ(gui.window->StatusText(), "View all.");
  EXPECT_EQ(Cell(0, 0), "0001");
  EXPECT_EQ(Cell(0, 1), "2024-05-01 08:00:00");
  EXPECT_EQ(Cell(0, 6), "15");
  ShowAll(true);
  ASSERT_EQ(Page().RecordList().RowCount(), 3);
  EXPECT_EQ(gui.window->StatusText(), "View by a track.");
  EXPECT_EQ(Cell(2, 1), "2024-05-02 09:00:00");
  EXPECT_EQ(Cell(2, 3), "0:0:6");
  EXPECT_TRUE(gui.Find<QWidget>("deleteAllTracks")->isEnabled());
  EXPECT_FALSE(gui.Find<QWidget>("dayCalendar")->isEnabled());
}

TEST_F(RecordPage, TheDayAndPeriodFiltersListWhatFallsInThem) {
  gui.Find<QRadioButton>("byTracks")->click();
  EXPECT_FALSE(gui.Find<QWidget>("deleteAllTracks")->isEnabled());
  gui.Find<QCalendarWidget>("dayCalendar")->setSelectedDate(QDate(2024, 5, 1));
  EXPECT_EQ(Page().RecordList().RowCount(), 2);
  EXPECT_EQ(gui.window->StatusText(), "Selected 2024-5-1.");
  gui.Find<QRadioButton>("byDays")->click();
  gui.Find<QDateEdit>("periodStart")->setDate(QDate(2024, 5, 2));
  gui.Find<QDateEdit>("periodEnd")->setDate(QDate(2024, 5, 2));
  gui.Press("conformSelected");
  ASSERT_EQ(Page().RecordList().RowCount(), 1);
  EXPECT_EQ(gui.window->StatusText(), "Selected    2024-5-2 ~ 2024-5-2.");
  gui.Find<QDateEdit>("periodStart")->setDate(QDate(2024, 5, 3));
  gui.Press("conformSelected");
  EXPECT_EQ(Page().RecordList().RowCount(), 0) << "a start after the end holds nothing";
}

// Newer tracks arrive (as from a download) and the page is shown again.
TEST_F(RecordPage, ItOpensOnTheNewestDayWithTracksAndThenKeepsTheDayOrPeriodTheUserPicked) {
  auto* tabs = gui.Find<QTabWidget>("tabs");
  auto* calendar = gui.Find<QCalendarWidget>("dayCalendar");
  auto* start = gui.Find<QDateEdit>("periodStart");
  auto* end = gui.Find<QDateEdit>("periodEnd");
  // The fixture opened the page with tracks of 1 and 2 May stored and none of today.
  ASSERT_TRUE(Page().ByDays());
  ASSERT_EQ(Page().RecordList().RowCount(), 1);
  EXPECT_EQ(Cell(0, 1), "2024-05-02 09:00:00");
  EXPECT_EQ(start->date(), QDate(2024, 5, 2));
  EXPECT_EQ(end->date(), QDate(2024, 5, 2));
  gui.Find<QRadioButton>("byTracks")->click();
  ASSERT_EQ(Page().RecordList().RowCount(), 1);
  EXPECT_EQ(Cell(0, 1), "2024-05-02 09:00:00");

  calendar->setSelectedDate(QDate(2024, 5, 1));
  EXPECT_EQ(Page().RecordList().RowCount(), 2);
  AddTrack(3, 10, 4);
  tabs->setCurrentIndex(0);
  tabs->setCurrentIndex(1);
  EXPECT_EQ(calendar->selectedDate(), QDate(2024, 5, 1));
  EXPECT_EQ(Page().RecordList().RowCount(), 2) << "the day the user picked stays";

  gui.Find<QRadioButton>("byDays")->click();
  start->setDate(QDate(2024, 5, 1));
  end->setDate(QDate(2024, 5, 1));
  gui.Press("conformSelected");
  AddTrack(4, 10, 4);
  tabs->setCurrentIndex(0);
  tabs->setCurrentIndex(1);
  EXPECT_EQ(start->date(), QDate(2024, 5, 1));
  ASSERT_EQ(Page().RecordList().RowCount(), 1) << "the period the user set stays";
  EXPECT_EQ(Cell(0, 1), "2024-05-01 08:00:00");
}

TEST_F(RecordPage, SwitchingBetweenDaysAndTracksMovesNothingSideways) {
  gui.window->show();
  auto* list = gui.Find<QTableView>("recordList");
  std::vector<int> listStarts;
  for (const char* mode : {"byTracks", "byDays", "byTracks"}) {
    gui.Find<QRadioButton>(mode)->click();
    QApplication::sendPostedEvents();
    QApplication::processEvents();
    listStarts.push_back(list->mapTo(gui.window.get(), QPoint(0, 0)).x());
  }
  EXPECT_EQ(listStarts[0], listStarts[1]) << "by tracks, then by days";
  EXPECT_EQ(listStarts[1], listStarts[2]);
}

class EmptyRecordPage : public WindowTest {
 protected:
  EmptyRecordPage() { memory = emulator::DemoMemory(); }
};

TEST_F(EmptyRecordPage, AfterADownloadThePageOpensOnTheNewestDayItBrought) {
  auto* tabs = gui.Find<QTabWidget>("tabs");
  tabs->setCurrentIndex(1);
  EXPECT_EQ(gui.window->RecordTab()->RecordList().RowCount(), 0);
  tabs->setCurrentIndex(0);
  ConnectAndReadOptions();
  const auto read = gui.PressAndWait("readNewTracks", Operation::Read);
  ASSERT_TRUE(read && read->outcome == Outcome::Done);
  tabs->setCurrentIndex(1);
  gui::TrackListModel& records = gui.window->RecordTab()->RecordList();
  ASSERT_EQ(records.RowCount(), 1) << "one day of tracks came";
  const QDate newest = gui.Find<QDateEdit>("periodStart")->date();
  EXPECT_NE(newest, QDate::currentDate());
  EXPECT_EQ(records.data(records.index(0, 1), Qt::DisplayRole).toString().left(10),
            newest.toString(Qt::ISODate));
}

TEST_F(RecordPage, LoadingARecordFillsThePointsListAndTheGraph) {
  ShowAll(true);
  Page().LoadRecord(0);
  EXPECT_EQ(Page().PointList().rowCount(), 10);
  EXPECT_EQ(Page().PointList().data(Page().PointList().index(9, 7), Qt::DisplayRole), "100");
  EXPECT_EQ(gui.Find<QLineEdit>("selectedFile")->text(), "20240501_080000.bt0");
  EXPECT_TRUE(Page().RecordList().IsTicked(0));
  EXPECT_EQ(gui.window->StatusText(), "Load track data.");
  EXPECT_EQ(gui.Find<QComboBox>("windowStartHour")->currentIndex(), 8);
  ASSERT_TRUE(gui.Press("speedGraphButton"));
  EXPECT_EQ(Page().SpeedGraph().Readout(), "Mean: 0.000    Min: 10.000    Max: 100.000")
      << "the track stands still: its list row reads 0.0Km/h";
  EXPECT_TRUE(Page().SpeedGraph().isVisibleTo(gui.window.get()));
  // By day, a record is the whole day.
  ShowAll(false);
  Page().LoadRecord(0);
  EXPECT_EQ(Page().PointList().rowCount(), 15);
}

TEST_F(RecordPage, ATimeWindowInsideTheRecordKeepsItsPointsAndOneOutsideIsUndone) {
  ShowAll(false);
  Page().LoadRecord(0);  // 1 May: 08:00:00-08:00:09 and 12:00:00-12:00:04
  ASSERT_EQ(Page().PointList().rowCount(), 15);
  gui.Find<QComboBox>("windowStartHour")->setCurrentIndex(12);
  gui.Press("conformTrackSelected");
  EXPECT_EQ(Page().PointList().rowCount(), 5);
  EXPECT_EQ(Page().PointList().data(Page().PointList().index(0, 0), Qt::DisplayRole), "1");
  EXPECT_EQ(Page().PointList().data(Page().PointList().index(0, 2), Qt::DisplayRole), "12:00:00");
  EXPECT_EQ(gui.window->StatusText(), "Load data by set time.");
  gui.Press("speedGraphButton");
  EXPECT_TRUE(Page().SpeedGraph().Readout().endsWith("Min: 10.000    Max: 50.000"))
      << "the graph draws the window";
  // An end before the start: the controls go back to the whole record.
  gui.Find<QComboBox>("windowEndHour")->setCurrentIndex(7);
  gui.Press("conformTrackSelected");
  EXPECT_EQ(gui.Find<QComboBox>("windowStartHour")->currentIndex(), 8);
  EXPECT_EQ(gui.Find<QComboBox>("windowEndHour")->currentIndex(), 12);
  EXPECT_EQ(Page().PointList().rowCount(), 5) << "the last window stays shown";
}

TEST_F(RecordPage, ANewTrackFromSelectedPointsIsWrittenInUtcBesideItsSource) {
  gui.window->Store().SetTimeZoneOffset({9, 0});  // shown in Seoul time
  ShowAll(true);
  Page().LoadRecord(0);
  EXPECT_EQ(Page().PointList().data(Page().PointList().index(0, 2), Qt::DisplayRole), "17:00:00");
  auto* view = gui.Find<QTableView>("pointList");
  view->selectionModel()->select(
      QItemSelection(Page().PointList().index(0, 0), Page().PointList().index(3, 7)),
      QItemSelectionModel::Select | QItemSelectionModel::Rows);
  gui.Press("createSelectedTrack");
  const std::filesystem::path made = dir.Path() / "DataLog/20240501_080000_02.bt0";
  ASSERT_TRUE(std::filesystem::exists(made)) << "the source keeps its name and its points";
  TrackStore store;
  ASSERT_TRUE(store.PrepareDataFolder(dir.Path() / "DataLog"));
  const auto source =
      store.Files().ReadTrackHeader((dir.Path() / "DataLog/20240501_080000.bt0").string());
  ASSERT_TRUE(source);
  EXPECT_EQ(source->header.pointCount, 10u);
  const auto created = store.Files().ReadTrackHeader(made.string());
  ASSERT_TRUE(created);
  EXPECT_EQ(created->header.pointCount, 4u);
  EXPECT_EQ(created->header.firstDateTime, (DateTime6{24, 5, 1, 8, 0, 0})) << "UTC, not 17:00";
  EXPECT_EQ(created->header.lastDateTime, (DateTime6{24, 5, 1, 8, 0, 3}));
  EXPECT_EQ(created->header.selectionMarker, kSelectionMarker);
  EXPECT_EQ(Page().RecordList().RowCount(), 4);
}

TEST_F(RecordPage, DeletingPointsTwiceRemovesTheRightOnesWithoutWritingInPlace) {
  ShowAll(true);
  Page().LoadRecord(0);  // speeds 10, 20, ... 100
  auto* view = gui.Find<QTableView>("pointList");
  const auto selectRows = [&](int from, int to) {
    view->selectionModel()->select(
        QItemSelection(Page().PointList().index(from, 0), Page().PointList().index(to, 7)),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  };
  selectRows(1, 2);
  gui.Press("deleteSelectedPoints");
  ASSERT_EQ(Page().PointList().rowCount(), 8);
  selectRows(1, 1);  // now the point with speed 40
  gui.Press("deleteSelectedPoints");
  TrackStore store;
  ASSERT_TRUE(store.PrepareDataFolder(dir.Path() / "DataLog"));
  const auto entry =
      store.Files().ReadTrackHeader((dir.Path() / "DataLog/20240501_080000.bt0").string());
  ASSERT_TRUE(entry);
  PointVector points;
  ASSERT_TRUE(store.Files().ReadTrackPoints(*entry, points));
  std::vector<int> speeds;
  for (const TrackPoint& p : points) speeds.push_back(p.speed);
  EXPECT_EQ(speeds, (std::vector<int>{10, 50, 60, 70, 80, 90, 100}));
  EXPECT_EQ(Cell(0, 6), "7");
  EXPECT_EQ(TrackFiles().size(), 3u) << "no temporary file left";
}

TEST_F(RecordPage, DeletingPointsKeepsTheDistanceOfThePointsThatRemainAndNothingSelectedIsNoEdit) {
  // Ten points going north 0.001 degree (about 111 m) a second.
  std::vector<TrackPoint> points;
  for (int i = 0; i < 10; ++i) points.push_back(Point(24, 6, 3, 10, 0, i, 37.5f + 0.001f * i));
  const std::string path = (dir.Path() / "DataLog/20240603_100000.bt0").string();
  WriteTrackFile(path, Header(points[0], 10, 9, 999), points);
  ShowAll(true);
  ASSERT_EQ(Page().RecordList().RowCount(), 4);
  Page().LoadRecord(3);
  const auto header = [&] {
    TrackStore store;
    EXPECT_TRUE(store.PrepareDataFolder(dir.Path() / "DataLog"));
    return store.Files().ReadTrackHeader(path).value_or(TrackEntry{}).header;
  };

  gui.Press("deleteSelectedPoints");  // no point selected
  EXPECT_EQ(header().distance, 999u) << "nothing selected: the file is not rewritten";
  EXPECT_EQ(gui.window->StatusText(),
            "No point is selected: select the points to delete in the points list first.");

  auto* view = gui.Find<QTableView>("pointList");
  view->selectionModel()->select(
      QItemSelection(Page().PointList().index(7, 0), Page().PointList().index(9, 7)),
      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  gui.Press("deleteSelectedPoints");
  const TrackHeader after = header();
  EXPECT_EQ(after.pointCount, 7u);
  EXPECT_EQ(after.elapsedSeconds, 6u);
  EXPECT_NEAR(after.distance, 6 * 111.2, 6.0) << "six steps of about 111 m remain";
  EXPECT_EQ(Cell(3, 3), "0:0:6");
  EXPECT_EQ(Cell(3, 4), "0.67Km");
  EXPECT_NE(Cell(3, 5), "0.0Km/h");
}

TEST_F(RecordPage, WithNothingTickedExportAndDeleteSayNothingIsSelected) {
  ShowAll(true);
  for (int row = 0; row < Page().RecordList().RowCount(); ++row) {
    Page().RecordList().SetTicked(row, false);
  }
  for (const char* button : {"exportKml", "exportNmea", "exportGpx", "deleteSelectTrack"}) {
    SCOPED_TRACE(button);
    gui.boxes.clear();
    gui.window->SetStatusText("before");
    ASSERT_TRUE(gui.Press(button));
    ASSERT_EQ(gui.boxes.size(), 1u);
    EXPECT_EQ(gui.boxes[0].text, "Nothing selected Track Record.");
    EXPECT_EQ(gui.window->StatusText(), "before") << "no word of an export or a deletion done";
  }
  EXPECT_EQ(TrackFiles().size(), 3u);
  EXPECT_TRUE(gui.opened.empty());
}

TEST_F(RecordPage, AScreenReadersToggleSwitchesTheListModeAndReadsTheStatusLine) {
  ShowAll(false);
  ASSERT_EQ(Page().RecordList().RowCount(), 2);
  QAccessibleInterface* byTracks =
      QAccessible::queryAccessibleInterface(gui.Find<QRadioButton>("byTracks"));
  ASSERT_NE(byTracks, nullptr);
  ASSERT_NE(byTracks->actionInterface(), nullptr);
  byTracks->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  EXPECT_FALSE(Page().ByDays());
  EXPECT_EQ(Page().RecordList().RowCount(), 3) << "the page lists by track";
  EXPECT_EQ(gui.window->StatusText(), "View by a track.");
  QAccessibleInterface* status =
      QAccessible::queryAccessibleInterface(gui.Find<QLabel>("statusLine"));
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status->text(QAccessible::Name), "View by a track.");
  QAccessibleInterface* selectAll =
      QAccessible::queryAccessibleInterface(gui.Find<QCheckBox>("selectAllTracks"));
  selectAll->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  EXPECT_FALSE(gui.Find<QCheckBox>("selectAllTracks")->isChecked());
  EXPECT_TRUE(gui.Find<QWidget>("dayCalendar")->isEnabled()) << "the list follows the box";
}

TEST_F(RecordPage, TabLeavesTheListsAndDeletedRowsLeaveNoGapInTheNumbers) {
  ShowAll(true);
  gui.window->show();
  QApplication::setActiveWindow(gui.window.get());
  auto* records = gui.Find<QTableView>("recordList");
  records->setFocus();
  records->setCurrentIndex(Page().RecordList().index(0, 1));
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return records->hasFocus(); }, 2000));
  QTest::keyClick(records, Qt::Key_Tab);
  EXPECT_FALSE(records->hasFocus()) << "Tab moves on to the buttons after the list";
  EXPECT_EQ(records->currentIndex().column(), 1) << "and not from cell to cell";

  Page().RecordList().SetTicked(0, true);
  gui.Press("deleteSelectTrack");
  ASSERT_EQ(Page().RecordList().RowCount(), 2);
  EXPECT_EQ(Cell(0, 0), "0001");
  EXPECT_EQ(Cell(1, 0), "0002");
}

// The number of points of the line the map page drew, asked of the page in the web engine.
int LinePoints(QWebEngineView& view) {
  const QVariant points = GuiDriver::RunPageScript(view, QStringLiteral("window.tavrinLinePoints"));
  return points.isValid() ? points.toInt() : -2;
}

TEST_F(RecordPage, TheMapIsOpenedOnceThenRefreshedAndDrawsTheWholeTrack) {
  ShowAll(true);
  // A record loaded while the pages of the one before are still being written: the map shows
  // the one loaded last.
  Page().LoadRecord(2);
  Page().LoadRecord(0);
  const auto written = [&] {
    return std::filesystem::exists(dir.Path() / "DataLog/KML/Tvr_GoogleMap.html") &&
           std::filesystem::exists(dir.Path() / "DataLog/KML/Tvr_OpenStreetMap.html");
  };
  ASSERT_TRUE(GuiDriver::WaitFor(written, 30000))
      << "the pages are written after a load, the map not asked for; without a key the page "
         "that needs none too";
  gui.Press("googleMaps");
  QWebEngineView* view = Page().MapView();
  ASSERT_NE(view, nullptr);
  bool loaded = false;
  QObject::connect(view, &QWebEngineView::loadFinished, [&](bool) { loaded = true; });
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return loaded; }, 30000)) << "the web engine loads the page";
  EXPECT_EQ(view->url().fileName(), "Tvr_OpenStreetMap.html");
  EXPECT_EQ(LinePoints(*view), 10);
  // Another track, and the page takes its line in place of the one it shows, without loading
  // again: the web engine keeps its page.
  int started = 0;
  QObject::connect(view, &QWebEngineView::loadStarted, [&] { ++started; });
  Page().LoadRecord(2);
  gui.Press("googleMaps");
  EXPECT_TRUE(GuiDriver::WaitFor([&] { return LinePoints(*view) == 7; }, 30000))
      << LinePoints(*view) << " points on the map";
  EXPECT_EQ(started, 0) << "the page is not loaded again";
  EXPECT_EQ(Page().MapNavigations(), 1);
  EXPECT_EQ(Page().MapRefreshes(), 1);
  // A record loaded while the map is shown is shown on it, as the list and the graph show theirs.
  Page().LoadRecord(0);
  EXPECT_TRUE(GuiDriver::WaitFor([&] { return LinePoints(*view) == 10; }, 30000))
      << LinePoints(*view) << " points on the map";
  EXPECT_EQ(Page().MapRefreshes(), 2);
}

TEST_F(RecordPage, WithAMapKeyTheMapIsThePagesOwn) {
  std::ofstream(dir / "TVR.ini") << "[PROGRAM]\r\nGoogleMapLicense=key-123\r\n";
  std::filesystem::remove_all(dir.Path() / "DataLog/KML");
  GuiDriver keyed(Paths(dir), ports.Discovery());
  keyed.Find<QTabWidget>("tabs")->setCurrentIndex(1);
  keyed.Find<QRadioButton>("byTracks")->click();
  keyed.Find<QCheckBox>("selectAllTracks")->click();
  keyed.window->RecordTab()->LoadRecord(0);
  keyed.window->RecordTab()->FinishMapPages();
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / "DataLog/KML/Tvr_OpenStreetMap.html"))
      << "written too, for when the map service is out of reach";
  keyed.Press("googleMaps");
  QWebEngineView* view = keyed.window->RecordTab()->MapView();
  ASSERT_NE(view, nullptr);
  GuiDriver::WaitFor([&] { return !view->url().isEmpty(); }, 30000);
  EXPECT_EQ(view->url().fileName(), "Tvr_GoogleMap.html");
  std::ifstream page(dir / "DataLog/KML/Tvr_GoogleMap.html");
  const std::string text((std::istreambuf_iterator<char>(page)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("&amp;key=key-123"), std::string::npos);
}

TEST_F(RecordPage, DeletingTickedRecordsAsksAndRemovesOnlyThose) {
  ShowAll(true);
  Page().RecordList().SetTicked(0, true);
  Page().RecordList().SetTicked(2, true);
  gui.yes = false;
  gui.Press("deleteSelectTrack");
  EXPECT_TRUE(gui.SawBox("Do you delete selected track record?\r\n2 track files are deleted."));
  EXPECT_EQ(TrackFiles().size(), 3u);
  gui.yes = true;
  gui.Press("deleteSelectTrack");
  const auto files = TrackFiles();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].filename(), "20240501_120000.bt0");
  EXPECT_EQ(Page().RecordList().RowCount(), 1);
  EXPECT_EQ(gui.window->StatusText(), "Deleted file.");
}

// What another view or a background reader does to the track files shows on the page: its rows
// follow the store's notices, not only the page's own buttons.
TEST_F(RecordPage, ChangesMadeElsewhereShowInTheListAndKeepTheTicks) {
  ShowAll(true);
  Page().RecordList().SetTicked(2, true);
  TrackStore& store = gui.window->Store();
  const auto listing = store.Catalogue().ListTracks(nullptr, false);
  ASSERT_EQ(listing.tracks.size(), 3u);
  ASSERT_TRUE(store.Files().DeleteTrackFiles(std::span(listing.tracks).first(1)));
  ASSERT_EQ(Page().RecordList().RowCount(), 2);
  EXPECT_EQ(Cell(0, 1), "2024-05-01 12:00:00");
  EXPECT_TRUE(Page().RecordList().IsTicked(1)) << "the ticked track keeps its tick";
  TrackEntry second = listing.tracks[1];
  const std::vector<size_t> firstPoint{0};
  ASSERT_TRUE(store.Files().CompactTrackFile(second, firstPoint));
  EXPECT_EQ(Cell(0, 6), "4");
  const std::vector<TrackPoint> cut{Point(24, 5, 3, 7, 0, 0), Point(24, 5, 3, 7, 0, 1)};
  ASSERT_TRUE(store.Writer().CreateTrack(second, cut)->Kept());
  EXPECT_EQ(Page().RecordList().RowCount(), 3);
}

TEST_F(RecordPage, AColumnIsAsWideAsItsWidestValue) {
  constexpr int kPoints = 1'000'000;
  std::vector<TrackPoint> points;
  points.reserve(kPoints);
  for (int i = 0; i < kPoints; ++i) {
    points.push_back(Point(24, 5, 3 + i / 86400, i / 3600 % 24, i / 60 % 60, i % 60));
  }
  WriteTrackFile((dir.Path() / "DataLog" / "20240503_000000.bt0").string(),
                 Header(points[0], kPoints, kPoints - 1, 0), points);
  auto* view = gui.Find<QTableView>("recordList");
  QFont large = view->font();  // as a desktop with large fonts shows it
  large.setPixelSize(18);
  view->setFont(large);
  ShowAll(true);
  ASSERT_EQ(Cell(3, 6), "1000000");
  const int margins = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
  const int text = view->fontMetrics().horizontalAdvance(QStringLiteral("1000000")) + margins;
  EXPECT_TRUE(GuiDriver::WaitFor([&] { return view->columnWidth(6) >= text; }, 2000))
      << view->columnWidth(6) << " for a text of " << text;
}

TEST_F(RecordPage, DeleteAllTracksEmptiesTheFolder) {
  ShowAll(true);
  gui.Press("deleteAllTracks");
  EXPECT_TRUE(gui.SawBox("Do you deleted all Track?"));
  EXPECT_TRUE(TrackFiles().empty());
  EXPECT_EQ(Page().RecordList().RowCount(), 0);
  EXPECT_EQ(gui.window->StatusText(), "Deleted all files.");
  gui.boxes.clear();
  gui.Press("deleteAllTracks");
  EXPECT_TRUE(gui.boxes.empty()) << "nothing to delete: no question";
}

TEST_F(RecordPage, ExportsTakeTheTickedRowsAndStayWhenThePageCloses) {
  gui.Find<QRadioButton>("byTracks")->click();
  gui.Find<QCalendarWidget>("dayCalendar")->setSelectedDate(QDate(2030, 1, 1));
  gui.Press("exportNmea");
  EXPECT_TRUE(gui.SawBox("Nothing selected Track Record."));
  ShowAll(true);
  Page().RecordList().SetTicked(0, true);
  Page().RecordList().SetTicked(2, true);
  gui.Press("exportNmea");
  gui.Press("exportGpx");
  const std::filesystem::path txt = dir.Path() / "DataLog/TXT";
  EXPECT_TRUE(std::filesystem::exists(txt / "20240501_080000.txt"));
  EXPECT_FALSE(std::filesystem::exists(txt / "20240501_120000.txt")) << "unticked";
  EXPECT_TRUE(std::filesystem::exists(txt / "20240502_090000.txt"));
  EXPECT_TRUE(std::filesystem::exists(dir / "DataLog/GPX/20240502_090000.gpx"));
  EXPECT_EQ(gui.window->StatusText().toStdString(),
            "Track Record make GPX File. 2 files in " + dir / "DataLog/GPX");
  EXPECT_EQ(gui.opened.size(), 4u) << "each export is opened";
  gui.window.reset();  // the page goes with the window
  EXPECT_TRUE(std::filesystem::exists(txt / "20240501_080000.txt"));
  EXPECT_TRUE(std::filesystem::exists(dir / "DataLog/GPX/20240502_090000.gpx"));
}

}  // namespace
}  // namespace tavrin::test
