// SPDX-License-Identifier: GPL-3.0-or-later
// The History page over real track files: the lines of a period on its map, the passages
// through a box drawn on it, and the Track Record page loading the track a line or a passage
// names.
#include <QComboBox>
#include <QDateEdit>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QWebEngineView>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <set>

#include "base/civil_date.h"
#include "gui/history/history_page.h"
#include "gui/records/track_record_page.h"
#include "index/history_index.h"
#include "window_fixture.h"

namespace tavrin::test {
namespace {

constexpr int kHistoryTab = 2;
constexpr size_t kPointsPerTrack = 600;

// A track: where it starts (UTC, seconds since 1970) and on which latitude it runs east.
struct Outing {
  int year, month, day, hour;
  float latitude;
  long long StartUtc() const { return DaysOfCivilDate(year, month, day) * 86400LL + hour * 3600LL; }
};

// Three tracks in May 2024 a few hundred metres apart, and one in June 2023.
const Outing kOutings[] = {{2024, 5, 1, 8, 37.500f},
                           {2024, 5, 3, 9, 37.503f},
                           {2024, 5, 20, 7, 37.506f},
                           {2023, 6, 10, 6, 37.509f}};

class HistoryView : public WindowTest {
 protected:
  // `showTab` false: the test shows the History tab itself.
  explicit HistoryView(bool showTab = true) {
    gui.window->Store().SetTimeZoneOffset({9, 0});  // shown in Seoul time
    for (const Outing& outing : kOutings) AddTrack(outing);
    gui.window->resize(1000, 760);
    gui.window->show();
    if (showTab) Tabs().setCurrentIndex(kHistoryTab);
  }

  // Points a second apart running east from `west` degrees (127.0), `eastward` degrees a second
  // (about 1.8 metres); every other one `wiggle` degrees north.
  void AddTrack(const Outing& o, float wiggle = 0, double west = 127.0, double eastward = 0.00002) {
    std::vector<TrackPoint> points;
    for (size_t i = 0; i < kPointsPerTrack; ++i) {
      const long long at = o.StartUtc() + static_cast<long long>(i);
      const long long second = at % 86400;
      const CivilDate day = CivilDateOfDays(at / 86400);
      points.push_back(MakePoint(
          DateTime{static_cast<int>(day.year - 2000), day.month, day.day,
                   static_cast<int>(second / 3600), static_cast<int>(second / 60 % 60),
                   static_cast<int>(second % 60)},
          kFix3D, o.latitude + (i % 2 == 1 ? wiggle : 0.0f),
          static_cast<float>(std::remainder(west + eastward * static_cast<double>(i), 360.0)), 40,
          90));
    }
    TrackHeader header = Header(points[0], kPointsPerTrack, kPointsPerTrack - 1, 1000);
    header.lastDateTime = ToDateTime6(points.back().GetDateTime());
    TrackStore names;
    ASSERT_TRUE(names.PrepareDataFolder(dir.Path() / "DataLog"));
    paths.push_back(names.TrackFileName(header));
    WriteTrackFile(paths.back(), header, points);
  }

  QTabWidget& Tabs() { return *gui.Find<QTabWidget>("tabs"); }
  gui::HistoryPage& Page() { return *gui.window->HistoryTab(); }
  QWebEngineView& Map() { return *Page().MapView(); }
  QVariant Script(const QString& script) { return GuiDriver::RunPageScript(Map(), script); }

  // A point in the middle of the May 3 line, where the map shows it.
  QPoint MiddleOfTheMay3Line() {
    const QJsonArray at =
        Script(
            "var l = window.tavrinHistoryLines[1].getLatLngs()[0];"
            "var p = map.latLngToContainerPoint(l[Math.floor(l.length / 2)]); [p.x, p.y]")
            .toJsonArray();
    EXPECT_EQ(at.size(), 2);
    return at.size() == 2 ? QPoint(qRound(at[0].toDouble()), qRound(at[1].toDouble())) : QPoint();
  }

