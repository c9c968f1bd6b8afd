#include "app/settings.h"

#include <ctime>
#include <system_error>

#include "app/ini_file.h"

namespace tavrin {
namespace {

constexpr char kMain[] = "MAIN";
constexpr char kProgram[] = "PROGRAM";
constexpr size_t kTextLimit = 255;  // characters kept of a text value

// Cuts to at most `limit` characters without splitting a UTF-8 sequence.
std::string Limit(const std::string& text, size_t limit) {
  size_t characters = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (characters++ == limit) return text.substr(0, i);
  }
  return text;
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

Settings LoadSettings(const std::filesystem::path& file, int systemOffsetMinutes) {
  const IniFile ini = IniFile::Load(file);
  Settings s;
  s.saveSpeed = ini.GetInt(kMain, "SaveSpeed", 12);
  s.saveTime = ini.GetInt(kMain, "SaveTime", 1);
  s.saveDistance = ini.GetInt(kMain, "SaveDistance", 100);
  s.localTime = ini.GetInt(kMain, "LocalTime", -1);
  s.localTimeOffset = ini.GetInt(kMain, "LocalTimeOffset", systemOffsetMinutes);
  s.daylightSaving = ini.GetInt(kMain, "Daylightsaving", 0);
  s.language = ini.GetInt(kMain, "Language", 0);
  s.units = ini.GetInt(kMain, "Units", 0);
  s.userDataPath = Limit(ini.GetString(kProgram, "UserDataPath", ""), kTextLimit);
  s.googleEarthPath = Limit(ini.GetString(kProgram, "GoogleEarthPath", ""), kTextLimit);
  s.googleMapLicense = Limit(ini.GetString(kProgram, "GoogleMapLicense", ""), kTextLimit);
  return s;
}

bool SaveSettings(const std::filesystem::path& file, const Settings& s) {
  std::error_code error;
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), error);
  IniFile ini = IniFile::Load(file);
  ini.Set(kMain, "LocalTime", std::to_string(s.localTime));
  ini.Set(kMain, "LocalTimeOffset", std::to_string(s.localTimeOffset));
  ini.Set(kMain, "Daylightsaving", std::to_string(s.daylightSaving));
  ini.Set(kMain, "Language", std::to_string(s.language));
  ini.Set(kMain, "Units", std::to_string(s.units));
  ini.Set(kProgram, "UserDataPath", s.userDataPath);
  ini.Set(kProgram, "GoogleEarthPath", s.googleEarthPath);
  ini.Set(kProgram, "GoogleMapLicense", s.googleMapLicense);
  return ini.Save(file);
}

}  // namespace tavrin
