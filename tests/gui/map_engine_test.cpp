// SPDX-License-Identifier: GPL-3.0-or-later
// The map's web engine starts in the background once the Track Record page has been shown and
// the window is idle, out of the user's sight; "Google Maps" then shows the map in the view it
// started, and a window closed around that start ends cleanly.
#include <QDebug>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTimer>
#include <QWebEngineView>

#include "gui/records/track_record_page.h"
#include "window_fixture.h"

namespace tavrin::test {
namespace {

// Closes the window as soon as it can after the watched page's first paint: before what the
// page asked to be done after it.
struct CloseOnFirstPaint : QObject {
  explicit CloseOnFirstPaint(QWidget& w) : window(w) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !asked) {
      asked = true;
      QTimer::singleShot(0, &window, [this] { closed = window.close(); });
    }
    return QObject::eventFilter(watched, event);
  }
  QWidget& window;
  bool asked = false;
  bool closed = false;
};

class MapEngine : public WindowTest {
 protected:
  MapEngine() {
    std::vector<TrackPoint> points;
    for (int i = 0; i < 10; ++i) points.push_back(Point(24, 5, 1, 8, 0, i));
    WriteTrackFile((dir.Path() / "DataLog/20240501_080000.bt0").string(),
                   Header(points[0], 10, 9, 0), points);
  }
  gui::TrackRecordPage& Page() { return *gui.window->RecordTab(); }
  void ShowWindow() {
    gui.window->show();
    QApplication::setActiveWindow(gui.window.get());
    GuiDriver::WaitFor([&] { return QApplication::activeWindow() == gui.window.get(); }, 2000);
  }
  void ShowRecordPage() { gui.Find<QTabWidget>("tabs")->setCurrentIndex(1); }
  // What the user sees of the page: the view shown, the control with the focus, and where the
  // lists and views stand in the window.
  QString Seen() {
    QString seen;
    QDebug(&seen) << gui.Find<QStackedWidget>("views")->currentWidget()
                  << QApplication::focusWidget();
    for (const char* name : {"recordList", "views", "byDays"}) {
      const QWidget* widget = gui.Find<QWidget>(name);
      QDebug(&seen) << QRect(widget->mapTo(gui.window.get(), QPoint()), widget->size());
    }
    return seen;
  }
};

TEST_F(MapEngine, StartsOnceThePageIsShownOutOfSightAndTheMapUsesIt) {
  ShowWindow();
  GuiDriver::WaitFor([] { return false; }, 300);
  EXPECT_EQ(Page().MapView(), nullptr) << "not while the window starts on Device Control";

  ShowRecordPage();
  const QString before = Seen();  // before the page is painted and the window idle
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return Page().MapEngineRunning(); }, 30000))
      << "the web engine starts and loads its empty page with the window idle";
  QWebEngineView* view = Page().MapView();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(Seen(), before) << "nothing the user sees moves, and the focus stays";
  EXPECT_EQ(Page().MapNavigations(), 0);

  Page().LoadRecord(0);
  gui.Press("googleMaps");
  EXPECT_EQ(Page().MapView(), view) << "the map is shown in the view that started";
  EXPECT_TRUE(GuiDriver::WaitFor(
      [&] { return GuiDriver::RunPageScript(*view, "window.tavrinLinePoints").toInt() == 10; },
      30000))
      << "the page draws the record's line";
  EXPECT_EQ(view->url().fileName(), "Tvr_OpenStreetMap.html");
  EXPECT_EQ(Page().MapNavigations(), 1);
}

TEST_F(MapEngine, AWindowClosedBeforeOrWhileItStartsEndsCleanly) {
  ShowRecordPage();
  CloseOnFirstPaint closer(*gui.window);
  Page().installEventFilter(&closer);
  gui.window->show();
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return closer.closed; }, 5000));
  Page().removeEventFilter(&closer);
  GuiDriver::WaitFor([] { return false; }, 300);
  EXPECT_EQ(Page().MapView(), nullptr) << "closed before its turn, the window does not start it";

  // Shown again, it starts; destroyed with its empty page still loading, a window over the same
  // folder starts the engine again.
  gui.window->show();
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return Page().MapView() != nullptr; }, 30000));
  gui.window.reset();
  GuiDriver again(Paths(dir), ports.Discovery());
  again.Find<QTabWidget>("tabs")->setCurrentIndex(1);
  again.window->show();
  EXPECT_TRUE(
      GuiDriver::WaitFor([&] { return again.window->RecordTab()->MapEngineRunning(); }, 30000));
}

}  // namespace
}  // namespace tavrin::test
