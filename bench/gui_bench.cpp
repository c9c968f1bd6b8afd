// SPDX-License-Identifier: GPL-3.0-or-later
// The window's figures: start-up to the first painted window, the longest stall of the GUI
// thread's event loop while a full 32-Mbit logger (258,047 points) downloads unpaced from
// tavrin-emulator over a pseudo-terminal, loading a 1,000,000-point track into the Track Record
// page (points list and speed graph), one repaint of the speed graph, and the window process's
// peak memory. Then the map, each case in a fresh process as a user starts it: for 1,000 and
// 1,000,000 points (and a million that wander, the map's hardest case), the time from the
// double-click to the point list and from there to the map drawn, the same for the next record
// loaded, and the proportional memory (PSS) of the whole process tree, the web engine's
// processes included. Before the first double-click (and before the million points are loaded)
// the window stays idle on the Track Record page for a second, as a user takes to pick a record,
// while the web engine starts in the background. Last, the page without a key that `tavrin export
// map` writes for a million points that wander: its size, and the time a web engine started afresh
// takes from opening it to the line drawn. Offscreen unless a display is set. Prints its figures;
// asserts nothing.
//   gui_bench
//   gui_bench --map POINTS [wander]    the map figures of one track only
//   gui_bench --page POINTS [wander]   the exported page only
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QWebEngineView>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../tests/gui/gui_driver.h"
#include "../tests/support/emulator_process.h"
#include "emulator/memory_file.h"
#include "full_logger.h"
#include "gui/records/track_record_page.h"
#include "gui/window/application.h"
#include "process_memory.h"

namespace {

using namespace tavrin;
namespace fs = std::filesystem;

// Notes when the watched widget is first painted.
class FirstPaint : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !painted) painted = true;
    return QObject::eventFilter(watched, event);
  }
  bool painted = false;
};

// The longest gap between ticks of a 5 ms timer: how long the loop was kept from its events.
class StallMeter {
 public:
  StallMeter() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      longestMs_ = std::max(longestMs_, clock_.elapsed());
      clock_.restart();
    });
  }
  void Start() {
    longestMs_ = 0;
    clock_.start();
    timer_.start(5);
  }
  qint64 LongestMs() const { return longestMs_; }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 longestMs_ = 0;
};

// What a script of the map's page returns.
QVariant Evaluate(QWebEngineView& view, const QString& script) {
  return test::GuiDriver::RunPageScript(view, script, 120000);
}

// Waits until the page holds a line of `points` points and has drawn two frames since.
void WaitForMapDrawn(QWebEngineView& view, long points) {
  test::GuiDriver::WaitFor(
      [&] { return Evaluate(view, "window.tavrinLinePoints").toLongLong() == points; }, 120000);
  Evaluate(view,
           "window.benchFrames = false; requestAnimationFrame(function() { "
           "requestAnimationFrame(function() { window.benchFrames = true; }); }); true");
  test::GuiDriver::WaitFor([&] { return Evaluate(view, "window.benchFrames").toBool(); }, 120000);
}

// How long a user takes from seeing the Track Record page to double-clicking a record.
constexpr qint64 kUserPauseMs = 1000;

// Runs the window's events for a user's pause after the page was shown, as the web engine starts
// in the background; prints when it was running and the GUI thread's longest stall meanwhile.
void PauseAsAUser(gui::TrackRecordPage& page) {
  StallMeter stalls;
  stalls.Start();
  QElapsedTimer clock;
  clock.start();
  qint64 runningMs = -1;
  test::GuiDriver::WaitFor(
      [&] {
        if (runningMs < 0 && page.MapEngineRunning()) runningMs = clock.elapsed();
        return clock.elapsed() >= kUserPauseMs;
      },
      2 * kUserPauseMs);
  const std::string running =
      runningMs < 0 ? "not yet running" : "running " + std::to_string(runningMs) + " ms after";
  std::printf(
      "  the Track Record page shown and the window idle for %lld ms, as a user takes to "
      "double-click: the web engine %s; the GUI thread's longest stall meanwhile %lld ms\n",
      static_cast<long long>(kUserPauseMs), running.c_str(),
      static_cast<long long>(stalls.LongestMs()));
}

