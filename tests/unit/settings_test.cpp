// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <fstream>

#include "settings/app_paths.h"
#include "settings/ini_file.h"
#include "test_support.h"

namespace tavrin {
namespace {

std::string ReadText(const std::string& path) {
  const auto bytes = test::ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

TEST(SettingsFile, MissingFileGivesDefaultsAndTheSystemOffset) {
  test::TempDir dir;
  const Settings s = LoadSettings(dir / "TVR.ini", 540);
  EXPECT_EQ(s.saveSpeed, 12);
  EXPECT_EQ(s.saveTime, 1);
  EXPECT_EQ(s.saveDistance, 100);
  EXPECT_EQ(s.localTime, -1);
  EXPECT_EQ(s.localTimeOffset, 540);
  EXPECT_EQ(s.daylightSaving, 0);
  EXPECT_EQ(s.StoreOffset(), (TimeZoneOffset{9, 0}));
  EXPECT_TRUE(s.googleMapLicense.empty());
}

TEST(SettingsFile, NegativeOffsetsAndDaylightSavingSplitByFloor) {
  test::TempDir dir;
  std::ofstream(dir / "TVR.ini") << "[MAIN]\r\nLocalTimeOffset=-300\r\nDaylightsaving=1\r\n";
  EXPECT_EQ(LoadSettings(dir / "TVR.ini", 0).StoreOffset(), (TimeZoneOffset{-4, 0}));
  std::ofstream(dir / "TVR.ini") << "[main]\nlocaltimeoffset = -210\n";
  const Settings s = LoadSettings(dir / "TVR.ini", 0);
  EXPECT_EQ(s.StoreOffset(), (TimeZoneOffset{-4, 30}));
  EXPECT_EQ(s.StoreOffset().TotalMinutes(), -210);
}

TEST(SettingsFile, MissingKeysFallBackOneByOne) {
  test::TempDir dir;
  std::ofstream(dir / "TVR.ini") << "[MAIN]\nSaveSpeed=30\nUnits=abc\n[PROGRAM]\n"
                                    "GoogleMapLicense=\"key with spaces\"\n";
  const Settings s = LoadSettings(dir / "TVR.ini", 60);
  EXPECT_EQ(s.saveSpeed, 30);
  EXPECT_EQ(s.saveTime, 1);
  EXPECT_EQ(s.units, 0);  // not a number
  EXPECT_EQ(s.localTimeOffset, 60);
  EXPECT_EQ(s.googleMapLicense, "key with spaces");
}

// A hand-edited value that is not a whole decimal number in its range gives the default and a
// warning that names it; a good value gives no warning.
TEST(SettingsFile, ValuesOutsideTheirRangeGiveTheDefaultAndAWarning) {
  struct Case {
    const char* line;
    int Settings::*field;
    int expected;
    const char* warning;  // empty: none
  };
  const Case cases[] = {
      {"LocalTimeOffset=10000", &Settings::localTimeOffset, 540,
       "LocalTimeOffset=10000 is not a whole number from -720 to 840; 540 is used instead."},
      {"LocalTimeOffset=-721", &Settings::localTimeOffset, 540, "LocalTimeOffset=-721"},
      {"LocalTimeOffset=841", &Settings::localTimeOffset, 540, "LocalTimeOffset=841"},
      {"LocalTimeOffset=-720", &Settings::localTimeOffset, -720, ""},
      {"LocalTimeOffset=840", &Settings::localTimeOffset, 840, ""},
      {"LocalTimeOffset=330", &Settings::localTimeOffset, 330, ""},
      {"LocalTimeOffset=99999999999", &Settings::localTimeOffset, 540, "99999999999"},
      {"Daylightsaving=1x", &Settings::daylightSaving, 0,
       "Daylightsaving=1x is not a whole number from 0 to 1; 0 is used instead."},
      {"Daylightsaving=2", &Settings::daylightSaving, 0, "Daylightsaving=2"},
      {"Daylightsaving=0x1", &Settings::daylightSaving, 0, "Daylightsaving=0x1"},
      {"Daylightsaving=", &Settings::daylightSaving, 0, "Daylightsaving="},
      {"Daylightsaving= 1 ", &Settings::daylightSaving, 1, ""},
      {"Daylightsaving=+1", &Settings::daylightSaving, 1, ""},
      {"SaveSpeed=300", &Settings::saveSpeed, 12,
       "SaveSpeed=300 is not a whole number from 0 to 255"},
      {"SaveSpeed=1.5", &Settings::saveSpeed, 12, "SaveSpeed=1.5"},
      {"SaveDistance=65535", &Settings::saveDistance, 65535, ""},
      {"LocalTime=-2", &Settings::localTime, -1, "LocalTime=-2 is not a whole number from -1 up"},
      {"Units=abc", &Settings::units, 0, "Units=abc"},
      // The options dialog writes -1 for a list it left without a selection.
      {"Units=-1", &Settings::units, -1, ""},
      {"Language=-1", &Settings::language, -1, ""},
      {"Language=-2", &Settings::language, 0, "Language=-2 is not a whole number from -1 up"},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    std::ofstream(dir / "TVR.ini") << "[MAIN]\r\n" << c.line << "\r\n";
    std::vector<std::string> warnings;
    const Settings s = LoadSettings(dir / "TVR.ini", 540, warnings);
    EXPECT_EQ(s.*c.field, c.expected);
    if (*c.warning == '\0') {
      EXPECT_TRUE(warnings.empty()) << warnings.front();
    } else {
      ASSERT_EQ(warnings.size(), 1u);
      EXPECT_NE(warnings[0].find(c.warning), std::string::npos) << warnings[0];
    }
  }
}

TEST(SettingsFile, AnOutOfRangeOffsetNeverReachesTheStore) {
  test::TempDir dir;
  std::ofstream(dir / "TVR.ini") << "[MAIN]\nLocalTimeOffset=10000\nDaylightsaving=1x\n";
  std::vector<std::string> warnings;
  EXPECT_EQ(LoadSettings(dir / "TVR.ini", -300, warnings).StoreOffset(), (TimeZoneOffset{-5, 0}));
  EXPECT_EQ(warnings.size(), 2u);
}

TEST(SettingsFile, AMissingFileGivesNoWarning) {
  test::TempDir dir;
  std::vector<std::string> warnings;
  LoadSettings(dir / "TVR.ini", 0, warnings);
  std::filesystem::create_directory(dir / "folder.ini");
  LoadSettings(dir / "folder.ini", 0, warnings);
  EXPECT_TRUE(warnings.empty());
}

TEST(SettingsFile, SaveWritesItsKeysAndKeepsEveryOtherLine) {
  test::TempDir dir;
  const std::string file = dir / "TVR.ini";
  std::ofstream(file) << "; my settings\r\n[MAIN]\r\nSaveSpeed=25\r\nLocalTimeOffset=0\r\n\r\n"
                         "[Other]\r\nX=1\r\n";
  Settings s = LoadSettings(file, 0);
  s.localTime = 12;
  s.localTimeOffset = -210;
  s.daylightSaving = 1;
  s.userDataPath = "/home/me/tracks";
  s.googleMapLicense = "abc";
  ASSERT_TRUE(SaveSettings(file, s));
  EXPECT_EQ(ReadText(file),
            "; my settings\r\n[MAIN]\r\nSaveSpeed=25\r\nLocalTimeOffset=-210\r\nLocalTime=12\r\n"
            "Daylightsaving=1\r\nLanguage=0\r\nUnits=0\r\n\r\n[Other]\r\nX=1\r\n[PROGRAM]\r\n"
            "UserDataPath=/home/me/tracks\r\nGoogleEarthPath=\r\nGoogleMapLicense=abc\r\n");
  const Settings again = LoadSettings(file, 0);
  EXPECT_EQ(again.saveSpeed, 25);
  EXPECT_EQ(again.localTime, 12);
  EXPECT_EQ(again.StoreOffset(), (TimeZoneOffset{-3, 30}));
  EXPECT_EQ(again.userDataPath, "/home/me/tracks");
}

TEST(SettingsFile, SaveCreatesTheFileAndItsFolder) {
  test::TempDir dir;
  const std::string file = dir / "config/tavrin-lite/TVR.ini";
  ASSERT_TRUE(SaveSettings(file, Settings{}));
  const Settings s = LoadSettings(file, 99);
  EXPECT_EQ(s.localTimeOffset, 0);
  EXPECT_EQ(ReadText(file).substr(0, 8), "[MAIN]\r\n");
}

TEST(SettingsFile, ASaveThatCannotBeWrittenSaysWhereAndWhy) {
  test::TempDir dir;
  std::ofstream(dir / "in-the-way") << "a file where the folder should be";
  const auto saved = SaveSettings(dir / "in-the-way/TVR.ini", Settings{});
  ASSERT_FALSE(saved);
  EXPECT_EQ(saved.Error().systemError, ENOTDIR);
  EXPECT_EQ(
      saved.Error().reason.rfind(
          "Cannot save the settings file " + dir / "in-the-way/TVR.ini" + ": Not a directory.", 0),
      0u)
      << saved.Error().reason;
}

TEST(SettingsFile, LongTextValuesAreCutAt255Characters) {
  test::TempDir dir;
  std::ofstream(dir / "TVR.ini") << "[PROGRAM]\nUserDataPath=" << std::string(300, 'x') << "\n";
  EXPECT_EQ(LoadSettings(dir / "TVR.ini", 0).userDataPath.size(), 255u);
}

// The window's place is one key of its own: written alone as the window closes, kept by the
// Software Options' save, and a value the window cannot use reads as none.
TEST(SettingsFile, TheWindowGeometryIsWrittenAloneAndReadBack) {
  test::TempDir dir;
  const std::string file = dir / "TVR.ini";
  std::ofstream(file) << "[MAIN]\r\nSaveSpeed=25\r\n";
  EXPECT_FALSE(LoadSettings(file, 0).windowGeometry.has_value());
  ASSERT_TRUE(SaveWindowGeometry(file, WindowGeometry{-5, 40, 1000, 700}));
  EXPECT_EQ(ReadText(file), "[MAIN]\r\nSaveSpeed=25\r\nWindowGeometry=-5,40,1000,700\r\n");
  Settings s = LoadSettings(file, 0);
  EXPECT_EQ(s.windowGeometry, (WindowGeometry{-5, 40, 1000, 700}));
  s.units = 1;
  ASSERT_TRUE(SaveSettings(file, s));
  EXPECT_EQ(LoadSettings(file, 0).windowGeometry, (WindowGeometry{-5, 40, 1000, 700}));

  for (const char* bad : {"1,2,3", "1,2,3,4,5", "a,2,3,4", "1,2,0,4", "1,2,3,-4", "", "1,,3,4"}) {
    SCOPED_TRACE(bad);
    std::ofstream(file, std::ios::trunc) << "[MAIN]\nWindowGeometry=" << bad << "\n";
    std::vector<std::string> warnings;
    EXPECT_FALSE(LoadSettings(file, 0, warnings).windowGeometry.has_value());
    EXPECT_TRUE(warnings.empty()) << "the window writes a good value when it closes";
  }
}

// 12:00 UTC on 1 July and 15 January 2024.
constexpr long long kJuly2024 = 1719835200;
constexpr long long kJanuary2024 = 1705320000;

TEST(SettingsZone, WithoutAFileTheComputersZoneKeepsItsSummerTime) {
  test::TempDir dir;
  {
    test::ScopedTimeZone york("America/New_York");
    std::vector<std::string> warnings;
    const Settings s = LoadSettings(dir / "TVR.ini", SystemStandardOffsetMinutes(), warnings);
    EXPECT_EQ(s.localTimeOffset, -300);
    EXPECT_EQ(s.daylightSaving, 1) << "ticked for a zone with summer time";
    const LocalZone zone = ChooseLocalZone(s, "", warnings);
    EXPECT_EQ(zone.Name(), "America/New_York");
    EXPECT_EQ(zone.OffsetMinutesAt(kJuly2024), -240);
    EXPECT_EQ(zone.OffsetMinutesAt(kJanuary2024), -300);
    EXPECT_TRUE(warnings.empty());
  }
  test::ScopedTimeZone seoul("Asia/Seoul");
  const Settings s = LoadSettings(dir / "TVR.ini", SystemStandardOffsetMinutes());
  EXPECT_EQ(s.daylightSaving, 0) << "Seoul keeps no summer time";
  std::vector<std::string> warnings;
  EXPECT_EQ(ChooseLocalZone(s, "", warnings).Name(), "Asia/Seoul");
}

TEST(SettingsZone, AnOlderFileMeansTheZoneOfItsPlaceInTheList) {
  test::TempDir dir;
  std::ofstream(dir / "TVR.ini")
      << "[MAIN]\r\nLocalTime=87\r\nLocalTimeOffset=-300\r\nDaylightsaving=1\r\n";
  std::vector<std::string> warnings;
  const Settings s = LoadSettings(dir / "TVR.ini", 0, warnings);
  EXPECT_TRUE(s.timeZoneName.empty());
  const LocalZone listed = ChooseLocalZone(s, "America/Toronto", warnings);
  EXPECT_EQ(listed.Name(), "America/Toronto");
  EXPECT_EQ(listed.OffsetMinutesAt(kJanuary2024), -300) << "Daylightsaving=1: summer time applies";
  EXPECT_EQ(listed.OffsetMinutesAt(kJuly2024), -240);
  {
    // A list that changed since names a zone of another offset; the computer's zone has the
    // file's, and the command line, which cannot tell the list's zone, takes it too.
    test::ScopedTimeZone york("America/New_York");
    EXPECT_EQ(ChooseLocalZone(s, "Asia/Seoul", warnings).Name(), "America/New_York");
    EXPECT_EQ(ChooseLocalZone(s, "", warnings).Name(), "America/New_York");
  }
  // No zone has the file's offset: the offset and the daylight-saving hour all year, as before.
  const LocalZone asBefore = ChooseLocalZone(s, "Asia/Seoul", warnings);
  EXPECT_TRUE(asBefore.Name().empty());
  EXPECT_EQ(asBefore.OffsetMinutesAt(kJanuary2024), -240);
  EXPECT_EQ(asBefore.OffsetMinutesAt(kJuly2024), -240);
  EXPECT_TRUE(warnings.empty());
}

TEST(SettingsZone, TheSavedNameChoosesAndDaylightSavingZeroMeansStandardTimeAllYear) {
  test::TempDir dir;
  std::ofstream(dir / "TVR.ini") << "[MAIN]\nLocalTime=3\nLocalTimeOffset=60\nDaylightsaving=0\n"
                                    "TimeZoneName=Europe/Berlin\n";
  std::vector<std::string> warnings;
  Settings s = LoadSettings(dir / "TVR.ini", 0, warnings);
  EXPECT_EQ(s.timeZoneName, "Europe/Berlin");
  const LocalZone standard = ChooseLocalZone(s, "Asia/Seoul", warnings);
  EXPECT_EQ(standard.Name(), "Europe/Berlin");
  EXPECT_EQ(standard.OffsetMinutesAt(kJuly2024), 60);
  s.daylightSaving = 1;
  EXPECT_EQ(ChooseLocalZone(s, "", warnings).OffsetMinutesAt(kJuly2024), 120);
  EXPECT_TRUE(warnings.empty());

  // A file that does not say has summer time where the zone keeps it.
  std::ofstream(dir / "TVR.ini") << "[MAIN]\nTimeZoneName=Europe/Berlin\n";
  EXPECT_EQ(LoadSettings(dir / "TVR.ini", 0).daylightSaving, 1);
  std::ofstream(dir / "TVR.ini") << "[MAIN]\nTimeZoneName=Asia/Seoul\n";
  EXPECT_EQ(LoadSettings(dir / "TVR.ini", 0).daylightSaving, 0);
}

TEST(SettingsZone, ANameTheDatabaseLacksFallsBackToTheFilesOffsetWithAWarning) {
  test::TempDir dir;
  std::ofstream(dir / "TVR.ini") << "[MAIN]\nLocalTimeOffset=-300\nDaylightsaving=1\n"
                                    "TimeZoneName=America/Atlantis\n";
  std::vector<std::string> warnings;
  const LocalZone zone = ChooseLocalZone(LoadSettings(dir / "TVR.ini", 0), "", warnings);
  EXPECT_TRUE(zone.Name().empty());
  EXPECT_EQ(zone.OffsetMinutesAt(kJanuary2024), -240);
  EXPECT_EQ(warnings, std::vector<std::string>{
                          "TimeZoneName=America/Atlantis is no time zone this computer knows; "
                          "times are shown at UTC-04:00 all year. Choose the time zone again in "
                          "Software Options."});
}

TEST(SettingsZone, SaveKeepsTheZonesNameBesideTheOlderKeys) {
  test::TempDir dir;
  const std::string file = dir / "TVR.ini";
  std::ofstream(file) << "[MAIN]\r\nSaveSpeed=25\r\n";
  Settings s = LoadSettings(file, 0);
  s.localTime = 4;
  s.localTimeOffset = -210;
  s.daylightSaving = 1;
  s.timeZoneName = "America/St_Johns";
  ASSERT_TRUE(SaveSettings(file, s));
  const std::string main =
      "[MAIN]\r\nSaveSpeed=25\r\nLocalTime=4\r\nLocalTimeOffset=-210\r\nDaylightsaving=1\r\n"
      "TimeZoneName=America/St_Johns\r\nLanguage=0\r\n";
  EXPECT_EQ(ReadText(file).substr(0, main.size()), main);
  const Settings again = LoadSettings(file, 0);
  EXPECT_EQ(again.timeZoneName, "America/St_Johns");
  EXPECT_EQ(again.localTime, 4);
  std::vector<std::string> warnings;
  EXPECT_EQ(ChooseLocalZone(again, "", warnings).Name(), "America/St_Johns");
}

TEST(SystemOffset, IsTheStandardOffsetEvenInSummer) {
  {
    test::ScopedTimeZone zone("Asia/Seoul");
    EXPECT_EQ(SystemStandardOffsetMinutes(), 540);
  }
  {
    test::ScopedTimeZone zone("America/St_Johns");
    EXPECT_EQ(SystemStandardOffsetMinutes(), -210);
  }
  {
    test::ScopedTimeZone zone("Australia/Sydney");
    EXPECT_EQ(SystemStandardOffsetMinutes(), 600);
  }
}

TEST(AppPaths, BesideTheProgramWhenWritableElseXdg) {
  test::TempDir dir;
  const AppPaths beside = ResolveAppPaths(dir.Path(), "/home/u", "", "");
  EXPECT_EQ(beside.dataFolder, dir.Path() / "DataLog");
  EXPECT_EQ(beside.settingsFile, dir.Path() / "TVR.ini");

  const auto readOnly = dir.Path() / "no-such-folder";
  const AppPaths xdg = ResolveAppPaths(readOnly, "/home/u", "", "relative/ignored");
  EXPECT_EQ(xdg.dataFolder, std::filesystem::path("/home/u/.local/share/tavrin-lite/DataLog"));
  EXPECT_EQ(xdg.settingsFile, std::filesystem::path("/home/u/.config/tavrin-lite/TVR.ini"));
  const AppPaths custom = ResolveAppPaths(readOnly, "/home/u", "/data", "/conf");
  EXPECT_EQ(custom.dataFolder, std::filesystem::path("/data/tavrin-lite/DataLog"));
  EXPECT_EQ(custom.settingsFile, std::filesystem::path("/conf/tavrin-lite/TVR.ini"));

  // An installed program's folder is the system's, writable or not (root may write to /usr/bin).
  std::filesystem::create_directories(dir.Path() / "usr/bin");
  std::filesystem::create_directories(dir.Path() / "usr/share/tavrin-lite/kml_icons");
  const AppPaths installed = ResolveAppPaths(dir.Path() / "usr/bin", "/home/u", "", "");
  EXPECT_EQ(installed.dataFolder,
            std::filesystem::path("/home/u/.local/share/tavrin-lite/DataLog"));
  EXPECT_EQ(ResourceFolder(dir.Path() / "usr/bin"), dir.Path() / "usr/share/tavrin-lite");
}

}  // namespace
}  // namespace tavrin