  // Waits for the lines asked for last to be on the map; what the page then draws.
  QJsonArray LinesDrawn() {
    EXPECT_TRUE(GuiDriver::WaitFor([&] {
      return Page().LinesAsked() > 0 &&
             Script("window.tavrinHistoryShown").toInt() == Page().LinesAsked();
    })) << "the lines were not drawn";
    return QJsonDocument::fromJson(
               Script("JSON.stringify(window.tavrinHistoryLines.map(function(l) { return "
                      "{colour: l.options.color, points: [].concat.apply([], "
                      "l.getLatLngs()).length, tip: l.getTooltip().getContent()}; }))")
                   .toString()
                   .toUtf8())
        .array();
  }

  // The track loaded on the Track Record page, listed by tracks.
  std::string LoadedTrack() {
    gui::TrackRecordPage& records = *gui.window->RecordTab();
    if (records.ByDays() || records.SelectedRow() < 0) return {};
    return records.Listing().tracks[static_cast<size_t>(records.SelectedRow())].path;
  }
  std::vector<int> SelectedPointRows() {
    std::vector<int> rows;
    for (const QModelIndex& index :
         gui.Find<QTableView>("pointList")->selectionModel()->selectedRows())
      rows.push_back(index.row());
    return rows;
  }

  std::vector<std::string> paths;  // of kOutings, in their order
};

TEST_F(HistoryView, TheMapOfAPeriodDrawsEachTrackOfItAsItsOwnLineNamedByItsTimes) {
  // The newest track's month first.
  const QJsonArray may = LinesDrawn();
  EXPECT_EQ(gui.Find<QDateEdit>("historyDate")->date(), QDate(2024, 5, 20));
  ASSERT_EQ(may.size(), 3);
  std::set<QString> colours;
  for (const QJsonValue& line : may) {
    colours.insert(line["colour"].toString());
    EXPECT_GT(line["points"].toInt(), 1) << "a line of the month is not drawn";
  }
  EXPECT_EQ(colours.size(), 3u);
  // In time order, in Seoul time: 08:00 UTC is 17:00 there; 599 seconds later it ends.
  EXPECT_EQ(may[0]["tip"].toString(), QString::fromUtf8("2024-05-01 17:00:00 \u2013 17:09:59"));
  EXPECT_EQ(may[2]["tip"].toString(), QString::fromUtf8("2024-05-20 16:00:00 \u2013 16:09:59"));

  gui.Find<QComboBox>("historyPeriod")->setCurrentIndex(3);  // All
  const QJsonArray all = LinesDrawn();
  ASSERT_EQ(all.size(), 4);
  EXPECT_EQ(all[0]["tip"].toString(), QString::fromUtf8("2023-06-10 15:00:00 \u2013 15:09:59"));
  EXPECT_GT(all[0]["points"].toInt(), 1);

  gui.Find<QComboBox>("historyPeriod")->setCurrentIndex(0);  // the day of the date shown
  gui.Find<QDateEdit>("historyDate")->setDate(QDate(2024, 5, 3));
  EXPECT_EQ(LinesDrawn().size(), 1);
  EXPECT_TRUE(gui.boxes.empty()) << gui.boxes.front().text;
}

TEST_F(HistoryView, ABoxDrawnOnTheMapListsThePassagesAndEnterLoadsOneAtItsFirstPoint) {
  LinesDrawn();
  // Across the first two tracks of May, 100 to 200 points from their starts.
  const double south = 37.499, west = 127.002, north = 37.504, east = 127.004;
  Script(QStringLiteral("TavrinAskBox(%1, %2, %3, %4);").arg(south).arg(west).arg(north).arg(east));
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return Page().SearchesListed() == 1; }));

  // As the index's search reading every file finds them, in the month shown.
  index::HistoryIndex unindexed((dir.Path() / "DataLog").string(), nullptr);
  const auto expected =
      unindexed.Find(index::Place::Between(south, west, north, east), Page().ChosenPeriod());
  const std::vector<index::Passage>& listed = Page().Passages();
  ASSERT_EQ(listed.size(), 2u);
  ASSERT_EQ(expected.size(), listed.size());
  for (size_t i = 0; i < listed.size(); ++i) {
    EXPECT_EQ(listed[i].path, expected[i].path);
    EXPECT_EQ(listed[i].firstUtc, expected[i].firstUtc);
    EXPECT_EQ(listed[i].lastUtc, expected[i].lastUtc);
  }
  auto* list = gui.Find<QTableWidget>("passageList");
  ASSERT_EQ(list->rowCount(), 2);
  EXPECT_EQ(list->item(1, 0)->text(), QStringLiteral("2024-05-03 18:00:00"));
  EXPECT_EQ(list->item(1, 3)->text(), QStringLiteral("0"));
  const index::Passage second = listed[1];

  // Another period: the box is searched again there, and only its passages stay.
  gui.Find<QComboBox>("historyPeriod")->setCurrentIndex(0);  // the day of the date shown
  gui.Find<QDateEdit>("historyDate")->setDate(QDate(2024, 5, 3));
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return list->rowCount() == 1; }))
      << "the month's passages stay listed";
  EXPECT_EQ(Page().Passages()[0].path, paths[1]);

  // Enter on it loads its track at the passage's first point.
  list->setFocus();
  list->setCurrentCell(0, 0);
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_EQ(Tabs().currentWidget(), gui.window->RecordTab());
  EXPECT_EQ(LoadedTrack(), paths[1]);
  EXPECT_EQ(SelectedPointRows(),
            std::vector<int>{static_cast<int>(second.firstUtc - kOutings[1].StartUtc())});
  EXPECT_GT(SelectedPointRows().front(), 50);
}