// Double-clicks the record and presses "Google Maps"; prints the time to the list and from the
// list to the map drawn.
void TimeRecordToMap(test::GuiDriver& gui, long points, const char* which) {
  gui::TrackRecordPage& page = *gui.window->RecordTab();
  if (page.MapNavigations() > 0) Evaluate(*page.MapView(), "window.tavrinLinePoints = -1; true");
  QElapsedTimer clock;
  clock.start();
  page.LoadRecord(0);
  QApplication::processEvents();
  const qint64 listMs = clock.elapsed();
  gui.Press("googleMaps");
  WaitForMapDrawn(*page.MapView(), points);
  const qint64 mapMs = clock.elapsed() - listMs;
  std::printf(
      "  %s: point list %lld ms, then the map drawn %lld ms later (%d points in its line)\n", which,
      static_cast<long long>(listMs), static_cast<long long>(mapMs),
      Evaluate(*page.MapView(), "window.tavrinDrawnVertices").toInt());
}

int MapFigures(const fs::path& work, long points, bool wander) {
  AppPaths paths;
  paths.dataFolder = work / "DataLog";
  paths.settingsFile = work / "TVR.ini";
  fs::create_directories(paths.dataFolder);
  const std::string track = (paths.dataFolder / "20200101_000000.bt0").string();
  const std::string make = std::string(MAKE_TRACK) + " " + track + " " + std::to_string(points);
  if (std::system((make + (wander ? " wander" : "")).c_str()) != 0) return 1;
  test::GuiDriver gui(paths);
  gui.window->show();
  gui.Find<QTabWidget>("tabs")->setCurrentIndex(1);
  gui.Find<QRadioButton>("byTracks")->click();
  gui.Find<QCheckBox>("selectAllTracks")->click();
  std::printf("the map of %ld points%s:\n", points, wander ? " that wander" : "");
  PauseAsAUser(*gui.window->RecordTab());
  TimeRecordToMap(gui, points, "first record, the map's first page in the web engine");
  TimeRecordToMap(gui, points, "the record loaded again, the web engine running");
  // Let the web engine settle before its memory is counted.
  QElapsedTimer settle;
  settle.start();
  test::GuiDriver::WaitFor([&] { return settle.elapsed() > 1500; }, 5000);
  bench::PrintTreeMemory("");
  const auto page = fs::file_size(paths.dataFolder / "KML/Tvr_OpenStreetMap.html");
  std::printf("  the page without a key: %.2f MB\n", static_cast<double>(page) / 1e6);
  gui.window->close();
  return 0;
}

