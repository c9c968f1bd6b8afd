// SPDX-License-Identifier: GPL-3.0-or-later
// The window from the keyboard alone: Tab goes through each page and dialog in the order a user
// reads it, reaching every control that can take the keyboard once; Alt and a letter presses a
// button or moves to the field a label names; no two controls of a page or dialog answer to the
// same letter.
#include <QAbstractButton>
#include <QCalendarWidget>
#include <QGroupBox>
#include <QKeySequence>
#include <QMenuBar>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QWebEngineView>
#include <map>

#include "../support/session_test_host.h"
#include "gui/common/widget_helpers.h"
#include "gui/device/bypass_dialog.h"
#include "gui/device/device_settings_dialog.h"
#include "gui/device/read_period_dialog.h"
#include "gui/history/history_page.h"
#include "gui/logbook/place_dialog.h"
#include "gui/options/software_options_dialog.h"
#include "gui/records/photos_dialog.h"
#include "gui/records/track_record_page.h"
#include "window_fixture.h"

namespace tavrin::test {
namespace {

// The name a control goes by: its own, or for the inner part that takes the keyboard for a
// composite control (the day table of a calendar) the name of that control.
QString NameOf(QWidget* widget) {
  while (widget->parentWidget() != nullptr && widget->parentWidget()->focusProxy() == widget) {
    widget = widget->parentWidget();
  }
  return widget->objectName().isEmpty()
             ? QStringLiteral("<unnamed %1>").arg(widget->metaObject()->className())
             : widget->objectName();
}

// Makes `window` the active window, as the user's click on it would: only the active window
// takes keys and shortcuts.
void Activate(QWidget& window) {
  window.show();
  QApplication::setActiveWindow(&window);
  GuiDriver::WaitFor([&] { return QApplication::activeWindow() == &window; }, 2000);
}

// Tab pressed on the focus widget from the control named `first` on, until the focus comes back
// to it or reaches the control named `last`: the names of the controls it reached, in order. Tab
// that moves within one control (a date field goes from day to month to year) reaches it once.
QStringList TabChain(QWidget& window, const char* first, const QString& last = {}) {
  auto* start = window.findChild<QWidget*>(QString::fromUtf8(first));
  if (start == nullptr) return {QStringLiteral("<no control %1>").arg(first)};
  start->setFocus(Qt::TabFocusReason);
  QWidget* at = QApplication::focusWidget();
  if (at == nullptr) return {QStringLiteral("<%1 takes no focus>").arg(first)};
  const QWidget* startFocus = at;
  QStringList names{NameOf(at)};
  for (int presses = 0; presses < 200; ++presses) {
    QTest::keyClick(at, Qt::Key_Tab);
    QWidget* next = QApplication::focusWidget();
    if (next == nullptr) return names << QStringLiteral("<focus lost>");
    if (next == startFocus) break;
    if (next != at) names << NameOf(next);
    if (names.back() == last) break;
    at = next;
  }
  return names;
}

// The controls inside `area` that Tab can reach now: shown, enabled, taking focus by Tab. Of a
// group of option buttons only the chosen one is a Tab stop (Qt takes Tab from the others), and
// the arrows move between them.
QStringList ReachableControls(QWidget& area, QWidget& window) {
  QStringList names;
  for (QWidget* widget : area.findChildren<QWidget*>()) {
    if ((widget->focusPolicy() & Qt::TabFocus) == 0 || widget->focusProxy() != nullptr) continue;
    if (!widget->isVisibleTo(&window) || !widget->isEnabled()) continue;
    names << NameOf(widget);
  }
  names.sort();
  return names;
}

// The captions of `area` that carry an Alt+letter, by the key they answer to.
std::multimap<QString, QString> Mnemonics(QWidget& area) {
  std::multimap<QString, QString> keys;
  const auto add = [&](const QString& caption) {
    const QKeySequence key = QKeySequence::mnemonic(caption);
    if (!key.isEmpty()) keys.emplace(key.toString(), caption);
  };
  for (auto* button : area.findChildren<QAbstractButton*>()) add(button->text());
  for (auto* label : area.findChildren<QLabel*>()) {
    if (label->buddy() != nullptr) add(label->text());
  }
  for (auto* group : area.findChildren<QGroupBox*>()) add(group->title());
  return keys;
}

// The keys two captions share, with the captions: empty when every key is one control's.
QStringList SharedKeys(const std::multimap<QString, QString>& keys) {
  QStringList shared;
  for (auto it = keys.begin(); it != keys.end(); ++it) {
    if (keys.count(it->first) > 1) shared << it->first + " " + gui::ShownText(it->second);
  }
  return shared;
}

// The window's own keys, which every page shares: its menus.
std::multimap<QString, QString> WindowKeys(gui::MainWindow& window) {
  std::multimap<QString, QString> keys;
  for (QAction* menu : window.menuBar()->actions()) {
    const QKeySequence key = QKeySequence::mnemonic(menu->text());
    if (!key.isEmpty()) keys.emplace(key.toString(), menu->text());
  }
  return keys;
}

void PressAlt(QWidget& window, Qt::Key letter) {
  QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : &window;
  QTest::keyClick(target, letter, Qt::AltModifier);
}

QString FocusName() {
  return QApplication::focusWidget() != nullptr ? NameOf(QApplication::focusWidget())
                                                : QStringLiteral("<none>");
}

class Keyboard : public WindowTest {
 protected:
  void SetUp() override { Activate(*gui.window); }
  QWidget& Page(int index) { return *gui.Find<QTabWidget>("tabs")->widget(index); }
  void ShowRecordPage() { gui.Find<QTabWidget>("tabs")->setCurrentIndex(1); }
  // Every key of the page and of the window's menus, checked for one owner each.
  QStringList SharedKeysOfPage(int index) {
    auto keys = Mnemonics(Page(index));
    keys.merge(WindowKeys(*gui.window));
    return SharedKeys(keys);
  }
};

// The window's controls around the pages: after a page's last control Tab goes to the status
// line, then to the tabs, then into the page again.
const QStringList kAfterPage = {"statusLine", "tabs"};

TEST_F(Keyboard, TabGoesThroughTheDevicePageInReadingOrder) {
  // Left column, middle column, right column, then the list across the page; the port settings
  // give way to the logger's buttons once connected.
  const QStringList disconnected = QStringList{"usbPort",
                                               "portList",
                                               "baudList",
                                               "connect",
                                               "note1",
                                               "note2",
                                               "note3",
                                               "note4",
                                               "saveBySpeed",
                                               "saveByTime",
                                               "saveByDistance",
                                               "softwareOptions",
                                               "numberOfTrackPoints",
                                               "memorySize",
                                               "remainedMemory",
                                               "trackList"} +
                                   kAfterPage;
  EXPECT_EQ(TabChain(*gui.window, "usbPort"), disconnected);
  QStringList reachable = ReachableControls(Page(0), *gui.window) + kAfterPage;
  reachable.sort();
  QStringList walked = TabChain(*gui.window, "usbPort");
  walked.sort();
  EXPECT_EQ(walked, reachable) << "every control the page offers is reached once";

  gui.ChoosePort("emulated");
  ASSERT_TRUE(gui.Press("connect"));
  const QStringList connected =
      QStringList{"connect",       "note1",          "note2",
                  "note3",         "note4",          "deviceSettings",
                  "saveBySpeed",   "saveByTime",     "saveByDistance",
                  "readOptions",   "setOptions",     "softwareOptions",
                  "readNewTracks", "getAllTracks",   "eraseAllTracks",
                  "stopReading",   "getDateTime",    "numberOfTrackPoints",
                  "memorySize",    "remainedMemory", "trackList"} +
      kAfterPage;
  EXPECT_EQ(TabChain(*gui.window, "connect"), connected);
  reachable = ReachableControls(Page(0), *gui.window) + kAfterPage;
  reachable.sort();
  walked = TabChain(*gui.window, "connect");
  walked.sort();
  EXPECT_EQ(walked, reachable);
}

TEST_F(Keyboard, TabGoesThroughTheTrackRecordPageInReadingOrderInBothLists) {
  ShowRecordPage();
  // By days: the period of days on the left; the editing buttons wait for a track.
  const QStringList byDays =
      QStringList{"byDays",          "selectAllTracks",  "periodStart",     "periodEnd",
                  "conformSelected", "windowStartDate",  "windowStartHour", "windowStartMinute",
                  "windowEndDate",   "windowEndHour",    "windowEndMinute", "conformTrackSelected",
                  "importTracks",    "softwareOptions",  "recordList",      "deleteSelectTrack",
                  "exportKml",       "exportNmea",       "exportGpx",       "trackData",
                  "googleMaps",      "speedGraphButton", "photosButton",    "selectedFile",
                  "pointList"} +
      kAfterPage;
  EXPECT_EQ(TabChain(*gui.window, "byDays"), byDays);
  QStringList reachable = ReachableControls(Page(1), *gui.window) + kAfterPage;
  reachable.sort();
  QStringList walked = TabChain(*gui.window, "byDays");
  walked.sort();
  EXPECT_EQ(walked, reachable) << "every control the page offers is reached once";

  // By tracks: the calendar in place of the period, the editing buttons instead of Conform.
  gui.Find<QRadioButton>("byTracks")->click();
  const QStringList byTracks = QStringList{"byTracks",
                                           "selectAllTracks",
                                           "dayCalendar",
                                           "windowStartDate",
                                           "windowStartHour",
                                           "windowStartMinute",
                                           "windowEndDate",
                                           "windowEndHour",
                                           "windowEndMinute",
                                           "createSelectedTrack",
                                           "deleteSelectedPoints",
                                           "importTracks",
                                           "softwareOptions",
                                           "recordList",
                                           "deleteSelectTrack",
                                           "exportKml",
                                           "exportNmea",
                                           "exportGpx",
                                           "trackData",
                                           "googleMaps",
                                           "speedGraphButton",
                                           "photosButton",
                                           "selectedFile",
                                           "pointList"} +
                               kAfterPage;
  EXPECT_EQ(TabChain(*gui.window, "byTracks"), byTracks);
  reachable = ReachableControls(Page(1), *gui.window) + kAfterPage;
  reachable.sort();
  walked = TabChain(*gui.window, "byTracks");
  walked.sort();
  EXPECT_EQ(walked, reachable);

  // All tracks: Delete All Tracks joins the buttons; the speed graph takes no keys, so the
  // buttons and the file name end the page.
  gui.Find<QCheckBox>("selectAllTracks")->click();
  gui.Press("speedGraphButton");
  QStringList allTracks = byTracks;
  allTracks.removeAll("dayCalendar");
  allTracks.removeAll("pointList");
  allTracks.insert(allTracks.indexOf("deleteSelectTrack") + 1, "deleteAllTracks");
  EXPECT_EQ(TabChain(*gui.window, "byTracks"), allTracks);
}

// The map view is made when first wanted, long after the page: it still comes where it stands,
// after the buttons and the file name above it, not after the status line at the window's end.
// (Tab within the map goes through the map page's own links, in the web engine.)
TEST_F(Keyboard, TabGoesThroughTheHistoryPageAndItsLetterKeysReachItsFields) {
  gui.Find<QTabWidget>("tabs")->setCurrentIndex(2);
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return gui.window->HistoryTab()->MapLoaded(); }, 30000));
  // Tab goes on within the map's page (its zoom buttons, its links) as in the Track Record
  // page's map; from the passages it leaves the page for the status line.
  EXPECT_EQ(
      TabChain(*gui.window, "historyPeriod", "historyMap"),
      QStringList({"historyPeriod", "historyDate", "findInBox", "historyRadius", "historyMap"}));
  EXPECT_EQ(TabChain(*gui.window, "passageList", "statusLine"),
            QStringList({"passageList", "statusLine"}));
  EXPECT_EQ(SharedKeysOfPage(2), QStringList{});
}

