// SPDX-License-Identifier: GPL-3.0-or-later
// The window on the screen: where it opens and what it remembers of its place, how small it may
// get with every caption whole, the record list's columns, the status line's whole text and a
// decimal point that reads as one.
#include <QAbstractButton>
#include <QCheckBox>
#include <QFontInfo>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <fstream>

#include "emulator/demo_memory.h"
#include "gui/records/track_record_page.h"
#include "window_fixture.h"

namespace tavrin::test {
namespace {

// A laptop's 1366 x 768 screen below a 28-pixel panel.
const QRect kLaptopArea(0, 28, 1366, 740);

AppPaths PathsIn(const TempDir& dir) {
  AppPaths paths;
  paths.programFolder = dir.Path();
  paths.dataFolder = dir.Path() / "DataLog";
  paths.settingsFile = dir.Path() / "TVR.ini";
  return paths;
}

std::function<void(gui::WindowSetup&)> OnScreen(const QRect& area) {
  return [area](gui::WindowSetup& setup) { setup.screenArea = area; };
}

// What the window takes of the screen: its frame's corner and its size.
QRect Taken(const QWidget& window) {
  return {window.pos(), window.size()};
}
// The same with the room it leaves for the title bar the desktop adds above its own area.
QRect TakenWithTitleBar(const QWidget& window) {
  return Taken(window).adjusted(0, 0, 0, 40);
}

// Lets the layouts settle after a change of size or page.
void Settle() {
  QApplication::sendPostedEvents();
  QApplication::processEvents();
}

std::string Describe(const QRect& r) {
  return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) +
         "x" + std::to_string(r.height());
}

TEST(WindowPlace, WithNothingSavedItOpensCentredInsideTheScreensFreeArea) {
  struct Case {
    QRect area;
    bool roomy;  // the window's own size fits in nine tenths of it
  };
  const Case cases[] = {
      {kLaptopArea, false},
      {QRect(0, 0, 2560, 1400), true},
      {QRect(64, 0, 1216, 1024), false},   // a panel on the left
      {QRect(1920, 0, 1280, 1024), true},  // the second of two monitors
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Describe(c.area));
    TempDir dir;
    FakeSystem ports;
    GuiDriver gui(PathsIn(dir), ports.Discovery(), OnScreen(c.area));
    gui.window->show();
    Settle();
    const QRect taken = TakenWithTitleBar(*gui.window);
    EXPECT_TRUE(c.area.contains(taken)) << Describe(taken);
    EXPECT_LE(std::abs(taken.center().x() - c.area.center().x()), 1) << Describe(taken);
    EXPECT_LE(std::abs(taken.center().y() - c.area.center().y()), 1) << Describe(taken);
    const QSize least = gui.window->minimumSize();
    EXPECT_LE(taken.width(), std::max(c.area.width() * 9 / 10, least.width()));
    EXPECT_LE(taken.height(), std::max(c.area.height() * 9 / 10, least.height() + 40));
    if (c.roomy) {
      EXPECT_EQ(gui.window->size(), QSize(1100, 780));
    }
  }
}

TEST(WindowPlace, ThePlaceAndSizeTheUserLeftAreThoseOfTheNextStart) {
  const QRect area(0, 0, 1920, 1050);
  TempDir dir;
  FakeSystem ports;
  QRect left;
  {
    GuiDriver gui(PathsIn(dir), ports.Discovery(), OnScreen(area));
    gui.window->show();
    Settle();
    const QSize least = gui.window->minimumSize();
    gui.window->resize(least.width() + 21, least.height() + 13);
    gui.window->move(37, 41);
    Settle();
    left = Taken(*gui.window);
    gui.window->close();
  }
  GuiDriver again(PathsIn(dir), ports.Discovery(), OnScreen(area));
  again.window->show();
  Settle();
  EXPECT_EQ(Describe(Taken(*again.window)), Describe(left));
}

