// SPDX-License-Identifier: GPL-3.0-or-later
// The Logbook page over real track files and the window's own logbook.sqlite: a month's trips
// named by the places, purposes and notes given to several trips at once, an offered purpose
// stored only when taken, places named and renamed, tracks deleted and cut on the Track Record
// page, the CSV of a period, and a logbook that cannot be read.
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTextDocumentFragment>
#include <QWebEngineView>
#include <fstream>
#include <sstream>

#include "../support/program_run.h"
#include "base/civil_date.h"
#include "desktop/logbook_pdf.h"
#include "gui/logbook/logbook_page.h"
#include "gui/logbook/place_dialog.h"
#include "gui/records/track_record_page.h"
#include "window_fixture.h"

namespace tavrin::test {
namespace {

using logbook::Purpose;
using Column = gui::TripTableModel::Column;

constexpr int kRecordTab = 1;
constexpr int kLogbookTab = 3;
constexpr int kPointsPerTrip = 61;

struct Spot {
  float latitude, longitude;
};
constexpr Spot kHome{37.500f, 127.000f}, kOffice{37.520f, 127.020f}, kCustomer{37.560f, 127.050f};

// A drive from one spot to another, a point a second; its start in UTC, shown in Seoul (UTC+9).
struct Drive {
  int year, month, day, hour, minute;
  Spot from, to;
  uint32_t metres;  // as the header counts them
  long long StartUtc() const {
    return DaysOfCivilDate(year, month, day) * 86400LL + hour * 3600LL + minute * 60LL;
  }
};

// One trip in April, four in May; 7845 m is where two ways of rounding to 10 m would differ.
const Drive kDrives[] = {{2024, 4, 28, 23, 0, kHome, kOffice, 999},
                         {2024, 5, 2, 23, 30, kHome, kOffice, 7845},
                         {2024, 5, 3, 9, 0, kOffice, kHome, 7900},
                         {2024, 5, 10, 0, 0, kHome, kCustomer, 12300},
                         {2024, 5, 20, 0, 0, kHome, kOffice, 7803}};

// The text of a PDF as pdftotext reads it, its columns kept apart as on the page.
std::string PdfText(const std::filesystem::path& pdf, const std::filesystem::path& folder) {
  if (!std::filesystem::exists("/usr/bin/pdftotext")) {
    ADD_FAILURE() << "pdftotext is not installed (Debian package poppler-utils): run "
                     "scripts/install-deps.sh";
    return {};
  }
  const auto text = RunProgramWithin({"/usr/bin/pdftotext", "-layout", pdf.string(), "-"}, folder,
                                     std::chrono::seconds(60));
  EXPECT_EQ(text.exitCode, 0) << text.err;
  return text.out;
}

class LogbookView : public WindowTest {
 protected:
  LogbookView() : LogbookView(nullptr) {}
  explicit LogbookView(const std::function<void(gui::WindowSetup&)>& adjust) : WindowTest(adjust) {
    gui.window->Store().SetTimeZoneOffset({9, 0});
    for (const Drive& drive : kDrives) AddTrack(drive);
    if (Logbook() != nullptr) {
      EXPECT_TRUE(Logbook()->AddPlace("Home", kHome.latitude, kHome.longitude));
      EXPECT_TRUE(Logbook()->AddPlace("Office", kOffice.latitude, kOffice.longitude));
    }
    gui.window->resize(1100, 780);
    gui.window->show();
  }

  void AddTrack(const Drive& drive) {
    std::vector<TrackPoint> points;
    for (int i = 0; i < kPointsPerTrip; ++i) {
      const long long at = drive.StartUtc() + i;
      const CivilDate day = CivilDateOfDays(at / 86400);
      const long long second = at % 86400;
      const float share = static_cast<float>(i) / (kPointsPerTrip - 1);
      points.push_back(MakePoint(
          DateTime{static_cast<int>(day.year - 2000), day.month, day.day,
                   static_cast<int>(second / 3600), static_cast<int>(second / 60 % 60),
                   static_cast<int>(second % 60)},
          kFix3D, drive.from.latitude + share * (drive.to.latitude - drive.from.latitude),
          drive.from.longitude + share * (drive.to.longitude - drive.from.longitude), 50, 45));
    }
    const TrackHeader header = Header(points[0], kPointsPerTrip, kPointsPerTrip - 1, drive.metres);
    TrackStore names;
    ASSERT_TRUE(names.PrepareDataFolder(dir.Path() / "DataLog"));
    const std::string path = names.TrackFileName(header);
    WriteTrackFile(path, header, points);
    tracks.push_back(std::filesystem::path(path).filename().string());
  }

