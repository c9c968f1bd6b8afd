// SPDX-License-Identifier: GPL-3.0-or-later
// What the readers of other programs' track files hand on: one point as the file gave it, before
// it is checked and made a track point, and the sink the points go to.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "store/track_point.h"

namespace tavrin::imports {

constexpr float kNotGiven = -1;

// Which of a file's lists a point comes from. A track is what a device recorded as it went;
// routes and waypoints are planned or marked places, which become a track only in a file that
// has no track: a logger writes its marked points beside the track they were marked on.
enum class PointList : uint8_t { Track, Route, Waypoints };

struct ImportedPoint {
  long long utcSeconds = 0;
  double latitude = 0;
  double longitude = 0;
  float speedKmh = kNotGiven;        // kNotGiven: worked out from the neighbouring points
  float headingDegrees = kNotGiven;  // likewise
  uint8_t fixKind = kFix3D;
  // Which came first of two points of the same second once a list is put in time order.
  uint32_t order = 0;
  long line = 0;  // where the point stands in its file, for messages
};

// Where a reader puts what it finds, in the file's order.
class PointSink {
 public:
  virtual ~PointSink() = default;
  virtual void Point(const ImportedPoint& point, PointList list) = 0;
  // The track or route whose points came last is whole; the next points of that list begin
  // another. The file's waypoints are one list.
  virtual void ListEnds(PointList list) = 0;
  // Something of the file that a track file cannot hold ("elevation", "heart rate", "names").
  virtual void Dropped(std::string_view what) = 0;
  // A point or sentence that was meant to be read and could not be: something is lost, and the
  // file counts as one with problems. `why` names what was wrong with it.
  virtual void Skipped(long line, std::string_view why) = 0;
  // A line that holds nothing a track file could keep (a comment, a cut-off sentence, a fix
  // without a position), left out and counted by kind; no problem of the file.
  virtual void LeftOut(long line, std::string_view why) = 0;
};

// A reader takes the file's bytes in pieces of any size. A failure ends the reading: the
// reason names the line where that helps.
class TrackReader {
 public:
  virtual ~TrackReader() = default;
  virtual Result<void> Feed(std::string_view bytes, bool last) = 0;
};

// Seconds since 1970 of an ISO 8601 date-time such as 2024-03-05T12:00:00Z, with optional
// fractions of a second (cut off) and an offset (+02:00) instead of Z; no zone counts as UTC.
std::optional<long long> ParseIsoTime(std::string_view text);

// A number as the XML formats write it: the whole text is the number, spaces around allowed.
std::optional<double> ParseNumber(std::string_view text);

}  // namespace tavrin::imports
