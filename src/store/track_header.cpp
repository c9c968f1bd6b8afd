// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/track_header.h"

#include <algorithm>

#include "store/utf8_text.h"

namespace tavrin {

bool ImpossibleDistance(const TrackHeader& header) {
  constexpr double kFastestMetresPerSecond = 343;
  return header.distance > kFastestMetresPerSecond * (header.elapsedSeconds + 1.0);
}

double AverageSpeedKmh(uint32_t distanceMeters, uint32_t elapsedSeconds) {
  if (elapsedSeconds == 0) return 0.0;
  return static_cast<double>(distanceMeters) / static_cast<double>(elapsedSeconds) * 3.6;
}

double AverageSpeedOfPoints(std::span<const TrackPoint> points) {
  if (points.size() < 2) return 0;
  uint32_t distance = 0;
  for (size_t i = 1; i < points.size(); ++i) distance += DistanceMeters(points[i - 1], points[i]);
  const long long elapsed = SecondsBetween(points.front(), points.back()).value_or(0);
  return AverageSpeedKmh(distance, static_cast<uint32_t>(elapsed));
}

void SetNoteGroup(char16_t (&units)[kNoteGroupUnits], const std::string& utf8) {
  std::fill(std::begin(units), std::end(units), u'\0');
  size_t used = 0;
  for (size_t i = 0; i < utf8.size();) {
    const Utf8Step step = DecodeUtf8(std::string_view(utf8).substr(i));
    const char32_t cp = step.codePoint;
    i += step.length;
    const size_t need = cp >= 0x10000 ? 2 : 1;
    if (used + need > kNoteGroupUnits - 1) break;  // keep the terminating NUL
    if (need == 2) {
      units[used++] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      units[used++] = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      units[used++] = static_cast<char16_t>(cp);
    }
  }
}

std::string NoteGroupText(const char16_t (&units)[kNoteGroupUnits]) {
  std::string out;
  for (size_t i = 0; i < kNoteGroupUnits && units[i] != 0; ++i) {
    char32_t cp = units[i];
    const bool pair = cp >= 0xD800 && cp < 0xDC00 && i + 1 < kNoteGroupUnits &&
                      units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000;
    if (pair) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (units[++i] - 0xDC00);
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = U'\uFFFD';
    }
    AppendUtf8(out, cp);
  }
  return out;
}

}  // namespace tavrin
