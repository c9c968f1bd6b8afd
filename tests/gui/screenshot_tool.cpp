// SPDX-License-Identifier: GPL-3.0-or-later
// Takes the window's pictures for a person to look at: connects to the logger on PORT, reads its
// options, downloads its new tracks, and saves the Device Control page, the device settings
// dialog, the Software Options dialog, a Korean message box, the Track Record page with its map,
// the Photos dialog over photos taken along the first track (and three that cannot be placed,
// each saying why), a phone's GPX walk imported, the History page with a box's passages and the
// Logbook page with named places, as PNGs in OUT_DIR; with --main-pages only the Device Control,
// Track Record and Logbook pages, without the dialogs and the maps.
// scripts/screenshot.sh runs it under Xvfb against tavrin-emulator.
//   gui_screenshots OUT_DIR PORT DATA_DIR [--main-pages]
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QWebEngineView>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "../support/photo_samples.h"
#include "gui/common/languages.h"
#include "gui/device/bypass_dialog.h"
#include "gui/device/device_settings_dialog.h"
#include "gui/device/read_period_dialog.h"
#include "gui/history/history_page.h"
#include "gui/logbook/logbook_page.h"
#include "gui/options/software_options_dialog.h"
#include "gui/records/photos_dialog.h"
#include "gui/records/track_record_page.h"
#include "gui/window/application.h"
#include "gui_driver.h"
#include "photos/photo_time.h"

