// SPDX-License-Identifier: GPL-3.0-or-later
// Douglas-Peucker once over the whole line, at every zoom at the same time: the point farthest
// from a segment depends on the segment alone, not on the tolerance, so one pass that notes how
// far each chosen point stood from its segment tells every zoom's simplification.
#include "map/track_simplify.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <thread>
#include <utility>

namespace tavrin {
namespace {

// Where Web Mercator ends: the latitude at which the square world map ends.
constexpr double kMercatorEdgeLatitude = 85.0511287798;
constexpr double kWorldPixels = 256.0;

// How far, squared, a point may stand from the line at each zoom and still be left out: half a
// screen pixel there, in zoom-0 pixels.
struct ZoomTolerances {
  double squared[kDeepestDetailZoom + 1];
  ZoomTolerances() {
    for (int zoom = 0; zoom <= kDeepestDetailZoom; ++zoom) {
      const double tolerance = std::ldexp(kDetailTolerancePixels, -zoom);
      squared[zoom] = tolerance * tolerance;
    }
  }
};

// The coarsest zoom at which a point this far (squared, in zoom-0 pixels) from the line drawn
// without it moves the picture by more than the tolerance; kNeverDrawn when no zoom does.
std::uint8_t ZoomThatNeeds(double squaredDistance) {
  static const ZoomTolerances tolerances;
  for (int zoom = 0; zoom <= kDeepestDetailZoom; ++zoom) {
    if (squaredDistance > tolerances.squared[zoom]) return static_cast<std::uint8_t>(zoom);
  }
  return kNeverDrawn;
}

// The point between the ends of the segment that lies farthest from it, and that distance
// squared. This loop is nearly all of the work: no division or square root in it.
std::pair<std::size_t, double> FarthestFrom(std::span<const WorldPixel> line, std::size_t first,
                                            std::size_t last) {
  const WorldPixel a = line[first], b = line[last];
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length2 = dx * dx + dy * dy;
  const double inverseLength2 = length2 > 0 ? 1.0 / length2 : 0.0;
  std::size_t farthest = first;
  double farthest2 = -1;
  for (std::size_t k = first + 1; k < last; ++k) {
    const double px = line[k].x - a.x, py = line[k].y - a.y;
    const double along = px * dx + py * dy;
    double d2;
    if (along <= 0 || length2 == 0) {
      d2 = px * px + py * py;  // nearest to the first end
    } else if (along >= length2) {
      const double qx = line[k].x - b.x, qy = line[k].y - b.y;
      d2 = qx * qx + qy * qy;  // nearest to the last end
    } else {
      const double across = px * dy - py * dx;
      d2 = across * across * inverseLength2;
    }
    if (d2 > farthest2) {
      farthest2 = d2;
      farthest = k;
    }
  }
  return {farthest, farthest2};
}

struct Segment {
  std::size_t first;
  std::size_t last;
};

// From this many points the levels are worked out on two threads.
constexpr std::size_t kSharedFromPoints = 200000;

std::size_t Width(const Segment& segment) {
  return segment.last - segment.first;
}

// Douglas-Peucker's step: the point farthest from the segment takes the coarsest zoom that needs
// it, and the two halves are pending in turn.
void SplitSegment(std::span<const WorldPixel> line, std::vector<std::uint8_t>& levels,
                  const Segment& segment, std::vector<Segment>& pending) {
  const auto [farthest, farthest2] = FarthestFrom(line, segment.first, segment.last);
  const std::uint8_t needed = ZoomThatNeeds(farthest2);
  // Everything between the ends lies within the finest tolerance of the segment.
  if (needed == kNeverDrawn) return;
  // The segment itself is drawn only from the zoom that keeps both its ends: the point that
  // splits it can appear no sooner.
  const std::uint8_t segmentZoom = std::max(levels[segment.first], levels[segment.last]);
  levels[farthest] = std::max(needed, segmentZoom);
  if (farthest - segment.first > 1) pending.push_back({segment.first, farthest});
  if (segment.last - farthest > 1) pending.push_back({farthest, segment.last});
}

// Runs without recursion: a million points need no million-deep stack.
void SimplifySegments(std::span<const WorldPixel> line, std::vector<std::uint8_t>& levels,
                      std::vector<Segment> pending) {
  while (!pending.empty()) {
    const Segment segment = pending.back();
    pending.pop_back();
    SplitSegment(line, levels, segment, pending);
  }
}

// Splits the widest pending segment until there are `count` of them (or none is left to split).
void SplitWidestUntil(std::span<const WorldPixel> line, std::vector<std::uint8_t>& levels,
                      std::vector<Segment>& pending, std::size_t count) {
  const auto narrower = [](const Segment& a, const Segment& b) { return Width(a) < Width(b); };
  while (!pending.empty() && pending.size() < count) {
    std::pop_heap(pending.begin(), pending.end(), narrower);
    const Segment widest = pending.back();
    pending.pop_back();
    const std::size_t before = pending.size();
    SplitSegment(line, levels, widest, pending);
    for (std::size_t end = before + 1; end <= pending.size(); ++end) {
      std::push_heap(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(end), narrower);
    }
  }
}

// Two sets of segments of about the same number of points, the widest first to the lighter set.
std::pair<std::vector<Segment>, std::vector<Segment>> ShareByWidth(std::vector<Segment> pending) {
  std::sort(pending.begin(), pending.end(),
            [](const Segment& a, const Segment& b) { return Width(a) > Width(b); });
  std::vector<Segment> first, second;
  std::size_t firstWidth = 0, secondWidth = 0;
  for (const Segment& segment : pending) {
    if (firstWidth <= secondWidth) {
      first.push_back(segment);
      firstWidth += Width(segment);
    } else {
      second.push_back(segment);
      secondWidth += Width(segment);
    }
  }
  return {std::move(first), std::move(second)};
}

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
  if (line.size() < kSharedFromPoints) {
    SimplifySegments(line, levels, std::move(pending));
    return levels;
  }
  // A long line is shared between two threads: each segment touches only the points between its
  // ends, whose own levels are settled before it is split off.
  SplitWidestUntil(line, levels, pending, 16);
  auto shares = ShareByWidth(std::move(pending));
  std::thread other(
      [&line, &levels, &shares] { SimplifySegments(line, levels, std::move(shares.second)); });
  SimplifySegments(line, levels, std::move(shares.first));
  other.join();
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
