// SPDX-License-Identifier: GPL-3.0-or-later
// The window in Korean and in imperial units: every text it shows is translated, the note
// groups' refusals name the group in both languages, and the lists follow the chosen units.
#include <QAbstractButton>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableView>
#include <fstream>

#include "gui/common/languages.h"
#include "gui/device/bypass_dialog.h"
#include "gui/device/device_settings_dialog.h"
#include "gui/device/read_period_dialog.h"
#include "gui/logbook/place_dialog.h"
#include "gui/options/software_options_dialog.h"
#include "gui/options/time_zone_list.h"
#include "gui/records/photos_dialog.h"
#include "gui/records/track_record_page.h"
#include "gui/window/about_dialog.h"
#include "test_support.h"
#include "window_fixture.h"

namespace tavrin::test {
namespace {

// Words that stay as they are in Korean: names of formats, units and the program.
const QStringList kKeptWords = {
    "Tavrin Lite", "GPX",   "KML",  "NMEA", "CSV", "PDF",  "XMP", "UTC", "JPEG",        "EXIF",
    "TIFF",        "Km/h",  "km/h", "mph",  "Km",  "km",   "mi",  "ft",  "COM",         "USB",
    "Mbit",        "Q-750", "PSRF", "CR",   "LF",  "INFO", "OK",  "hh",  "Google Earth"};

// A text the user reads in English in a Korean window: letters left once the kept words are
// taken out, and no Korean beside them.
bool ReadsEnglish(QString text) {
  static const QRegularExpression hangul(QStringLiteral("[\\x{AC00}-\\x{D7A3}]"));
  static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
  static const QRegularExpression address(QStringLiteral("https?://\\S+|\\S+\\.(bt0|kml|gpx)"));
  if (text.contains(hangul)) return false;
  text.remove(address);
  for (const QString& kept : kKeptWords) text.remove(kept);
  return text.contains(word);
}

// Every text a widget and its children show or tell a screen reader, but what the user typed or
// the data shown: the contents of fields, of the time-zone and port lists, and of list rows.
QStringList ShownTexts(QWidget& top) {
  QStringList texts = {top.windowTitle()};
  QList<QWidget*> widgets = top.findChildren<QWidget*>();
  widgets.prepend(&top);
  for (QWidget* widget : widgets) {
    texts << widget->toolTip() << widget->accessibleName() << widget->accessibleDescription();
    if (auto* label = qobject_cast<QLabel*>(widget)) texts << label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) texts << button->text();
    if (auto* group = qobject_cast<QGroupBox*>(widget)) texts << group->title();
    if (auto* field = qobject_cast<QLineEdit*>(widget)) texts << field->placeholderText();
    if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
      for (int i = 0; i < tabs->count(); ++i) texts << tabs->tabText(i) << tabs->tabToolTip(i);
    }
    if (auto* list = qobject_cast<QComboBox*>(widget)) {
      const QString name = list->objectName();
      if (!name.contains(QStringLiteral("Zone")) && !name.contains(QStringLiteral("port")) &&
          !name.contains(QStringLiteral("baud")) && name != QStringLiteral("language")) {
        for (int i = 0; i < list->count(); ++i) texts << list->itemText(i);
      }
    }
    if (auto* view = qobject_cast<QTableView*>(widget); view && view->model()) {
      for (int c = 0; c < view->model()->columnCount(); ++c) {
        texts << view->model()->headerData(c, Qt::Horizontal).toString();
      }
    }
  }
  texts.removeAll(QString());
  return texts;
}

class InKorean : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(gui::UseLanguage(gui::Language::Korean)); }
  static void TearDownTestSuite() { gui::UseLanguage(gui::Language::English); }

  void ExpectTranslated(QWidget& widget) {
    for (const QString& text : ShownTexts(widget)) {
      EXPECT_FALSE(ReadsEnglish(text))
          << widget.objectName().toStdString() << ": " << text.toStdString();
    }
  }

  TempDir dir;
  FakeSystem ports;
  GuiDriver gui{WindowTest::Paths(dir), ports.Discovery()};
};

TEST_F(InKorean, EveryPageAndDialogShowsItsTextsInKorean) {
  ASSERT_EQ(gui::LanguageInUse(), gui::Language::Korean);
  gui.window->show();
  ExpectTranslated(*gui.window);

  gui::DeviceSettingsDialog settings(gui.window->Session().DeviceInfo(), nullptr);
  ExpectTranslated(settings);
  Settings edited = gui.window->AppSettings();
  const QDateTime now = QDateTime::currentDateTimeUtc();
  gui::SoftwareOptionsDialog options(edited, QStringLiteral("/tmp"), gui::TimeZoneList(now),
                                     gui::SystemTimeZone(now));
  ExpectTranslated(options);
  gui::ReadPeriodDialog period(QDate::currentDate());
  ExpectTranslated(period);
  gui::BypassDialog bypass(gui.window->Session(), nullptr);
  ExpectTranslated(bypass);
  gui::PhotosDialog photos(*gui.window);
  ExpectTranslated(photos);
  gui::AboutDialog about;
  ExpectTranslated(about);
  gui::PlaceDialog place(QStringLiteral("장소"), logbook::NamedPlace{});
  ExpectTranslated(place);
  // Qt's own buttons come from Qt's Korean translation.
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("취소"));
}

