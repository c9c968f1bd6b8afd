// SPDX-License-Identifier: GPL-3.0-or-later
// What the Track Record page leaves in the data folder when the window goes: the exports the user
// asked for, from the window or from tavrin, stay; the map pages written only to be shown go.
#include <QCheckBox>
#include <QRadioButton>
#include <QTabWidget>
#include <fstream>

#include "../support/program_run.h"
#include "gui/records/track_record_page.h"
#include "window_fixture.h"

namespace tavrin::test {
namespace {

namespace fs = std::filesystem;

class ExportsStay : public WindowTest {
 protected:
  ExportsStay() {
    first = WriteTrack(8);
    second = WriteTrack(9);
    gui.Find<QTabWidget>("tabs")->setCurrentIndex(1);
    gui.Find<QRadioButton>("byTracks")->click();
    gui.Find<QCheckBox>("selectAllTracks")->click();
    // Loading a record writes the map pages the view shows.
    Page().LoadRecord(0);
    Page().FinishMapPages();
  }
  std::string WriteTrack(int hour) {
    std::vector<TrackPoint> points;
    for (int i = 0; i < 3; ++i) points.push_back(Point(24, 5, 1, hour, 0, i));
    const std::string path = Data("20240501_0" + std::to_string(hour) + "0000.bt0");
    WriteTrackFile(path, Header(points[0], 3, 2, 0), points);
    return path;
  }
  std::string Data(const std::string& name) const {
    return (dir.Path() / "DataLog" / name).string();
  }
  gui::TrackRecordPage& Page() { return *gui.window->RecordTab(); }
  // tavrin on the window's data folder, with settings of its own.
  void Tavrin(std::vector<std::string> words) {
    std::ofstream(dir / "cli.ini") << "[MAIN]\r\nLocalTimeOffset=0\r\n";
    std::vector<std::string> argv = {TAVRIN_CLI, "--data", Data(""), "--config", dir / "cli.ini"};
    argv.insert(argv.end(), words.begin(), words.end());
    const ProgramResult run = RunProgram(argv, dir.Path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
  }

  std::string first, second;
};

TEST_F(ExportsStay, TheExportsStayAndTheWindowsMapPagesGo) {
  const std::vector<std::string> pages = {Data("KML/Tvr_GoogleMap.html"),
                                          Data("KML/Tvr_OpenStreetMap.html")};
  for (const std::string& page : pages) ASSERT_TRUE(fs::exists(page)) << page;
  Page().RecordList().SetTicked(0, true);
  gui.Press("exportGpx");
  const std::string gpx = Data("GPX/20240501_080000.gpx");
  EXPECT_EQ(gui.window->StatusText().toStdString(), "Track Record make GPX File. " + gpx);
  Tavrin({"export", "kml", second});
  Tavrin({"export", "gpx", second});
  gui.window.reset();
  for (const std::string& kept :
       {gpx, Data("KML/20240501_090000.kml"), Data("GPX/20240501_090000.gpx")}) {
    EXPECT_TRUE(fs::exists(kept)) << kept;
  }
  for (const std::string& page : pages) EXPECT_FALSE(fs::exists(page)) << page;
}

// tavrin export map writes its pages under the names the window's own have: they are the user's.
TEST_F(ExportsStay, MapPagesTavrinWroteOverTheWindowsStay) {
  Tavrin({"export", "map", second});
  gui.window.reset();
  EXPECT_TRUE(fs::exists(Data("KML/Tvr_GoogleMap.html")));
  EXPECT_TRUE(fs::exists(Data("KML/Tvr_OpenStreetMap.html")));
}

}  // namespace
}  // namespace tavrin::test
