// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/photo_tags.h"

#include <cmath>
#include <cstdio>
#include <regex>
#include <string>

#include "photos/photo_time.h"

namespace tavrin::photos {
namespace {

// Seconds of arc are written in hundred-thousandths: 1e-5" is under 3e-9 degrees, far below the
// logger's own resolution, and 60" still fits the rational's 32 bits.
constexpr long long kSecondParts = 100000;

std::string DegreesMinutesSeconds(double degrees) {
  const long long parts = std::llround(std::fabs(degrees) * 3600.0 * kSecondParts);
  const long long whole = parts / (3600 * kSecondParts);
  const long long minutes = parts / (60 * kSecondParts) % 60;
  const long long seconds = parts % (60 * kSecondParts);
  return std::to_string(whole) + "/1 " + std::to_string(minutes) + "/1 " + std::to_string(seconds) +
         "/" + std::to_string(kSecondParts);
}

// "37,30.12345678N": degrees and decimal minutes, as XMP writes a GPS coordinate.
std::string XmpCoordinate(double degrees, char positive, char negative) {
  const long long parts = std::llround(std::fabs(degrees) * 60.0 * 1e8);  // 1e-8 minutes
  char text[64];
  std::snprintf(text, sizeof text, "%lld,%lld.%08lld%c", parts / (60 * 100000000LL),
                parts / 100000000LL % 60, parts % 100000000LL, degrees < 0 ? negative : positive);
  return text;
}

// Hundredths, as a rational: speeds and headings.
std::string Hundredths(double value) {
  return std::to_string(std::llround(std::fabs(value) * 100)) + "/100";
}

void SetExif(Exiv2::ExifData& exif, const char* key, Exiv2::TypeId type, const std::string& text) {
  Exiv2::Value::AutoPtr value = Exiv2::Value::create(type);
  value->read(text);
  exif[key].setValue(value.get());
}

struct UtcParts {
  std::string date;  // "2024:05:01"
  long long hour, minute, thousandths;
};

UtcParts SplitUtc(double utcSeconds) {
  const std::string iso = FormatUtc(std::floor(utcSeconds));  // "2024-05-01T10:30:05Z"
  const long long whole = static_cast<long long>(std::floor(utcSeconds));
  const long long ofDay = ((whole % 86400) + 86400) % 86400;
  UtcParts parts;
  parts.date = iso.substr(0, 4) + ":" + iso.substr(5, 2) + ":" + iso.substr(8, 2);
  parts.hour = ofDay / 3600;
  parts.minute = ofDay / 60 % 60;
  parts.thousandths = (ofDay % 60) * 1000 + std::llround((utcSeconds - whole) * 1000);
  return parts;
}

std::optional<double> DegreesOf(const Exiv2::Exifdatum& datum, const std::string& ref) {
  if (datum.count() != 3) return std::nullopt;
  double degrees = 0;
  double unit = 1;
  for (long i = 0; i < 3; ++i, unit *= 60) {
    const Exiv2::Rational part = datum.toRational(i);
    if (part.second == 0) return std::nullopt;
    degrees += static_cast<double>(part.first) / part.second / unit;
  }
  return ref == "S" || ref == "W" ? -degrees : degrees;
}

std::optional<double> XmpDegrees(const std::string& text) {
  static const std::regex kCoordinate(R"((\d+),(\d+(?:\.\d+)?)(?:,(\d+(?:\.\d+)?))?([NSEW]))");
  std::smatch parts;
  if (!std::regex_match(text, parts, kCoordinate)) return std::nullopt;
  double degrees = std::stod(parts[1]) + std::stod(parts[2]) / 60;
  if (parts[3].matched) degrees += std::stod(parts[3]) / 3600;
  return parts[4] == "S" || parts[4] == "W" ? -degrees : degrees;
}

}  // namespace

void SetExifPosition(Exiv2::ExifData& exif, const GeoPosition& position, double utcSeconds) {
  const UtcParts utc = SplitUtc(utcSeconds);
  SetExif(exif, "Exif.GPSInfo.GPSVersionID", Exiv2::unsignedByte, "2 3 0 0");
  SetExif(exif, "Exif.GPSInfo.GPSLatitudeRef", Exiv2::asciiString,
          position.latitude < 0 ? "S" : "N");
  SetExif(exif, "Exif.GPSInfo.GPSLatitude", Exiv2::unsignedRational,
          DegreesMinutesSeconds(position.latitude));
  SetExif(exif, "Exif.GPSInfo.GPSLongitudeRef", Exiv2::asciiString,
          position.longitude < 0 ? "W" : "E");
  SetExif(exif, "Exif.GPSInfo.GPSLongitude", Exiv2::unsignedRational,
          DegreesMinutesSeconds(position.longitude));
  SetExif(exif, "Exif.GPSInfo.GPSMapDatum", Exiv2::asciiString, "WGS-84");
  SetExif(exif, "Exif.GPSInfo.GPSDateStamp", Exiv2::asciiString, utc.date);
  SetExif(exif, "Exif.GPSInfo.GPSTimeStamp", Exiv2::unsignedRational,
          std::to_string(utc.hour) + "/1 " + std::to_string(utc.minute) + "/1 " +
              std::to_string(utc.thousandths) + "/1000");
  SetExif(exif, "Exif.GPSInfo.GPSSpeedRef", Exiv2::asciiString, "K");
  SetExif(exif, "Exif.GPSInfo.GPSSpeed", Exiv2::unsignedRational, Hundredths(position.speedKmh));
  SetExif(exif, "Exif.GPSInfo.GPSTrackRef", Exiv2::asciiString, "T");
  SetExif(exif, "Exif.GPSInfo.GPSTrack", Exiv2::unsignedRational,
          Hundredths(position.headingDegrees));
}

void SetXmpPosition(Exiv2::XmpData& xmp, const GeoPosition& position, double utcSeconds) {
  xmp["Xmp.exif.GPSVersionID"] = "2.3.0.0";
  xmp["Xmp.exif.GPSLatitude"] = XmpCoordinate(position.latitude, 'N', 'S');
  xmp["Xmp.exif.GPSLongitude"] = XmpCoordinate(position.longitude, 'E', 'W');
  xmp["Xmp.exif.GPSMapDatum"] = "WGS-84";
  xmp["Xmp.exif.GPSTimeStamp"] = FormatUtc(utcSeconds);
  xmp["Xmp.exif.GPSSpeedRef"] = "K";
  xmp["Xmp.exif.GPSSpeed"] = Hundredths(position.speedKmh);
  xmp["Xmp.exif.GPSTrackRef"] = "T";
  xmp["Xmp.exif.GPSTrack"] = Hundredths(position.headingDegrees);
}

std::optional<LatLon> ExifPosition(const Exiv2::ExifData& exif) {
  const auto latitude = exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSLatitude"));
  const auto longitude = exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSLongitude"));
  if (latitude == exif.end() || longitude == exif.end()) return std::nullopt;
  const auto latitudeRef = exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSLatitudeRef"));
  const auto longitudeRef = exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSLongitudeRef"));
  const auto lat =
      DegreesOf(*latitude, latitudeRef == exif.end() ? "N" : latitudeRef->toString().substr(0, 1));
  const auto lon = DegreesOf(
      *longitude, longitudeRef == exif.end() ? "E" : longitudeRef->toString().substr(0, 1));
  if (!lat || !lon) return std::nullopt;
  return LatLon{*lat, *lon};
}

std::optional<LatLon> XmpPosition(const Exiv2::XmpData& xmp) {
  const auto latitude = xmp.findKey(Exiv2::XmpKey("Xmp.exif.GPSLatitude"));
  const auto longitude = xmp.findKey(Exiv2::XmpKey("Xmp.exif.GPSLongitude"));
  if (latitude == xmp.end() || longitude == xmp.end()) return std::nullopt;
  const auto lat = XmpDegrees(latitude->toString());
  const auto lon = XmpDegrees(longitude->toString());
  if (!lat || !lon) return std::nullopt;
  return LatLon{*lat, *lon};
}

}  // namespace tavrin::photos
