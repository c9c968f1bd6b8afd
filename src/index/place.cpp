// SPDX-License-Identifier: GPL-3.0-or-later
#include "index/place.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tavrin::index {
namespace {

constexpr double kRadians = std::numbers::pi / 180;

bool InLongitudes(const GeoBox& box, double longitude) {
  return box.west <= box.east ? box.west <= longitude && longitude <= box.east
                              : longitude >= box.west || longitude <= box.east;
}

// A box that may cross 180 degrees, as boxes that do not.
void AddSplit(std::vector<GeoBox>& boxes, GeoBox box) {
  if (box.west <= box.east) {
    boxes.push_back(box);
    return;
  }
  boxes.push_back({box.south, box.north, box.west, 180});
  boxes.push_back({box.south, box.north, -180, box.east});
}

}  // namespace

Place Place::Near(double latitude, double longitude, double radiusMetres) {
  Place place;
  place.kind = Kind::Near;
  place.latitude = latitude;
  place.longitude = longitude;
  place.radius = radiusMetres;
  return place;
}

Place Place::Between(double lat1, double lon1, double lat2, double lon2) {
  Place place;
  place.kind = Kind::Box;
  place.box = {std::min(lat1, lat2), std::max(lat1, lat2), lon1, lon2};
  return place;
}

std::optional<double> Place::DistanceInside(double lat, double lon) const {
  if (kind == Kind::Box) {
    if (box.south <= lat && lat <= box.north && InLongitudes(box, lon)) return 0.0;
    return std::nullopt;
  }
  const double metres = GreatCircleMetres(latitude, longitude, lat, lon);
  if (metres <= radius) return metres;
  return std::nullopt;
}

// A circle's latitudes reach radius / R radians either side. Its longitudes reach
// asin(sin(r) / cos(lat)) either side (the tangent meridians); a circle that holds a pole, or
// whose tangents do not exist, takes every longitude. A little is added for rounding: the index
// only chooses what is read, and every point read is measured.
std::vector<GeoBox> Place::CoveringBoxes() const {
  std::vector<GeoBox> boxes;
  if (kind == Kind::Box) {
    AddSplit(boxes, box);
    return boxes;
  }
  const double angle = radius / kEarthRadiusMetres;  // radians
  const double reach = angle / kRadians * 1.0001 + 1e-6;
  const double south = std::max(-90.0, latitude - reach), north = std::min(90.0, latitude + reach);
  const double ratio = std::sin(angle) / std::cos(latitude * kRadians);
  if (north >= 90.0 || south <= -90.0 || angle >= std::numbers::pi / 2 || ratio >= 1.0) {
    boxes.push_back({south, north, -180, 180});
    return boxes;
  }
  const double across = std::asin(ratio) / kRadians * 1.0001 + 1e-6;
  double west = longitude - across, east = longitude + across;
  if (west < -180) west += 360;
  if (east > 180) east -= 360;
  AddSplit(boxes, {south, north, west, east});
  return boxes;
}

}  // namespace tavrin::index
