// SPDX-License-Identifier: GPL-3.0-or-later
// Where the logger was when a photo was taken: every stored point in one list sorted by time,
// searched for the two points around a photo's UTC instant, with the position interpolated
// between them.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "base/result.h"
#include "store/track_point.h"

namespace tavrin {
class TrackStore;
struct TrackEntry;
}  // namespace tavrin

namespace tavrin::photos {

constexpr double kDefaultMaxGapSeconds = 60;

// A position with the logger's speed and heading there.
struct GeoPosition {
  double latitude = 0;   // degrees, north positive
  double longitude = 0;  // degrees, east positive, -180 to 180
  double speedKmh = 0;
  double headingDegrees = 0;  // 0 to 360, clockwise from true north
};

enum class MatchState {
  Matched,         // `position` holds where the photo was taken
  BeyondGap,       // the nearest point is more than the maximum gap away
  BeforeTracks,    // taken before the first stored point
  AfterTracks,     // taken after the last stored point
  BetweenTracks,   // taken after one track ended and before the next began
  NoStoredPoints,  // nothing to match against
};

struct PositionMatch {
  MatchState state = MatchState::NoStoredPoints;
  GeoPosition position;
  double gapSeconds = 0;  // from the nearest point
};

// The stored points with a fix, sorted by UTC time, compact enough for a million of them.
class TrackTimeline {
 public:
  // Takes the points of one track that have a position (a point without a fix has none); call
  // Finish after the last Add.
  void Add(std::span<const TrackPoint> points);
  void Finish();
  size_t Size() const { return points_.size(); }

  // The position at a UTC instant (seconds since 1970), interpolated linearly in time between
  // the points before and after it; a point at that very second gives its own position. Not
  // matched when the nearer of the two is more than `maxGapSeconds` away, or when the instant
  // lies outside every track: before the first point, after the last, or between the end of one
  // track and the start of the next.
  PositionMatch Match(double utcSeconds, double maxGapSeconds) const;

 private:
  struct Sample {
    long long utcSeconds;
    float latitude;
    float longitude;
    uint8_t speedKmh;
    uint8_t heading;  // units of 2 degrees, as the logger records it
  };
  struct Span {
    long long first;
    long long last;
  };
  static GeoPosition PositionOf(const Sample& sample);
  static GeoPosition Between(const Sample& a, const Sample& b, double utcSeconds);
  bool WithinATrack(double utcSeconds) const;

  std::vector<Sample> points_;
  std::vector<Span> tracks_;  // the times each track covers; after Finish, merged and sorted
};

// Every stored track of the store's data folder, read through the store. Tracks that cannot be
// read are told of by the store and left out.
Result<TrackTimeline> LoadStoredTimeline(TrackStore& store);
// The same over the tracks of a listing the caller keeps.
Result<TrackTimeline> LoadStoredTimeline(TrackStore& store, std::span<const TrackEntry> tracks);

}  // namespace tavrin::photos
