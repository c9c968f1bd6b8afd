// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/map_line.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "base/longitude.h"
#include "map/track_simplify.h"

namespace tavrin {
namespace {

constexpr char kBase64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::int64_t InTenMillionths(double degrees) {
  return std::llround(degrees * 1e7);
}

void AppendVarint(std::vector<std::uint8_t>& bytes, std::int64_t step) {
  // Zigzag: small steps either way take few bytes.
  std::uint64_t value = step < 0 ? (static_cast<std::uint64_t>(-(step + 1)) << 1) | 1
                                 : static_cast<std::uint64_t>(step) << 1;
  while (value >= 0x80) {
    bytes.push_back(static_cast<std::uint8_t>(value | 0x80));
    value >>= 7;
  }
  bytes.push_back(static_cast<std::uint8_t>(value));
}

std::string Base64(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t k = 0;
  for (; k + 3 <= bytes.size(); k += 3) {
    const std::uint32_t group = (bytes[k] << 16) | (bytes[k + 1] << 8) | bytes[k + 2];
    for (int shift : {18, 12, 6, 0}) text.push_back(kBase64Digits[(group >> shift) & 63]);
  }
  const std::size_t rest = bytes.size() - k;
  if (rest > 0) {
    std::uint32_t group = bytes[k] << 16;
    if (rest == 2) group |= bytes[k + 1] << 8;
    text.push_back(kBase64Digits[(group >> 18) & 63]);
    text.push_back(kBase64Digits[(group >> 12) & 63]);
    text.push_back(rest == 2 ? kBase64Digits[(group >> 6) & 63] : '=');
    text.push_back('=');
  }
  return text;
}

// A line's longitudes, each moved by whole turns to lie within half a turn of the one before.
// A line that winds on round the globe begins again at the point where it would pass
// kFarthestLongitude, so that every longitude stays within what the page's arrays hold.
constexpr double kFarthestLongitude = 200;

struct LineParts {
  std::vector<double> longitudes;
  std::vector<std::size_t> starts;  // the first point of each part, from 0
};

LineParts SplitIntoParts(std::span<const TrackPoint> points,
                         std::span<const std::size_t> lineStarts) {
  LineParts parts;
  parts.longitudes.reserve(points.size());
  auto nextStart = lineStarts.begin();
  for (std::size_t k = 0; k < points.size(); ++k) {
    const double longitude = points[k].longitude;
    bool starts = k == 0;
    if (nextStart != lineStarts.end() && *nextStart == k) {
      starts = true;
      ++nextStart;
    }
    double beside = starts ? longitude : LongitudeBeside(parts.longitudes.back(), longitude);
    if (std::fabs(beside) > kFarthestLongitude) {
      starts = true;
      beside = longitude;
    }
    if (starts) parts.starts.push_back(k);
    parts.longitudes.push_back(beside);
  }
  return parts;
}

// The levels of each part, each simplified on its own with its ends kept at level 0.
std::vector<std::uint8_t> LevelsOfParts(std::span<const TrackPoint> points,
                                        const LineParts& parts) {
  std::vector<std::uint8_t> levels(points.size(), kNeverDrawn);
  std::vector<WorldPixel> line;
  for (std::size_t p = 0; p < parts.starts.size(); ++p) {
    const std::size_t begin = parts.starts[p];
    const std::size_t end = p + 1 < parts.starts.size() ? parts.starts[p + 1] : points.size();
    line.clear();
    line.reserve(end - begin);
    for (std::size_t k = begin; k < end; ++k) {
      line.push_back(ToWorldPixel(points[k].latitude, parts.longitudes[k]));
    }
    const std::vector<std::uint8_t> partLevels = DetailLevels(line);
    std::copy(partLevels.begin(), partLevels.end(), levels.begin() + static_cast<long>(begin));
  }
  return levels;
}

constexpr std::uint8_t kBeginsLine = 64;

}  // namespace

std::string EncodeMapLine(std::span<const TrackPoint> points,
                          std::span<const std::size_t> lineStarts) {
  const LineParts parts = SplitIntoParts(points, lineStarts);
  const std::vector<std::uint8_t> levels = LevelsOfParts(points, parts);
  std::vector<std::uint8_t> bytes;
  bytes.reserve(points.size() * 3);
  std::int64_t lastLat = 0, lastLon = 0;
  auto nextStart = parts.starts.begin() + (parts.starts.empty() ? 0 : 1);
  for (std::size_t k = 0; k < points.size(); ++k) {
    const bool begins = nextStart != parts.starts.end() && *nextStart == k;
    if (begins) ++nextStart;
    if (levels[k] == kNeverDrawn) continue;
    const std::int64_t lat = InTenMillionths(points[k].latitude);
    const std::int64_t lon = InTenMillionths(parts.longitudes[k]);
    bytes.push_back(static_cast<std::uint8_t>(levels[k] | (begins ? kBeginsLine : 0)));
    AppendVarint(bytes, lat - lastLat);
    AppendVarint(bytes, lon - lastLon);
    lastLat = lat;
    lastLon = lon;
  }
  return Base64(bytes);
}

}  // namespace tavrin
