// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/photo_matching.h"

#include <algorithm>
#include <cmath>

#include "store/track_store.h"

namespace tavrin::photos {

void TrackTimeline::Add(std::span<const TrackPoint> points) {
  const size_t firstAdded = points_.size();
  points_.reserve(points_.size() + points.size());
  for (const TrackPoint& point : points) {
    if (point.FixKind() == kFixNone || point.IsDeleted()) continue;
    if (!std::isfinite(point.latitude) || !std::isfinite(point.longitude)) continue;
    const auto seconds = ToCalendarSeconds(point.GetDateTime());
    if (!seconds) continue;
    points_.push_back({*seconds, point.latitude, point.longitude, point.speed, point.heading});
  }
  if (points_.size() == firstAdded) return;
  Span span{points_[firstAdded].utcSeconds, points_[firstAdded].utcSeconds};
  for (size_t i = firstAdded; i < points_.size(); ++i) {
    span.first = std::min(span.first, points_[i].utcSeconds);
    span.last = std::max(span.last, points_[i].utcSeconds);
  }
  tracks_.push_back(span);
}

void TrackTimeline::Finish() {
  // Stable, so that of two points in the same second the one stored first is taken.
  std::stable_sort(points_.begin(), points_.end(),
                   [](const Sample& a, const Sample& b) { return a.utcSeconds < b.utcSeconds; });
  // Overlapping tracks (a cut copy beside its source) cover one stretch of time.
  std::sort(tracks_.begin(), tracks_.end(),
            [](const Span& a, const Span& b) { return a.first < b.first; });
  std::vector<Span> merged;
  for (const Span& span : tracks_) {
    if (!merged.empty() && span.first <= merged.back().last) {
      merged.back().last = std::max(merged.back().last, span.last);
    } else {
      merged.push_back(span);
    }
  }
  tracks_ = std::move(merged);
}

bool TrackTimeline::WithinATrack(double utcSeconds) const {
  const auto after = std::upper_bound(
      tracks_.begin(), tracks_.end(), utcSeconds,
      [](double time, const Span& span) { return time < static_cast<double>(span.first); });
  return after != tracks_.begin() && utcSeconds <= static_cast<double>((after - 1)->last);
}

GeoPosition TrackTimeline::PositionOf(const Sample& sample) {
  return {sample.latitude, sample.longitude, static_cast<double>(sample.speedKmh),
          sample.heading * 2.0};
}

GeoPosition TrackTimeline::Between(const Sample& a, const Sample& b, double utcSeconds) {
  const double share = (utcSeconds - static_cast<double>(a.utcSeconds)) /
                       static_cast<double>(b.utcSeconds - a.utcSeconds);
  double longitudeStep = static_cast<double>(b.longitude) - a.longitude;
  // Across the 180th meridian the short way round is the way the logger went.
  if (longitudeStep > 180) longitudeStep -= 360;
  if (longitudeStep < -180) longitudeStep += 360;
  double longitude = a.longitude + share * longitudeStep;
  if (longitude > 180) longitude -= 360;
  if (longitude < -180) longitude += 360;
  GeoPosition position;
  position.latitude = a.latitude + share * (static_cast<double>(b.latitude) - a.latitude);
  position.longitude = longitude;
  position.speedKmh = a.speedKmh + share * (static_cast<double>(b.speedKmh) - a.speedKmh);
  // A heading is not averaged (350 and 10 degrees would give 180): the nearer point's is taken.
  position.headingDegrees = (share <= 0.5 ? a.heading : b.heading) * 2.0;
  return position;
}

PositionMatch TrackTimeline::Match(double utcSeconds, double maxGapSeconds) const {
  PositionMatch match;
  if (points_.empty()) return match;
  const auto after = std::lower_bound(points_.begin(), points_.end(), utcSeconds,
                                      [](const Sample& sample, double time) {
                                        return static_cast<double>(sample.utcSeconds) < time;
                                      });
  if (after == points_.end()) {
    match.state = MatchState::AfterTracks;
    match.gapSeconds = utcSeconds - static_cast<double>(points_.back().utcSeconds);
    return match;
  }
  if (static_cast<double>(after->utcSeconds) == utcSeconds) {
    match.state = MatchState::Matched;
    match.position = PositionOf(*after);
    return match;
  }
  if (after == points_.begin()) {
    match.state = MatchState::BeforeTracks;
    match.gapSeconds = static_cast<double>(after->utcSeconds) - utcSeconds;
    return match;
  }
  const Sample& before = *(after - 1);
  match.gapSeconds = std::min(utcSeconds - static_cast<double>(before.utcSeconds),
                              static_cast<double>(after->utcSeconds) - utcSeconds);
  if (!WithinATrack(utcSeconds)) {
    match.state = MatchState::BetweenTracks;
    return match;
  }
  if (match.gapSeconds > maxGapSeconds) {
    match.state = MatchState::BeyondGap;
    return match;
  }
  match.state = MatchState::Matched;
  match.position = Between(before, *after, utcSeconds);
  return match;
}

Result<TrackTimeline> LoadStoredTimeline(TrackStore& store) {
  return LoadStoredTimeline(store, store.Catalogue().ListTracks(nullptr, false).tracks);
}

Result<TrackTimeline> LoadStoredTimeline(TrackStore& store, std::span<const TrackEntry> tracks) {
  TrackTimeline timeline;
  PointVector points;
  for (const TrackEntry& entry : tracks) {
    points.clear();
    if (store.Files().ReadTrackPoints(entry, points)) timeline.Add(points);
  }
  timeline.Finish();
  if (timeline.Size() == 0) {
    return Failure{"no stored track has a point with a position in " + store.DataFolder() +
                   "; read the logger's tracks first (tavrin read), or choose the folder that "
                   "holds them with --data"};
  }
  return timeline;
}

}  // namespace tavrin::photos
