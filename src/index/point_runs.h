// SPDX-License-Identifier: GPL-3.0-or-later
// What the history index keeps of a track file: its span, its bounding box and, for each run of
// consecutive points, where the run lies in the file, its box and its time span. A search reads
// only the records of the runs whose box meets the place.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "index/place.h"
#include "store/live_records.h"
#include "store/track_point.h"

namespace tavrin::index {

// Seconds since 2000-01-01 00:00:00 UTC, the logger's first year: 2000 to 2099 fit.
using IndexTime = uint32_t;
IndexTime IndexTimeOf(const TrackPoint& point);
long long UtcSecondsOf(IndexTime time);

struct PointRun {
  uint32_t firstRecord = 0;  // the record's place after the header, from 0
  uint32_t records = 0;      // records from the first to the last point of the run
  float south = 0, north = 0, west = 0, east = 0;
  IndexTime firstTime = 0, lastTime = 0;

  bool Meets(const GeoBox& box) const;
};

struct TrackSummary {
  uint32_t points = 0;
  IndexTime firstTime = 0, lastTime = 0;  // the earliest and latest of its points
  GeoBox box;
  std::vector<PointRun> runs;
};

// Runs hold this many points at most: few enough that a search reads little, many enough that
// a decade of tracks is a few hundred thousand runs.
constexpr uint32_t kPointsPerRun = 128;

// Gathers the summary of a track's records as they come, in order, in batches.
class TrackSummariser {
 public:
  // `records` start at record `firstRecord` of the file. Records that are no points (see
  // IsTrackPoint) and points marked deleted are passed over.
  void Add(const TrackPoint* records, size_t count, uint32_t firstRecord);
  TrackSummary Finish();

 private:
  void AddRecord(const TrackPoint& p, uint32_t record);
  void AddPoint(const TrackPoint& p, uint32_t record);
  void AddOrderedRun(const TrackPoint* points, size_t count, uint32_t firstRecord,
                     const LiveRecords& seen);
  void CloseRun();

  TrackSummary summary_;
  PointRun run_;
  uint32_t runPoints_ = 0;
  // The run's earliest and latest date-time as keys that sort as the times do; turned into
  // seconds once a run, not once a point.
  uint64_t firstKey_ = 0, lastKey_ = 0;
  TrackPoint firstOfRun_{}, lastOfRun_{};
};

// The runs as the index stores them, and back; a blob of the wrong size gives none.
std::vector<uint8_t> RunsBlob(std::span<const PointRun> runs);
std::vector<PointRun> RunsOfBlob(std::span<const uint8_t> blob);

}  // namespace tavrin::index
