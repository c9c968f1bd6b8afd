// SPDX-License-Identifier: GPL-3.0-or-later
// A place asked about: a circle around a point, or a box of latitudes and longitudes; the
// distance of a position from it, and the boxes an index is searched with.
#pragma once

#include <optional>
#include <vector>

#include "base/great_circle.h"

namespace tavrin::index {

// Degrees; a box's longitudes run east from `west` to `east`, over 180 when west > east.
struct GeoBox {
  double south = 0, north = 0, west = 0, east = 0;
};

struct Place {
  enum class Kind { Near, Box } kind = Kind::Near;
  double latitude = 0, longitude = 0, radius = 100;  // Near: the centre, metres
  GeoBox box;                                        // Box

  static Place Near(double latitude, double longitude, double radiusMetres);
  // From two corners, as the user gives them: the southern and northern latitudes are sorted,
  // the longitudes are taken west to east as given (a box over 180 has west > east).
  static Place Between(double lat1, double lon1, double lat2, double lon2);

  // Metres from the centre of a circle, 0 in a box, for a position in the place; nothing for one
  // outside it.
  std::optional<double> DistanceInside(double latitude, double longitude) const;
  // Boxes that between them cover the place, none crossing 180 degrees: what an index of
  // bounding boxes is asked for.
  std::vector<GeoBox> CoveringBoxes() const;
};

}  // namespace tavrin::index