  logbook::LogbookStore* Logbook() { return gui.window->Logbook(); }
  QTabWidget& Tabs() { return *gui.Find<QTabWidget>("tabs"); }
  gui::LogbookPage& Page() { return *gui.window->LogbookTab(); }
  QTableView& TripList() { return *gui.Find<QTableView>("tripList"); }
  void ShowLogbook() { Tabs().setCurrentIndex(kLogbookTab); }
  // Runs what the page left for after the event at hand: its list shown again after a change.
  static void Settle() { QCoreApplication::processEvents(); }

  QString Cell(int row, int column, int role = Qt::DisplayRole) {
    return Page().TripList().data(Page().TripList().index(row, column), role).toString();
  }
  QString Shown(const char* label) { return gui.Find<QLabel>(label)->text(); }
  int Rows() { return Page().TripList().rowCount(); }
  void SelectRows(std::initializer_list<int> rows) {
    QItemSelection selection;
    for (const int row : rows) {
      selection.select(Page().TripList().index(row, 0),
                       Page().TripList().index(row, Column::ColumnCount - 1));
    }
    TripList().selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  }
  Purpose Stored(const std::string& track) {
    const auto entries = Logbook()->Entries();
    const auto entry = entries.find(track);
    return entry == entries.end() ? Purpose::None : entry->second.purpose;
  }
  std::vector<std::string> ChangesOf(const std::string& track) {
    std::vector<std::string> fields;
    for (const logbook::LogbookChange& change : Logbook()->Changes(track))
      fields.push_back(change.field + ":" + change.after);
    return fields;
  }
  // Answers the next place dialog with this name, keeping what it offers for the rest.
  void AnswerPlaceDialog(const QString& name) {
    gui.fillDialog = [this, name](QDialog& dialog) {
      offeredPosition = dialog.findChild<QLineEdit*>("placePosition")->text();
      dialog.findChild<QLineEdit*>("placeName")->setText(name);
      dialog.accept();
      return dialog.result();
    };
  }
  // The Track Record page listing every track by tracks, with the trip of kDrives[drive] loaded.
  void LoadOnRecordPage(size_t drive) {
    Tabs().setCurrentIndex(kRecordTab);
    gui.Find<QRadioButton>("byTracks")->click();
    auto* all = gui.Find<QCheckBox>("selectAllTracks");
    if (!all->isChecked()) all->click();
    gui::TrackRecordPage& records = *gui.window->RecordTab();
    for (size_t row = 0; row < records.Listing().tracks.size(); ++row) {
      if (records.Listing().tracks[row].path.ends_with(tracks[drive])) {
        records.LoadRecord(static_cast<int>(row));
      }
    }
  }

