// SPDX-License-Identifier: GPL-3.0-or-later
// "When was I here?": the index chooses the tracks whose box meets the place and, within them,
// the runs whose box does; only those runs' records are read, and every point read is measured.
// A passage is a stretch of consecutive points inside the place: a track that leaves and comes
// back has two.
#include <fcntl.h>

#include <algorithm>
#include <tuple>
#include <unordered_set>

#include "base/civil_date.h"
#include "index/history_index.h"
#include "index/track_scan.h"
#include "store/posix_file.h"

namespace tavrin::index {
namespace {

struct Candidate {
  std::string name;
  std::vector<PointRun> runs;
};

// The span of index times a period may hold: a day's local hours lie within 15 hours of UTC.
std::pair<IndexTime, IndexTime> TimesOf(const std::optional<LocalPeriod>& period) {
  if (!period) return {0, ~IndexTime{0}};
  const auto clamped = [](const CalendarDate& date, long long shift) {
    const long long utc = DaysOfCivilDate(date.year, date.month, date.day) * 86400LL + shift;
    return static_cast<IndexTime>(
        std::clamp<long long>(utc - UtcSecondsOf(0), 0, static_cast<long long>(~IndexTime{0})));
  };
  return {clamped(period->from, -15 * 3600), clamped(period->to, 39 * 3600)};
}

class PassageFinder {
 public:
  PassageFinder(const Place& place, const std::optional<LocalPeriod>& period, std::string folder)
      : place_(place),
        period_(period),
        boxes_(place.CoveringBoxes()),
        times_(TimesOf(period)),
        folder_(std::move(folder)) {}

  const std::vector<GeoBox>& Boxes() const { return boxes_; }
  std::pair<IndexTime, IndexTime> Times() const { return times_; }

  void Search(int folderFd, const Candidate& track) {
    std::vector<size_t> hits;
    for (size_t k = 0; k < track.runs.size(); ++k) {
      if (Chosen(track.runs[k])) hits.push_back(k);
    }
    if (hits.empty()) return;
    const UniqueFd fd(::openat(folderFd, track.name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.Valid()) return;
    path_ = folder_ + "/" + track.name;
    size_t previous = track.runs.size();
    for (const size_t k : hits) {
      if (k != previous + 1) Close();  // the runs between lie wholly outside the place
      const PointRun& run = track.runs[k];
      ReadRunPoints(fd.Get(), run.firstRecord, run.records,
                    [this](const TrackPoint& p, uint32_t) { Take(p); });
      previous = k;
    }
    Close();
  }

  std::vector<Passage> Result() {
    std::sort(found_.begin(), found_.end(), [](const Passage& a, const Passage& b) {
      return std::tie(a.firstUtc, a.path) < std::tie(b.firstUtc, b.path);
    });
    return std::move(found_);
  }

 private:
  bool Chosen(const PointRun& run) const {
    if (run.lastTime < times_.first || run.firstTime > times_.second) return false;
    return std::any_of(boxes_.begin(), boxes_.end(),
                       [&](const GeoBox& box) { return run.Meets(box); });
  }

  void Take(const TrackPoint& p) {
    const auto distance = place_.DistanceInside(p.latitude, p.longitude);
    if (!distance || (period_ && !period_->Holds(p))) {
      Close();
      return;
    }
    const long long utc = UtcSecondsOf(IndexTimeOf(p));
    if (!open_) {
      current_ = Passage{path_, utc, utc, *distance};
      open_ = true;
      return;
    }
    current_.lastUtc = utc;
    current_.closest = std::min(current_.closest, *distance);
  }

  void Close() {
    if (open_) found_.push_back(current_);
    open_ = false;
  }

  const Place& place_;
  const std::optional<LocalPeriod>& period_;
  std::vector<GeoBox> boxes_;
  std::pair<IndexTime, IndexTime> times_;
  std::string folder_, path_;
  Passage current_;
  bool open_ = false;
  std::vector<Passage> found_;
};

std::vector<Candidate> CandidatesFromIndex(const Database& db, const PassageFinder& finder) {
  std::vector<Candidate> tracks;
  std::unordered_set<int64_t> seen;
  Statement query = db.Prepare(
      "SELECT t.id, t.name, t.runs FROM track_boxes b JOIN tracks t ON t.id = b.id"
      " WHERE b.south <= ? AND b.north >= ? AND b.west <= ? AND b.east >= ?"
      " AND b.first_time <= ? AND b.last_time >= ?");
  for (const GeoBox& box : finder.Boxes()) {
    query.Bind(1, box.north).Bind(2, box.south).Bind(3, box.east).Bind(4, box.west);
    query.Bind(5, static_cast<double>(finder.Times().second));
    query.Bind(6, static_cast<double>(finder.Times().first));
    while (query.Step()) {
      if (!seen.insert(query.Int(0)).second) continue;  // a box on each side of 180 degrees
      tracks.push_back({query.Text(1), RunsOfBlob(query.Blob(2))});
    }
    query.Reset();
  }
  return tracks;
}

}  // namespace

std::vector<Passage> HistoryIndex::Find(const Place& place,
                                        const std::optional<LocalPeriod>& period) {
  PassageFinder finder(place, period, dataFolder_);
  const UniqueFd folder = OpenFile(dataFolder_, O_RDONLY | O_DIRECTORY);
  if (!folder.Valid()) return {};
  if (db_.IsOpen()) Update();  // may find that the database cannot be written, and close it
  if (db_.IsOpen()) {
    for (const Candidate& track : CandidatesFromIndex(db_, finder)) {
      finder.Search(folder.Get(), track);
    }
    return finder.Result();
  }
  // Without an index every file is summed up here, as an update would, and then searched.
  for (const std::string& name : TrackFileNames(folder.Get())) {
    auto summary = SummariseTrackFile(folder.Get(), dataFolder_, name, reporter_);
    if (summary) finder.Search(folder.Get(), {name, std::move(summary->runs)});
  }
  return finder.Result();
}

}  // namespace tavrin::index
