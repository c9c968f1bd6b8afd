// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a track file of many points for the export benchmark: one point a second from
// 2020-01-01 00:00:00 UTC, moving steadily north-east, with varying speed, heading and fix.
// With "wander" the track wanders instead, a step of 1 to 15 metres a second and a heading
// that drifts, so that nearly every point bends the line somewhere: the map's hardest case.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "store/track_header.h"

int main(int argc, char** argv) {
  using namespace tavrin;
  if (argc != 3 && !(argc == 4 && std::string(argv[3]) == "wander")) {
    std::fprintf(stderr, "usage: make_bench_track FILE POINTS [wander]\n");
    return 2;
  }
  const bool wander = argc == 4;
  std::mt19937 random(5);
  std::normal_distribution<double> turn(0.0, 0.15);
  std::uniform_real_distribution<double> metres(1.0, 15.0);
  double lat = 37.5, lon = 127.0, heading = 0;
  const long count = std::atol(argv[2]);
  std::vector<TrackPoint> points;
  points.reserve(static_cast<size_t>(count));
  for (long k = 0; k < count; ++k) {
    const std::time_t t = 1577836800 + k;
    std::tm utc{};
    gmtime_r(&t, &utc);
    const DateTime dt{utc.tm_year - 100, utc.tm_mon + 1, utc.tm_mday,
                      utc.tm_hour,       utc.tm_min,     utc.tm_sec};
    if (wander) {
      heading += turn(random);
      const double step = metres(random) / 111000.0;
      lat += step * std::cos(heading);
      lon += step * std::sin(heading) / std::cos(lat * 3.14159265358979 / 180);
    }
    const float latitude = wander ? static_cast<float>(lat) : 37.5f + k * 1e-6f;
    const float longitude = wander ? static_cast<float>(lon) : 127.0f + k * 1.3e-6f;
    points.push_back(MakePoint(dt, k % 17 == 0 ? kFix2D : kFix3D, latitude, longitude,
                               static_cast<int>(k % 90), static_cast<int>(k % 180) * 2));
  }
  TrackHeader h;
  h.marker = kTrackMarker;
  h.pointCount = static_cast<uint32_t>(count);
  h.firstDateTime = ToDateTime6(points.front().GetDateTime());
  h.lastDateTime = ToDateTime6(points.back().GetDateTime());
  h.elapsedSeconds = static_cast<uint32_t>(count - 1);
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(&h), sizeof h);
  out.write(reinterpret_cast<const char*>(points.data()),
            static_cast<std::streamsize>(points.size() * sizeof(TrackPoint)));
  return out ? 0 : 1;
}
