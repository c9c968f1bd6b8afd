// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/track_splitter.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "import/duplicate_check.h"

namespace tavrin::imports {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kEarthRadiusMetres = 6371000;
constexpr int kFastestStoredKmh = 255;

double Radians(double degrees) {
  return degrees * kPi / 180;
}

double MetresBetween(const ImportedPoint& a, const ImportedPoint& b) {
  const double dLat = Radians(b.latitude - a.latitude), dLon = Radians(b.longitude - a.longitude);
  const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                   std::cos(Radians(a.latitude)) * std::cos(Radians(b.latitude)) *
                       std::sin(dLon / 2) * std::sin(dLon / 2);
  return 2 * kEarthRadiusMetres * std::asin(std::min(1.0, std::sqrt(h)));
}

// Degrees clockwise from north, from `a` towards `b`.
double Bearing(const ImportedPoint& a, const ImportedPoint& b) {
  const double lat1 = Radians(a.latitude), lat2 = Radians(b.latitude);
  const double dLon = Radians(b.longitude - a.longitude);
  const double y = std::sin(dLon) * std::cos(lat2);
  const double x =
      std::cos(lat1) * std::sin(lat2) - std::sin(lat1) * std::cos(lat2) * std::cos(dLon);
  const double degrees = std::atan2(y, x) * 180 / kPi;
  return degrees < 0 ? degrees + 360 : degrees;
}

TrackPoint ToTrackPoint(const ImportedPoint& p) {
  // Clamped before rounding: a file may give any speed, and a track point holds 0-255 km/h.
  const int speed =
      !(p.speedKmh >= 0)  // none given, or not a number
          ? 0
          : static_cast<int>(std::lround(std::min<double>(p.speedKmh, kFastestStoredKmh)));
  // Headings are kept in steps of 2 degrees; 360 is north again.
  const int heading = !(p.headingDegrees >= 0 && p.headingDegrees <= 360)
                          ? 0
                          : static_cast<int>(std::lround(p.headingDegrees / 2)) * 2 % 360;
  return MakePoint(FromCalendarSeconds(p.utcSeconds), p.fixKind, static_cast<float>(p.latitude),
                   static_cast<float>(p.longitude), speed, heading);
}

std::string FileName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

}  // namespace

void FillMotion(std::span<ImportedPoint> track) {
  for (size_t i = 0; i < track.size(); ++i) {
    ImportedPoint& point = track[i];
    if (point.speedKmh >= 0 && point.headingDegrees >= 0) continue;
    const ImportedPoint& before = track[i > 0 ? i - 1 : i];
    const ImportedPoint& after = track[i + 1 < track.size() ? i + 1 : i];
    const long long seconds = after.utcSeconds - before.utcSeconds;
    const double metres = MetresBetween(before, after);
    if (point.speedKmh < 0) {
      point.speedKmh = seconds > 0 ? static_cast<float>(metres / seconds * 3.6) : 0;
    }
    if (point.headingDegrees < 0) {
      point.headingDegrees = metres > 0 ? static_cast<float>(Bearing(before, after)) : 0;
    }
  }
}

void SortByTime(std::vector<ImportedPoint>& points) {
  std::sort(points.begin(), points.end(), [](const ImportedPoint& a, const ImportedPoint& b) {
    return a.utcSeconds != b.utcSeconds ? a.utcSeconds < b.utcSeconds : a.order < b.order;
  });
}

TrackSplitter::TrackSplitter(TrackStore& store, FileImport& result, bool holdTracks)
    : store_(store), result_(result), holdTracks_(holdTracks) {}

bool TrackSplitter::Storable(const ImportedPoint& point) {
  if (point.utcSeconds < kFirstStorableSecond) {
    Skipped(point.line, "its time is before 2000, which track files cannot hold");
    return false;
  }
  if (point.utcSeconds > kLastStorableSecond) {
    Skipped(point.line, "its time is after 2099, which track files cannot hold");
    return false;
  }
  if (!(std::fabs(point.latitude) <= 90) || !(std::fabs(point.longitude) <= 180)) {
    Skipped(point.line,
            "its position is off the globe (latitude beyond 90 or longitude beyond 180 degrees)");
    return false;
  }
  return true;
}

