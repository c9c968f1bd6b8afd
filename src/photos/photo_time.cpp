// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/photo_time.h"

#include <cmath>
#include <cstdio>
#include <regex>

#include "base/civil_date.h"
#include "photos/exiv2_access.h"
#include "photos/photo_tags.h"

namespace tavrin::photos {
namespace {

bool AllDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

bool IsCalendarDay(int year, int month, int day) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

std::string ExifText(const Exiv2::ExifData& exif, const char* key) {
  const auto found = exif.findKey(Exiv2::ExifKey(key));
  if (found == exif.end()) return {};
  std::string text = found->toString();
  // Cameras pad these fields with spaces or NULs.
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
  return text;
}

PhotoFacts FactsOf(const Exiv2::ExifData& exif) {
  PhotoFacts facts;
  facts.time = ParseCameraTime(ExifText(exif, "Exif.Photo.DateTimeOriginal"),
                               ExifText(exif, "Exif.Photo.SubSecTimeOriginal"),
                               ExifText(exif, "Exif.Photo.OffsetTimeOriginal"));
  facts.hasPosition = ExifPosition(exif).has_value();
  return facts;
}

Result<PhotoFacts> ReadFacts(const std::string& name, const OpenImageFn& open) {
  SilenceExiv2();
  try {
    auto image = open();
    if (!image.get()) return Failure{name + " cannot be read as a photo."};
    image->readMetadata();
    PhotoFacts facts = FactsOf(image->exifData());
    facts.isJpeg = image->imageType() == Exiv2::ImageType::jpeg;
    return facts;
  } catch (const Exiv2::AnyError& error) {
    return Failure{name + " cannot be read as a photo (" + error.what() +
                   "); it is left as it is."};
  } catch (const std::exception& error) {
    return Failure{name + " cannot be read as a photo (" + error.what() +
                   "); it is left as it is."};
  }
}

}  // namespace

Result<PhotoFacts> ReadPhotoFacts(const std::string& path) {
  return ReadFacts(path, [&path] { return Exiv2::ImageFactory::open(path); });
}

Result<PhotoFacts> ReadPhotoFacts(std::span<const uint8_t> bytes) {
  return ReadFacts("the photo", [bytes] {
    return Exiv2::ImageFactory::open(bytes.data(), static_cast<long>(bytes.size()));
  });
}

Result<double> ClockOffsetFromPhoto(const std::string& path, double trueUtc,
                                    const LocalZone& cameraZone) {
  auto facts = ReadPhotoFacts(path);
  if (!facts) return facts.Error();
  if (!facts->time) {
    return Failure{"the clock photo " + path +
                   " has no capture time (DateTimeOriginal); choose a photo from the camera "
                   "or give --offset instead"};
  }
  return trueUtc - CameraTimeToUtc(*facts->time, cameraZone);
}

std::optional<LocalZone> ParseCameraZone(const std::string& text) {
  if (text == "UTC") return LocalZone();
  if (const auto minutes = ParseUtcOffset(text)) return LocalZone::Fixed(*minutes);
  if (IsTimeZoneName(text)) return LocalZone::Named(text, true);
  return std::nullopt;
}

LocalZone ClockPhotoZone(const std::string& path, const LocalZone& cameraZone) {
  const auto facts = ReadPhotoFacts(path);
  return facts && facts->time && facts->time->offsetMinutes
             ? LocalZone::Fixed(*facts->time->offsetMinutes)
             : cameraZone;
}

std::optional<int> ParseUtcOffset(const std::string& text) {
  static const std::regex kOffset(R"(([+-])(\d\d):(\d\d))");
  std::smatch parts;
  if (!std::regex_match(text, parts, kOffset)) return std::nullopt;
  const int hours = std::stoi(parts[2]);
  const int minutes = std::stoi(parts[3]);
  if (hours > 14 || minutes > 59) return std::nullopt;
  const int total = hours * 60 + minutes;
  return parts[1] == "-" ? -total : total;
}

std::optional<CameraTime> ParseCameraTime(const std::string& dateTime, const std::string& subSec,
                                          const std::string& offset) {
  static const std::regex kDateTime(R"((\d{4}):(\d\d):(\d\d) (\d\d):(\d\d):(\d\d))");
  std::smatch parts;
  if (!std::regex_match(dateTime, parts, kDateTime)) return std::nullopt;
  CameraTime time;
  time.year = std::stoi(parts[1]);
  time.month = std::stoi(parts[2]);
  time.day = std::stoi(parts[3]);
  time.hour = std::stoi(parts[4]);
  time.minute = std::stoi(parts[5]);
  time.second = std::stoi(parts[6]);
  if (!IsCalendarDay(time.year, time.month, time.day) || time.hour > 23 || time.minute > 59 ||
      time.second > 59) {
    return std::nullopt;
  }
  // SubSecTimeOriginal holds the digits after the decimal point: "5" is 0.5 s, "050" 0.05 s.
  if (AllDigits(subSec) && subSec.size() <= 9) time.fraction = std::stod("0." + subSec);
  time.offsetMinutes = ParseUtcOffset(offset);
  return time;
}

long long CivilSeconds(int year, int month, int day, int hour, int minute, int second) {
  return DaysOfCivilDate(year, month, day) * 86400 + hour * 3600LL + minute * 60LL + second;
}

std::string FormatUtc(double utcSeconds) {
  const double whole = std::floor(utcSeconds);
  int hundredths = static_cast<int>(std::lround((utcSeconds - whole) * 100));
  long long seconds = static_cast<long long>(whole);
  if (hundredths == 100) {
    ++seconds;
    hundredths = 0;
  }
  const long long days = DaysOfSeconds(seconds);
  const long long secondOfDay = seconds - days * 86400;
  const CivilDate date = CivilDateOfDays(days);
  char text[48];
  std::snprintf(text, sizeof text, "%04lld-%02d-%02dT%02lld:%02lld:%02lld", date.year, date.month,
                date.day, secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60);
  std::string result = text;
  if (hundredths != 0) {
    std::snprintf(text, sizeof text, ".%02d", hundredths);
    result += hundredths % 10 == 0 ? std::string(text, 2) : std::string(text);
  }
  return result + "Z";
}

long long LocalToUtcSeconds(long long localSeconds, const LocalZone& zone) {
  // Offsets change at most once around a given time: those in force a day before and a day
  // after are the candidates, and a candidate is right when the zone has it at the instant it
  // gives.
  const long long before = localSeconds - 60LL * zone.OffsetMinutesAt(localSeconds - 86400);
  const long long after = localSeconds - 60LL * zone.OffsetMinutesAt(localSeconds + 86400);
  const bool beforeFits = localSeconds - 60LL * zone.OffsetMinutesAt(before) == before;
  const bool afterFits = localSeconds - 60LL * zone.OffsetMinutesAt(after) == after;
  if (beforeFits && afterFits) return std::min(before, after);
  if (afterFits) return after;
  return before;
}

double CameraTimeToUtc(const CameraTime& time, const LocalZone& cameraZone) {
  const long long local =
      CivilSeconds(time.year, time.month, time.day, time.hour, time.minute, time.second);
  const long long utc = time.offsetMinutes ? local - 60LL * *time.offsetMinutes
                                           : LocalToUtcSeconds(local, cameraZone);
  return static_cast<double>(utc) + time.fraction;
}

std::optional<double> ParseClockOffset(const std::string& text, std::string& why) {
  static const std::regex kOffset(R"(([+-])(\d\d):(\d\d):(\d\d))");
  std::smatch parts;
  if (!std::regex_match(text, parts, kOffset) || std::stoi(parts[3]) > 59 ||
      std::stoi(parts[4]) > 59) {
    why = "'" + text + "' is not an offset; write it as +HH:MM:SS or -HH:MM:SS, e.g. +00:01:30";
    return std::nullopt;
  }
  const double seconds =
      std::stoi(parts[2]) * 3600.0 + std::stoi(parts[3]) * 60.0 + std::stoi(parts[4]);
  return parts[1] == "-" ? -seconds : seconds;
}

std::optional<double> ParseTrueTime(const std::string& text, const LocalZone& zone,
                                    std::string& why) {
  static const std::regex kTime(
      R"((\d{4})-(\d\d)-(\d\d)[T ](\d\d):(\d\d):(\d\d)(\.\d{1,9})?(Z|[+-]\d\d:\d\d)?)");
  std::smatch parts;
  if (std::regex_match(text, parts, kTime)) {
    const int year = std::stoi(parts[1]), month = std::stoi(parts[2]), day = std::stoi(parts[3]);
    const int hour = std::stoi(parts[4]), minute = std::stoi(parts[5]);
    const int second = std::stoi(parts[6]);
    const std::string zoneText = parts[8];
    const auto offset =
        zoneText.empty() || zoneText == "Z" ? std::optional<int>(0) : ParseUtcOffset(zoneText);
    if (IsCalendarDay(year, month, day) && hour <= 23 && minute <= 59 && second <= 59 && offset) {
      const long long local = CivilSeconds(year, month, day, hour, minute, second);
      const long long utc =
          zoneText.empty() ? LocalToUtcSeconds(local, zone) : local - 60LL * *offset;
      const std::string fraction = parts[7];
      return static_cast<double>(utc) + (fraction.empty() ? 0.0 : std::stod("0" + fraction));
    }
  }
  why = "'" + text +
        "' is not a date and time; write it as YYYY-MM-DD hh:mm:ss, with Z or +hh:mm at the end "
        "when it is not in the camera's zone";
  return std::nullopt;
}

}  // namespace tavrin::photos