  std::vector<std::string> tracks;  // the file names of kDrives, in their order
  QString offeredPosition;          // what the last place dialog offered
};

TEST_F(LogbookView, TheNewestMonthListsItsTripsByPlaceWithTheTrackListsKmAndTotals) {
  // The km the Track Record page lists for each track.
  LoadOnRecordPage(0);
  std::map<std::string, QString> listedKm;
  gui::TrackRecordPage& records = *gui.window->RecordTab();
  for (size_t row = 0; row < records.Listing().tracks.size(); ++row) {
    const QString km =
        records.RecordList()
            .data(records.RecordList().index(static_cast<int>(row), 4), Qt::DisplayRole)
            .toString();
    listedKm[std::filesystem::path(records.Listing().tracks[row].path).filename().string()] =
        km.chopped(2);  // without "Km"
  }
  ShowLogbook();
  EXPECT_EQ(Page().ChosenPeriod().from, (CalendarDate{2024, 5, 1}));
  ASSERT_EQ(Rows(), 4);
  struct Expected {
    const char *date, *start, *from, *to;
  };
  const Expected expected[] = {{"2024-05-03", "08:30", "Home", "Office"},
                               {"2024-05-03", "18:00", "Office", "Home"},
                               {"2024-05-10", "09:00", "Home", "37.5600, 127.0500"},
                               {"2024-05-20", "09:00", "Home", "Office"}};
  for (int row = 0; row < 4; ++row) {
    const Expected& e = expected[row];
    EXPECT_EQ(Cell(row, Column::Date), e.date) << row;
    EXPECT_EQ(Cell(row, Column::Start), e.start) << row;
    EXPECT_EQ(Cell(row, Column::From), e.from) << row;
    EXPECT_EQ(Cell(row, Column::To), e.to) << row;
    EXPECT_EQ(Cell(row, Column::Km), listedKm[tracks[static_cast<size_t>(row) + 1]]) << row;
  }
  EXPECT_EQ(Cell(0, Column::Km), "7.84");
  EXPECT_TRUE(TripList().isColumnHidden(Column::OdometerStart)) << "no reading entered yet";
  EXPECT_TRUE(TripList().isColumnHidden(Column::Track)) << "no track deleted";
  EXPECT_EQ(Shown("totalNone"), "35.85");
  EXPECT_EQ(Shown("totalNoneTrips"), "4");
  EXPECT_EQ(Shown("totalAll"), "35.85");
  EXPECT_EQ(Shown("totalBusinessTrips"), "0");

  // Another period is the same trips filtered by local date: the April trip ends the 29th.
  gui.Find<QComboBox>("logbookPeriod")->setCurrentIndex(1);  // Year
  EXPECT_EQ(Rows(), 5);
  gui.Find<QComboBox>("logbookPeriod")->setCurrentIndex(0);  // Month
  gui.Find<QDateEdit>("logbookDate")->setDate(QDate(2024, 4, 1));
  ASSERT_EQ(Rows(), 1);
  EXPECT_EQ(Cell(0, Column::Date), "2024-04-29");
  EXPECT_EQ(Cell(0, Column::Km), "1.00");
  EXPECT_EQ(Shown("totalAllTrips"), "1");
  EXPECT_TRUE(gui.boxes.empty()) << gui.boxes.front().text;
}

// A reading at the start of May 3rd: the trips carry it on by their km, and back before it.
TEST_F(LogbookView, AnOdometerReadingBringsTheOdometerColumns) {
  ShowLogbook();
  gui.Find<QDateEdit>("odometerDate")->setDate(QDate(2024, 5, 3));
  gui.Find<QDoubleSpinBox>("odometerKm")->setValue(48210.4);
  ASSERT_TRUE(gui.Press("enterReading"));
  EXPECT_FALSE(TripList().isColumnHidden(Column::OdometerStart));
  EXPECT_FALSE(TripList().isColumnHidden(Column::OdometerEnd));
  EXPECT_EQ(Cell(0, Column::OdometerStart), "48210.4");
  EXPECT_EQ(Cell(0, Column::OdometerEnd), "48218.2");
  EXPECT_EQ(Cell(1, Column::OdometerStart), "48218.2");
  EXPECT_EQ(Cell(3, Column::OdometerEnd), "48246.2");  // 48210.4 + 7.845 + 7.9 + 12.3 + 7.803
  ASSERT_EQ(Logbook()->Readings().size(), 1u);
  EXPECT_EQ(Logbook()->Readings()[0].date, (CalendarDate{2024, 5, 3}));
}

TEST_F(LogbookView, ThreeRowsSelectedGetBusinessInOneGoEachInOneChangeAndTheTotalsFollow) {
  ShowLogbook();
  ASSERT_EQ(Rows(), 4);
  SelectRows({0, 1, 3});
  ASSERT_TRUE(gui.Press("purposeBusiness"));
  Settle();
  for (const size_t drive : {1, 2, 4}) {
    EXPECT_EQ(Stored(tracks[drive]), Purpose::Business) << drive;
    EXPECT_EQ(ChangesOf(tracks[drive]), std::vector<std::string>{"purpose:business"}) << drive;
  }
  EXPECT_EQ(Stored(tracks[3]), Purpose::None);
  EXPECT_EQ(Cell(1, Column::Purpose), "business");
  EXPECT_EQ(Cell(2, Column::Purpose), "");
  EXPECT_FALSE(Cell(3, Column::Changed).isEmpty()) << "the row says it was changed";
  EXPECT_TRUE(Cell(2, Column::Changed).isEmpty());
  EXPECT_TRUE(Cell(3, Column::Changed, Qt::ToolTipRole).contains("purpose:  \u2192 business"));
  EXPECT_EQ(Shown("totalBusiness"), "23.55");
  EXPECT_EQ(Shown("totalBusinessTrips"), "3");
  EXPECT_EQ(Shown("totalNone"), "12.30");
  EXPECT_EQ(Shown("totalNoneTrips"), "1");
  EXPECT_EQ(TripList().selectionModel()->selectedRows().size(), 3) << "the rows stay selected";

  // The same purpose again changes nothing; the note is the selected trips' too.
  ASSERT_TRUE(gui.Press("purposeBusiness"));
  auto* note = gui.Find<QLineEdit>("tripNote");
  note->setFocus();
  QTest::keyClicks(note, "Site visits");
  QTest::keyClick(note, Qt::Key_Return);
  Settle();
  for (const size_t drive : {1, 2, 4}) {
    EXPECT_EQ(ChangesOf(tracks[drive]),
              (std::vector<std::string>{"purpose:business", "note:Site visits"}));
  }
  EXPECT_EQ(Cell(3, Column::Note), "Site visits");

  // A note's tip is its own text, "<b>" and all, in a few lines at most.
  std::string longNote = "<b>Kim</b> signed";
  for (int word = 0; word < 200; ++word) longNote += " and talked";
  ASSERT_TRUE(Logbook()->SetNote(std::vector{tracks[1]}, longNote));
  Page().TracksChanged();
  const QString tip = Cell(0, Column::Note, Qt::ToolTipRole);
  const QString shown =
      Qt::mightBeRichText(tip) ? QTextDocumentFragment::fromHtml(tip).toPlainText() : tip;
  EXPECT_TRUE(shown.startsWith("<b>Kim</b> signed and talked")) << shown.toStdString();
  EXPECT_LE(shown.count(QLatin1Char('\n')) + 1, 4) << shown.toStdString();
  EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
}

TEST_F(LogbookView, AnOfferedPurposeIsShownAsAnOfferAndStoredOnlyWhenTaken) {
  ShowLogbook();
  SelectRows({0});
  ASSERT_TRUE(gui.Press("purposeBusiness"));
  Settle();
  // The trips between Home and Office after it are offered its purpose; nothing is stored.
  EXPECT_EQ(Cell(1, Column::Purpose), "business?");
  EXPECT_TRUE(Page()
                  .TripList()
                  .data(Page().TripList().index(1, Column::Purpose), Qt::FontRole)
                  .value<QFont>()
                  .italic());
  EXPECT_EQ(Cell(3, Column::Purpose), "business?");
  EXPECT_EQ(Cell(2, Column::Purpose), "") << "no named place at its end: nothing to offer";
  EXPECT_EQ(Stored(tracks[2]), Purpose::None);
  EXPECT_TRUE(ChangesOf(tracks[2]).empty());

  // Taken for the selected rows that have an offer.
  SelectRows({1, 2});
  ASSERT_TRUE(gui.Press("acceptOffered"));
  Settle();
  EXPECT_EQ(Stored(tracks[2]), Purpose::Business);
  EXPECT_EQ(ChangesOf(tracks[3]), std::vector<std::string>{});
  EXPECT_EQ(Cell(3, Column::Purpose), "business?");

  // Picked in the Purpose column's drop-down: stored for that row.
  Page().TripList().setData(Page().TripList().index(3, Column::Purpose),
                            static_cast<int>(Purpose::Commute), Qt::EditRole);
  Settle();
  EXPECT_EQ(Stored(tracks[4]), Purpose::Commute);
  EXPECT_EQ(Cell(3, Column::Purpose), "commute");
}

TEST_F(LogbookView, TheKeyboardGivesTheSelectedRowsAPurposeAndEnterGoesToTheirNote) {
  ShowLogbook();
  QTableView& list = TripList();
  list.setFocus();
  list.setCurrentIndex(Page().TripList().index(0, 0));
  QTest::keyClick(&list, Qt::Key_Down, Qt::ShiftModifier);
  QTest::keyClick(&list, Qt::Key_P);
  Settle();
  EXPECT_EQ(Stored(tracks[1]), Purpose::Private);
  EXPECT_EQ(Stored(tracks[2]), Purpose::Private);
  EXPECT_EQ(Stored(tracks[3]), Purpose::None);

  QTest::keyClick(&list, Qt::Key_Return);
  auto* note = gui.Find<QLineEdit>("tripNote");
  ASSERT_EQ(QApplication::focusWidget(), note);
  QTest::keyClicks(note, "Dentist");
  QTest::keyClick(note, Qt::Key_Return);
  Settle();
  EXPECT_EQ(Cell(0, Column::Note), "Dentist");
  EXPECT_EQ(Cell(1, Column::Note), "Dentist");
  EXPECT_EQ(QApplication::focusWidget(), &list) << "back to the list for the next trips";
  QTest::keyClick(&list, Qt::Key_N);
  Settle();
  EXPECT_EQ(Stored(tracks[1]), Purpose::None);
  EXPECT_EQ(ChangesOf(tracks[1]),
            (std::vector<std::string>{"purpose:private", "note:Dentist", "purpose:"}));
  // H: the current trip's changes, which the mouse reads in the tip of its "Changed" date.
  QTest::keyClick(&list, Qt::Key_H);
  ASSERT_FALSE(gui.boxes.empty());
  EXPECT_NE(gui.boxes.back().text.find("note:  \u2192 Dentist"), std::string::npos)
      << gui.boxes.back().text;
}

TEST_F(LogbookView, APlaceRenamedOrNamedOnTheTrackRecordPageRenamesTheRowsAtOnce) {
  ShowLogbook();
  auto* places = gui.Find<QTableWidget>("placeList");
  ASSERT_EQ(places->rowCount(), 2);
  // A name the logbook has already: the dialog comes back with what was typed, for another name.
  QStringList typed;
  gui.fillDialog = [&](QDialog& dialog) {
    auto* name = dialog.findChild<QLineEdit*>("placeName");
    auto* position = dialog.findChild<QLineEdit*>("placePosition");
    typed << name->text() + " | " + position->text();
    if (typed.size() == 1) {
      name->setText("Home");
      position->setText("37.6, 127.1");
    } else {
      name->setText("Gym");
    }
    dialog.accept();
    return dialog.result();
  };
  ASSERT_TRUE(gui.Press("addPlace"));
  EXPECT_EQ(typed, (QStringList{" | ", "Home | 37.600000, 127.100000"}));
  EXPECT_TRUE(
      gui.SawBox("A place named \"Home\" is already kept; choose another name, or move "
                 "that place."));
  ASSERT_EQ(places->rowCount(), 3);
  const auto places3 = Logbook()->Places();
  EXPECT_TRUE(std::any_of(places3.begin(), places3.end(), [](const logbook::NamedPlace& place) {
    return place.name == "Gym" && std::abs(place.latitude - 37.6) < 1e-9;
  }));
  ASSERT_TRUE(Logbook()->RemovePlace("Gym"));
  Page().TracksChanged();
  ASSERT_EQ(places->rowCount(), 2);
  places->setCurrentCell(1, 0);  // Office, after Home
  AnswerPlaceDialog("Head office");
  ASSERT_TRUE(gui.Press("editPlace"));
  EXPECT_EQ(Cell(0, Column::To), "Head office");
  EXPECT_EQ(Cell(1, Column::From), "Head office");
  EXPECT_EQ(Cell(3, Column::To), "Head office");
  EXPECT_EQ(places->item(0, 0)->text(), "Head office");

  // Removed, Home no longer names the trips' starts: their positions do.
  places->setCurrentCell(1, 0);
  ASSERT_TRUE(gui.Press("removePlace"));
  EXPECT_EQ(Cell(0, Column::From), "37.5000, 127.0000");
  EXPECT_EQ(Cell(0, Column::To), "Head office");
  EXPECT_EQ(places->rowCount(), 1);

  // The last point of the trip to the customer, from its row's menu on the Track Record page.
  LoadOnRecordPage(3);
  auto* points = gui.Find<QTableView>("pointList");
  ASSERT_EQ(points->model()->rowCount(), kPointsPerTrip);
  points->scrollToBottom();
  const QPoint shown = points->visualRect(points->model()->index(kPointsPerTrip - 1, 0)).center();
  QContextMenuEvent rightClick(QContextMenuEvent::Mouse, shown,
                               points->viewport()->mapToGlobal(shown));
  QApplication::sendEvent(points->viewport(), &rightClick);
  auto* name = gui.window->RecordTab()->findChild<QAction*>("nameThisPlace");
  ASSERT_NE(name, nullptr) << "no menu";
  AnswerPlaceDialog("Customer");
  name->trigger();
  EXPECT_EQ(offeredPosition, "37.560001, 127.050003");
  ShowLogbook();
  EXPECT_EQ(Cell(2, Column::To), "Customer");
  EXPECT_EQ(places->rowCount(), 2);
}

// The map without a key, in the real web engine: the place under the mouse, not the track's.
TEST_F(LogbookView, ARightClickOnTheTrackRecordMapNamesThePlaceUnderTheMouse) {
  LoadOnRecordPage(3);
  ASSERT_TRUE(gui.Press("googleMaps"));
  QWebEngineView* map = gui.window->RecordTab()->MapView();
  ASSERT_NE(map, nullptr);
  ASSERT_TRUE(GuiDriver::WaitFor(
      [&] { return GuiDriver::RunPageScript(*map, "window.tavrinLinePoints").toInt() == 61; },
      30000))
      << "the map did not show the track";
  const QJsonArray at = GuiDriver::RunPageScript(*map,
                                                 "var p = map.latLngToContainerPoint([37.53, "
                                                 "127.025]); [p.x, p.y]")
                            .toJsonArray();
  ASSERT_EQ(at.size(), 2);
  const QPoint point(qRound(at[0].toDouble()), qRound(at[1].toDouble()));
  QTest::mouseClick(map->focusProxy(), Qt::RightButton, {}, point);
  QAction* name = nullptr;
  ASSERT_TRUE(GuiDriver::WaitFor(
      [&] { return (name = gui.window->RecordTab()->findChild<QAction*>("nameThisPlace")); },
      10000))
      << "no menu";
  AnswerPlaceDialog("Junction");
  name->trigger();
  const auto position = gui::PositionOfText(offeredPosition);
  ASSERT_TRUE(position) << offeredPosition.toStdString();
  // Within a few pixels of the point clicked, at the zoom that shows the whole track.
  EXPECT_NEAR(position->first, 37.53, 0.0005);
  EXPECT_NEAR(position->second, 127.025, 0.0005);
  ASSERT_EQ(Logbook()->Places().size(), 3u);
  EXPECT_EQ(Logbook()->Places()[1].name, "Junction");
}

TEST_F(LogbookView, ADeletedTracksTripStaysWithItsHistoryAndACutIsNoted) {
  // The Logbook tab was never shown: the window's logbook follows the Track Record page.
  ASSERT_TRUE(Logbook()->SetPurpose(std::vector{tracks[2]}, Purpose::Business));
  LoadOnRecordPage(2);
  gui::TrackRecordPage& records = *gui.window->RecordTab();
  for (int row = 0; row < records.RecordList().RowCount(); ++row) {
    records.RecordList().SetTicked(
        row, records.Listing().tracks[static_cast<size_t>(row)].path.ends_with(tracks[2]));
  }
  gui.yes = true;
  ASSERT_TRUE(gui.Press("deleteSelectTrack"));
  ASSERT_FALSE(std::filesystem::exists(dir.Path() / "DataLog" / tracks[2]));
  EXPECT_EQ(ChangesOf(tracks[2]), (std::vector<std::string>{"purpose:business", "track:deleted"}));

  // Points deleted from another track cut it.
  LoadOnRecordPage(4);
  gui.Find<QTableView>("pointList")->selectRow(5);
  ASSERT_TRUE(gui.Press("deleteSelectedPoints"));
  EXPECT_EQ(ChangesOf(tracks[4]), std::vector<std::string>{"track:cut"});

  ShowLogbook();
  ASSERT_EQ(Rows(), 4) << "the deleted track's trip keeps its row";
  EXPECT_EQ(Cell(1, Column::Start), "18:00");
  // Its entry kept a copy of the trip when its purpose was set: the row stays whole and counts,
  // its km a number and the mark in a column of its own.
  EXPECT_EQ(Cell(1, Column::Km), "7.90");
  EXPECT_EQ(Cell(1, Column::Track), "deleted");
  EXPECT_FALSE(TripList().isColumnHidden(Column::Track));
  EXPECT_EQ(Cell(0, Column::Track), "");
  EXPECT_EQ(Cell(1, Column::Purpose), "business");
  EXPECT_FALSE(Cell(1, Column::From).isEmpty());
  EXPECT_TRUE(Cell(1, Column::Changed, Qt::ToolTipRole).contains("track: deleted"));
  EXPECT_EQ(Shown("totalBusinessTrips"), "1");
  EXPECT_EQ(Shown("totalBusiness"), Cell(1, Column::Km));
  EXPECT_TRUE(gui.boxes.size() == 1 && gui.boxes[0].text.find("delete") != std::string::npos)
      << "only the question whether to delete";
}

// A track file removed behind the window's back (a sync tool, a deletion while the logbook could
// not be opened): its trip keeps its row, marked, and still counts.
TEST_F(LogbookView, AMissingTracksTripStaysMarkedAndCounts) {
  ASSERT_TRUE(Logbook()->SetPurpose(std::vector{tracks[2]}, Purpose::Business));
  ASSERT_TRUE(std::filesystem::remove(dir.Path() / "DataLog" / tracks[2]));
  ShowLogbook();
  ASSERT_EQ(Rows(), 4);
  EXPECT_EQ(Cell(1, Column::Start), "18:00");
  EXPECT_EQ(Cell(1, Column::Track), "missing");
  EXPECT_FALSE(TripList().isColumnHidden(Column::Track));
  EXPECT_TRUE(Cell(1, Column::Purpose, Qt::ToolTipRole).contains("missing"));
  EXPECT_EQ(Shown("totalBusinessTrips"), "1");
  EXPECT_EQ(Shown("totalBusiness"), Cell(1, Column::Km).section(QLatin1Char(' '), 0, 0));
}

TEST_F(LogbookView, ExportCsvWritesThePeriodsTripsAndAnEmptyPeriodSaysSo) {
  ShowLogbook();
  gui.Find<QComboBox>("logbookPeriod")->setCurrentIndex(1);  // the year 2024
  const std::filesystem::path csv = dir.Path() / "year.csv";
  gui.fillDialog = [&](QDialog& dialog) {
    auto* chooser = qobject_cast<QFileDialog*>(&dialog);
    if (chooser == nullptr) return static_cast<int>(QDialog::Rejected);
    EXPECT_EQ(chooser->selectedFiles().value(0).section('/', -1), "logbook-2024.csv");
    chooser->setDirectory(QString::fromStdString(dir.Path().string()));
    chooser->selectFile(QStringLiteral("year.csv"));
    return static_cast<int>(QDialog::Accepted);
  };
  ASSERT_TRUE(gui.Press("exportLogbookCsv"));
  std::ifstream in(csv);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 6u) << "a heading and the year's five trips";
  EXPECT_EQ(lines[0].substr(0, 27), "Date,Start,End,From,To,km,P");
  EXPECT_EQ(lines[1].substr(0, 38), "2024-04-29,08:00,08:01,Home,Office,1.0");
  EXPECT_TRUE(gui.window->StatusText().contains("year.csv"));