// Lines thinned to draw many tracks at once are read again, with every point that shows, for a
// closer view; back out, the thinned lines serve again.
TEST_F(HistoryView, ACloserLookAtThinnedLinesDrawsThemWithEveryPointThatShows) {
  LinesDrawn();
  // Six zigzags (every point shows up close) some ten kilometres apart: 3,600 points, more than
  // the map draws whole here, while a closer look at one takes all of its 600.
  Page().SetPointsDrawnWhole(2400);
  for (int k = 0; k < 6; ++k) AddTrack({2022, 1, 15, 1 + 2 * k, 37.52f + 0.1f * k}, 0.00003f);
  gui.Find<QComboBox>("historyPeriod")->setCurrentIndex(0);
  gui.Find<QDateEdit>("historyDate")->setDate(QDate(2022, 1, 15));
  const QJsonArray thinned = LinesDrawn();
  ASSERT_EQ(thinned.size(), 6);
  EXPECT_LT(thinned[0]["points"].toInt(), 450);
  const int wholeUpTo = Script("wholeUpTo").toInt();
  EXPECT_LT(wholeUpTo, 18);
  const auto vertices = [&] {
    return QJsonDocument::fromJson(
               Script("JSON.stringify([].concat.apply([], "
                      "window.tavrinHistoryLines[0].getLatLngs()).map(function(p) { return "
                      "p.lng; }))")
                   .toString()
                   .toUtf8())
        .array();
  };

  Script("map.setView([37.52, 127.006], 18, {animate: false});");
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return Script("window.tavrinHistoryCloser").toInt() > 0; }));
  const QJsonArray close = vertices();
  EXPECT_GT(close.size(), 250) << "most of the track's 600 points are about the view";
  for (qsizetype k = 1; k < close.size(); ++k) {
    const double step = close[k].toDouble() - close[k - 1].toDouble();
    ASSERT_LT(step, 0.00003) << "a point is missing after " << k;
  }

  // Back out to where the lines look whole, they serve again.
  Script(QStringLiteral("map.setZoom(%1, {animate: false});").arg(wholeUpTo));
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return vertices().size() < close.size(); }));
  EXPECT_EQ(Script("window.tavrinHistoryCloser").toInt(), 1) << "no more closer lines asked";
}