TEST_F(Keyboard, TabGoesThroughTheLogbookPageAndItsLettersReachItsFields) {
  gui.Find<QTabWidget>("tabs")->setCurrentIndex(3);
  const QStringList order =
      QStringList{"logbookPeriod",  "logbookDate", "exportLogbookCsv", "exportLogbookPdf",
                  "printLogbook",   "tripList",    "purposeBusiness",  "purposePrivate",
                  "purposeCommute", "purposeNone", "acceptOffered",    "tripNote",
                  "odometerDate",   "odometerKm",  "enterReading",     "placeList",
                  "addPlace",       "editPlace",   "removePlace"} +
      kAfterPage;
  EXPECT_EQ(TabChain(*gui.window, "logbookPeriod"), order);
  QStringList reachable = ReachableControls(Page(3), *gui.window) + kAfterPage;
  reachable.sort();
  QStringList walked = order;
  walked.sort();
  EXPECT_EQ(walked, reachable) << "every control the page offers is reached once";
  EXPECT_EQ(SharedKeysOfPage(3), QStringList{});
  PressAlt(*gui.window, Qt::Key_T);
  EXPECT_EQ(FocusName(), "tripNote");
  PressAlt(*gui.window, Qt::Key_Y);
  EXPECT_EQ(FocusName(), "odometerDate");
  PressAlt(*gui.window, Qt::Key_O);
  EXPECT_EQ(FocusName(), "logbookPeriod");
}

