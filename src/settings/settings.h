// The user's settings, kept in TVR.ini beside the program.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "base/result.h"
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

// The offsets of the world's time zones run from UTC-12:00 to UTC+14:00. A LocalTimeOffset
// outside them is a typing error, and would put times days away from the logger's.
constexpr int kMinLocalTimeOffset = -12 * 60;
constexpr int kMaxLocalTimeOffset = 14 * 60;

// The host's standard (not daylight-saving) offset from UTC in minutes, east positive.
int SystemStandardOffsetMinutes();

// Missing file, section or key: the default, silently. `systemOffsetMinutes` is the default of
// LocalTimeOffset. A value that is not a whole decimal number, or lies outside its range, gives
// the default too, and a warning in `warnings` that names the key, the value and what is used.
Settings LoadSettings(const std::filesystem::path& file, int systemOffsetMinutes,
                      std::vector<std::string>& warnings);
inline Settings LoadSettings(const std::filesystem::path& file, int systemOffsetMinutes) {
  std::vector<std::string> ignored;
  return LoadSettings(file, systemOffsetMinutes, ignored);
}
inline Settings LoadSettings(const std::filesystem::path& file) {
  return LoadSettings(file, SystemStandardOffsetMinutes());
}

// Writes the keys the Software Options dialog changes and leaves every other line alone.
Result<void> SaveSettings(const std::filesystem::path& file, const Settings& settings);

}  // namespace tavrin