// A track and a box over 180 degrees are drawn as the short stretches they are, not round the
// rest of the world, and the box finds the track.
TEST_F(HistoryView, ATrackAndABoxOverTheDateLineAreDrawnAcrossIt) {
  LinesDrawn();
  // Fiji, east over the 180th meridian: from 179.95 to -179.87 degrees in 10 minutes.
  AddTrack({2024, 5, 25, 1, -17.0f}, 0, 179.95, 0.0003);
  gui.Find<QComboBox>("historyPeriod")->setCurrentIndex(0);  // the day of the date shown
  gui.Find<QDateEdit>("historyDate")->setDate(QDate(2024, 5, 25));
  ASSERT_EQ(LinesDrawn().size(), 1);
  const QJsonArray longitudes =
      QJsonDocument::fromJson(Script("JSON.stringify([].concat.apply([], "
                                     "window.tavrinHistoryLines[0].getLatLngs()).map("
                                     "function(p) { return p.lng; }))")
                                  .toString()
                                  .toUtf8())
          .array();
  ASSERT_GT(longitudes.size(), 1);
  double west = 360, east = -360;
  for (const QJsonValue& longitude : longitudes) {
    west = std::min(west, longitude.toDouble());
    east = std::max(east, longitude.toDouble());
  }
  EXPECT_LT(east - west, 0.2) << "the line goes round the world: " << west << " to " << east;
  EXPECT_NEAR(west, 179.95, 1e-4);

  Script(QStringLiteral("TavrinAskBox(-17.5, 179.5, -16.5, -179.5);"));
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return Page().SearchesListed() == 1; }));
  ASSERT_EQ(Page().Passages().size(), 1u);
  EXPECT_EQ(Page().Passages()[0].path, paths.back());
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return Script("shown !== null").toBool(); }));
  EXPECT_NEAR(Script("shown.getBounds().getEast() - shown.getBounds().getWest()").toDouble(), 1.0,
              1e-6);
}

TEST_F(HistoryView, PointingAtALineNamesItAndClickingItLoadsItsTrackOnTheTrackRecordPage) {
  LinesDrawn();
  const QPoint point = MiddleOfTheMay3Line();
  QWidget* surface = Map().focusProxy();
  ASSERT_NE(surface, nullptr);
  // Under the mouse the line is named by its times. The mouse comes to the line from beside it,
  // as a hand moves it: the page may miss a first move into the view.
  int moves = 0;
  EXPECT_TRUE(GuiDriver::WaitFor(
      [&] {
        QTest::mouseMove(surface, point + QPoint(0, ++moves % 2 == 0 ? 0 : 2));
        return Script(
                   "var tip = document.querySelector('.leaflet-tooltip');"
                   "tip === null ? '' : tip.textContent")
                   .toString() == QString::fromUtf8("2024-05-03 18:00:00 \u2013 18:09:59");
      },
      5000))
      << "no tooltip named the line";
  QTest::mouseClick(surface, Qt::LeftButton, {}, point);
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return !LoadedTrack().empty(); }, 10000))
      << "the click loaded nothing";
  EXPECT_EQ(Tabs().currentWidget(), gui.window->RecordTab());
  EXPECT_EQ(LoadedTrack(), paths[1]);
}

TEST_F(HistoryView, ABoxDraggedOrARightClickListsThePassagesThereAndMovesNothing) {
  LinesDrawn();
  const QPoint middle = MiddleOfTheMay3Line();
  const QString centre = Script("JSON.stringify(map.getCenter())").toString();
  QWidget* surface = Map().focusProxy();
  // A small box about the middle of the May 3 line, away from the others, drawn with Shift held
  // and then with "Find in box" on.
  const auto drag = [&](Qt::KeyboardModifiers keys) {
    QTest::mousePress(surface, Qt::LeftButton, keys, middle - QPoint(6, 3));
    QTest::mouseMove(surface, middle);
    QTest::mouseMove(surface, middle + QPoint(6, 3));
    QTest::mouseRelease(surface, Qt::LeftButton, keys, middle + QPoint(6, 3));
  };
  drag(Qt::ShiftModifier);
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return Page().SearchesListed() == 1; }, 10000))
      << "the Shift+drag listed nothing";
  ASSERT_EQ(Page().Passages().size(), 1u);
  EXPECT_EQ(Page().Passages()[0].path, paths[1]);

  gui.Find<QPushButton>("findInBox")->click();
  ASSERT_TRUE(Script("boxMode").toBool());
  drag(Qt::NoModifier);
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return Page().SearchesListed() == 2; }, 10000))
      << "the drag with Find in box listed nothing";
  ASSERT_EQ(Page().Passages().size(), 1u);
  EXPECT_EQ(Page().Passages()[0].path, paths[1]);
  EXPECT_EQ(Script("JSON.stringify(map.getCenter())").toString(), centre) << "the map moved";
  EXPECT_TRUE(LoadedTrack().empty()) << "a drag ending on a line is no click on it";

  // A right-click on the line: the passages within the radius around it.
  QTest::mouseClick(surface, Qt::RightButton, {}, middle);
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return Page().SearchesListed() == 3; }, 10000))
      << "the right-click listed nothing";
  ASSERT_EQ(Page().Passages().size(), 1u);
  EXPECT_EQ(Page().Passages()[0].path, paths[1]);
  EXPECT_LT(Page().Passages()[0].closest, 20.0);
}