void TrackSplitter::Point(const ImportedPoint& point, PointList list) {
  if (list == PointList::Track && !hasTrack_) FirstTrackPoint();
  if (list != PointList::Track && hasTrack_) {
    Dropped(list == PointList::Route ? "routes" : "waypoints");
    return;
  }
  // Routes and waypoints are checked only once they are known to be imported.
  if (list == PointList::Track && !Storable(point)) return;
  std::vector<ImportedPoint>& points = list == PointList::Track   ? track_
                                       : list == PointList::Route ? route_
                                                                  : waypoints_;
  points.push_back(point);
  points.back().order = order_++;
}

// The routes and waypoints held so far are not the file's track after all.
void TrackSplitter::FirstTrackPoint() {
  hasTrack_ = true;
  if (!route_.empty() || !routes_.empty()) Dropped("routes");
  if (!waypoints_.empty()) Dropped("waypoints");
  std::vector<ImportedPoint>().swap(route_);
  std::vector<std::vector<ImportedPoint>>().swap(routes_);
  std::vector<ImportedPoint>().swap(waypoints_);
}

void TrackSplitter::ListEnds(PointList list) {
  if (list == PointList::Track) {
    EndList(track_);
  } else if (list == PointList::Route && !route_.empty()) {
    routes_.push_back(std::move(route_));
    route_.clear();
  }
}

void TrackSplitter::Dropped(std::string_view what) {
  dropped_.emplace(what);
}

void TrackSplitter::Count(CountsByKind& counts, long line, std::string_view why) {
  auto found = counts.find(why);
  if (found == counts.end()) found = counts.emplace(std::string(why), LineCount{line}).first;
  ++found->second.count;
}

void TrackSplitter::Skipped(long line, std::string_view why) {
  Count(skipped_, line, why);
}

void TrackSplitter::LeftOut(long line, std::string_view why) {
  Count(leftOut_, line, why);
}

void TrackSplitter::Finish() {
  EndList(track_);
  if (hasTrack_) return;
  ListEnds(PointList::Route);
  for (auto& route : routes_) {
    std::erase_if(route, [this](const ImportedPoint& p) { return !Storable(p); });
    EndList(route);
  }
  std::erase_if(waypoints_, [this](const ImportedPoint& p) { return !Storable(p); });
  EndList(waypoints_);
}

void TrackSplitter::Discard() {
  track_.clear();
  route_.clear();
  routes_.clear();
  waypoints_.clear();
  held_.clear();
}

// One track or route of the file, or its waypoints: in time order, each second once, then
// written (or held) as the tracks its gaps cut it into.
void TrackSplitter::EndList(std::vector<ImportedPoint>& points) {
  if (points.empty()) return;
  // The file's order is the time order nearly always, and then nothing moves.
  if (!std::is_sorted(points.begin(), points.end(),
                      [](const ImportedPoint& a, const ImportedPoint& b) {
                        return a.utcSeconds < b.utcSeconds;
                      })) {
    ++unorderedLists_;
    SortByTime(points);
  }
  DropRepeats(points);
  if (holdTracks_) {
    held_.push_back(std::move(points));
  } else {
    WriteList(points);
  }
  // Given back, not kept: the next list may be small.
  std::vector<ImportedPoint>().swap(points);
}

// A second holds one point. A repeat of the same position is the same fix written twice (a KML's
// marks, a log's sentences); another position in the same second cannot both be right, and the
// first stands.
void TrackSplitter::DropRepeats(std::vector<ImportedPoint>& points) {
  size_t kept = 1;
  for (size_t i = 1; i < points.size(); ++i) {
    const ImportedPoint& point = points[i];
    ImportedPoint& last = points[kept - 1];
    if (point.utcSeconds != last.utcSeconds) {
      points[kept++] = point;
    } else if (std::fabs(point.latitude - last.latitude) <= kSamePositionDegrees &&
               std::fabs(point.longitude - last.longitude) <= kSamePositionDegrees) {
      // The first copy stands, and gets the speed a later copy tells.
      if (last.speedKmh < 0) last.speedKmh = point.speedKmh;
      if (last.headingDegrees < 0) last.headingDegrees = point.headingDegrees;
      ++repeated_;
    } else {
      if (otherPosition_.count++ == 0) otherPosition_.firstLine = point.line;
    }
  }
  points.resize(kept);
}