// Writes the track, exports its map with the command-line tool and opens the page without a key
// in a view of its own.
int ExportedPageFigures(const fs::path& work, long points, bool wander) {
  const fs::path track = work / "20200101_000000.bt0";
  const std::string make = std::string(MAKE_TRACK) + " " + track.string() + " " +
                           std::to_string(points) + (wander ? " wander" : "");
  const std::string exportMap =
      std::string(TAVRIN_CLI) + " export map " + track.string() + " > /dev/null";
  if (std::system(make.c_str()) != 0 || std::system(exportMap.c_str()) != 0) return 1;
  const fs::path page = work / "KML/Tvr_OpenStreetMap.html";
  QWebEngineView view;
  view.resize(1000, 700);
  view.show();
  QElapsedTimer clock;
  clock.start();
  view.load(QUrl::fromLocalFile(QString::fromStdString(page.string())));
  WaitForMapDrawn(view, points);
  std::printf(
      "the page `tavrin export map` writes for %ld points%s: %.2f MB, opened and drawn by a web "
      "engine started afresh in %lld ms\n",
      points, wander ? " that wander" : "", static_cast<double>(fs::file_size(page)) / 1e6,
      static_cast<long long>(clock.elapsed()));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && (std::string(argv[1]) == "--map" || std::string(argv[1]) == "--page")) {
    if (std::getenv("DISPLAY") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    tavrin::gui::PrepareWebEngine();
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    const fs::path work = bench::MakeWorkFolder("gui-bench");
    const bool wander = argc >= 4 && std::string(argv[3]) == "wander";
    const int status = std::string(argv[1]) == "--map"
                           ? MapFigures(work, std::atol(argv[2]), wander)
                           : ExportedPageFigures(work, std::atol(argv[2]), wander);
    std::error_code ignored;
    fs::remove_all(work, ignored);
    return status;
  }
  const auto started = std::chrono::steady_clock::now();
  if (std::getenv("DISPLAY") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  tavrin::gui::PrepareWebEngine();
  QApplication app(argc, argv);
  gui::UseKoreanFallbackFont();
  const fs::path work = bench::MakeWorkFolder("gui-bench");
  AppPaths paths;
  paths.dataFolder = work / "DataLog";
  paths.settingsFile = work / "TVR.ini";
  test::GuiDriver gui(paths);
  FirstPaint paint;
  gui.window->installEventFilter(&paint);
  gui.window->show();
  test::GuiDriver::WaitFor([&] { return paint.painted; }, 10000);
  const double startupMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
  std::printf("start-up to the first painted window: %.0f ms (platform %s)\n", startupMs,
              qPrintable(QGuiApplication::platformName()));

  std::string error;
  const std::string memoryFile = (work / "memory.json").string();
  if (!emulator::SaveMemoryFile(bench::FullLogger(), memoryFile, error)) {
    std::fprintf(stderr, "gui_bench: %s\n", error.c_str());
    return 1;
  }
  test::EmulatorProcess emulator(EMULATOR, {"--pty", "--memory", memoryFile},
                                 (work / "run").string());
  gui.ChoosePort(QString::fromStdString(emulator.FirstLine()));
  gui.Press("connect");
  if (!gui.PressAndWait("readOptions", Operation::Info)) {
    std::fprintf(stderr, "gui_bench: no answer from the emulator\n");
    return 1;
  }
  StallMeter stalls;
  stalls.Start();
  QElapsedTimer download;
  download.start();
  const auto read = gui.PressAndWait("readNewTracks", Operation::Read, 600000);
  const double seconds = static_cast<double>(download.elapsed()) / 1000.0;
  if (!read || read->outcome != Outcome::Done) {
    std::fprintf(stderr, "gui_bench: the download did not finish\n");
    return 1;
  }
  std::printf("unpaced download of %u points: %.2f s; longest stall of the GUI thread: %lld ms\n",
              read->points, seconds, static_cast<long long>(stalls.LongestMs()));
  // A million points, one a second, in a track of its own.
  const std::string bigTrack = (paths.dataFolder / "20200101_000000.bt0").string();
  if (std::system((std::string(MAKE_TRACK) + " " + bigTrack + " 1000000").c_str()) != 0) return 1;
  gui.Find<QTabWidget>("tabs")->setCurrentIndex(1);
  gui.Find<QRadioButton>("byTracks")->click();
  gui.Find<QCheckBox>("selectAllTracks")->click();
  gui::TrackRecordPage& page = *gui.window->RecordTab();
  PauseAsAUser(page);
  QElapsedTimer load;
  load.start();
  page.LoadRecord(0);  // the oldest track: the big one
  QApplication::processEvents();
  const qint64 listMs = load.elapsed();
  gui.Press("speedGraphButton");
  page.SpeedGraph().repaint();
  const qint64 loadMs = load.elapsed();
  QElapsedTimer repaint;
  repaint.start();
  page.SpeedGraph().repaint();
  const double repaintMs = static_cast<double>(repaint.nsecsElapsed()) / 1e6;
  std::printf(
      "loading %d points into the Track Record page: points list %lld ms, with the speed "
      "graph drawn %lld ms; one repaint of the graph %.2f ms (%zu points drawn)\n",
      page.PointList().rowCount(), static_cast<long long>(listMs), static_cast<long long>(loadMs),
      repaintMs, page.SpeedGraph().PointsDrawn());
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak memory of the window process: %.1f MiB\n",
              static_cast<double>(usage.ru_maxrss) / 1024.0);
  gui.window->close();
  std::error_code ignored;
  fs::remove_all(work, ignored);
  // The map, each in a process of its own so that its web engine starts afresh.
  const std::string self = fs::canonical("/proc/self/exe").string();
  for (const char* map :
       {" --map 1000", " --map 1000000", " --map 1000000 wander", " --page 1000000 wander"}) {
    std::fflush(stdout);
    if (std::system((self + map).c_str()) != 0) return 1;
  }
  return 0;
}
