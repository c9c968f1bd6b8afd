// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/map_line.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "export/track_simplify.h"

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

}  // namespace

std::string EncodeMapLine(std::span<const TrackPoint> points) {
  std::vector<WorldPixel> line;
  line.reserve(points.size());
  for (const TrackPoint& point : points) {
    line.push_back(ToWorldPixel(point.latitude, point.longitude));
  }
  const std::vector<std::uint8_t> levels = DetailLevels(line);
  line = {};
  std::vector<std::uint8_t> bytes;
  bytes.reserve(points.size() * 3);
  std::int64_t lastLat = 0, lastLon = 0;
  for (std::size_t k = 0; k < points.size(); ++k) {
    if (levels[k] == kNeverDrawn) continue;
    const std::int64_t lat = InTenMillionths(points[k].latitude);
    const std::int64_t lon = InTenMillionths(points[k].longitude);
    bytes.push_back(levels[k]);
    AppendVarint(bytes, lat - lastLat);
    AppendVarint(bytes, lon - lastLon);
    lastLat = lat;
    lastLon = lon;
  }
  return Base64(bytes);
}

}  // namespace tavrin
