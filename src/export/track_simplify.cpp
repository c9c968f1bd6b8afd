// SPDX-License-Identifier: GPL-3.0-or-later
// Douglas-Peucker once over the whole line, at every zoom at the same time: the point farthest
// from a segment depends on the segment alone, not on the tolerance, so one pass that notes how
// far each chosen point stood from its segment tells every zoom's simplification.
#include "export/track_simplify.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tavrin {
namespace {

// Where Web Mercator ends: the latitude at which the square world map ends.
constexpr double kMercatorEdgeLatitude = 85.0511287798;
constexpr double kWorldPixels = 256.0;

double SquaredDistanceToSegment(const WorldPixel& p, const WorldPixel& a, const WorldPixel& b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length2 = dx * dx + dy * dy;
  double t = 0;
  if (length2 > 0) t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0);
  const double ex = p.x - (a.x + t * dx), ey = p.y - (a.y + t * dy);
  return ex * ex + ey * ey;
}

// The coarsest zoom at which a point this far (in zoom-0 pixels) from the line drawn without it
// moves the picture by more than the tolerance; kNeverDrawn when no zoom does.
std::uint8_t ZoomThatNeeds(double squaredDistance) {
  const double distance = std::sqrt(squaredDistance);
  for (int zoom = 0; zoom <= kDeepestDetailZoom; ++zoom) {
    if (std::ldexp(distance, zoom) > kDetailTolerancePixels) return static_cast<std::uint8_t>(zoom);
  }
  return kNeverDrawn;
}

struct Segment {
  std::size_t first;
  std::size_t last;
};

}  // namespace

WorldPixel ToWorldPixel(double latitude, double longitude) {
  const double lat = std::clamp(latitude, -kMercatorEdgeLatitude, kMercatorEdgeLatitude);
  const double phi = lat * std::numbers::pi / 180.0;
  const double x = (longitude + 180.0) / 360.0;
  const double y =
      0.5 - std::log(std::tan(std::numbers::pi / 4 + phi / 2)) / (2 * std::numbers::pi);
  return WorldPixel{x * kWorldPixels, y * kWorldPixels};
}

std::vector<std::uint8_t> DetailLevels(std::span<const WorldPixel> line) {
  std::vector<std::uint8_t> levels(line.size(), kNeverDrawn);
  if (line.empty()) return levels;
  levels.front() = 0;
  levels.back() = 0;
  std::vector<Segment> pending;
  if (line.size() > 2) pending.push_back({0, line.size() - 1});
  while (!pending.empty()) {
    const Segment segment = pending.back();
    pending.pop_back();
    std::size_t farthest = segment.first;
    double farthest2 = -1;
    for (std::size_t k = segment.first + 1; k < segment.last; ++k) {
      const double d2 = SquaredDistanceToSegment(line[k], line[segment.first], line[segment.last]);
      if (d2 > farthest2) {
        farthest2 = d2;
        farthest = k;
      }
    }
    const std::uint8_t needed = ZoomThatNeeds(farthest2);
    // Everything between the ends lies within the finest tolerance of the segment.
    if (needed == kNeverDrawn) continue;
    // The segment itself is drawn only from the zoom that keeps both its ends: the point that
    // splits it can appear no sooner.
    const std::uint8_t segmentZoom = std::max(levels[segment.first], levels[segment.last]);
    levels[farthest] = std::max(needed, segmentZoom);
    if (farthest - segment.first > 1) pending.push_back({segment.first, farthest});
    if (segment.last - farthest > 1) pending.push_back({farthest, segment.last});
  }
  return levels;
}

std::vector<std::size_t> PointsAtZoom(std::span<const std::uint8_t> levels, int zoom) {
  std::vector<std::size_t> kept;
  for (std::size_t k = 0; k < levels.size(); ++k) {
    if (levels[k] <= zoom) kept.push_back(k);
  }
  return kept;
}

}  // namespace tavrin
