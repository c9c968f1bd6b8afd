// The user's settings, kept in TVR.ini beside the program.
#pragma once

#include <filesystem>
#include <string>

#include "store/savelog.h"

namespace tavrin {

struct Settings {
  // [MAIN]
  int saveSpeed = 12;       // km/h, read only: a user may set it by hand
  int saveTime = 1;         // seconds, read only
  int saveDistance = 100;   // metres, read only
  int localTime = -1;       // index of the chosen time zone, -1 for none
  int localTimeOffset = 0;  // minutes east of UTC
  int daylightSaving = 0;   // 1 adds an hour
  int language = 0;
  int units = 0;
  // [PROGRAM]
  std::string userDataPath;
  std::string googleEarthPath;
  std::string googleMapLicense;

  // The offset the track store applies: LocalTimeOffset plus the daylight-saving hour.
  TimeZoneOffset StoreOffset() const;
};

// The host's standard (not daylight-saving) offset from UTC in minutes, east positive.
int SystemStandardOffsetMinutes();

// Missing file, section or key: the default. `systemOffsetMinutes` is the default of
// LocalTimeOffset.
Settings LoadSettings(const std::filesystem::path& file, int systemOffsetMinutes);
inline Settings LoadSettings(const std::filesystem::path& file) {
  return LoadSettings(file, SystemStandardOffsetMinutes());
}

// Writes the keys the Software Options dialog changes and leaves every other line alone.
bool SaveSettings(const std::filesystem::path& file, const Settings& settings);

}  // namespace tavrin