TEST_F(HistoryView, ATrackDeletedLeavesTheMapAndTheIndex) {
  ASSERT_EQ(LinesDrawn().size(), 3);
  const int before = Page().LinesAsked();
  auto& files = gui.window->Store().Files();
  const auto entry = files.ReadTrackHeader(paths[1]);
  ASSERT_TRUE(entry && files.DeleteTrackFile(*entry));
  EXPECT_GT(Page().LinesAsked(), before) << "the change was not noticed";
  const QJsonArray left = LinesDrawn();
  ASSERT_EQ(left.size(), 2);
  EXPECT_TRUE(left[1]["tip"].toString().startsWith("2024-05-20"));
  // The index forgot it too: a search where it ran finds nothing.
  Script("TavrinAskNear(37.503, 127.003);");
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return Page().SearchesListed() == 1; }));
  EXPECT_TRUE(Page().Passages().empty());
}

TEST_F(HistoryView, ATrackFileThatCannotBeReadIsToldOnceInTheWindowsBox) {
  EXPECT_EQ(LinesDrawn().size(), 3);
  // Written after the window started: only the History page's index reads it.
  const auto bad = dir.Path() / "DataLog" / "20240502_120000.bt0";
  std::ofstream(bad) << std::string(200, 'x');
  gui.Find<QComboBox>("historyPeriod")->setCurrentIndex(3);  // All: the index is asked again
  EXPECT_EQ(LinesDrawn().size(), 4);
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return !gui.boxes.empty(); }, 5000));
  size_t told = 0;
  for (const GuiDriver::Box& box : gui.boxes)
    told += box.text.find("20240502_120000.bt0") != std::string::npos ? 1 : 0;
  std::string texts;
  for (const GuiDriver::Box& box : gui.boxes) texts += box.text + "\n---\n";
  EXPECT_EQ(told, 1u) << texts;
}

// The cache folder is a file: no index can be kept there.
class HistoryWithoutIndex : public HistoryView {
 protected:
  HistoryWithoutIndex() : HistoryView(false) {
    if (const char* cache = std::getenv("XDG_CACHE_HOME")) cacheBefore = cache;
    std::ofstream(dir.Path() / "not-a-folder") << "x";
    ::setenv("XDG_CACHE_HOME", (dir.Path() / "not-a-folder").c_str(), 1);
    Tabs().setCurrentIndex(kHistoryTab);
  }
  ~HistoryWithoutIndex() override {
    gui.window->HistoryTab()->StopWork();
    ::setenv("XDG_CACHE_HOME", cacheBefore.c_str(), 1);
  }
  std::string cacheBefore;
};

TEST_F(HistoryWithoutIndex, ThePageSaysSoOnceAndGoesOnReadingTheFiles) {
  ASSERT_TRUE(GuiDriver::WaitFor([&] {
    return gui.window->StatusText().contains("goes on without its index");
  })) << gui.window->StatusText().toStdString();
  EXPECT_EQ(LinesDrawn().size(), 3);
  Script("TavrinAskNear(37.503, 127.003);");  // on the May 3 track, within the radius
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return Page().SearchesListed() == 1; }));
  ASSERT_EQ(Page().Passages().size(), 1u);
  EXPECT_EQ(Page().Passages()[0].path, paths[1]);
  EXPECT_LT(Page().Passages()[0].closest, 2.0);
}

}  // namespace
}  // namespace tavrin::test
