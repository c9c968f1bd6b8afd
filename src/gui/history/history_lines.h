// SPDX-License-Identifier: GPL-3.0-or-later
// The lines of the History map: every track of a period read from its file, thinned to what the
// map can show, and written as the page's script takes them. Runs off the window's thread.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "index/history_index.h"
#include "store/local_zone.h"

namespace tavrin::gui {

struct HistoryLines {
  // A script array of {d: line (EncodeMapLine), t: the track's span as a tooltip}, one a track
  // in the tracks' order; a track without a point to draw has an empty line.
  std::string script;
  size_t points = 0;  // the tracks' points read
  size_t drawn = 0;   // the points kept for the map
  // The closest zoom at which the lines look as all their points would; a view closer than
  // that asks for closer lines (MakeCloserLines).
  int wholeUpTo = 0;
};

// Above this many points in all, each track keeps its share of them (and no two points closer
// than half a pixel four zooms closer than the view of all the tracks) before its levels of
// detail are worked out: a decade of tracks draws within two seconds. A closer view then asks
// for the lines about it with more of their points (MakeCloserLines).
constexpr size_t kPointsDrawnWhole = 800000;

// The zoom at which `box` fills a view of `width` x `height` pixels.
int ZoomFitting(const index::GeoBox& box, int width, int height);

// The tracks' lines for a map of `width` x `height` pixels, read on as many threads as the
// machine has cores; `stop` set ends it early (the window closes), with lines of no use.
HistoryLines MakeHistoryLines(const std::vector<index::IndexedTrack>& tracks, const LocalZone& zone,
                              int width, int height, const std::atomic<bool>* stop = nullptr,
                              size_t pointsDrawnWhole = kPointsDrawnWhole);

// What a closer look at thinned lines draws: the parts of tracks[chosen[k]] whose segments meet
// `view`, each part a line, with no two points closer than half a pixel kCloserZooms zooms
// closer than `zoom`, and fewer still when they would be more than a quarter of
// `pointsDrawnWhole` (the view shows a small part of them). The script is an array of {i: the
// track's index in `tracks`, d: [its parts as EncodeMapLine makes them]}.
constexpr int kCloserZooms = 2;
HistoryLines MakeCloserLines(const std::vector<index::IndexedTrack>& tracks,
                             const std::vector<size_t>& chosen, const index::GeoBox& view, int zoom,
                             size_t pointsDrawnWhole = kPointsDrawnWhole,
                             const std::atomic<bool>* stop = nullptr);

}  // namespace tavrin::gui
