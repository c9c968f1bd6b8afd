// SPDX-License-Identifier: GPL-3.0-or-later
// The dialogs' own checks and messages, the time-zone list, the single-instance lock and what a
// screen reader is told.
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAccessible>
#include <QCheckBox>
#include <QTabBar>
#include <QTimeZone>

#include "../support/scripted_link.h"
#include "../support/session_test_host.h"
#include "gui/device/bypass_dialog.h"
#include "gui/device/device_settings_dialog.h"
#include "gui/device/read_period_dialog.h"
#include "gui/options/software_options_dialog.h"
#include "gui/window/application.h"
#include "protocol/nmea.h"
#include "window_fixture.h"

namespace tavrin::test {
namespace {

struct BoxLog {
  MessageBoxFn Fn() {
    return [this](const std::string& text, MsgIcon icon, MsgButtons) {
      texts.push_back(text);
      icons.push_back(icon);
      return MsgAnswer::Ok;
    };
  }
  std::vector<std::string> texts;
  std::vector<MsgIcon> icons;
};

class DeviceSettings : public ::testing::Test {
 protected:
  static DeviceState Stored() {
    DeviceState device;
    device.saveBySpeed = 12;
    device.noteGroups = {"OLD1", "", "", ""};
    return device;
  }
  void Set(const char* field, const char* text) {
    dialog.findChild<QLineEdit*>(field)->setText(QString::fromUtf8(text));
  }
  void Press(const char* button) { dialog.findChild<QPushButton*>(button)->click(); }

  DeviceState device = Stored();
  BoxLog boxes;
  gui::DeviceSettingsDialog dialog{device, boxes.Fn()};
};

TEST_F(DeviceSettings, ValuesBeyondTheStatedRangesAreRefusedWithAWord) {
  Set("speed", "300");
  Press("ok");
  EXPECT_EQ(dialog.result(), QDialog::Rejected) << "still open";
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_EQ(boxes.texts[0],
            "Save by Speed takes a whole number from 0 to 255 Km/h; 300 is too large. Nothing was "
            "stored.");
  EXPECT_EQ(dialog.ChosenOptions().bySpeed, 12) << "not 300 cut to 8 bits";
  Set("speed", "255");
  Set("distance", "65536");
  Press("ok");
  EXPECT_NE(boxes.texts.back().find("0 to 65535 metres"), std::string::npos);
  Set("distance", "65535");
  Press("ok");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.ChosenOptions().bySpeed, 255);
  EXPECT_EQ(dialog.ChosenOptions().byDistance, 65535);
}

TEST_F(DeviceSettings, NoteGroupsAreCheckedLengthFirstAndKeptWhenRefused) {
  Set("group2", "ABCDEF");
  Press("ok");
  EXPECT_EQ(boxes.texts,
            (std::vector<std::string>{"A note group holds at most 5 characters: ABCDEF.",
                                      "Error in Information: Group2."}));
  Set("group2", "AB-12");
  Press("ok");
  EXPECT_EQ(boxes.texts[2],
            "A note group may hold only the letters A-Z, a-z and the digits 0-9: AB-12.");
  EXPECT_EQ(boxes.icons[2], MsgIcon::Error);
  EXPECT_EQ(dialog.ChosenNoteGroups()[0], "OLD1") << "refused groups store nothing";
  Set("group2", "AB12");
  Press("ok");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.ChosenNoteGroups(), (NoteGroups{"OLD1", "AB12", "", ""}));
}

TEST_F(DeviceSettings, DefaultThenCancelChangesNothing) {
  Press("default");
  EXPECT_EQ(dialog.findChild<QLineEdit*>("group4")->text(), "INFO4");
  EXPECT_EQ(dialog.findChild<QLineEdit*>("distance")->text(), "100");
  Press("cancel");
  EXPECT_EQ(dialog.ChosenNoteGroups()[0], "OLD1");
  EXPECT_EQ(dialog.ChosenOptions().bySpeed, 12);
}