void TrackSplitter::WriteList(std::span<ImportedPoint> points) {
  size_t first = 0;
  TrackPoint previous = ToTrackPoint(points.front());
  for (size_t i = 1; i < points.size(); ++i) {
    const TrackPoint point = ToTrackPoint(points[i]);
    if (StartsNewTrack(previous, point)) {
      WriteTrack(points.subspan(first, i - first));
      first = i;
    }
    previous = point;
  }
  WriteTrack(points.subspan(first));
}

void TrackSplitter::WriteHeld() {
  for (auto& list : held_) WriteList(list);
  held_.clear();
}

void TrackSplitter::WriteTrack(std::span<ImportedPoint> track) {
  if (writeFailed_) return;  // one failure a file: the folder will not take the rest either
  FillMotion(track);
  std::vector<TrackPoint> points;
  points.reserve(track.size());
  for (const ImportedPoint& p : track) points.push_back(ToTrackPoint(p));
  if (const auto stored = FindStoredCopy(store_, points)) {
    result_.duplicates.push_back(*stored);
    return;
  }
  TrackEntry entry;
  entry.header.marker = kTrackMarker;
  entry.header.firstDateTime = ToDateTime6(points.front().GetDateTime());
  if (auto opened = store_.Writer().OpenNewTrackFile(entry); !opened) {
    result_.failure =
        "Cannot write a track file into " + store_.DataFolder() + ": " +
        (opened.Error().reason.empty() ? opened.Error().SystemText() : opened.Error().reason) +
        ". Check the data folder and its free space, then import again.";
    writeFailed_ = true;
    return;
  }
  store_.Writer().AppendPoint(points.front());
  for (size_t i = 1; i < points.size(); ++i)
    entry.header.distance += store_.Writer().AppendPoint(points[i]);
  const TrackSaved saved = store_.Writer().CloseTrackFile(
      entry, static_cast<uint32_t>(points.size()), TrackEnd::Complete);
  if (saved.outcome == TrackSaved::Outcome::Saved && saved.error == 0) {
    result_.trackFiles.push_back(saved.path);
    result_.points += saved.points;
  } else {
    result_.failure = "Cannot write the track file " + saved.path + ": " +
                      std::strerror(saved.error ? saved.error : EIO) +
                      ". Check the data folder and its free space, then import again.";
    writeFailed_ = true;
  }
}

namespace {

std::string Counted(size_t count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

}  // namespace

void TrackSplitter::Summarise() {
  const std::string file = FileName(result_.file);
  if (!dropped_.empty()) {
    std::string what;
    for (const std::string& item : dropped_) what += (what.empty() ? "" : ", ") + item;
    result_.dropped.assign(dropped_.begin(), dropped_.end());
    result_.notes.push_back(file + ": track files hold no " + what + "; the file's are left out.");
  }
  for (const auto& [why, kind] : skipped_) {
    std::string text = file + ", line " + std::to_string(kind.firstLine) + ": ";
    text += kind.count == 1 ? "a point was skipped: " + why + "."
                            : std::to_string(kind.count) +
                                  " points were skipped (the first here): " + why + ".";
    result_.skipped.push_back(text);
  }
  for (const auto& [why, kind] : leftOut_) {
    result_.notes.push_back(file + ", line " + std::to_string(kind.firstLine) + ": " +
                            Counted(kind.count, "line is", "lines are") + " left out" +
                            (kind.count == 1 ? "" : " (the first here)") + ": " + why + ".");
  }
  if (unorderedLists_ > 0) {
    result_.notes.push_back(file + ": the points of " +
                            Counted(unorderedLists_, "track are", "tracks are") +
                            " not in time order in the file; they are stored in time order.");
  }
  if (repeated_ > 0) {
    result_.notes.push_back(file + ": " + Counted(repeated_, "point repeats", "points repeat") +
                            " the time and position of another and " +
                            (repeated_ == 1 ? "is" : "are") + " kept once.");
  }
  if (otherPosition_.count > 0) {
    result_.notes.push_back(
        file + ", line " + std::to_string(otherPosition_.firstLine) + ": " +
        Counted(otherPosition_.count, "point gives", "points give") +
        " another position in a second that has a point already; a track point holds one "
        "position a second, and the first given is kept.");
  }
}

}  // namespace tavrin::imports