TEST_F(Keyboard, TheMapViewTakesItsPlaceUnderTheViewButtons) {
  ShowRecordPage();
  gui.Press("googleMaps");
  QWebEngineView* map = gui.window->RecordTab()->MapView();
  ASSERT_NE(map, nullptr);
  // The view takes its page once the page is written.
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return !map->url().isEmpty(); }, 30000));
  EXPECT_EQ(TabChain(*gui.window, "trackData", "mapView"),
            QStringList({"trackData", "googleMaps", "speedGraphButton", "photosButton",
                         "selectedFile", "mapView"}));
}

TEST_F(Keyboard, NoTwoControlsOfAPageAnswerTheSameAltLetter) {
  EXPECT_EQ(SharedKeysOfPage(0), QStringList{});
  EXPECT_EQ(SharedKeysOfPage(1), QStringList{});
  // Nearly every caption has its letter; the few left without are those whose letters the
  // page's other captions all took.
  EXPECT_EQ(Mnemonics(Page(0)).size(), 23u);
  EXPECT_EQ(Mnemonics(Page(1)).size(), 21u);
}

TEST_F(Keyboard, AltLettersPressButtonsAndReachTheFieldsLabelsName) {
  QWidget& window = *gui.window;
  gui.Find<QWidget>("usbPort")->setFocus();
  PressAlt(window, Qt::Key_P);
  EXPECT_EQ(FocusName(), "portList") << "COM Port: the list of ports";
  gui.ChoosePort("emulated");
  PressAlt(window, Qt::Key_C);
  // A button's letter clicks it as the mouse would, the press shown for a moment first.
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return Session().IsConnected(); }, 5000))
      << "Alt+C presses Connect";
  EXPECT_EQ(gui.Caption("connect"), "Disconnect");
  PressAlt(window, Qt::Key_2);
  EXPECT_EQ(FocusName(), "saveByTime");
  PressAlt(window, Qt::Key_N);
  EXPECT_EQ(FocusName(), "note1");
  PressAlt(window, Qt::Key_C);
  EXPECT_TRUE(GuiDriver::WaitFor([&] { return !Session().IsConnected(); }, 5000))
      << "and Disconnect, under the same letter";

  ShowRecordPage();
  PressAlt(window, Qt::Key_T);
  EXPECT_TRUE(GuiDriver::WaitFor([&] { return !gui.window->RecordTab()->ByDays(); }, 5000))
      << "Alt+T chooses By Tracks";
  PressAlt(window, Qt::Key_F);
  EXPECT_EQ(FocusName(), "windowStartDate");
  PressAlt(window, Qt::Key_G);
  auto* views = gui.Find<QStackedWidget>("views");
  EXPECT_TRUE(GuiDriver::WaitFor(
      [&] { return views->currentWidget() == &gui.window->RecordTab()->SpeedGraph(); }, 5000))
      << "Alt+G shows the speed graph";
  PressAlt(window, Qt::Key_D);
  EXPECT_TRUE(GuiDriver::WaitFor([&] { return gui.window->RecordTab()->ByDays(); }, 5000));
}