namespace {

using namespace tavrin;

bool Save(QWidget& widget, const QString& file) {
  QApplication::processEvents();
  const bool saved = widget.grab().save(file);
  std::fprintf(stderr, "%s %s\n", saved ? "saved" : "could not save", qPrintable(file));
  return saved;
}

// The Track Record page: the lists by day and by track, then the first track as points, as its
// speed graph and, when `withMap`, on the map.
bool SaveRecordPage(test::GuiDriver& gui, const QString& out, bool withMap) {
  gui.Find<QTabWidget>("tabs")->setCurrentIndex(1);
  gui.Find<QCheckBox>("selectAllTracks")->click();
  bool ok = Save(*gui.window, out + "/records_by_day.png");
  gui.Find<QRadioButton>("byTracks")->click();
  ok = Save(*gui.window, out + "/records_by_track.png") && ok;
  gui.window->RecordTab()->LoadRecord(0);
  ok = Save(*gui.window, out + "/track_points.png") && ok;
  gui.Press("speedGraphButton");
  ok = Save(*gui.window, out + "/speed_graph.png") && ok;
  if (!withMap) return ok;
  gui.Press("googleMaps");
  bool loaded = false;
  QObject::connect(gui.window->RecordTab()->MapView(), &QWebEngineView::loadFinished,
                   [&](bool) { loaded = true; });
  test::GuiDriver::WaitFor([&] { return loaded; }, 30000);
  test::GuiDriver::WaitFor([] { return false; }, 3000);  // let the tiles come, where they can
  return Save(*gui.window, out + "/map.png") && ok;
}

// Five photos taken along the first stored track, matched and shown on the Photos dialog's map,
// and three that cannot be placed, each saying why.
bool SavePhotosDialog(test::GuiDriver& gui, const QString& out) {
  TrackStore& store = gui.window->Store();
  const TrackListing listing = store.Catalogue().ListTracks(nullptr, false);
  PointVector points;
  if (listing.tracks.empty() || !store.Files().ReadTrackPoints(listing.tracks[0], points) ||
      points.size() < 10) {
    return false;
  }
  const std::filesystem::path folder = std::filesystem::path(out.toStdString()) / "photos";
  std::filesystem::create_directories(folder);
  for (int k = 1; k <= 5; ++k) {
    const TrackPoint& point = points[points.size() * static_cast<size_t>(k) / 6];
    char name[32], time[32];
    std::snprintf(name, sizeof name, "IMG_%04d.jpg", 100 + k);
    std::snprintf(time, sizeof time, "%04d:%02d:%02d %02d:%02d:%02d", 2000 + point.Year(),
                  point.Month(), point.Day(), point.Hour(), point.Minute(), point.Second());
    if (!test::MakePhoto((folder / name).string(), test::CaptureTime{time, "", "+00:00"},
                         "320x240")) {
      return false;
    }
  }
  // And photos that cannot be placed, whose results are sentences: no capture time, taken days
  // after the track, not a picture at all, under a long name.
  if (!test::DrawImage((folder / "scanned_postcard_from_the_harbour.jpg").string()) ||
      !test::MakePhoto((folder / "IMG_0200.jpg").string(),
                       test::CaptureTime{"2030:01:01 12:00:00", "", "+00:00"})) {
    return false;
  }
  std::ofstream(folder / "IMG_0201.jpg") << "not a picture";
  gui::PhotosDialog dialog(*gui.window, gui.window.get());
  dialog.show();
  dialog.findChild<QLineEdit*>("photoFolder")->setText(QString::fromStdString(folder.string()));
  dialog.FindPositions();
  test::GuiDriver::WaitFor([&] { return !dialog.Busy(); }, 30000);
  test::GuiDriver::WaitFor(
      [&] {
        return test::GuiDriver::RunPageScript(*dialog.MapView(), "window.tavrinPhotoMarkers")
                   .toInt() == 5;
      },
      30000);
  test::GuiDriver::WaitFor([] { return false; }, 3000);  // let the tiles come, where they can
  const bool ok = Save(dialog, out + "/photos.png");
  std::filesystem::remove_all(folder);
  return ok;
}

// A walk a phone recorded as GPX near the first track, imported: the page lists it and shows its
// points, and the status line says what came in.
bool SaveImport(test::GuiDriver& gui, const QString& out) {
  const std::filesystem::path file = std::filesystem::path(out.toStdString()) / "phone_walk.gpx";
  {
    std::ofstream gpx(file);
    gpx << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\" creator=\"a "
           "phone\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n<trk><name>Walk</name>"
           "<trkseg>\n";
    for (int i = 0; i < 900; ++i) {
      char point[160];
      std::snprintf(point, sizeof point,
                    "<trkpt lat=\"%.6f\" lon=\"%.6f\"><ele>40</ele><time>2024-05-04T09:%02d:%02dZ"
                    "</time></trkpt>\n",
                    37.565 + 0.00001 * i, 126.978 + 0.000012 * i + 0.0004 * std::sin(i / 60.0),
                    i / 60, i % 60);
      gpx << point;
    }
    gpx << "</trkseg></trk>\n</gpx>\n";
  }
  gui.window->OpenTrackFiles({QString::fromStdString(file.string())});
  // The map shows the new track once its pages are written.
  test::GuiDriver::WaitFor(
      [&] {
        return test::GuiDriver::RunPageScript(*gui.window->RecordTab()->MapView(),
                                              "window.tavrinLinePoints")
                   .toInt() == 900;
      },
      30000);
  test::GuiDriver::WaitFor([] { return false; }, 1500);  // the view draws the new line
  const bool ok = Save(*gui.window, out + "/import.png");
  std::filesystem::remove(file);
  return ok;
}

// The History page: every downloaded track on one map (period All), one line named as the mouse
// names it, and the passages through a box about the middle of the first track.
bool SaveHistoryPage(test::GuiDriver& gui, const QString& out) {
  gui.Find<QTabWidget>("tabs")->setCurrentIndex(2);
  gui::HistoryPage& page = *gui.window->HistoryTab();
  const auto drawn = [&] {
    return test::GuiDriver::WaitFor(
        [&] {
          return page.LinesAsked() > 0 &&
                 test::GuiDriver::RunPageScript(*page.MapView(), "window.tavrinHistoryShown")
                         .toInt() == page.LinesAsked();
        },
        60000);
  };
  drawn();
  gui.Find<QComboBox>("historyPeriod")->setCurrentIndex(3);  // All
  if (!drawn() || page.ShownTracks().empty()) return false;
  const index::GeoBox& box = page.ShownTracks().front().box;
  const double dLat = (box.north - box.south) / 4, dLon = (box.east - box.west) / 4;
  test::GuiDriver::RunPageScript(*page.MapView(), QStringLiteral("TavrinAskBox(%1, %2, %3, %4);")
                                                      .arg(box.south + dLat, 0, 'f', 6)
                                                      .arg(box.west + dLon, 0, 'f', 6)
                                                      .arg(box.north - dLat, 0, 'f', 6)
                                                      .arg(box.east - dLon, 0, 'f', 6));
  test::GuiDriver::WaitFor([&] { return page.SearchesListed() > 0; }, 30000);
  test::GuiDriver::RunPageScript(
      *page.MapView(),
      "var l = window.tavrinHistoryLines[window.tavrinHistoryLines.length - 1];"
      "var p = l.getLatLngs()[0]; l.openTooltip(p[Math.floor(p.length / 3)]);");
  test::GuiDriver::WaitFor([] { return false; }, 3000);  // let the tiles come, where they can
  return Save(*gui.window, out + "/history.png");
}

// The first track driven back the same way eight hours later: a trip between the same two
// places, which the logbook offers the first one's purpose.
bool DriveBack(TrackStore& store, const TrackEntry& track, const PointVector& points) {
  PointVector back = points;
  for (size_t i = 0; i < back.size(); ++i) {
    const TrackPoint& mirrored = points[points.size() - 1 - i];
    back[i].latitude = mirrored.latitude;
    back[i].longitude = mirrored.longitude;
    const std::optional<long long> at = ToCalendarSeconds(points[i].GetDateTime());
    if (!at) return false;
    back[i].SetDateTime(FromCalendarSeconds(*at + 8 * 3600));
  }
  return static_cast<bool>(store.Writer().CreateTrack(track, back));
}

// The Logbook page over the downloaded tracks: the ends of the first two named as places, the
// first trip's purpose and note given and offered to the drive back, an odometer reading, a
// deleted track's trip, and a row selected.
bool SaveLogbookPage(test::GuiDriver& gui, const QString& out) {
  logbook::LogbookStore* logbook = gui.window->Logbook();
  TrackStore& store = gui.window->Store();
  const TrackListing listing = store.Catalogue().ListTracks(nullptr, false);
  if (logbook == nullptr || listing.tracks.size() < 3) return false;
  const char* const names[] = {"Home", "Office", "Han River Market"};
  for (size_t i = 0; i < 2; ++i) {
    PointVector points;
    if (!store.Files().ReadTrackPoints(listing.tracks[i], points) || points.empty()) return false;
    if (i == 0) {
      (void)logbook->AddPlace(names[0], points.front().latitude, points.front().longitude, 300);
      if (!DriveBack(store, listing.tracks[0], points)) return false;
    }
    (void)logbook->AddPlace(names[i + 1], points.back().latitude, points.back().longitude, 300);
  }
  const std::string first = std::filesystem::path(listing.tracks[0].path).filename().string();
  const std::string third = std::filesystem::path(listing.tracks[2].path).filename().string();
  (void)logbook->SetPurpose(std::vector{first}, logbook::Purpose::Business);
  (void)logbook->SetNote(std::vector{first}, "Customer visit, Kim & Partners");
  (void)logbook->SetPurpose(std::vector{third}, logbook::Purpose::Private);
  const DateTime6& day = listing.tracks[0].header.firstDateTime;
  (void)logbook->SetOdometer(CalendarDate{2000 + day[0], day[1], day[2]}, 48210.4);
  // A trip whose track file is gone keeps its row, marked in the Track column.
  const TrackListing now = store.Catalogue().ListTracks(nullptr, false);
  const std::string last = std::filesystem::path(now.tracks.back().path).filename().string();
  (void)logbook->SetNote(std::vector{last}, "Parking <b>receipt</b> kept");
  (void)store.Files().DeleteTrackFile(now.tracks.back());
  gui.Find<QTabWidget>("tabs")->setCurrentIndex(3);
  auto* trips = gui.Find<QTableView>("tripList");
  trips->setFocus();
  trips->selectRow(2);
  return Save(*gui.window, out + "/logbook.png");
}

int Fail(const char* what) {
  std::fprintf(stderr, "gui_screenshots: %s\n", what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  tavrin::gui::PrepareWebEngine();
  QApplication app(argc, argv);
  gui::UseKoreanFallbackFont();
  const bool mainPages = argc == 5 && std::strcmp(argv[4], "--main-pages") == 0;
  if (argc != 4 && !mainPages) {
    return Fail("usage: gui_screenshots OUT_DIR PORT DATA_DIR [--main-pages]");
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);
  AppPaths paths;
  paths.dataFolder = argv[3];
  paths.settingsFile = std::filesystem::path(argv[3]) / "TVR.ini";
  // SHOT_SETTINGS: the settings file's text, to take the window in another language or units.
  if (const char* settings = std::getenv("SHOT_SETTINGS")) {
    std::filesystem::create_directories(argv[3]);
    std::ofstream(paths.settingsFile) << settings;
    std::vector<std::string> unused;
    const Settings stored = LoadSettings(paths.settingsFile, 0, unused);
    gui::UseLanguage(gui::LanguageOf(stored.languageInFile ? stored.language : 0));
  }
  test::GuiDriver gui(paths);
  gui.window->show();
  gui.ChoosePort(QString::fromLocal8Bit(argv[2]));
  if (!gui.Press("connect") || !gui.window->Session().IsConnected()) return Fail("no connection");
  if (!gui.PressAndWait("readOptions", Operation::Info)) return Fail("no device information");
  const auto read = gui.PressAndWait("readNewTracks", Operation::Read, 120000);
  if (!read) return Fail("the read did not end");
  bool ok = Save(*gui.window, out + "/device_control.png");
  if (mainPages) {
    ok = SaveRecordPage(gui, out, false) && ok;
    ok = SaveLogbookPage(gui, out) && ok;
    gui.window->close();
    return ok ? 0 : 1;
  }

  gui::DeviceSettingsDialog settings(gui.window->Session().DeviceInfo(), nullptr, gui.window.get());
  settings.show();
  ok = Save(settings, out + "/device_settings.png") && ok;
  settings.close();

  Settings edited = gui.window->AppSettings();
  const QDateTime now = QDateTime::currentDateTimeUtc();
  gui::SoftwareOptionsDialog options(
      edited, QString::fromStdString(gui.window->Store().DataFolder()), gui::TimeZoneList(now),
      gui::SystemTimeZone(now), gui.window.get());
  options.show();
  ok = Save(options, out + "/software_options.png") && ok;
  options.close();

  // The period a read asks for, and the bypass dialog, to set their Tab order against.
  gui::ReadPeriodDialog period(QDate::currentDate(), gui.window.get());
  period.show();
  ok = Save(period, out + "/read_period.png") && ok;
  period.close();
  gui::BypassDialog bypass(gui.window->Session(), nullptr, gui.window.get());
  bypass.show();
  ok = Save(bypass, out + "/bypass.png") && ok;
  bypass.hide();  // closing it would send the end of bypass to the logger

  // A box with the Korean texts, to see that they render.
  QMessageBox korean(
      QMessageBox::Critical, QStringLiteral("Tavrin Lite"),
      QString::fromUtf8("사용할수 없는 글자가 존재합니다.\n 알파벳과 숫자만 허용됩니다."),
      QMessageBox::Ok, gui.window.get());
  korean.show();
  ok = Save(korean, out + "/korean_message.png") && ok;
  korean.close();
  ok = SaveRecordPage(gui, out, true) && ok;
  ok = SavePhotosDialog(gui, out) && ok;
  ok = SaveImport(gui, out) && ok;
  ok = SaveHistoryPage(gui, out) && ok;
  ok = SaveLogbookPage(gui, out) && ok;
  gui.window->close();
  return ok ? 0 : 1;
}
