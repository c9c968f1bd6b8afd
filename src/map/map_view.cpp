// SPDX-License-Identifier: GPL-3.0-or-later
// The view that frames a track on a map: the centre of its extent and the zoom that fits it.
#include "map/map_view.h"

namespace tavrin {

int MapZoom(double halfSpan) {
  struct Step {
    double below;
    int zoom;
  };
  static constexpr Step kSteps[] = {{0.001, 17}, {0.005, 15}, {0.01, 13},
                                    {0.05, 12},  {0.1, 11},   {0.5, 9}};
  for (const Step& step : kSteps) {
    if (halfSpan < step.below) return step.zoom;
  }
  return 7;
}

MapView MapExtent::View() const {
  if (empty_) return MapView{};
  const double halfLat = (latMax_ - latMin_) * 0.5;
  const double halfLon = (lonMax_ - lonMin_) * 0.5;
  // The map area is wider than tall, so latitude decides only when it is clearly the larger.
  const double extent = 1.8 * halfLon < halfLat ? halfLat : halfLon;
  return MapView{MapZoom(extent), latMin_ + halfLat, lonMin_ + halfLon};
}

}  // namespace tavrin