TEST_F(Keyboard, ThePhotosDialogReadsInOrderAndItsLettersReachItsFields) {
  gui::PhotosDialog photos(*gui.window);
  // Write positions and Stop wait for photos to write. The map passes Tab on through the page it
  // shows, in its own time: the walk ends there, and Close follows it.
  const QStringList order = {"photoFolder",   "choosePhotoFolder", "photoSubfolders",
                             "findPositions", "photoZone",         "photoClockOffset",
                             "clockPhoto",    "photoMaxGap",       "photoOverwrite",
                             "photoSidecar",  "photoList",         "photoMap"};
  Activate(photos);
  EXPECT_EQ(TabChain(photos, "photoFolder", "photoMap"), order);
  EXPECT_EQ(TabChain(photos, "closePhotos", "photoFolder"),
            QStringList({"closePhotos", "photoFolder"}));
  EXPECT_EQ(SharedKeys(Mnemonics(photos)), QStringList{});
  photos.findChild<QWidget*>("photoFolder")->setFocus();
  PressAlt(photos, Qt::Key_O);
  EXPECT_EQ(FocusName(), "photoClockOffset");
  PressAlt(photos, Qt::Key_L);
  EXPECT_EQ(FocusName(), "photoFolder");
}

// Each dialog, walked with Tab from its first control, and its letters.
struct DialogCase {
  QStringList order;
  const char* shortcutTarget;  // the field one of its labels names
  Qt::Key letter;
};