TEST_F(DeviceSettings, EachGroupHeadingStandsOverItsOwnField) {
  dialog.show();
  QApplication::processEvents();
  std::vector<std::pair<int, int>> fields;  // x ranges in the dialog
  for (const char* name : {"group1", "group2", "group3", "group4"}) {
    auto* field = dialog.findChild<QLineEdit*>(name);
    const int left = field->mapTo(&dialog, QPoint(0, 0)).x();
    fields.emplace_back(left, left + field->width());
  }
  for (size_t i = 0; i < fields.size(); ++i) {
    const QString heading = QStringLiteral("Group%1").arg(i + 1);
    SCOPED_TRACE(heading.toStdString());
    QLabel* label = nullptr;
    for (QLabel* l : dialog.findChildren<QLabel*>()) {
      if (gui::ShownText(l->text()) == heading) label = l;
    }
    ASSERT_NE(label, nullptr) << "a heading of its own";
    const int left = label->mapTo(&dialog, QPoint(0, 0)).x();
    const int right = left + label->fontMetrics().horizontalAdvance(heading);
    for (size_t j = 0; j < fields.size(); ++j) {
      const bool overlaps = left < fields[j].second && fields[j].first < right;
      EXPECT_EQ(overlaps, i == j) << "field " << j + 1;
    }
  }
}

TEST(ReadPeriod, OkAtOnceGivesTheWholeDayAndCalendarsSetTheDates) {
  gui::ReadPeriodDialog dialog(QDate(2024, 3, 3));
  EXPECT_EQ(dialog.Period().from, (DateTime{24, 3, 3, 0, 0, 0}));
  EXPECT_EQ(dialog.Period().to, (DateTime{24, 3, 3, 23, 59, 59}));
  dialog.findChild<QCalendarWidget*>("endDate")->setSelectedDate(QDate(2024, 3, 5));
  dialog.findChild<QComboBox*>("startHour")->setCurrentIndex(7);
  EXPECT_EQ(dialog.Period().from, (DateTime{24, 3, 3, 7, 0, 0}));
  EXPECT_EQ(dialog.Period().to, (DateTime{24, 3, 5, 23, 59, 59}));
}

TEST(Bypass, SendsTheUsersSentenceAndEndsBypassWhenClosed) {
  BoxLog boxes;
  TrackStore store;
  test::SessionTestHost host;
  LoggerSession session(host, store);
  auto owned = std::make_unique<ScriptedLink>();
  ScriptedLink& link = *owned;
  session.AttachLink(std::move(owned));
  gui::BypassDialog dialog(session, boxes.Fn());
  int closed = 0;
  QObject::connect(&dialog, &gui::BypassDialog::closed, [&] { ++closed; });
  dialog.show();
  auto* text = dialog.findChild<QLineEdit*>("bypassText");
  text->setText("ABC");
  dialog.findChild<QPushButton*>("sendCmd")->click();
  EXPECT_EQ(link.TakeSent(), MakeSentence("PSRF201,1,ABC"));
  text->setText("");
  dialog.findChild<QPushButton*>("sendCmd")->click();
  EXPECT_EQ(link.TakeSent(), MakeSentence("PSRF201,1,"));
  text->setText(QString(112, QLatin1Char('x')));
  dialog.findChild<QPushButton*>("sendCmd")->click();
  text->setText("a*b");
  dialog.findChild<QPushButton*>("sendCmd")->click();
  EXPECT_EQ(link.TakeSent(), "") << "refused texts send nothing";
  ASSERT_EQ(boxes.texts.size(), 2u);
  EXPECT_NE(boxes.texts[0].find("at most 111"), std::string::npos);
  dialog.findChild<QPushButton*>("bypassTest")->click();
  EXPECT_EQ(link.TakeSent(), "$PSRF201,1,Bypass Test*29\r\n");
  dialog.close();
  dialog.close();
  EXPECT_EQ(link.TakeSent(), "$PSRF201,0*38\r\n") << "once";
  EXPECT_EQ(closed, 1);
}

