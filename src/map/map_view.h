// SPDX-License-Identifier: GPL-3.0-or-later
// How the map page frames a track: the centre of its extent and a zoom level that fits it.
#pragma once

namespace tavrin {

struct MapView {
  int zoom = 4;
  double latitude = 37.4;  // centre; an empty track shows this default view
  double longitude = 126.967;
};

class MapExtent {
 public:
  // Widens the extent to take in a position.
  void Add(double latitude, double longitude) {
    if (latitude < latMin_) latMin_ = latitude;
    if (latitude > latMax_) latMax_ = latitude;
    if (longitude < lonMin_) lonMin_ = longitude;
    if (longitude > lonMax_) lonMax_ = longitude;
    empty_ = false;
  }
  MapView View() const;

 private:
  bool empty_ = true;
  double latMin_ = 90, latMax_ = -90, lonMin_ = 180, lonMax_ = -180;
};

// Zoom level for a half span in degrees: the smaller the extent, the closer the view.
int MapZoom(double halfSpan);

}  // namespace tavrin
