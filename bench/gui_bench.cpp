// SPDX-License-Identifier: GPL-3.0-or-later
// The window's figures: start-up to the first painted window, the longest stall of the GUI
// thread's event loop while a full 32-Mbit logger (258,047 points) downloads unpaced from
// tavrin-emulator over a pseudo-terminal, loading a 1,000,000-point track into the Track Record
// page (points list and speed graph), one repaint of the speed graph, and the window process's
// peak memory. Offscreen unless a display is set. Prints its figures; asserts nothing.
//   gui_bench
#include <sys/resource.h>

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

#include "../tests/gui/gui_driver.h"
#include "../tests/support/emulator_process.h"
#include "emulator/memory_file.h"
#include "full_logger.h"
#include "gui/records/track_record_page.h"
#include "gui/window/application.h"

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

fs::path MakeWorkFolder() {
  std::string pattern = (fs::temp_directory_path() / "tavrin-gui-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) std::exit(1);
  return pattern;
}

}  // namespace

int main(int argc, char** argv) {
  const auto started = std::chrono::steady_clock::now();
  if (std::getenv("DISPLAY") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  tavrin::gui::PrepareWebEngine();
  QApplication app(argc, argv);
  gui::UseKoreanFallbackFont();
  const fs::path work = MakeWorkFolder();
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
  // The map of the million points, drawn by the web engine.
  QElapsedTimer map;
  map.start();
  gui.Press("googleMaps");
  bool loaded = false;
  QObject::connect(page.MapView(), &QWebEngineView::loadFinished, [&](bool) { loaded = true; });
  test::GuiDriver::WaitFor([&] { return loaded; }, 120000);
  int linePoints = -1;
  page.MapView()->page()->runJavaScript(QStringLiteral("window.tavrinLinePoints"),
                                        [&](const QVariant& v) { linePoints = v.toInt(); });
  test::GuiDriver::WaitFor([&] { return linePoints >= 0; }, 120000);
  std::printf("the map of those points drawn by the web engine: %lld ms (%d points in its line)\n",
              static_cast<long long>(map.elapsed()), linePoints);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak memory of the window process: %.1f MiB\n",
              static_cast<double>(usage.ru_maxrss) / 1024.0);
  gui.window->close();
  std::error_code ignored;
  fs::remove_all(work, ignored);
  return 0;
}
