// SPDX-License-Identifier: GPL-3.0-or-later
// The History page's figures over a store of daily tracks (history_bench FOLDER makes a decade
// of them: 10,000 tracks of 2,000 points): the first N track files of FOLDER are linked into a
// folder of the bench's own (the store is only read) and a window is opened on them, with the
// history index in a cache folder of the bench's own. Prints the time to build the index and
// draw the first month, then, from choosing a period to its lines drawn on the map: the first
// year of the tracks and all of them; and the proportional memory (PSS) of the whole process
// tree, the web engine's processes included. Offscreen unless a display is set. Asserts nothing.
//   history_map_bench FOLDER [N]
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../tests/gui/gui_driver.h"
#include "gui/history/history_page.h"
#include "gui/window/application.h"
#include "process_memory.h"

namespace {

using namespace tavrin;
namespace fs = std::filesystem;

// The first `count` track files of `from`, by name, linked into `to`.
size_t LinkTracks(const fs::path& from, const fs::path& to, size_t count) {
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(from)) {
    if (entry.path().extension() == ".bt0") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  files.resize(std::min(files.size(), count));
  fs::create_directories(to);
  for (const fs::path& file : files) fs::create_hard_link(file, to / file.filename());
  return files.size();
}

// Milliseconds until the lines asked for last are drawn.
qint64 WaitForLines(gui::HistoryPage& page, const QElapsedTimer& clock) {
  test::GuiDriver::WaitFor(
      [&] {
        return page.LinesAsked() > 0 &&
               test::GuiDriver::RunPageScript(*page.MapView(), "window.tavrinHistoryShown", 120000)
                       .toInt() == page.LinesAsked();
      },
      600000);
  return clock.elapsed();
}

void PrintLines(gui::HistoryPage& page, const char* what, qint64 ms) {
  size_t points = 0;
  for (const index::IndexedTrack& track : page.ShownTracks()) points += track.points;
  const int vertices =
      test::GuiDriver::RunPageScript(*page.MapView(), "window.tavrinHistoryVertices").toInt();
  std::printf("  %-34s %6lld ms  (%zu tracks, %zu points, %d vertices drawn)\n", what,
              static_cast<long long>(ms), page.ShownTracks().size(), points, vertices);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: history_map_bench FOLDER [N]\n");
    return 2;
  }
  const size_t wanted = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 100000;
  const fs::path work = bench::MakeWorkFolder("history-map");
  ::setenv("XDG_CACHE_HOME", (work / "cache").c_str(), 1);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  gui::PrepareWebEngine();
  QApplication app(argc, argv);
  const size_t linked = LinkTracks(argv[1], work / "DataLog", wanted);
  AppPaths paths;
  paths.programFolder = work;
  paths.dataFolder = work / "DataLog";
  paths.settingsFile = work / "TVR.ini";
  test::GuiDriver gui(paths);
  gui.window->resize(1100, 780);
  gui.window->show();
  std::printf("History map, %zu track files of %s:\n", linked, argv[1]);
  QElapsedTimer clock;
  clock.start();
  gui.Find<QTabWidget>("tabs")->setCurrentIndex(2);
  gui::HistoryPage& page = *gui.window->HistoryTab();
  PrintLines(page, "index built, newest month drawn", WaitForLines(page, clock));

  auto* period = gui.Find<QComboBox>("historyPeriod");
  auto* date = gui.Find<QDateEdit>("historyDate");
  {
    const QSignalBlocker quiet(period);
    period->setCurrentIndex(static_cast<int>(gui::HistoryPage::Period::Year));
  }
  date->setDate(QDate(2015, 6, 1));  // the bench store's first year
  clock.restart();
  PrintLines(page, "a year chosen to drawn", WaitForLines(page, clock));
  clock.restart();
  period->setCurrentIndex(static_cast<int>(gui::HistoryPage::Period::All));
  PrintLines(page, "all chosen to drawn", WaitForLines(page, clock));
  test::GuiDriver::WaitFor([] { return false; }, 1000);
  bench::PrintTreeMemory(" after all ten years are drawn");
  // A closer look at the middle of the view, five zooms in: the lines about it are read again
  // with more of their points.
  QWebEngineView& map = *page.MapView();
  const int asked = test::GuiDriver::RunPageScript(map, "window.tavrinHistoryCloser").toInt();
  clock.restart();
  test::GuiDriver::RunPageScript(map, "map.setZoom(map.getZoom() + 5, {animate: false}); 0");
  test::GuiDriver::WaitFor(
      [&] {
        return test::GuiDriver::RunPageScript(map, "window.tavrinHistoryCloser").toInt() > asked;
      },
      600000);
  PrintLines(page, "five zooms in to closer lines", clock.elapsed());
  test::GuiDriver::WaitFor([] { return false; }, 1000);
  bench::PrintTreeMemory(" after the closer look");
  gui.window->close();
  gui.window.reset();
  fs::remove_all(work);
  return 0;
}
