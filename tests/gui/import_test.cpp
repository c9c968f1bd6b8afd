// SPDX-License-Identifier: GPL-3.0-or-later
// Importing other devices' track files in the window: by the page's button and its file
// chooser, by a drop on the window, by a second run handing its files over, and a table of bad
// files that must leave the stored tracks as they were.
#include <sys/stat.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QMimeData>
#include <QProgressDialog>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <fstream>
#include <map>

#include "gui/records/track_record_page.h"
#include "gui/window/application.h"
#include "window_fixture.h"

namespace tavrin::test {
namespace {

// A GPX 1.1 track of `count` points a second apart from `start` (ISO date-time of the first
// minute, "2024-06-01T10:"), moving north.
std::string Gpx(int count, const std::string& day = "2024-06-01", int hour = 10) {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\" creator=\"a phone\" "
      "xmlns=\"http://www.topografix.com/GPX/1/1\">\n<trk><name>Walk</name><trkseg>\n";
  for (int i = 0; i < count; ++i) {
    char point[200];
    std::snprintf(point, sizeof point,
                  "<trkpt lat=\"%.6f\" lon=\"127.000000\"><ele>30</ele>"
                  "<time>%sT%02d:%02d:%02dZ</time></trkpt>\n",
                  37.5 + 0.00005 * i, day.c_str(), hour + i / 3600, i / 60 % 60, i % 60);
    text += point;
  }
  return text + "</trkseg></trk>\n</gpx>\n";
}

class WindowImport : public WindowTest {
 protected:
  WindowImport() {
    std::filesystem::create_directories(dir / "DataLog");
    std::filesystem::create_directories(files);
    gui.Find<QTabWidget>("tabs")->setCurrentIndex(1);
  }

  std::string File(const std::string& name, const std::string& text) {
    const std::string path = (files / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  gui::TrackRecordPage& Page() { return *gui.window->RecordTab(); }
  std::vector<std::string> StoredTracks() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path() / "DataLog")) {
      if (entry.path().extension() == ".bt0") names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  std::map<std::string, std::string> StoredBytes() const {
    std::map<std::string, std::string> bytes;
    for (const std::string& name : StoredTracks()) {
      std::ifstream in(dir.Path() / "DataLog" / name, std::ios::binary);
      bytes[name].assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return bytes;
  }

  const std::filesystem::path files = dir.Path() / "other_devices";
};

TEST_F(WindowImport, TheButtonsChooserImportsListsAndLoadsTheFirstNewTrack) {
  const std::string walk = File("walk.gpx", Gpx(120));
  gui.fillDialog = [&](QDialog& dialog) {
    auto* chooser = qobject_cast<QFileDialog*>(&dialog);
    if (chooser == nullptr) return static_cast<int>(QDialog::Rejected);
    chooser->setDirectory(QString::fromStdString(files.string()));
    chooser->selectFile(QStringLiteral("walk.gpx"));
    return static_cast<int>(QDialog::Accepted);
  };
  ASSERT_TRUE(gui.Press("importTracks"));
  EXPECT_EQ(StoredTracks(), std::vector<std::string>{"20240601_100000.bt0"});
  // The list stands on the new track's day, and the track is loaded.
  ASSERT_EQ(Page().RecordList().RowCount(), 1);
  EXPECT_EQ(Page().SelectedRow(), 0);
  EXPECT_EQ(Page().PointList().rowCount(), 120);
  EXPECT_EQ(gui.window->StatusText().toStdString(),
            "Imported 1 track, 120 points from 1 file; not kept: elevation, names and "
            "descriptions.");

  // The same file again makes no second copy, says so, and shows the stored one.
  gui.Find<QRadioButton>("byTracks")->click();
  ASSERT_EQ(Page().PointList().rowCount(), 0);
  gui.window->OpenTrackFiles({QString::fromStdString(walk)});
  EXPECT_EQ(StoredTracks().size(), 1u);
  EXPECT_EQ(Page().PointList().rowCount(), 120);
  EXPECT_NE(gui.window->StatusText().indexOf("Stored already, skipped: 1"), -1)
      << gui.window->StatusText().toStdString();
}

TEST_F(WindowImport, FilesDroppedOnTheWindowAreImportedOthersAreRefused) {
  const std::string morning = File("morning.gpx", Gpx(30, "2024-06-02", 7));
  const std::string picture = File("holiday.png", "not a track");
  gui.window->show();
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(morning)),
                QUrl::fromLocalFile(QString::fromStdString(picture))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(gui.window.get(), &enter);
  EXPECT_TRUE(enter.isAccepted()) << "a drop holding a track file is taken";
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(gui.window.get(), &drop);
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return StoredTracks().size() == 1; }));
  GuiDriver::WaitFor([&] { return Page().PointList().rowCount() == 30; });
  EXPECT_EQ(StoredTracks().front(), "20240602_070000.bt0");
  EXPECT_EQ(Page().PointList().rowCount(), 30);

