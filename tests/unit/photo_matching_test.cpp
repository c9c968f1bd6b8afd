// SPDX-License-Identifier: GPL-3.0-or-later
// Matching photo times to stored points: interpolation, exact points, gaps, the ends of the
// stored tracks, and several tracks in one timeline.
#include <gtest/gtest.h>

#include "photos/photo_matching.h"
#include "photos/photo_time.h"
#include "test_support.h"

namespace tavrin {
namespace {

using photos::MatchState;

double Utc(int hour, int minute, int second) {
  return static_cast<double>(photos::CivilSeconds(2024, 5, 1, hour, minute, second));
}

TrackPoint At(int hour, int minute, int second, float lat, float lon, int speed = 36,
              int heading = 90) {
  return MakePoint(DateTime{24, 5, 1, hour, minute, second}, kFix3D, lat, lon, speed, heading);
}

photos::TrackTimeline TimelineOf(std::initializer_list<std::vector<TrackPoint>> tracks) {
  photos::TrackTimeline timeline;
  for (const auto& track : tracks) timeline.Add(track);
  timeline.Finish();
  return timeline;
}

TEST(PhotoMatching, InterpolatesLinearlyInTimeBetweenTheTwoPointsAround) {
  const auto timeline =
      TimelineOf({{At(10, 0, 0, 37.5f, 127.0f, 20, 90), At(10, 0, 10, 37.6f, 127.2f, 40, 180)}});
  const auto match = timeline.Match(Utc(10, 0, 2) + 0.5, 60);
  ASSERT_EQ(match.state, MatchState::Matched);
  EXPECT_NEAR(match.position.latitude, 37.5f + 0.25 * (37.6f - 37.5f), 1e-9);
  EXPECT_NEAR(match.position.longitude, 127.0f + 0.25 * (127.2f - 127.0f), 1e-9);
  EXPECT_NEAR(match.position.speedKmh, 25, 1e-9);
  EXPECT_EQ(match.position.headingDegrees, 90);  // the nearer point's
  EXPECT_NEAR(match.gapSeconds, 2.5, 1e-9);
  EXPECT_EQ(timeline.Match(Utc(10, 0, 8), 60).position.headingDegrees, 180);
}

TEST(PhotoMatching, APhotoAtAPointTakesThatPoint) {
  const auto timeline = TimelineOf(
      {{At(10, 0, 0, 37.5f, 127.0f), At(10, 0, 5, 37.7f, 127.3f), At(10, 0, 9, 38.0f, 128.0f)}});
  for (const auto& [second, lat, lon] :
       {std::tuple(0, 37.5f, 127.0f), std::tuple(5, 37.7f, 127.3f), std::tuple(9, 38.0f, 128.0f)}) {
    const auto match = timeline.Match(Utc(10, 0, second), 60);
    ASSERT_EQ(match.state, MatchState::Matched) << second;
    EXPECT_EQ(match.position.latitude, static_cast<double>(lat)) << second;
    EXPECT_EQ(match.position.longitude, static_cast<double>(lon)) << second;
  }
}

TEST(PhotoMatching, BeyondTheMaximumGapFromTheNearestPointIsNotMatched) {
  // Points two minutes apart: the middle is 60 s from both.
  const auto timeline = TimelineOf({{At(10, 0, 0, 37.5f, 127.0f), At(10, 2, 0, 37.6f, 127.1f)}});
  EXPECT_EQ(timeline.Match(Utc(10, 1, 0), 60).state, MatchState::Matched);
  const auto far = timeline.Match(Utc(10, 1, 0), 59.5);
  EXPECT_EQ(far.state, MatchState::BeyondGap);
  EXPECT_EQ(far.gapSeconds, 60);
  // Close to one end is enough, however far the other point is.
  EXPECT_EQ(timeline.Match(Utc(10, 1, 50), 10).state, MatchState::Matched);
}

TEST(PhotoMatching, BeforeTheFirstAndAfterTheLastPointIsNotMatched) {
  const auto timeline = TimelineOf({{At(10, 0, 0, 37.5f, 127.0f), At(10, 0, 10, 37.6f, 127.1f)}});
  const auto before = timeline.Match(Utc(9, 59, 59), 60);
  EXPECT_EQ(before.state, MatchState::BeforeTracks);
  EXPECT_EQ(before.gapSeconds, 1);
  const auto after = timeline.Match(Utc(10, 0, 12), 60);
  EXPECT_EQ(after.state, MatchState::AfterTracks);
  EXPECT_EQ(after.gapSeconds, 2);
  EXPECT_EQ(photos::TrackTimeline().Match(Utc(10, 0, 0), 60).state, MatchState::NoStoredPoints);
}

TEST(PhotoMatching, PointsOfEveryTrackAreSearchedInTimeOrder) {
  // The later track is added first, as a listing in another order would give it.
  const auto timeline = TimelineOf({{At(12, 0, 0, 40.0f, 10.0f), At(12, 0, 10, 40.1f, 10.1f)},
                                    {At(10, 0, 0, 37.5f, 127.0f), At(10, 0, 10, 37.6f, 127.1f)}});
  EXPECT_NEAR(timeline.Match(Utc(10, 0, 5), 60).position.latitude, 37.55, 1e-6);
  EXPECT_NEAR(timeline.Match(Utc(12, 0, 5), 60).position.longitude, 10.05, 1e-6);
  // Between the tracks nothing is made up, however near the end of one.
  const auto between = timeline.Match(Utc(10, 0, 30), 60);
  EXPECT_EQ(between.state, MatchState::BetweenTracks);
  EXPECT_EQ(between.gapSeconds, 20);
  EXPECT_EQ(timeline.Match(Utc(11, 0, 0), 60).state, MatchState::BetweenTracks);
}

TEST(PhotoMatching, OverlappingTracksCoverTheirTimeTogether) {
  // A track cut out of another lies within it; a third starts before the first one ends.
  const auto timeline = TimelineOf({{At(10, 0, 0, 37.5f, 127.0f), At(10, 1, 0, 37.6f, 127.1f)},
                                    {At(10, 0, 20, 37.5f, 127.0f), At(10, 0, 30, 37.5f, 127.0f)},
                                    {At(10, 0, 50, 37.6f, 127.1f), At(10, 2, 0, 37.7f, 127.2f)}});
  EXPECT_EQ(timeline.Match(Utc(10, 0, 40), 60).state, MatchState::Matched);
  EXPECT_EQ(timeline.Match(Utc(10, 1, 30), 60).state, MatchState::Matched);
}

TEST(PhotoMatching, PointsWithoutAFixOrDeletedAreLeftOut) {
  TrackPoint noFix = At(10, 0, 5, 0.0f, 0.0f);
  noFix.SetFixKind(kFixNone);
  TrackPoint deleted = At(10, 0, 6, 1.0f, 1.0f);
  deleted.SetDeleted(true);
  const auto timeline =
      TimelineOf({{At(10, 0, 0, 37.5f, 127.0f), noFix, deleted, At(10, 0, 10, 37.6f, 127.1f)}});
  EXPECT_EQ(timeline.Size(), 2u);
  EXPECT_NEAR(timeline.Match(Utc(10, 0, 5), 60).position.latitude, 37.55, 1e-6);
}

TEST(PhotoMatching, TheShortWayRoundAcrossTheDateLine) {
  const auto timeline =
      TimelineOf({{At(10, 0, 0, -17.0f, 179.9f), At(10, 0, 10, -17.0f, -179.9f)}});
  EXPECT_NEAR(timeline.Match(Utc(10, 0, 5), 60).position.longitude, 180.0, 1e-4);
  EXPECT_NEAR(timeline.Match(Utc(10, 0, 8), 60).position.longitude, -179.94, 1e-4);
  // And westwards.
  const auto west = TimelineOf({{At(11, 0, 0, -17.0f, -179.9f), At(11, 0, 10, -17.0f, 179.9f)}});
  EXPECT_NEAR(west.Match(Utc(11, 0, 2), 60).position.longitude, -179.94, 1e-4);
  EXPECT_NEAR(west.Match(Utc(11, 0, 8), 60).position.longitude, 179.94, 1e-4);
}

}  // namespace
}  // namespace tavrin
