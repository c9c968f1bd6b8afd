#include "app/settings.h"

#include <gtest/gtest.h>

#include <fstream>

#include "app/app_paths.h"
#include "app/ini_file.h"
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

TEST(SettingsFile, LongTextValuesAreCutAt255Characters) {
  test::TempDir dir;
  std::ofstream(dir / "TVR.ini") << "[PROGRAM]\nUserDataPath=" << std::string(300, 'x') << "\n";
  EXPECT_EQ(LoadSettings(dir / "TVR.ini", 0).userDataPath.size(), 255u);
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
}

}  // namespace
}  // namespace tavrin