TEST(TimeZones, SortedWestToEastThenByNameWithStandardOffsets) {
  const QDateTime at(QDate(2026, 7, 1), QTime(12, 0), QTimeZone::utc());
  const auto zones = gui::TimeZoneList(at);
  ASSERT_GT(zones.size(), 100u);
  for (size_t i = 1; i < zones.size(); ++i) {
    const auto& a = zones[i - 1];
    const auto& b = zones[i];
    ASSERT_TRUE(a.bias > b.bias || (a.bias == b.bias && a.standardName <= b.standardName))
        << a.display.toStdString() << " before " << b.display.toStdString();
  }
  const auto kolkata = gui::DescribeTimeZone("Asia/Kolkata", at);
  EXPECT_EQ(kolkata.display, "(UTC+05:30) Asia/Kolkata");
  EXPECT_EQ(kolkata.bias, -330);
  // The computer's own zone is offered, whatever name it goes by.
  const auto system = gui::SystemTimeZone(at);
  EXPECT_EQ(zones[static_cast<size_t>(gui::PreselectedIndex(zones, system))].id, system.id);
  // In July New York keeps summer time, but the list shows its standard offset.
  EXPECT_EQ(gui::DescribeTimeZone("America/New_York", at).display, "(UTC-05:00) America/New_York");
  EXPECT_EQ(gui::DescribeTimeZone("America/New_York", at).daylightBias, -60);
}

class SoftwareOptions : public ::testing::Test {
 protected:
  std::vector<gui::TimeZoneEntry> Zones() const {
    const QDateTime at(QDate(2026, 1, 15), QTime(12, 0), QTimeZone::utc());
    return {gui::DescribeTimeZone("America/New_York", at), gui::DescribeTimeZone("UTC", at),
            gui::DescribeTimeZone("Asia/Kolkata", at), gui::DescribeTimeZone("Asia/Seoul", at)};
  }
  Settings settings;
};

TEST_F(SoftwareOptions, TheComputersZoneIsChosenTheFirstTime) {
  settings.localTime = -1;
  gui::SoftwareOptionsDialog dialog(settings, "/data", Zones(), Zones()[3], nullptr);
  EXPECT_EQ(settings.localTime, 3);
  EXPECT_EQ(dialog.findChild<QComboBox*>("timeZone")->currentText(), "(UTC+09:00) Asia/Seoul");
  settings.localTime = -1;
  auto unknown = Zones()[3];
  unknown.standardName = "Asia/Nowhere";
  gui::SoftwareOptionsDialog other(settings, "/data", Zones(), unknown, nullptr);
  EXPECT_EQ(settings.localTime, 0) << "the westernmost when none matches";
}

TEST_F(SoftwareOptions, DaylightSavingOnAHalfHourZoneGivesSixAndAHalfHours) {
  settings.localTime = 2;
  settings.localTimeOffset = 0;
  gui::SoftwareOptionsDialog dialog(settings, "/data", Zones(), Zones()[0], nullptr);
  dialog.findChild<QCheckBox*>("daylightSaving")->setChecked(true);
  dialog.findChild<QPushButton*>("ok")->click();
  EXPECT_EQ(settings.localTimeOffset, 330);
  EXPECT_EQ(settings.daylightSaving, 1);
  EXPECT_EQ(settings.StoreOffset(), (TimeZoneOffset{6, 30}));
  EXPECT_EQ(settings.userDataPath, "/data");
  EXPECT_EQ(settings.language, 0);
}

TEST_F(SoftwareOptions, WithoutAZoneTheOffsetStaysAndAnIndexBeyondTheListsIsKept) {
  settings.localTime = 9;  // beyond the list
  settings.localTimeOffset = 540;
  settings.units = 3;
  gui::SoftwareOptionsDialog dialog(settings, "/data", Zones(), Zones()[0], nullptr);
  dialog.findChild<QPushButton*>("ok")->click();
  EXPECT_EQ(settings.localTime, 9);
  EXPECT_EQ(settings.localTimeOffset, 540);
  EXPECT_EQ(settings.units, -1) << "no selection saves -1";
  gui::SoftwareOptionsDialog empty(settings, "/data", {}, Zones()[0], nullptr);
  empty.findChild<QPushButton*>("ok")->click();
  EXPECT_EQ(settings.localTimeOffset, 540);
}

using Window = WindowTest;