TEST(WindowPlace, APlaceSavedOffTheScreenIsPulledBackInside) {
  struct Case {
    const char* saved;
    const char* why;
  };
  const Case cases[] = {
      {"3000,1500,1000,600", "on a monitor to the right that is gone"},
      {"-1500,-900,1000,600", "above and left of the screen"},
      {"1000,500,1000,600", "half over the right and bottom edges"},
      {"0,0,2500,1500", "larger than this screen, saved on a larger one"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    TempDir dir;
    std::ofstream(dir / "TVR.ini") << "[MAIN]\r\nWindowGeometry=" << c.saved << "\r\n";
    FakeSystem ports;
    GuiDriver gui(PathsIn(dir), ports.Discovery(), OnScreen(kLaptopArea));
    gui.window->show();
    Settle();
    const QRect taken = TakenWithTitleBar(*gui.window);
    EXPECT_TRUE(kLaptopArea.contains(taken)) << Describe(taken);
    EXPECT_TRUE(gui.boxes.empty()) << gui.boxes.front().text;
  }
}

// Every button, box, label and list heading of `page` is as large as its caption needs.
void ExpectCaptionsWhole(QWidget& page, const char* name) {
  SCOPED_TRACE(name);
  int checked = 0;
  for (QAbstractButton* button : page.findChildren<QAbstractButton*>()) {
    if (!button->isVisible() || button->text().isEmpty()) continue;
    ++checked;
    EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
    EXPECT_GE(button->height(), button->minimumSizeHint().height()) << button->text().toStdString();
  }
  for (QLabel* label : page.findChildren<QLabel*>()) {
    if (!label->isVisible() || label->text().isEmpty()) continue;
    if (label->sizePolicy().horizontalPolicy() == QSizePolicy::Ignored) continue;  // elided
    ++checked;
    const std::string text = label->text().toStdString();
    if (!label->wordWrap()) {
      EXPECT_GE(label->width(), label->sizeHint().width()) << text;
    }
    const int height =
        label->wordWrap() ? label->heightForWidth(label->width()) : label->sizeHint().height();
    EXPECT_GE(label->height(), height) << text;
  }
  for (QTableView* list : page.findChildren<QTableView*>()) {
    if (!list->isVisible()) continue;
    for (int c = 0; c < list->model()->columnCount(); ++c) {
      if (list->isColumnHidden(c)) continue;  // the logbook's odometer before a reading
      ++checked;
      EXPECT_GE(list->columnWidth(c), list->horizontalHeader()->sectionSizeHint(c))
          << list->model()->headerData(c, Qt::Horizontal).toString().toStdString();
    }
  }
  EXPECT_GT(checked, 10);
}

TEST(WindowPlace, AtItsSmallestTheWindowStillShowsEveryCaptionWholeAndFitsALaptop) {
  TempDir dir;
  FakeSystem ports;
  GuiDriver gui(PathsIn(dir), ports.Discovery(), OnScreen(kLaptopArea));
  gui.window->show();
  Settle();
  gui.window->resize(640, 480);
  Settle();
  const QSize least = gui.window->minimumSize();
  EXPECT_EQ(gui.window->size(), least.expandedTo(QSize(640, 480)));
  EXPECT_LE(least.width(), kLaptopArea.width());
  // With room for a title bar above it.
  EXPECT_LE(least.height() + 40, kLaptopArea.height());
  ExpectCaptionsWhole(*gui.window, "Device Control");
  gui.Find<QTabWidget>("tabs")->setCurrentIndex(1);
  Settle();
  ExpectCaptionsWhole(*gui.window, "Track Record by days");
  gui.Find<QRadioButton>("byTracks")->click();
  Settle();
  ExpectCaptionsWhole(*gui.window, "Track Record by tracks");
  gui.Find<QTabWidget>("tabs")->setCurrentIndex(3);
  Settle();
  ExpectCaptionsWhole(*gui.window, "Logbook");
}

TEST(StatusLine, ATextTooLongForTheLineIsWholeInItsToolTip) {
  TempDir dir;
  FakeSystem ports;
  GuiDriver gui(PathsIn(dir), ports.Discovery(), OnScreen(kLaptopArea));
  gui.window->show();
  Settle();
  const std::string text =
      "3 track files in /home/someone/a/rather/long/folder/name/for/the/tracks/DataLog cannot be "
      "used as they are. No track of these files is listed until they are mended or removed.";
  gui.window->SetStatusText(text + "\r\n");
  Settle();
  auto* line = gui.Find<QLabel>("statusLine");
  ASSERT_LT(line->width(), line->fontMetrics().horizontalAdvance(line->text()))
      << "the text fits; the test needs one that does not";
  EXPECT_EQ(line->toolTip().toStdString(), text);
}

class DemoDownload : public WindowTest {
 protected:
  DemoDownload() : WindowTest(OnScreen(kLaptopArea)) { memory = emulator::DemoMemory(); }
  ~DemoDownload() override { QApplication::setFont(desktopFont_); }

 private:
  QFont desktopFont_ = QApplication::font();
};

// The list's columns keep their widths; the window keeps the list wide enough for them, also
// with a desktop font narrower than ours, which makes the buttons and so the window narrower.
TEST_F(DemoDownload, TheRecordListNeverScrollsSidewaysWhateverTheWindowsWidthAndFont) {
  gui.window->show();
  ConnectAndReadOptions();
  const auto read = gui.PressAndWait("getAllTracks", Operation::Read);
  ASSERT_TRUE(read && read->outcome == Outcome::Done);
  gui.Find<QTabWidget>("tabs")->setCurrentIndex(1);
  gui.Find<QRadioButton>("byTracks")->click();
  gui.Find<QCheckBox>("selectAllTracks")->click();
  auto* list = gui.Find<QTableView>("recordList");
  QFont narrow = QApplication::font();
  narrow.setPointSize(7);
  for (const QFont& font : {QApplication::font(), narrow}) {
    QApplication::setFont(font);
    for (const QSize size : {gui.window->size(), QSize(640, 480)}) {
      SCOPED_TRACE(std::to_string(font.pointSize()) + " pt, asked for " +
                   std::to_string(size.width()) + " pixels");
      gui.window->resize(size);
      Settle();
      ASSERT_TRUE(list->verticalScrollBar()->isVisible()) << "more tracks than the list shows";
      EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0)
          << list->horizontalHeader()->length() << " pixels of columns in "
          << list->viewport()->width();
      EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
    }
  }
}

// The lowest row of `glyph`'s ink, drawn on a baseline at row 40 of a picture at `scale`, in
// the picture's device pixels below the baseline.
int LowestInk(const QFont& font, QChar glyph, int scale) {
  QImage picture(60 * scale, 60 * scale, QImage::Format_Grayscale8);
  picture.setDevicePixelRatio(scale);
  picture.fill(Qt::white);
  {
    QPainter painter(&picture);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(10, 40, QString(glyph));
  }
  int lowest = -1000;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      if (qGray(picture.pixel(x, y)) < 160) lowest = y;
    }
  }
  return lowest - 40 * scale;
}

TEST(Font, ThePointStandsOnTheDigitsLineWhereTheCommaReachesBelowIt) {
  const QFont font = QApplication::font();
  for (int scale : {1, 2}) {
    SCOPED_TRACE("scale " + std::to_string(scale));
    const int digits = LowestInk(font, QLatin1Char('0'), scale);
    EXPECT_EQ(LowestInk(font, QLatin1Char('.'), scale), digits)
        << "drawn in " << QFontInfo(font).family().toStdString();
    EXPECT_GT(LowestInk(font, QLatin1Char(','), scale), digits);
  }
}

}  // namespace
}  // namespace tavrin::test
