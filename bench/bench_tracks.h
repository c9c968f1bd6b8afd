// SPDX-License-Identifier: GPL-3.0-or-later
// What the benchmarks that make their own stores share: a point at a UTC second and a place, a
// track file written from points, and a stopwatch.
#pragma once

#include <fcntl.h>

#include <chrono>
#include <string>
#include <vector>

#include "base/civil_date.h"
#include "store/posix_file.h"
#include "store/track_store.h"

namespace tavrin::bench {

using Clock = std::chrono::steady_clock;

inline double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A 3D fix at `utc` (seconds since 1970), 40 km/h.
inline TrackPoint PointAt(long long utc, double lat, double lon) {
  const long long days = DaysOfSeconds(utc), rest = utc - days * 86400;
  const CivilDate date = CivilDateOfDays(days);
  TrackPoint p;
  p.monthFix = static_cast<uint8_t>(date.month | (kFix3D << 4) | 0x40);
  p.SetDateTime({static_cast<int>(date.year - 2000), date.month, date.day,
                 static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                 static_cast<int>(rest % 60)});
  p.latitude = static_cast<float>(lat);
  p.longitude = static_cast<float>(lon);
  p.speed = 40;
  return p;
}

// Writes the points as a track file in the store's folder, named as the store names it; the
// header takes the figures of `figures` (distance, elapsed time) and the rest from the points.
inline std::string WriteTrackFile(TrackStore& store, const std::vector<TrackPoint>& points,
                                  TrackHeader figures = {}) {
  TrackHeader h = figures;
  h.marker = kTrackMarker;
  h.pointCount = static_cast<uint32_t>(points.size());
  h.firstDateTime = ToDateTime6(points.front().GetDateTime());
  h.lastDateTime = ToDateTime6(points.back().GetDateTime());
  const std::string path = store.TrackFileName(h);
  const UniqueFd fd = OpenFile(path, O_WRONLY | O_CREAT | O_TRUNC);
  (void)WriteAt(fd.Get(), &h, sizeof h, 0);
  (void)WriteAt(fd.Get(), points.data(), points.size() * sizeof(TrackPoint), sizeof h);
  return path;
}

}  // namespace tavrin::bench