TEST_F(Window, SoftwareOptionsOkSavesTheFileAndMovesTheStoresZone) {
  gui.fillDialog = [](QDialog& dialog) {
    auto* zones = dialog.findChild<QComboBox*>("timeZone");
    zones->setCurrentIndex(zones->findText("(UTC+05:30) Asia/Kolkata"));
    dialog.findChild<QPushButton*>("ok")->click();
    return dialog.result();
  };
  gui.Press("softwareOptions");
  EXPECT_EQ(gui.window->Store().Zone().Name(), "Asia/Kolkata");
  const Settings saved = LoadSettings(dir / "TVR.ini", 0);
  EXPECT_EQ(saved.localTimeOffset, 330);
}

TEST_F(Window, CaptionTabsAndAboutBox) {
  EXPECT_EQ(gui.window->windowTitle(), "Tavrin Lite V1.1.0");
  auto* tabs = gui.Find<QTabWidget>("tabs");
  EXPECT_EQ(tabs->tabText(0), " Device Control ");
  EXPECT_EQ(tabs->tabText(1), "  Track Record  ");
  EXPECT_EQ(gui.window->StatusText(), "Ready");
  gui.window->SetStatusText(std::string(300, 'x') + "\r\n");
  EXPECT_EQ(gui.window->StatusText().size(), 255) << "the status line holds 255 characters";
  QString about, build, licence;
  gui.fillDialog = [&](QDialog& dialog) {
    about = dialog.windowTitle() + " " + dialog.findChild<QLabel*>("aboutText")->text();
    build = dialog.findChild<QLabel*>("buildText")->text();
    licence = dialog.findChild<QLabel*>("licenceText")->text();
    return static_cast<int>(QDialog::Accepted);
  };
  gui.window->findChild<QAction*>("aboutAction")->trigger();
  EXPECT_EQ(about, "About Tavrin Lite V1.1.0");
  EXPECT_TRUE(build.startsWith("Version 1.1.0 (commit ")) << build.toStdString();
  EXPECT_TRUE(build.contains("\nQt 6.")) << build.toStdString();
  EXPECT_TRUE(licence.contains("GPL-3.0-or-later")) << licence.toStdString();
}

TEST_F(Window, EveryControlIsNamedForScreenReaders) {
  gui.window->show();
  for (QWidget* widget : gui.window->findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(gui.window.get()) || widget->focusPolicy() == Qt::NoFocus) continue;
    if (qobject_cast<QTabBar*>(widget) || widget->objectName().startsWith("qt_")) continue;
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    ASSERT_NE(accessible, nullptr);
    EXPECT_FALSE(accessible->text(QAccessible::Name).trimmed().isEmpty())
        << widget->metaObject()->className() << " " << widget->objectName().toStdString();
  }
}

TEST(SingleInstance, ASecondRunIsRefusedAndACrashedRunLeavesNoLock) {
  TempDir dir;
  const std::string path = dir / "Venbrook Project.lock";
  {
    auto first = gui::InstanceLock::Acquire(path);
    ASSERT_TRUE(first);
    EXPECT_FALSE(gui::InstanceLock::Acquire(path));
  }
  // A run that holds the lock and is killed: the child says when it holds the lock, and dies
  // with the test if the test ends first, so that no process outlives it.
  int held[2];
  ASSERT_EQ(::pipe(held), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    auto lock = gui::InstanceLock::Acquire(path);
    const char said = lock ? 'y' : 'n';
    [[maybe_unused]] const ssize_t written = ::write(held[1], &said, 1);
    ::pause();
    ::_exit(0);
  }
  ::close(held[1]);
  pollfd answer{held[0], POLLIN, 0};
  char said = 0;
  const bool heard = ::poll(&answer, 1, 20000) == 1 && ::read(held[0], &said, 1) == 1;
  const bool refusedMeanwhile = !gui::InstanceLock::Acquire(path);
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  ::close(held[0]);
  ASSERT_TRUE(heard) << "the child did not say whether it holds the lock";
  EXPECT_EQ(said, 'y');
  EXPECT_TRUE(refusedMeanwhile) << "a second run was let in while the first held the lock";
  EXPECT_TRUE(gui::InstanceLock::Acquire(path)) << "the killed run's lock was left behind";
}

}  // namespace
}  // namespace tavrin::test
