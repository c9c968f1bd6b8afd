// SPDX-License-Identifier: GPL-3.0-or-later
// When a photo was taken: the camera's clock as the photo's EXIF holds it, the zone that clock
// was set to, and the correction for a clock that ran fast or slow, down to one UTC instant.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "base/result.h"
#include "store/local_zone.h"

namespace tavrin::photos {

// What the camera's clock showed: DateTimeOriginal with SubSecTimeOriginal, and the zone from
// OffsetTimeOriginal when the camera wrote one.
struct CameraTime {
  int year = 0;  // full year
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  double fraction = 0;               // of a second, from SubSecTimeOriginal
  std::optional<int> offsetMinutes;  // east of UTC, from OffsetTimeOriginal
};

// What the photo's metadata says that matters for tagging it.
struct PhotoFacts {
  std::optional<CameraTime> time;  // empty when the photo has no DateTimeOriginal
  bool hasPosition = false;        // its GPS block holds a position, not a placeholder
  bool isJpeg = false;             // written in place; other formats get a sidecar
};

// Reads the photo's EXIF with exiv2. Fails, naming the file, when exiv2 cannot read it as an
// image.
Result<PhotoFacts> ReadPhotoFacts(const std::string& path);
// The same over the bytes of a whole file (the fuzz target's way in).
Result<PhotoFacts> ReadPhotoFacts(std::span<const uint8_t> bytes);

// The three EXIF texts taken apart: "2024:05:01 12:30:05", "25" (hundredths), "+02:00". Empty
// when the date-time is not one the calendar has; a sub-second or offset text that cannot be
// read is left out.
std::optional<CameraTime> ParseCameraTime(const std::string& dateTime, const std::string& subSec,
                                          const std::string& offset);

// Seconds since 1970-01-01 00:00:00 of a date and time, counted as if it were UTC.
long long CivilSeconds(int year, int month, int day, int hour, int minute, int second);
// "2024-05-01T10:30:05Z", with tenths or hundredths when the time has them.
std::string FormatUtc(double utcSeconds);

// The UTC instant a clock in `zone` showed `localSeconds` (CivilSeconds of what it showed). In
// the hour repeated when summer time ends the earlier instant is taken; a time that the change
// to summer time skipped is read with the offset in force before the change.
long long LocalToUtcSeconds(long long localSeconds, const LocalZone& zone);

// The UTC instant of the camera time: its own offset when the photo has one, else `cameraZone`.
// The clock's error is not corrected here.
double CameraTimeToUtc(const CameraTime& time, const LocalZone& cameraZone);

// "+00:01:30", "-00:00:05", "+01:00:00": the seconds added to the camera's time to get the true
// time (a camera 90 s slow needs +00:01:30). Empty with the reason in `why` otherwise.
std::optional<double> ParseClockOffset(const std::string& text, std::string& why);

// "2024-05-01 12:30:05" (or with 'T'), the true time a photo was taken in `zone`, with an
// optional "Z" or "+02:00" at the end that names its offset instead. Empty with `why` otherwise.
std::optional<double> ParseTrueTime(const std::string& text, const LocalZone& zone,
                                    std::string& why);

// The seconds to add to the camera's times, from a photo whose true time the user knows (a photo
// of the logger's or a phone's clock): `trueUtc` less what the camera said.
Result<double> ClockOffsetFromPhoto(const std::string& path, double trueUtc,
                                    const LocalZone& cameraZone);

// "+HH:MM" or "-HH:MM" as minutes east of UTC (the form of OffsetTimeOriginal and of --zone).
std::optional<int> ParseUtcOffset(const std::string& text);

// The zone a camera's clock was set to, as the user names it: a zone of the database
// ("Europe/Berlin"), "UTC", or a fixed "+HH:MM". Empty for anything else.
std::optional<LocalZone> ParseCameraZone(const std::string& text);

// The zone the true time of a clock photo is read in: the photo's own OffsetTimeOriginal when it
// has one, else the camera's zone.
LocalZone ClockPhotoZone(const std::string& path, const LocalZone& cameraZone);

}  // namespace tavrin::photos
