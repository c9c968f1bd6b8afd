// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/settings.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <system_error>

#include "settings/ini_file.h"
#include "store/utf8_text.h"

namespace tavrin {
namespace {

constexpr char kMain[] = "MAIN";
constexpr char kProgram[] = "PROGRAM";
constexpr size_t kTextLimit = 255;  // characters kept of a text value

// The integer keys and the values they may take.
struct IntKey {
  const char* name;
  int min;
  int max;
  const char* section = kMain;
};
constexpr IntKey kSaveSpeed{"SaveSpeed", 0, 255};  // the logger keeps km/h in a byte
constexpr IntKey kSaveTime{"SaveTime", 0, 255};    // seconds, a byte
constexpr IntKey kSaveDistance{"SaveDistance", 0, 65535};
constexpr IntKey kLocalTime{"LocalTime", -1, INT32_MAX};
constexpr IntKey kLocalTimeOffset{"LocalTimeOffset", kMinLocalTimeOffset, kMaxLocalTimeOffset};
constexpr IntKey kDaylightSaving{"Daylightsaving", 0, 1};
// The options dialog saves -1 for a list left without a selection; it reads back as "none".
constexpr IntKey kLanguage{"Language", -1, INT32_MAX};
constexpr IntKey kUnits{"Units", -1, INT32_MAX};
constexpr char kWindowGeometry[] = "WindowGeometry";
constexpr IntKey kReadOnArrival{"ReadOnArrival", 0, 1, kProgram};

std::string RangeText(const IntKey& key) {
  if (key.max == INT32_MAX) return "a whole number from " + std::to_string(key.min) + " up";
  return "a whole number from " + std::to_string(key.min) + " to " + std::to_string(key.max);
}

int ReadInt(const IniFile& ini, const IntKey& key, int fallback,
            std::vector<std::string>& warnings) {
  const auto text = ini.Get(key.section, key.name);
  if (!text) return fallback;
  const auto value = IniFile::ParseInt(*text);
  if (value && *value >= key.min && *value <= key.max) return *value;
  warnings.push_back(std::string(key.name) + "=" + *text + " is not " + RangeText(key) + "; " +
                     std::to_string(fallback) + " is used instead. Correct it in [" + key.section +
                     "].");
  return fallback;
}

// A file that does not say whether summer time applies gets it where the zone keeps one.
int DefaultDaylightSaving(const std::string& zoneName) {
  return ZoneHasSummerTime(zoneName.empty() ? SystemTimeZoneName() : zoneName) ? 1 : 0;
}

// "UTC+05:30", "UTC-04:00".
std::string OffsetText(int minutes) {
  const int magnitude = minutes < 0 ? -minutes : minutes;
  char text[16];
  std::snprintf(text, sizeof text, "UTC%c%02d:%02d", minutes < 0 ? '-' : '+', magnitude / 60,
                magnitude % 60);
  return text;
}

// "x,y,width,height": four whole numbers, the size above zero.
std::optional<WindowGeometry> ParseWindowGeometry(const std::string& text) {
  int numbers[4];
  size_t start = 0;
  for (int i = 0; i < 4; ++i) {
    const size_t comma = i < 3 ? text.find(',', start) : text.size();
    if (comma == std::string::npos) return std::nullopt;
    const auto number = IniFile::ParseInt(text.substr(start, comma - start));
    if (!number) return std::nullopt;
    numbers[i] = *number;
    start = comma + 1;
  }
  if (numbers[2] <= 0 || numbers[3] <= 0) return std::nullopt;
  return WindowGeometry{numbers[0], numbers[1], numbers[2], numbers[3]};
}

std::string WindowGeometryText(const WindowGeometry& g) {
  return std::to_string(g.x) + "," + std::to_string(g.y) + "," + std::to_string(g.width) + "," +
         std::to_string(g.height);
}

}  // namespace

TimeZoneOffset Settings::StoreOffset() const {
  return TimeZoneOffset::FromMinutes(localTimeOffset + 60 * daylightSaving);
}

int SystemStandardOffsetMinutes() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  if (local.tm_isdst <= 0) return static_cast<int>(local.tm_gmtoff / 60);
  // Summer time now: take the offset of whichever half of the year has none.
  for (int month : {0, 6}) {
    std::tm probe{};
    probe.tm_year = local.tm_year;
    probe.tm_mon = month;
    probe.tm_mday = 1;
    probe.tm_hour = 12;
    probe.tm_isdst = -1;
    const std::time_t t = std::mktime(&probe);
    std::tm back{};
    localtime_r(&t, &back);
    if (back.tm_isdst == 0) return static_cast<int>(back.tm_gmtoff / 60);
  }
  return static_cast<int>(local.tm_gmtoff / 60) - 60;
}