TEST_F(InKorean, NoteGroupRefusalsKeepTheirKoreanWordsAndNameTheGroup) {
  std::vector<std::string> boxes;
  DeviceState device;
  gui::DeviceSettingsDialog dialog(device, [&boxes](const std::string& text, MsgIcon, MsgButtons) {
    boxes.push_back(text);
    return MsgAnswer::Ok;
  });
  auto* group3 = dialog.findChild<QLineEdit*>("group3");
  group3->setText(QStringLiteral("ABCDEF"));
  dialog.findChild<QPushButton*>("ok")->click();
  group3->setText(QStringLiteral("AB-1"));
  dialog.findChild<QPushButton*>("ok")->click();
  EXPECT_EQ(boxes, (std::vector<std::string>{
                       "글자 개수가 너무 많습니다. (ABCDEF)",
                       "정보 오류: 그룹3.",
                       "사용할수 없는 글자가 존재합니다.\n 알파벳과 숫자만 허용됩니다. (AB-1)",
                       "정보 오류: 그룹3.",
                   }));
}

// A track of 12,346 m at 40 km/h, listed with Units=1 in the settings file and then switched to
// metric in Software Options as the user does it.
class Units : public ::testing::Test {
 protected:
  explicit Units(int units = 1) {
    std::ofstream(dir.Path() / "TVR.ini")
        << "[MAIN]\r\nLocalTimeOffset=0\r\nUnits=" << units << "\r\n";
    std::filesystem::create_directory(dir.Path() / "DataLog");
    std::vector<TrackPoint> points;
    for (int i = 0; i < 600; ++i) points.push_back(Point(24, 5, 1, 8, i / 60, i % 60));
    const TrackHeader h = Header(points.front(), 600, 599, 12346);
    TrackStore store;
    EXPECT_TRUE(store.PrepareDataFolder(dir.Path() / "DataLog"));
    WriteTrackFile(store.TrackFileName(h), h, points);
    gui = std::make_unique<GuiDriver>(WindowTest::Paths(dir));
  }
  QString Cell(QAbstractItemModel& model, int column) {
    return model.data(model.index(0, column)).toString();
  }

  TempDir dir;
  std::unique_ptr<GuiDriver> gui;  // made over the files above
};

TEST_F(Units, ImperialListsShowMilesAndMphUntilMetricIsChosen) {
  gui->window->show();
  gui->Find<QTabWidget>("tabs")->setCurrentIndex(1);
  auto& records = gui->window->RecordTab()->RecordList();
  auto& points = gui->window->RecordTab()->PointList();
  ASSERT_EQ(records.rowCount(), 1);
  EXPECT_EQ(Cell(records, 4), QStringLiteral("7.67mi"));
  EXPECT_TRUE(Cell(records, 5).endsWith(QStringLiteral("mph"))) << Cell(records, 5).toStdString();
  gui->window->RecordTab()->LoadRecord(0);
  ASSERT_EQ(points.rowCount(), 600);
  EXPECT_EQ(Cell(points, 7), QStringLiteral("25"));  // 40 km/h
  EXPECT_EQ(points.headerData(7, Qt::Horizontal, Qt::DisplayRole), QStringLiteral("Speed (mph)"));

  gui->fillDialog = [](QDialog& dialog) {
    dialog.findChild<QComboBox*>("units")->setCurrentIndex(0);
    dialog.accept();
    return static_cast<int>(QDialog::Accepted);
  };
  gui->window->OpenSoftwareOptions();
  EXPECT_EQ(Cell(records, 4), QStringLiteral("12.35Km"));
  EXPECT_TRUE(Cell(records, 5).endsWith(QStringLiteral("Km/h"))) << Cell(records, 5).toStdString();
  EXPECT_EQ(Cell(points, 7), QStringLiteral("40"));
  EXPECT_EQ(points.headerData(7, Qt::Horizontal, Qt::DisplayRole), QStringLiteral("Speed"));
  std::ifstream saved(dir.Path() / "TVR.ini");
  const std::string text((std::istreambuf_iterator<char>(saved)), {});
  EXPECT_NE(text.find("Units=0"), std::string::npos) << text;
}

class UnitsMetricFirst : public Units {
 protected:
  UnitsMetricFirst() : Units(0) {}
};

// Miles chosen after a start in km: the point list's speed column grows with its longer heading.
TEST_F(UnitsMetricFirst, TheSpeedColumnFitsItsHeadingInMph) {
  gui->window->show();
  gui->fillDialog = [](QDialog& dialog) {
    dialog.findChild<QComboBox*>("units")->setCurrentIndex(1);
    dialog.accept();
    return static_cast<int>(QDialog::Accepted);
  };
  gui->window->OpenSoftwareOptions();
  const QHeaderView* header = gui->Find<QTableView>("pointList")->horizontalHeader();
  ASSERT_EQ(header->model()->headerData(7, Qt::Horizontal).toString(), "Speed (mph)");
  EXPECT_GE(header->sectionSize(7), header->sectionSizeHint(7));
}

}  // namespace
}  // namespace tavrin::test
