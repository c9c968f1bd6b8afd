// SPDX-License-Identifier: GPL-3.0-or-later
#include "index/point_runs.h"

#include <algorithm>
#include <cstring>

#include "base/civil_date.h"
#include "store/live_records.h"
#include "store/track_file_checks.h"

namespace tavrin::index {
namespace {

constexpr long long kIndexEpoch = DaysOfCivilDate(2000, 1, 1) * 86400LL;

}  // namespace

IndexTime IndexTimeOf(const TrackPoint& point) {
  const auto seconds = ToCalendarSeconds(point.GetDateTime());
  return seconds && *seconds >= kIndexEpoch ? static_cast<IndexTime>(*seconds - kIndexEpoch) : 0;
}

long long UtcSecondsOf(IndexTime time) {
  return kIndexEpoch + time;
}

bool PointRun::Meets(const GeoBox& box) const {
  // Runs never cross 180 degrees in their box (one that does spans every longitude), and the
  // boxes asked with never do either.
  return south <= box.north && box.south <= north && west <= box.east && box.west <= east;
}

namespace {

// Year, month, day, hour, minute and second packed high to low: keys compare as the times.
uint64_t TimeKey(const TrackPoint& p) {
  const uint64_t packed = p.dateTime;
  return (packed & 0x7F) << 26 | static_cast<uint64_t>(p.Month()) << 22 |
         ((packed >> 8) & 0x3F) << 17 | ((packed >> 14) & 0x3F) << 12 |
         ((packed >> 20) & 0x3F) << 6 | packed >> 26;
}

}  // namespace

void TrackSummariser::Add(const TrackPoint* records, size_t count, uint32_t firstRecord) {
  size_t i = 0;
  while (i < count && runPoints_ != 0) {  // a run the batch before left open is filled first
    AddRecord(records[i], static_cast<uint32_t>(firstRecord + i));
    ++i;
  }
  // Nearly every run holds only live points in time order: one quick pass finds that out and
  // gives its box, and only a run that is not so is looked at point by point.
  while (i < count) {
    const size_t take = std::min<size_t>(kPointsPerRun, count - i);
    const LiveRecords seen = LookOverRecords(records + i, take);
    const auto first = static_cast<uint32_t>(firstRecord + i);
    if (seen.allLive && seen.inTimeOrder) {
      AddOrderedRun(records + i, take, first, seen);
    } else {
      for (size_t k = 0; k < take; ++k) AddRecord(records[i + k], first + static_cast<uint32_t>(k));
      CloseRun();  // the stretch's points are one run even when some of its records are none
    }
    i += take;
  }
}

void TrackSummariser::AddRecord(const TrackPoint& p, uint32_t record) {
  if (IsTrackPoint(p) && !p.IsDeleted()) AddPoint(p, record);
}

void TrackSummariser::AddOrderedRun(const TrackPoint* p, size_t count, uint32_t firstRecord,
                                    const LiveRecords& seen) {
  run_ = PointRun{firstRecord, static_cast<uint32_t>(count),
                  seen.south,  seen.north,
                  seen.west,   seen.east,
                  0,           0};
  firstOfRun_ = p[0];
  lastOfRun_ = p[count - 1];
  firstKey_ = TimeKey(firstOfRun_);
  lastKey_ = TimeKey(lastOfRun_);
  runPoints_ = static_cast<uint32_t>(count);
  if (count == kPointsPerRun) CloseRun();  // else the next batch may go on with it
}

void TrackSummariser::AddPoint(const TrackPoint& p, uint32_t record) {
  const uint64_t key = TimeKey(p);
  if (runPoints_ == 0) {
    run_ = PointRun{record, 0, p.latitude, p.latitude, p.longitude, p.longitude, 0, 0};
    firstKey_ = lastKey_ = key;
    firstOfRun_ = lastOfRun_ = p;
  }
  run_.records = record - run_.firstRecord + 1;
  run_.south = std::min(run_.south, p.latitude);
  run_.north = std::max(run_.north, p.latitude);
  run_.west = std::min(run_.west, p.longitude);
  run_.east = std::max(run_.east, p.longitude);
  if (key < firstKey_) firstKey_ = key, firstOfRun_ = p;
  if (key > lastKey_) lastKey_ = key, lastOfRun_ = p;
  if (++runPoints_ == kPointsPerRun) CloseRun();
}

void TrackSummariser::CloseRun() {
  if (runPoints_ == 0) return;
  run_.firstTime = IndexTimeOf(firstOfRun_);
  run_.lastTime = IndexTimeOf(lastOfRun_);
  TrackSummary& s = summary_;
  if (s.runs.empty()) {
    s.box = {run_.south, run_.north, run_.west, run_.east};
    s.firstTime = run_.firstTime;
    s.lastTime = run_.lastTime;
  }
  s.box.south = std::min<double>(s.box.south, run_.south);
  s.box.north = std::max<double>(s.box.north, run_.north);
  s.box.west = std::min<double>(s.box.west, run_.west);
  s.box.east = std::max<double>(s.box.east, run_.east);
  s.firstTime = std::min(s.firstTime, run_.firstTime);
  s.lastTime = std::max(s.lastTime, run_.lastTime);
  s.points += runPoints_;
  s.runs.push_back(run_);
  runPoints_ = 0;
}

TrackSummary TrackSummariser::Finish() {
  CloseRun();
  return std::move(summary_);
}

std::vector<uint8_t> RunsBlob(std::span<const PointRun> runs) {
  static_assert(sizeof(PointRun) == 32, "runs are stored as they lie in memory");
  std::vector<uint8_t> blob(runs.size() * sizeof(PointRun));
  if (!runs.empty()) std::memcpy(blob.data(), runs.data(), blob.size());
  return blob;
}

std::vector<PointRun> RunsOfBlob(std::span<const uint8_t> blob) {
  if (blob.size() % sizeof(PointRun) != 0) return {};
  std::vector<PointRun> runs(blob.size() / sizeof(PointRun));
  if (!runs.empty()) std::memcpy(runs.data(), blob.data(), blob.size());
  return runs;
}

}  // namespace tavrin::index