  QMimeData pictureOnly;
  pictureOnly.setUrls({QUrl::fromLocalFile(QString::fromStdString(picture))});
  QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &pictureOnly, Qt::LeftButton,
                          Qt::NoModifier);
  QApplication::sendEvent(gui.window.get(), &refused);
  EXPECT_FALSE(refused.isAccepted()) << "a picture is not a track file";
}

// A second run of the program hands the files it was asked to open to the window that runs.
TEST_F(WindowImport, FilesHandedOverByASecondRunAreImportedByTheRunningWindow) {
  const std::string evening = File("evening.gpx", Gpx(45, "2024-06-03", 19));
  const std::string socket = (dir.Path() / "hand-over").string();
  gui::FileHandOver handOver(*gui.window, socket);
  ASSERT_TRUE(gui::HandFilesToRunningWindow({QString::fromStdString(evening)}, socket));
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return Page().PointList().rowCount() == 45; }));
  EXPECT_EQ(StoredTracks(), std::vector<std::string>{"20240603_190000.bt0"});
  EXPECT_FALSE(gui::HandFilesToRunningWindow({QString::fromStdString(evening)},
                                             (dir.Path() / "nobody").string()))
      << "no window listens there";
}

// However bad the files, the window tells of each, waits on none, and leaves every stored
// track byte for byte as it was.
TEST_F(WindowImport, BadFilesAreToldOfWithoutHangingAndStoredTracksStayAsTheyWere) {
  File("stored.gpx", Gpx(60, "2024-06-01", 8));
  gui.window->OpenTrackFiles({QString::fromStdString((files / "stored.gpx").string())});
  ASSERT_EQ(StoredTracks().size(), 1u);
  const auto before = StoredBytes();

  const std::string fifo = (files / "receiver.nmea").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  const std::string bomb = File(
      "bomb.gpx",
      "<?xml version=\"1.0\"?>\n<!DOCTYPE gpx [\n <!ENTITY a \"aaaaaaaaaa\">\n"
      " <!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n <!ENTITY c "
      "\"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n <!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">\n"
      " <!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">\n <!ENTITY f "
      "\"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">\n <!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">\n]>\n"
      "<gpx version=\"1.1\"><trk><name>&g;</name></trk></gpx>\n");
  std::string deep = "<?xml version=\"1.0\"?><gpx version=\"1.1\">";
  for (int i = 0; i < 100000; ++i) deep += "<extensions>";
  const std::vector<std::string> bad = {
      File("empty.gpx", ""),
      File("not_xml.gpx", "this is a shopping list, not a track\n"),
      File("no_time.gpx",
           "<?xml version=\"1.0\"?><gpx version=\"1.1\"><trk><trkseg><trkpt lat=\"1\" "
           "lon=\"2\"/></trkseg></trk></gpx>"),
      File("cut_short.gpx", Gpx(20, "2024-06-05").substr(0, 900)),
      File("deep.gpx", deep),
      bomb,
      fifo,
      files.string(),
  };
  QStringList names;
  for (const std::string& path : bad) names << QString::fromStdString(path);
  const size_t boxes = gui.boxes.size();
  gui.window->OpenTrackFiles(names);
  ASSERT_GT(gui.boxes.size(), boxes) << "the user is told";
  std::string told;
  for (size_t k = boxes; k < gui.boxes.size(); ++k) told += gui.boxes[k].text + "\n";
  for (const char* name :
       {"empty.gpx", "not_xml.gpx", "no_time.gpx", "deep.gpx", "bomb.gpx", "receiver.nmea"}) {
    EXPECT_NE(told.find(name), std::string::npos) << name << " is not named in:\n" << told;
  }
  // What was whole in the file cut short may come in; nothing stored before changes.
  for (const auto& [name, bytes] : before) {
    const auto after = StoredBytes();
    ASSERT_TRUE(after.count(name)) << name << " is gone";
    EXPECT_EQ(after.at(name), bytes) << name << " changed";
  }
}

