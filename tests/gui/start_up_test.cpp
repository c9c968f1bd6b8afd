// SPDX-License-Identifier: GPL-3.0-or-later
// What the window does with the settings file and the data folder it starts with: values it
// cannot use, the folder chosen in Software Options, and a folder that cannot keep tracks.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTabWidget>
#include <fstream>

#include "../support/fake_system.h"
#include "gui/device/device_page.h"
#include "gui/records/track_record_page.h"
#include "gui_driver.h"
#include "test_support.h"

namespace tavrin::test {
namespace {

AppPaths PathsIn(const TempDir& dir) {
  AppPaths paths;
  paths.programFolder = dir.Path();
  paths.dataFolder = dir.Path() / "DataLog";
  paths.settingsFile = dir.Path() / "TVR.ini";
  return paths;
}

// Runs the events the window left for after its start (its boxes and dialogs).
void SettleStartUp() {
  GuiDriver::WaitFor([] { return false; }, 50);
}

std::string Joined(const std::vector<GuiDriver::Box>& boxes) {
  std::string all;
  for (const auto& box : boxes) all += box.text + "\n";
  return all;
}

// Fills Software Options' folder field with `folder` and presses OK.
std::function<int(QDialog&)> ChooseFolder(const std::string& folder) {
  return [folder](QDialog& dialog) {
    dialog.findChild<QLineEdit*>("dataFolder")->setText(QString::fromStdString(folder));
    dialog.findChild<QPushButton*>("ok")->click();
    return dialog.result();
  };
}

TEST(StartUp, EverySettingItCannotUseIsToldOnceTheWindowIsUp) {
  struct Case {
    const char* line;
    const char* told;  // empty: nothing to tell
  };
  const Case cases[] = {
      {"Units=-1", ""},  // what Software Options writes for a list left without a selection
      {"Language=-1", ""},
      {"Units=-2", "Units=-2 is not a whole number from -1 up; 0 is used instead."},
      {"Language=-7", "Language=-7"},
      {"Daylightsaving=2", "Daylightsaving=2 is not a whole number from 0 to 1; 0 is used"},
      {"SaveSpeed=300", "SaveSpeed=300 is not a whole number from 0 to 255; 12 is used"},
      {"LocalTimeOffset=1x", "LocalTimeOffset=1x"},
      {"LocalTime=-3", "LocalTime=-3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    TempDir dir;
    std::ofstream(dir / "TVR.ini") << "[MAIN]\r\n" << c.line << "\r\n";
    FakeSystem ports;
    GuiDriver gui(PathsIn(dir), ports.Discovery());
    SettleStartUp();
    if (*c.told == '\0') {
      EXPECT_TRUE(gui.boxes.empty()) << Joined(gui.boxes);
      EXPECT_EQ(gui.window->StatusText(), "Ready");
      continue;
    }
    ASSERT_EQ(gui.boxes.size(), 1u) << Joined(gui.boxes);
    EXPECT_NE(gui.boxes[0].text.find(dir / "TVR.ini"), std::string::npos);
    EXPECT_NE(gui.boxes[0].text.find(c.told), std::string::npos) << gui.boxes[0].text;
    EXPECT_TRUE(gui.window->StatusText().contains(QString::fromUtf8(c.line)));
  }
}

TEST(StartUp, AUnitsListLeftEmptyInSoftwareOptionsStartsAgainWithoutAWord) {
  TempDir dir;
  std::ofstream(dir / "TVR.ini") << "[MAIN]\r\nUnits=5\r\n";
  FakeSystem ports;
  {
    GuiDriver gui(PathsIn(dir), ports.Discovery());
    QComboBox* units = nullptr;
    gui.fillDialog = [&](QDialog& dialog) {
      units = dialog.findChild<QComboBox*>("units");
      EXPECT_EQ(units->currentIndex(), -1) << "only indices 0 and 1 are offered";
      dialog.findChild<QPushButton*>("ok")->click();
      return dialog.result();
    };
    ASSERT_TRUE(gui.Press("softwareOptions"));
    ASSERT_NE(units, nullptr);
  }
  EXPECT_EQ(LoadSettings(dir / "TVR.ini", 0).units, -1);
  GuiDriver again(PathsIn(dir), ports.Discovery());
  SettleStartUp();
  EXPECT_TRUE(again.boxes.empty()) << Joined(again.boxes);
  EXPECT_EQ(again.window->AppSettings().units, -1);
}

TEST(DataFolder, TheFolderChosenInSoftwareOptionsIsUsedAtOnceAndAtTheNextStart) {
  TempDir dir;
  const auto chosen = dir.Path() / "Tracks";
  std::filesystem::create_directories(chosen);
  const TrackPoint first = Point(24, 5, 1, 8, 0, 0);
  WriteTrackFile((chosen / "20240501_080000.bt0").string(), Header(first, 1, 0, 0), {first});
  FakeSystem ports;
  {
    GuiDriver gui(PathsIn(dir), ports.Discovery());
    EXPECT_EQ(gui.window->Store().DataFolder(), (dir.Path() / "DataLog").string());
    gui.fillDialog = ChooseFolder(chosen.string());
    ASSERT_TRUE(gui.Press("softwareOptions"));
    EXPECT_EQ(gui.window->Store().DataFolder(), chosen.string());
    EXPECT_EQ(gui.window->DeviceTab()->TrackList().RowCount(), 1)
        << "the page lists the new folder";
    EXPECT_TRUE(gui.boxes.empty()) << Joined(gui.boxes);
  }
  EXPECT_EQ(LoadSettings(dir / "TVR.ini", 0).userDataPath, chosen.string());
  GuiDriver again(PathsIn(dir), ports.Discovery());
  EXPECT_EQ(again.window->Store().DataFolder(), chosen.string());
}

TEST(DataFolder, AFolderThatCannotKeepTracksIsRefusedInTheDialogWithTheReason) {
  TempDir dir;
  std::ofstream(dir / "file") << "not a folder";
  FakeSystem ports;
  GuiDriver gui(PathsIn(dir), ports.Discovery());
  bool accepted = true;
  gui.fillDialog = [&](QDialog& dialog) {
    ChooseFolder(dir / "file/Tracks")(dialog);
    accepted = dialog.result() == QDialog::Accepted;
    return dialog.result();
  };
  ASSERT_TRUE(gui.Press("softwareOptions"));
  EXPECT_FALSE(accepted) << "the dialog stays open";
  ASSERT_EQ(gui.boxes.size(), 1u);
  EXPECT_NE(gui.boxes[0].text.find("Cannot use the data folder " + dir / "file/Tracks" +
                                   ": Not a directory"),
            std::string::npos)
      << gui.boxes[0].text;
  EXPECT_EQ(gui.window->Store().DataFolder(), (dir.Path() / "DataLog").string());
  EXPECT_FALSE(std::filesystem::exists(dir / "TVR.ini")) << "nothing saved";
}

TEST(DataFolder, AnUnusableFolderAtStartOpensSoftwareOptionsToChooseAnother) {
  TempDir dir;
  std::ofstream(dir / "DataLog") << "a file where the folder should be";
  FakeSystem ports;
  GuiDriver gui(PathsIn(dir), ports.Discovery());
  gui.fillDialog = ChooseFolder(dir / "Tracks");
  SettleStartUp();
  ASSERT_EQ(gui.boxes.size(), 1u) << Joined(gui.boxes);
  EXPECT_NE(gui.boxes[0].text.find("Cannot use the data folder"), std::string::npos);
  EXPECT_NE(gui.boxes[0].text.find("Software Options opens now"), std::string::npos);
  EXPECT_EQ(gui.dialogsRun, 1);
  EXPECT_EQ(gui.window->Store().DataFolder(), (dir.Path() / "Tracks").string());
  EXPECT_TRUE(std::filesystem::is_directory(dir / "Tracks"));
}

TEST(DataFolder, BadTrackFilesAreToldOnceEachInOneBoxNotAtEveryTabSwitch) {
  TempDir dir;
  std::filesystem::create_directories(dir.Path() / "DataLog");
  for (int i = 0; i < 10; ++i) {
    std::ofstream(dir / ("DataLog/2024050" + std::to_string(i) + "_080000.bt0"))
        << "no track " << i;
  }
  const TrackPoint first = Point(24, 6, 1, 8, 0, 0);
  WriteTrackFile(dir / "DataLog/20240601_080000.bt0", Header(first, 1, 0, 0), {first});
  FakeSystem ports;
  GuiDriver gui(PathsIn(dir), ports.Discovery());
  SettleStartUp();
  ASSERT_EQ(gui.boxes.size(), 1u) << Joined(gui.boxes);
  const std::string& told = gui.boxes[0].text;
  EXPECT_EQ(told.rfind("10 track files cannot be used as they are:", 0), 0u) << told;
  for (int i = 0; i < 10; ++i) {
    EXPECT_NE(told.find("2024050" + std::to_string(i) + "_080000.bt0: "), std::string::npos) << i;
  }
  EXPECT_TRUE(gui.window->StatusText().startsWith("10 track files in "));
  auto* tabs = gui.window->findChild<QTabWidget*>("tabs");
  for (int i = 0; i < 4; ++i) {
    tabs->setCurrentIndex(i % 2 == 0 ? 1 : 0);
    SettleStartUp();
  }
  EXPECT_EQ(gui.boxes.size(), 1u) << "the same files are not told again:\n" << Joined(gui.boxes);
  EXPECT_EQ(gui.window->RecordTab()->Listing().tracks.size(), 1u) << "the good track is listed";
}

TEST(DataFolder, TheGoogleEarthPathIsShownButCannotBeChanged) {
  TempDir dir;
  FakeSystem ports;
  GuiDriver gui(PathsIn(dir), ports.Discovery());
  bool pathEnabled = true, browseEnabled = true;
  gui.fillDialog = [&](QDialog& dialog) {
    pathEnabled = dialog.findChild<QLineEdit*>("googleEarthPath")->isEnabled();
    browseEnabled = dialog.findChild<QPushButton*>("browseProgram")->isEnabled();
    return static_cast<int>(QDialog::Rejected);
  };
  ASSERT_TRUE(gui.Press("softwareOptions"));
  EXPECT_FALSE(pathEnabled);
  EXPECT_FALSE(browseEnabled);
}

}  // namespace
}  // namespace tavrin::test
