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

std::vector<uint32_t> DegreesMinutesSeconds(double degrees) {
  const long long parts = std::llround(std::fabs(degrees) * 3600.0 * kSecondParts);
  const auto whole = static_cast<uint32_t>(parts / (3600 * kSecondParts));
  const auto minutes = static_cast<uint32_t>(parts / (60 * kSecondParts) % 60);
  const auto seconds = static_cast<uint32_t>(parts % (60 * kSecondParts));
  return {whole, 1, minutes, 1, seconds, static_cast<uint32_t>(kSecondParts)};
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
std::vector<uint32_t> HundredthsRational(double value) {
  return {static_cast<uint32_t>(std::llround(std::fabs(value) * 100)), 100};
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

// The reference letter of a coordinate ("N"), or 0 when missing or empty.
char Reference(const Exiv2::ExifData& exif, const char* key) {
  const auto found = exif.findKey(Exiv2::ExifKey(key));
  if (found == exif.end()) return 0;
  const std::string text = found->toString();
  return text.empty() ? 0 : text[0];
}

// A coordinate without its reference letter, or with a zero denominator, is no position: it is
// what a camera leaves before it has a fix.
std::optional<double> DegreesOf(const Exiv2::Exifdatum& datum, char ref, char positive,
                                char negative) {
  if (datum.count() != 3 || (ref != positive && ref != negative)) return std::nullopt;
  double degrees = 0;
  double unit = 1;
  for (long i = 0; i < 3; ++i, unit *= 60) {
    const Exiv2::Rational part = datum.toRational(i);
    if (part.second == 0) return std::nullopt;
    degrees += static_cast<double>(part.first) / part.second / unit;
  }
  return ref == negative ? -degrees : degrees;
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

std::vector<TiffField> GpsFields(const GeoPosition& position, double utcSeconds) {
  const UtcParts utc = SplitUtc(utcSeconds);
  const auto text = [](uint16_t tag, std::string value) {
    return TiffField{tag, TiffType::Ascii, {}, std::move(value)};
  };
  const auto rational = [](uint16_t tag, std::vector<uint32_t> numbers) {
    return TiffField{tag, TiffType::Rational, std::move(numbers), {}};
  };
  return {
      {0x0000, TiffType::Byte, {2, 3, 0, 0}, {}},  // GPSVersionID
      text(0x0001, position.latitude < 0 ? "S" : "N"),
      rational(0x0002, DegreesMinutesSeconds(position.latitude)),
      text(0x0003, position.longitude < 0 ? "W" : "E"),
      rational(0x0004, DegreesMinutesSeconds(position.longitude)),
      rational(0x0007, {static_cast<uint32_t>(utc.hour), 1, static_cast<uint32_t>(utc.minute), 1,
                        static_cast<uint32_t>(utc.thousandths), 1000}),  // GPSTimeStamp
      text(0x000C, "K"),                                                 // GPSSpeedRef
      rational(0x000D, HundredthsRational(position.speedKmh)),
      text(0x000E, "T"),  // GPSTrackRef
      rational(0x000F, HundredthsRational(position.headingDegrees)),
      text(0x0012, "WGS-84"),  // GPSMapDatum
      text(0x001D, utc.date),  // GPSDateStamp
  };
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
  const auto lat = DegreesOf(*latitude, Reference(exif, "Exif.GPSInfo.GPSLatitudeRef"), 'N', 'S');
  const auto lon = DegreesOf(*longitude, Reference(exif, "Exif.GPSInfo.GPSLongitudeRef"), 'E', 'W');
  // Cameras write zeros as a placeholder before they have a fix.
  if (!lat || !lon || (*lat == 0 && *lon == 0)) return std::nullopt;
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
