// SPDX-License-Identifier: GPL-3.0-or-later
// The record loaded into the Track Record page: the track or day it is, its points, and the points
// of the time window when one is set. The page owns it; the store only reads the files for it.
#pragma once

#include "store/track_store.h"

namespace tavrin::gui {

struct LoadedTrack {
  RowFigures record;       // the loaded track's or day's, as listed: local date-times
  TrackEntry track;        // by tracks, the loaded track as listed; by days, none
  std::string firstTrack;  // the file of the loaded track, or of the loaded day's first track
  PointVector points;      // the record's points, in UTC as the files hold them
  PointVector window;      // the points of the time window, while it is set
  bool windowActive = false;

  // What the speed graph draws: the window while one is set, else the whole record.
  const PointVector& Shown() const { return windowActive ? window : points; }
};

}  // namespace tavrin::gui