  // No trip in the period: nothing to choose a file for.
  gui.Find<QComboBox>("logbookPeriod")->setCurrentIndex(0);
  gui.Find<QDateEdit>("logbookDate")->setDate(QDate(2023, 4, 1));
  const int dialogs = gui.dialogsRun;
  ASSERT_TRUE(gui.Press("exportLogbookCsv"));
  EXPECT_EQ(gui.dialogsRun, dialogs);
  EXPECT_TRUE(
      gui.SawBox("There is no trip in April 2023: nothing is written. Choose another period."));
}

// Print... as the window runs it, into a PDF file through the printer's file output: the pages
// of Export PDF..., landscape, whatever the printer's own default; a portrait page chosen in the
// dialog gets every column too, smaller.
TEST_F(LogbookView, PrintedPagesShowEveryColumnWholeOnAnyPage) {
  ASSERT_TRUE(Logbook()->SetPurpose(std::vector{tracks[1]}, Purpose::Business));
  ASSERT_TRUE(Logbook()->SetNote(std::vector{tracks[1]}, "Contract signed at the customer's"));
  ASSERT_TRUE(Logbook()->SetOdometer(CalendarDate{2024, 5, 3}, 48210.4));  // two more columns
  ShowLogbook();
  for (const auto orientation :
       {std::optional<QPageLayout::Orientation>{}, std::optional{QPageLayout::Portrait}}) {
    const std::filesystem::path pdf = dir.Path() / (orientation ? "portrait.pdf" : "default.pdf");
    gui.fillDialog = [&](QDialog& dialog) {
      auto* chooser = qobject_cast<QPrintDialog*>(&dialog);
      auto* file = dialog.findChild<QLineEdit*>("filename");
      if (chooser == nullptr || file == nullptr) return static_cast<int>(QDialog::Rejected);
      // Print to File, as the shown dialog offers it when there is no printer, into this file.
      chooser->show();
      file->setText(QString::fromStdString(pdf.string()));
      chooser->accept();
      EXPECT_EQ(chooser->printer()->outputFileName().toStdString(), pdf.string());
      if (orientation) chooser->printer()->setPageOrientation(*orientation);
      return chooser->result();
    };
    ASSERT_TRUE(gui.Press("printLogbook"));
    const std::string text = PdfText(pdf, dir.Path());
    SCOPED_TRACE(pdf.filename().string() + ":\n" + text);
    EXPECT_EQ(text.find("\u2026"), std::string::npos) << "a cell cut short";
    EXPECT_NE(text.find("Drive logbook, May 2024\n"), std::string::npos) << "the month once";
    for (const char* whole :
         {"2024-05-03", "08:30", "18:00", "2024-05-20", "Office", "business", "7.8 ",
          "Contract signed at the customer's", "48210.4", "48246.2", "Total: 35.8 km"}) {
      EXPECT_NE(text.find(whole), std::string::npos) << whole;
    }
  }
  EXPECT_TRUE(gui.window->StatusText().contains("went to the printer"));
}

// A note longer than a page goes on over the next pages, a word wider than its column is broken
// onto lines rather than cut, and an emoji comes from a font that has it.
TEST(LogbookPdf, ALongNoteRunsOnOverPagesWholeWithItsLongWordAndEmoji) {
  TempDir dir;
  logbook::LogbookReport report;
  logbook::TripRow trip;
  trip.track = "20240503_083000.bt0";
  trip.date = CalendarDate{2024, 5, 3};
  trip.start = "08:30";
  trip.end = "08:31";
  trip.from = "Home";
  trip.to = "Office";
  trip.km = 7.845;
  trip.kmKnown = true;
  std::string note = "\U0001F697 ";
  for (int word = 1; word <= 1400; ++word) note += "word" + std::to_string(word) + " ";
  const std::string longWord = "Long" + std::string(196, 'x');
  note += longWord;
  trip.note = note;
  report.trips = {trip, trip};
  report.trips[1].start = "18:00";
  report.trips[1].note = "Back home";
  report.km = 2 * trip.km;
  report.kmByPurpose[Purpose::None] = report.km;
  report.tripsByPurpose[Purpose::None] = 2;
  const std::filesystem::path pdf = dir.Path() / "long.pdf";
  ASSERT_TRUE(gui::WriteLogbookPdf(report, QString::fromStdString(pdf.string()), "Drive logbook"));

  const std::string text = PdfText(pdf, dir.Path());
  std::istringstream words(text);
  int next = 1;
  std::string unbroken;  // the text without its spaces and line ends: the long word's lines join
  for (std::string word; words >> word;) {
    if (next <= 1400 && word == "word" + std::to_string(next)) ++next;
    unbroken += word;
  }
  EXPECT_EQ(next, 1401) << "the words of the note up to word" << next - 1 << " came out\n" << text;
  EXPECT_NE(unbroken.find(longWord), std::string::npos) << text;
  // The car is drawn from Symbola (pdftotext cannot name a character beyond 16 bits, so the
  // fonts of the file tell it).
  const auto fonts =
      RunProgramWithin({"/usr/bin/pdffonts", pdf.string()}, dir.Path(), std::chrono::seconds(60));
  EXPECT_NE(fonts.out.find("Symbola"), std::string::npos) << fonts.out << fonts.err;
  EXPECT_NE(text.find("May 2024 (continued)"), std::string::npos);
  EXPECT_NE(text.find("Back home"), std::string::npos) << "the row after the long note";
  EXPECT_NE(text.find("Total: 15.7 km in 2 trip(s)"), std::string::npos);
}

// The file is no SQLite database: the window says so once and keeps the page shut, until
// another data folder brings a logbook that can be used.
class DamagedLogbook : public LogbookView {
 protected:
  DamagedLogbook()
      : LogbookView([](gui::WindowSetup& setup) {
          std::filesystem::create_directories(setup.paths.dataFolder);
          std::ofstream(setup.paths.dataFolder / logbook::kLogbookFileName) << "not a logbook";
        }) {}
};

TEST_F(DamagedLogbook, IsToldOnceAndThePageStaysShutUntilAnotherFolder) {
  ShowLogbook();
  GuiDriver::WaitFor([] { return false; }, 50);  // the box waits for the window to be up
  ASSERT_EQ(gui.boxes.size(), 1u);
  EXPECT_NE(gui.boxes[0].text.find("is damaged"), std::string::npos) << gui.boxes[0].text;
  EXPECT_EQ(Logbook(), nullptr);
  auto* trouble = gui.Find<QLabel>("logbookTrouble");
  EXPECT_TRUE(trouble->isVisible());
  EXPECT_TRUE(trouble->text().startsWith("The logbook "));
  EXPECT_FALSE(TripList().isEnabled());
  gui.window->NameThisPlace(37.5, 127.0);
  ASSERT_EQ(gui.boxes.size(), 2u);
  EXPECT_NE(gui.boxes[1].text.find("Places can be named once"), std::string::npos);

  const std::filesystem::path other = dir.Path() / "Other";
  std::filesystem::create_directories(other);
  gui.fillDialog = [&](QDialog& dialog) {
    dialog.findChild<QLineEdit*>("dataFolder")->setText(QString::fromStdString(other.string()));
    dialog.accept();
    return dialog.result();
  };
  gui.window->OpenSoftwareOptions();
  ASSERT_NE(Logbook(), nullptr);
  EXPECT_EQ(std::filesystem::path(Logbook()->File()).parent_path(), other);
  EXPECT_FALSE(trouble->isVisible());
  EXPECT_TRUE(TripList().isEnabled());
  EXPECT_EQ(gui.boxes.size(), 2u);
}

// Moved away as the window advised: the next visit to the page opens a new logbook and the page
// works; a file left as it was is not tried again, which would keep another copy of it aside.
TEST_F(DamagedLogbook, MovedAwayANewLogbookOpensOnTheNextVisitToThePage) {
  ShowLogbook();
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return !gui.boxes.empty(); }, 5000));
  const auto copiesAside = [&] {
    int copies = 0;
    for (const auto& file : std::filesystem::directory_iterator(dir.Path() / "DataLog"))
      copies += file.path().filename().string().find(".damaged-") != std::string::npos;
    return copies;
  };
  ASSERT_EQ(copiesAside(), 1);
  Tabs().setCurrentIndex(kRecordTab);
  ShowLogbook();
  EXPECT_EQ(copiesAside(), 1) << "the same damaged file again";
  EXPECT_EQ(Logbook(), nullptr);

  const std::filesystem::path logbookFile = dir.Path() / "DataLog" / logbook::kLogbookFileName;
  std::filesystem::rename(logbookFile, dir.Path() / "old-logbook.sqlite");
  Tabs().setCurrentIndex(kRecordTab);
  ShowLogbook();
  ASSERT_NE(Logbook(), nullptr);
  EXPECT_TRUE(std::filesystem::exists(logbookFile));
  EXPECT_FALSE(gui.Find<QLabel>("logbookTrouble")->isVisible());
  EXPECT_TRUE(TripList().isEnabled());
  ASSERT_EQ(Rows(), 4) << "the newest month's trips";
  SelectRows({0});
  ASSERT_TRUE(gui.Press("purposeBusiness"));
  EXPECT_EQ(Stored(tracks[1]), Purpose::Business);
  EXPECT_EQ(gui.boxes.size(), 1u) << gui.boxes.back().text;
}

}  // namespace
}  // namespace tavrin::test
