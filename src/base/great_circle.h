// SPDX-License-Identifier: GPL-3.0-or-later
// Distances on the sphere the exports use (the Earth's mean radius).
#pragma once

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tavrin {

inline constexpr double kEarthRadiusMetres = 6371000.0;

// Metres between two positions (haversine).
inline double GreatCircleMetres(double lat1, double lon1, double lat2, double lon2) {
  constexpr double kRadians = std::numbers::pi / 180;
  const double dLat = (lat2 - lat1) * kRadians, dLon = (lon2 - lon1) * kRadians;
  const double a = std::sin(dLat / 2) * std::sin(dLat / 2) +
                   std::cos(lat1 * kRadians) * std::cos(lat2 * kRadians) * std::sin(dLon / 2) *
                       std::sin(dLon / 2);
  return 2 * kEarthRadiusMetres * std::asin(std::min(1.0, std::sqrt(a)));
}

}  // namespace tavrin