void CheckDialog(QDialog& dialog, const DialogCase& expected) {
  Activate(dialog);
  const QByteArray first = expected.order.front().toUtf8();
  EXPECT_EQ(TabChain(dialog, first.constData()), expected.order)
      << dialog.objectName().toStdString();
  QStringList reachable = ReachableControls(dialog, dialog);
  QStringList walked = expected.order;
  walked.sort();
  EXPECT_EQ(reachable, walked) << dialog.objectName().toStdString();
  EXPECT_EQ(SharedKeys(Mnemonics(dialog)), QStringList{}) << dialog.objectName().toStdString();
  dialog.findChild<QWidget*>(first)->setFocus();
  PressAlt(dialog, expected.letter);
  EXPECT_EQ(FocusName(), expected.shortcutTarget) << dialog.objectName().toStdString();
}

TEST(KeyboardDialogs, TabGoesThroughEachDialogInReadingOrderAndLettersReachTheFields) {
  gui::DeviceSettingsDialog settings(DeviceState{}, nullptr);
  CheckDialog(settings, {{"speed", "time", "distance", "group1", "group2", "group3", "group4",
                          "default", "ok", "cancel"},
                         "group1",
                         Qt::Key_G});
  PressAlt(settings, Qt::Key_D);
  auto* group4 = settings.findChild<QLineEdit*>("group4");
  EXPECT_TRUE(GuiDriver::WaitFor([&] { return group4->text() == "INFO4"; }, 5000))
      << "Alt+D: DEFAULT";

  gui::PlaceDialog place(QStringLiteral("Name this place"), logbook::NamedPlace{});
  CheckDialog(
      place,
      {{"placeName", "placePosition", "placeRadius", "ok", "cancel"}, "placeRadius", Qt::Key_R});

  gui::ReadPeriodDialog period(QDate(2024, 3, 3));
  CheckDialog(period, {{"startDate", "startHour", "startMinute", "startSecond", "endDate",
                        "endHour", "endMinute", "endSecond", "ok", "cancel"},
                       "endDate",
                       Qt::Key_E});

  TrackStore store;
  SessionTestHost host;
  LoggerSession session(host, store);
  gui::BypassDialog bypass(session, nullptr);
  CheckDialog(bypass,
              {{"bypassText", "sendCmd", "bypassTest", "bypassEnd"}, "bypassText", Qt::Key_D});

  TempDir dir;
  Settings edited;
  const QDateTime now = QDateTime::currentDateTimeUtc();
  gui::SoftwareOptionsDialog options(edited, QString::fromStdString(dir.Path().string()),
                                     gui::TimeZoneList(now), gui::SystemTimeZone(now));
  // The Google Earth path and its Browse are shown but cannot be changed: Tab passes them.
  CheckDialog(options, {{"timeZone", "daylightSaving", "language", "units", "dataFolder",
                         "browseFolder", "readOnArrival", "licenseKey", "ok", "cancel"},
                        "licenseKey",
                        Qt::Key_K});
  auto* daylight = options.findChild<QCheckBox*>("daylightSaving");
  const bool ticked = daylight->isChecked();
  PressAlt(options, Qt::Key_D);
  EXPECT_TRUE(GuiDriver::WaitFor([&] { return daylight->isChecked() != ticked; }, 5000))
      << "Alt+D ticks or clears Daylight saving";
}

}  // namespace
}  // namespace tavrin::test
