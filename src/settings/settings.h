// SPDX-License-Identifier: GPL-3.0-or-later
// The user's settings, kept in TVR.ini beside the program.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "store/local_zone.h"
#include "store/track_point.h"

namespace tavrin {

// Where the main window stood when it was last closed: the top-left corner of its frame and the
// size inside the frame, in the desktop's pixels.
struct WindowGeometry {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const WindowGeometry&, const WindowGeometry&) = default;
};

struct Settings {
  // [MAIN]
  int saveSpeed = 12;       // km/h, read only: a user may set it by hand
  int saveTime = 1;         // seconds, read only
  int saveDistance = 100;   // metres, read only
  int localTime = -1;       // index of the chosen time zone, -1 for none
  int localTimeOffset = 0;  // minutes east of UTC: the chosen zone's standard offset
  // 1: the zone's summer time applies; 0: its standard offset all year. Files that do not say
  // get 1 for a zone that keeps summer time.
  int daylightSaving = 0;
  // The chosen zone's name in the time-zone database ("Europe/Berlin"); empty in files written
  // before zones were kept by name, and before a zone was chosen.
  std::string timeZoneName;
  int language = 0;  // index in Software Options' Language list
  // The file has a Language: without one, the window speaks the desktop's language.
  bool languageInFile = false;
  int units = 0;  // 0: metric, 1: imperial
  // WindowGeometry=x,y,width,height; empty before the window was first closed, and for a value
  // that is not four whole numbers with a size above zero (the window then opens at its default
  // place and size, and writes a good value when it closes, so there is nothing to tell).
  std::optional<WindowGeometry> windowGeometry;
  // [PROGRAM]
  std::string userDataPath;
  std::string googleEarthPath;
  std::string googleMapLicense;
  // ReadOnArrival=1: the window reads a logger's new tracks as soon as it is plugged in.
  bool readOnArrival = false;

  // LocalTimeOffset plus the daylight-saving hour: the one offset all year that a zone without
  // a name stands for.
  TimeZoneOffset StoreOffset() const;
};

// The offsets of the world's time zones run from UTC-12:00 to UTC+14:00. A LocalTimeOffset
// outside them is a typing error, and would put times days away from the logger's.
constexpr int kMinLocalTimeOffset = -12 * 60;
constexpr int kMaxLocalTimeOffset = 14 * 60;

// The host's standard (not daylight-saving) offset from UTC in minutes, east positive.
int SystemStandardOffsetMinutes();

// Missing file, section or key: the default, silently. `systemOffsetMinutes` is the default of
// LocalTimeOffset; Daylightsaving's is 1 when the zone of TimeZoneName (without one, the
// computer's own zone) keeps summer time. A value that is not a whole decimal number, or lies
// outside its range, gives the default too, and a warning in `warnings` that names the key, the
// value and what is used.
Settings LoadSettings(const std::filesystem::path& file, int systemOffsetMinutes,
                      std::vector<std::string>& warnings);
inline Settings LoadSettings(const std::filesystem::path& file, int systemOffsetMinutes) {
  std::vector<std::string> ignored;
  return LoadSettings(file, systemOffsetMinutes, ignored);
}
inline Settings LoadSettings(const std::filesystem::path& file) {
  return LoadSettings(file, SystemStandardOffsetMinutes());
}

// The zone the track store shows times in:
// - TimeZoneName, when the time-zone database knows it (else, with a warning, StoreOffset()
//   all year);
// - without a name (no file, or one written before zones were kept by name): `listedZone`, the
//   zone the file's LocalTime picks in the Software Options list when the caller can tell (empty
//   when not), or else the computer's own zone, whichever has LocalTimeOffset as its standard
//   offset today;
// - otherwise StoreOffset() all year, as such a file was always read.
// Daylightsaving says whether the zone's summer time applies.
LocalZone ChooseLocalZone(const Settings& settings, const std::string& listedZone,
                          std::vector<std::string>& warnings);

// Writes the keys the Software Options dialog changes and leaves every other line alone.
Result<void> SaveSettings(const std::filesystem::path& file, const Settings& settings);
// Writes WindowGeometry alone, as the window closes.
Result<void> SaveWindowGeometry(const std::filesystem::path& file, const WindowGeometry& geometry);

}  // namespace tavrin