Settings LoadSettings(const std::filesystem::path& file, int systemOffsetMinutes,
                      std::vector<std::string>& warnings) {
  const IniFile ini = IniFile::Load(file);
  Settings s;
  s.saveSpeed = ReadInt(ini, kSaveSpeed, 12, warnings);
  s.saveTime = ReadInt(ini, kSaveTime, 1, warnings);
  s.saveDistance = ReadInt(ini, kSaveDistance, 100, warnings);
  s.localTime = ReadInt(ini, kLocalTime, -1, warnings);
  s.localTimeOffset = ReadInt(ini, kLocalTimeOffset, systemOffsetMinutes, warnings);
  s.timeZoneName = CutToCharacters(ini.GetString(kMain, "TimeZoneName", ""), kTextLimit);
  s.daylightSaving = ReadInt(ini, kDaylightSaving, DefaultDaylightSaving(s.timeZoneName), warnings);
  s.language = ReadInt(ini, kLanguage, 0, warnings);
  s.languageInFile = ini.Get(kMain, kLanguage.name).has_value();
  s.units = ReadInt(ini, kUnits, 0, warnings);
  if (const auto geometry = ini.Get(kMain, kWindowGeometry)) {
    s.windowGeometry = ParseWindowGeometry(*geometry);
  }
  s.userDataPath = CutToCharacters(ini.GetString(kProgram, "UserDataPath", ""), kTextLimit);
  s.googleEarthPath = CutToCharacters(ini.GetString(kProgram, "GoogleEarthPath", ""), kTextLimit);
  s.googleMapLicense = CutToCharacters(ini.GetString(kProgram, "GoogleMapLicense", ""), kTextLimit);
  s.readOnArrival = ReadInt(ini, kReadOnArrival, 0, warnings) == 1;
  return s;
}

LocalZone ChooseLocalZone(const Settings& s, const std::string& listedZone,
                          std::vector<std::string>& warnings) {
  const bool summerTime = s.daylightSaving != 0;
  const LocalZone asBefore = LocalZone::Fixed(s.StoreOffset().TotalMinutes());
  if (!s.timeZoneName.empty()) {
    if (auto zone = LocalZone::Named(s.timeZoneName, summerTime)) return *zone;
    warnings.push_back("TimeZoneName=" + s.timeZoneName +
                       " is no time zone this computer knows; times are shown at " +
                       OffsetText(s.StoreOffset().TotalMinutes()) +
                       " all year. Choose the time zone again in Software Options.");
    return asBefore;
  }
  // An older file kept only the zone's place in the list and its standard offset. The zone it
  // meant has that offset; a list or a computer that changed since may name another.
  const long long now = std::time(nullptr);
  const std::string candidates[] = {s.localTime >= 0 ? listedZone : std::string(),
                                    SystemTimeZoneName()};
  for (const std::string& name : candidates) {
    if (name.empty()) continue;
    const auto zone = LocalZone::Named(name, summerTime);
    if (zone && zone->StandardOffsetMinutesAt(now) == s.localTimeOffset) return *zone;
  }
  return asBefore;
}

Result<void> SaveSettings(const std::filesystem::path& file, const Settings& s) {
  std::error_code error;
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), error);
  IniFile ini = IniFile::Load(file);
  ini.Set(kMain, "LocalTime", std::to_string(s.localTime));
  ini.Set(kMain, "LocalTimeOffset", std::to_string(s.localTimeOffset));
  ini.Set(kMain, "Daylightsaving", std::to_string(s.daylightSaving));
  if (!s.timeZoneName.empty()) ini.Set(kMain, "TimeZoneName", s.timeZoneName);
  ini.Set(kMain, "Language", std::to_string(s.language));
  ini.Set(kMain, "Units", std::to_string(s.units));
  ini.Set(kProgram, "UserDataPath", s.userDataPath);
  ini.Set(kProgram, "GoogleEarthPath", s.googleEarthPath);
  ini.Set(kProgram, "GoogleMapLicense", s.googleMapLicense);
  // A key of this program's own: written once it was turned on, so that a file that never used
  // it keeps the bytes it has always had.
  if (s.readOnArrival || ini.Get(kProgram, kReadOnArrival.name)) {
    ini.Set(kProgram, kReadOnArrival.name, s.readOnArrival ? "1" : "0");
  }
  return ini.Save(file);
}

Result<void> SaveWindowGeometry(const std::filesystem::path& file, const WindowGeometry& geometry) {
  std::error_code error;
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), error);
  IniFile ini = IniFile::Load(file);
  ini.Set(kMain, kWindowGeometry, WindowGeometryText(geometry));
  return ini.Save(file);
}

}  // namespace tavrin