// A logger's GPX with its waypoints first, and a receiver's log with comments and void fixes:
// nothing of either that a track file holds is lost, and no box says otherwise. A log whose
// sentences had garbage for times is one with problems, and the box tells all of that file.
TEST_F(WindowImport, RealLogsComeInWholeAndOnlyLossesAreCalledProblems) {
  const std::string data = std::string(TAVRIN_TEST_DATA) + "/real_tracks/";
  const size_t boxes = gui.boxes.size();
  gui.window->OpenTrackFiles(
      {QString::fromStdString(data + "gpsbabel__reference_track_mtk_logger_m241.gpx"),
       QString::fromStdString(data + "gpsd__test_daemon_haicom-305N.log")});
  EXPECT_EQ(gui.boxes.size(), boxes) << gui.boxes.back().text;
  EXPECT_EQ(gui.window->StatusText().toStdString(),
            "Imported 2 tracks, 1189 points from 2 files; not kept: elevation, names and "
            "descriptions, waypoints.");

  gui.window->OpenTrackFiles(
      {QString::fromStdString(data + "gpsbabel__reference_track_nmeadatetime.nmea")});
  ASSERT_EQ(gui.boxes.size(), boxes + 1);
  const std::string& told = gui.boxes.back().text;
  EXPECT_NE(told.find("gpsbabel__reference_track_nmeadatetime.nmea, line 17: 3 points were "
                      "skipped (the first here): its time or date is no time of day and date."),
            std::string::npos)
      << told;
  EXPECT_NE(told.find("track files hold no elevation"), std::string::npos) << told;
  EXPECT_EQ(gui.window->StatusText().toStdString(),
            "Imported 1 track, 16 points from 1 file; not kept: elevation. Files with problems: 1 "
            "of 1.");
}

// A real box runs the window's events while it is shown: nothing the import left running may
// fire then.
TEST_F(WindowImport, TheBoxAfterAnImportRunsTheWindowsEventsSafely) {
  gui.whileBoxShown = [] {
    QEventLoop shown;
    QTimer::singleShot(200, &shown, &QEventLoop::quit);
    shown.exec();
  };
  const size_t boxes = gui.boxes.size();
  gui.window->OpenTrackFiles({QString::fromStdString(
      std::string(TAVRIN_TEST_DATA) + "/real_tracks/gpsbabel__reference_track_nmeadatetime.nmea")});
  EXPECT_EQ(gui.boxes.size(), boxes + 1) << "the box of the file's problems, and the window lives";
  EXPECT_EQ(gui.window->RecordTab()->Listing().tracks.size(), 1u);
}

// Stop during a long import: every track file that came in is whole, and the status line says
// the import was stopped.
TEST_F(WindowImport, StoppingALongImportKeepsWhatCameInWhole) {
  TrackListing listing;
  std::string days;
  std::vector<QString> paths;
  for (int day = 1; day <= 9; ++day) {
    const std::string name = "day" + std::to_string(day) + ".gpx";
    paths.push_back(
        QString::fromStdString(File(name, Gpx(20000, "2024-07-0" + std::to_string(day), 6))));
  }
  QTimer stopSoon;
  stopSoon.setSingleShot(false);
  QObject::connect(&stopSoon, &QTimer::timeout, [&] {
    if (auto* progress = gui.window->findChild<QProgressDialog*>("importProgress")) {
      progress->cancel();
    }
  });
  stopSoon.start(5);
  gui.window->OpenTrackFiles(QStringList(paths.begin(), paths.end()));
  stopSoon.stop();
  const QString status = gui.window->StatusText();
  EXPECT_TRUE(status.startsWith("Import stopped: ")) << status.toStdString();
  // Each stored track reads back whole, its header agreeing with its points.
  TrackStore store;
  ASSERT_TRUE(store.PrepareDataFolder(dir.Path() / "DataLog"));
  listing = store.Catalogue().ListTracks(nullptr, false);
  EXPECT_LT(listing.tracks.size(), 9u) << "the import was stopped before its end";
  for (const TrackEntry& entry : listing.tracks) {
    PointVector points;
    ASSERT_TRUE(store.Files().ReadTrackPoints(entry, points)) << entry.path;
    EXPECT_EQ(points.size(), 20000u) << entry.path;
  }
  for (const auto& file : std::filesystem::directory_iterator(dir.Path() / "DataLog")) {
    EXPECT_NE(file.path().extension(), ".part") << "a half-written file was left";
  }
}

}  // namespace
}  // namespace tavrin::test
