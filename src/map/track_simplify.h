// SPDX-License-Identifier: GPL-3.0-or-later
// Levels of detail of a track's line on a web map. A map view of a thousand pixels shows only a
// few thousand distinct vertices of a line, however many points the track holds; these levels
// say, for every zoom, which points change the picture by more than half a pixel there.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tavrin {

// A position in Web Mercator, in pixels of the whole world at zoom 0 (256 pixels square), x
// eastwards and y southwards as map tiles count them. At zoom z a distance is 2^z times larger.
struct WorldPixel {
  double x = 0;
  double y = 0;
};

// Web Mercator of a position; latitudes beyond the map's edge (about 85.05 degrees) stay on it.
WorldPixel ToWorldPixel(double latitude, double longitude);

// The deepest zoom the levels describe: the maps' closest view.
constexpr int kDeepestDetailZoom = 19;
// The level of a point that no zoom up to kDeepestDetailZoom needs.
constexpr std::uint8_t kNeverDrawn = kDeepestDetailZoom + 1;
// How far, in screen pixels, a dropped point may lie from the line drawn without it.
constexpr double kDetailTolerancePixels = 0.5;

// For every point, the coarsest zoom whose line keeps it; the line at zoom z is drawn through the
// points whose level is at most z, so each finer level keeps every point of the coarser ones.
// Each level is the Douglas-Peucker simplification of the whole line at half a screen pixel of
// that zoom: every point left out lies within that distance of the segment drawn past it. The
// first and last points are at level 0. Runs without recursion: a million points need no
// million-deep stack.
std::vector<std::uint8_t> DetailLevels(std::span<const WorldPixel> line);

// The indices of the points drawn at a zoom, in order.
std::vector<std::size_t> PointsAtZoom(std::span<const std::uint8_t> levels, int zoom);

}  // namespace tavrin
