// SPDX-License-Identifier: GPL-3.0-or-later
// The map's levels of detail for a long track: the Web Mercator positions and the zoom of every
// point of 1,000,000, for a walk that bends at every scale and for the benchmark's straight
// track (make_bench_track's points), and how many points each would draw at a fitted zoom.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "map/track_simplify.h"

namespace {

using namespace tavrin;

constexpr std::size_t kPoints = 1000000;

struct LatLon {
  float latitude;
  float longitude;
};

// One point a second of someone walking and driving around Seoul, the heading wandering.
std::vector<LatLon> WanderingTrack() {
  std::mt19937 random(3);
  std::normal_distribution<double> turn(0.0, 0.15);
  std::uniform_real_distribution<double> metres(0.5, 15.0);
  std::vector<LatLon> track;
  double lat = 37.5, lon = 127.0, heading = 0;
  for (std::size_t k = 0; k < kPoints; ++k) {
    track.push_back({static_cast<float>(lat), static_cast<float>(lon)});
    heading += turn(random);
    const double step = metres(random) / 111000.0;
    lat += step * std::cos(heading);
    lon += step * std::sin(heading) / std::cos(lat * 3.14159265 / 180);
  }
  return track;
}

// The points make_bench_track writes: moving steadily north-east.
std::vector<LatLon> StraightTrack() {
  std::vector<LatLon> track;
  for (std::size_t k = 0; k < kPoints; ++k) {
    track.push_back({37.5f + k * 1e-6f, 127.0f + k * 1.3e-6f});
  }
  return track;
}

std::vector<WorldPixel> ToWorld(const std::vector<LatLon>& track) {
  std::vector<WorldPixel> line;
  line.reserve(track.size());
  for (const LatLon& p : track) line.push_back(ToWorldPixel(p.latitude, p.longitude));
  return line;
}

void Report(benchmark::State& state, const std::vector<std::uint8_t>& levels) {
  for (int zoom : {8, 12, 16, kDeepestDetailZoom}) {
    state.counters["points_at_zoom_" + std::to_string(zoom)] =
        static_cast<double>(PointsAtZoom(levels, zoom).size());
  }
}

void BM_DetailLevels(benchmark::State& state) {
  const std::vector<LatLon> track = state.range(0) == 0 ? WanderingTrack() : StraightTrack();
  std::vector<std::uint8_t> levels;
  for (auto _ : state) {
    const std::vector<WorldPixel> line = ToWorld(track);
    levels = DetailLevels(line);
    benchmark::DoNotOptimize(levels.data());
  }
  Report(state, levels);
}

// Arg 0: the wandering track; 1: the straight one.
BENCHMARK(BM_DetailLevels)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
