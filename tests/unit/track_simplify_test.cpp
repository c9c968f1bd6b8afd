// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/track_simplify.h"

#include <gtest/gtest.h>

#include "map/map_line.h"

#include <cmath>
#include <random>
#include <vector>

namespace tavrin {
namespace {

// Half a screen pixel at a zoom, in pixels of the world at zoom 0.
double ToleranceAt(int zoom) {
  return std::ldexp(kDetailTolerancePixels, -zoom);
}

double DistanceToSegment(const WorldPixel& p, const WorldPixel& a, const WorldPixel& b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length2 = dx * dx + dy * dy;
  const double t =
      length2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0) : 0.0;
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// A walker's track: steps of random length and a heading that wanders, so that the line bends
// at every scale, as a recorded track does.
std::vector<WorldPixel> RandomWalk(std::size_t count, double stepPixels, unsigned seed) {
  std::mt19937 random(seed);
  std::normal_distribution<double> turn(0.0, 0.4);
  std::uniform_real_distribution<double> step(0.2 * stepPixels, stepPixels);
  std::vector<WorldPixel> line;
  WorldPixel at{100.0, 100.0};
  double heading = 0;
  for (std::size_t k = 0; k < count; ++k) {
    line.push_back(at);
    heading += turn(random);
    const double length = step(random);
    at.x += length * std::cos(heading);
    at.y += length * std::sin(heading);
  }
  return line;
}

TEST(WorldPixels, PlaceTheMapsCornersAndCentreWhereTilesDo) {
  const WorldPixel centre = ToWorldPixel(0, 0);
  EXPECT_DOUBLE_EQ(centre.x, 128);
  EXPECT_NEAR(centre.y, 128, 1e-9);
  const WorldPixel northWest = ToWorldPixel(85.0511287798, -180);
  EXPECT_DOUBLE_EQ(northWest.x, 0);
  EXPECT_NEAR(northWest.y, 0, 1e-6);
  const WorldPixel southEast = ToWorldPixel(-85.0511287798, 180);
  EXPECT_DOUBLE_EQ(southEast.x, 256);
  EXPECT_NEAR(southEast.y, 256, 1e-6);
  // Beyond the map's edge a pole stays on it rather than at infinity.
  EXPECT_NEAR(ToWorldPixel(90, 0).y, 0, 1e-6);
  // Seoul: north of the equator is above the middle, east of Greenwich right of it.
  const WorldPixel seoul = ToWorldPixel(37.5665, 126.978);
  EXPECT_NEAR(seoul.x, 218.2955, 1e-3);
  EXPECT_NEAR(seoul.y, 99.1366, 1e-3);
}

TEST(DetailLevels, ShortLinesKeepEveryPointAtEveryZoom) {
  EXPECT_TRUE(DetailLevels({}).empty());
  const std::vector<WorldPixel> one{{10, 10}};
  EXPECT_EQ(DetailLevels(one), std::vector<std::uint8_t>{0});
  const std::vector<WorldPixel> two{{10, 10}, {10, 10}};
  EXPECT_EQ(DetailLevels(two), (std::vector<std::uint8_t>{0, 0}));
}

TEST(DetailLevels, AStraightLineCollapsesToItsEnds) {
  std::vector<WorldPixel> line;
  for (int k = 0; k <= 1000; ++k) line.push_back({10 + 0.01 * k, 20 + 0.02 * k});
  const std::vector<std::uint8_t> levels = DetailLevels(line);
  for (int zoom = 0; zoom <= kDeepestDetailZoom; ++zoom) {
    EXPECT_EQ(PointsAtZoom(levels, zoom), (std::vector<std::size_t>{0, 1000})) << "zoom " << zoom;
  }
  EXPECT_EQ(levels[500], kNeverDrawn);
}

TEST(DetailLevels, AZigZagKeepsItsCornersAndDropsThePointsOnItsLegs) {
  // Corners eight world pixels apart, nine points along each leg between them.
  std::vector<WorldPixel> line;
  std::vector<std::size_t> corners;
  for (int corner = 0; corner < 12; ++corner) {
    const WorldPixel from{8.0 * corner, corner % 2 == 0 ? 0.0 : 8.0};
    const WorldPixel to{8.0 * (corner + 1), corner % 2 == 0 ? 8.0 : 0.0};
    corners.push_back(line.size());
    for (int k = 0; k < 10; ++k) {
      line.push_back({from.x + (to.x - from.x) * k / 10, from.y + (to.y - from.y) * k / 10});
    }
  }
  corners.push_back(line.size());
  line.push_back({8.0 * 12, 0.0});
  const std::vector<std::uint8_t> levels = DetailLevels(line);
  EXPECT_EQ(PointsAtZoom(levels, 0), corners);
  EXPECT_EQ(PointsAtZoom(levels, kDeepestDetailZoom), corners);
}

TEST(DetailLevels, AShallowBendAppearsFromTheZoomWhereItSpansHalfAPixel) {
  // The middle point stands 0.01 world pixels off the chord: half a pixel from zoom 6 on (0.64
  // screen pixels there, 0.32 at zoom 5).
  const std::vector<WorldPixel> line{{0, 0}, {1, 0.01}, {2, 0}};
  EXPECT_EQ(DetailLevels(line), (std::vector<std::uint8_t>{0, 6, 0}));
}

// Every left-out point of a line of `count` points lies within half a pixel, at every zoom, of
// the segment drawn past it; each zoom keeps what the coarser ones keep.
void ExpectWithinHalfAPixelAtEveryZoom(const std::vector<WorldPixel>& line) {
  const std::vector<std::uint8_t> levels = DetailLevels(line);
  ASSERT_EQ(levels.size(), line.size());
  EXPECT_EQ(levels.front(), 0);
  EXPECT_EQ(levels.back(), 0);
  std::size_t coarserCount = 0;
  for (int zoom = 0; zoom <= kDeepestDetailZoom; ++zoom) {
    const std::vector<std::size_t> kept = PointsAtZoom(levels, zoom);
    for (std::size_t k = 1; k < kept.size(); ++k) {
      for (std::size_t dropped = kept[k - 1] + 1; dropped < kept[k]; ++dropped) {
        ASSERT_LE(DistanceToSegment(line[dropped], line[kept[k - 1]], line[kept[k]]),
                  ToleranceAt(zoom))
            << "point " << dropped << " at zoom " << zoom;
      }
    }
    EXPECT_GE(kept.size(), coarserCount);
    coarserCount = kept.size();
  }
}

TEST(DetailLevels, EveryPointLeftOutLiesWithinHalfAPixelOfTheLineDrawnAtEveryZoom) {
  // Steps of about a metre at the equator (zoom 0 pixels: 156 km), so that the coarse zooms drop
  // nearly everything and the deepest keep most of it.
  const std::vector<WorldPixel> line = RandomWalk(20000, 1.0 / 156000, 7);
  ExpectWithinHalfAPixelAtEveryZoom(line);
  // The whole walk spans some twenty screen pixels at zoom 12 and thousands at zoom 19.
  const std::vector<std::uint8_t> levels = DetailLevels(line);
  EXPECT_LT(PointsAtZoom(levels, 12).size(), 200u);
  EXPECT_GT(PointsAtZoom(levels, kDeepestDetailZoom).size(), 5000u);
}

// A long line is worked out on two threads, each taking part of the segments.
TEST(DetailLevels, ALongLineSharedBetweenThreadsKeepsTheSameBound) {
  ExpectWithinHalfAPixelAtEveryZoom(RandomWalk(300000, 1.0 / 156000, 11));
}

TrackPoint At(float latitude, float longitude) {
  TrackPoint point;
  point.latitude = latitude;
  point.longitude = longitude;
  return point;
}

TEST(MapLine, CarriesEachDrawnPointsLevelAndItsStepsAsZigzagNumbers) {
  // There and back: the far point stands 11 metres off, which half a pixel first shows at zoom
  // 13. Bytes: level 0, +375000000 and +1270000000 (zigzag, 7 bits a byte); level 13, +992 and
  // -992 (1984 and 1983); level 0, -992 and +992. Worked out by hand from the format.
  const std::vector<TrackPoint> thereAndBack{At(37.5f, 127.0f), At(37.5001f, 126.9999f),
                                             At(37.5f, 127.0f)};
  EXPECT_EQ(EncodeMapLine(thereAndBack), "AICv0OUCgKaVuwkNwA+/DwC/D8AP");
  // A point on the straight line between its neighbours is drawn at no zoom and not carried
  // (steps of 1/1024 degree, which a float holds exactly).
  const std::vector<TrackPoint> straight{At(37.5f, 127.0f),
                                         At(37.5f + 1 / 1024.0f, 127.0f + 1 / 1024.0f),
                                         At(37.5f + 2 / 1024.0f, 127.0f + 2 / 1024.0f)};
  const std::vector<TrackPoint> ends{straight.front(), straight.back()};
  EXPECT_EQ(EncodeMapLine(straight), EncodeMapLine(ends));
  EXPECT_EQ(EncodeMapLine({}), "");
}

}  // namespace
}  // namespace tavrin
