// SPDX-License-Identifier: GPL-3.0-or-later
// The tracks of a period, for a map of them all: their spans and boxes as the index holds them.
// A track whose span meets the period's widened span in UTC is kept when one of its runs holds a
// time of the period's local days; no point is read.
#include <fcntl.h>

#include <algorithm>
#include <tuple>

#include "index/history_index.h"
#include "index/track_scan.h"
#include "store/posix_file.h"

namespace tavrin::index {
namespace {

IndexedTrack Listed(const std::string& folder, const std::string& name,
                    const TrackSummary& summary) {
  return IndexedTrack{folder + "/" + name,
                      UtcSecondsOf(summary.firstTime),
                      UtcSecondsOf(summary.lastTime),
                      summary.points,
                      summary.box,
                      {}};
}

// Whether a local day of the period lies between the two UTC instants.
bool Meets(const LocalPeriod& period, long long firstUtc, long long lastUtc) {
  return LocalDayOf(firstUtc, period.zone) <= period.to &&
         period.from <= LocalDayOf(lastUtc, period.zone);
}

}  // namespace

std::vector<std::string> HistoryIndex::UnusableFiles() const {
  std::vector<std::string> paths;
  Statement rows = db_.Prepare("SELECT name FROM tracks WHERE usable = 0 ORDER BY name");
  while (rows.Step()) paths.push_back(dataFolder_ + "/" + rows.Text(0));
  return paths;
}

std::vector<IndexedTrack> HistoryIndex::Tracks(const std::optional<LocalPeriod>& period) {
  std::vector<std::pair<IndexedTrack, std::vector<PointRun>>> found;
  if (db_.IsOpen()) Update();  // may close a database that cannot be written
  if (db_.IsOpen()) {
    Statement rows = db_.Prepare(
        "SELECT t.name, t.points, t.first_time, t.last_time, t.runs, b.south, b.north, b.west,"
        " b.east"
        " FROM tracks t JOIN track_boxes b ON b.id = t.id WHERE t.usable = 1");
    while (rows.Step()) {
      TrackSummary summary;
      summary.points = static_cast<uint32_t>(rows.Int(1));
      summary.firstTime = static_cast<IndexTime>(rows.Int(2));
      summary.lastTime = static_cast<IndexTime>(rows.Int(3));
      summary.box = {rows.Real(5), rows.Real(6), rows.Real(7), rows.Real(8)};
      found.emplace_back(Listed(dataFolder_, rows.Text(0), summary), RunsOfBlob(rows.Blob(4)));
    }
  } else {
    const UniqueFd folder = OpenFile(dataFolder_, O_RDONLY | O_DIRECTORY);
    for (const std::string& name : TrackFileNames(folder.Get())) {
      auto summary = SummariseTrackFile(folder.Get(), dataFolder_, name, reporter_);
      if (summary) found.emplace_back(Listed(dataFolder_, name, *summary), summary->runs);
    }
  }
  std::vector<IndexedTrack> tracks;
  for (auto& [track, runs] : found) {
    const bool kept = !period || std::any_of(runs.begin(), runs.end(), [&](const PointRun& run) {
      return Meets(*period, UtcSecondsOf(run.firstTime), UtcSecondsOf(run.lastTime));
    });
    if (!kept) continue;
    track.runs = std::move(runs);
    tracks.push_back(std::move(track));
  }
  std::sort(tracks.begin(), tracks.end(), [](const IndexedTrack& a, const IndexedTrack& b) {
    return std::tie(a.firstUtc, a.path) < std::tie(b.firstUtc, b.path);
  });
  return tracks;
}

}  // namespace tavrin::index
