// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/track_splitter.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "base/civil_date.h"
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
  return MakePoint(UtcDateTime(p.utcSeconds), p.fixKind, static_cast<float>(p.latitude),
                   static_cast<float>(p.longitude), speed, heading);
}

std::string FileName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

}  // namespace

DateTime UtcDateTime(long long utcSeconds) {
  // Without the C library's locking: a million points call this a million times.
  const long long days = DaysOfSeconds(utcSeconds);
  const long long secondOfDay = utcSeconds - days * 86400;
  const CivilDate date = CivilDateOfDays(days);
  return DateTime{static_cast<int>(date.year - 2000),
                  date.month,
                  date.day,
                  static_cast<int>(secondOfDay / 3600),
                  static_cast<int>(secondOfDay / 60 % 60),
                  static_cast<int>(secondOfDay % 60)};
}

void FillMotion(std::vector<ImportedPoint>& track) {
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

TrackSplitter::TrackSplitter(TrackStore& store, FileImport& result, bool holdTracks)
    : store_(store), result_(result), holdTracks_(holdTracks) {}

void TrackSplitter::Point(const ImportedPoint& point) {
  if (point.utcSeconds < kFirstStorableSecond) {
    return Skipped(point.line, "its time is before 2000, which track files cannot hold");
  }
  if (point.utcSeconds > kLastStorableSecond) {
    return Skipped(point.line, "its time is after 2099, which track files cannot hold");
  }
  if (!(std::fabs(point.latitude) <= 90) || !(std::fabs(point.longitude) <= 180)) {
    return Skipped(point.line,
                   "its position is off the globe (latitude beyond 90 or longitude beyond 180 "
                   "degrees)");
  }
  const TrackPoint converted = ToTrackPoint(point);
  if (havePrevious_) {
    if (point.utcSeconds <= previousSeconds_) {
      // Files repeat points (a KML's start and end marks, a track written twice): the first
      // copy stands, and gets the speed a later copy tells.
      if (point.utcSeconds == previousSeconds_ && !track_.empty() && track_.back().speedKmh < 0) {
        track_.back().speedKmh = point.speedKmh;
        track_.back().headingDegrees = point.headingDegrees;
      }
      ++repeated_;
      return;
    }
    if (StartsNewTrack(previous_, converted)) EndTrack();
  }
  previous_ = converted;
  previousSeconds_ = point.utcSeconds;
  havePrevious_ = true;
  track_.push_back(point);
}

void TrackSplitter::Dropped(std::string_view what) {
  dropped_.emplace(what);
}

void TrackSplitter::Skipped(long line, std::string_view why) {
  auto found = skipped_.find(why);
  if (found == skipped_.end()) found = skipped_.emplace(std::string(why), SkippedKind{line}).first;
  ++found->second.count;
}

void TrackSplitter::Finish() {
  EndTrack();
}

void TrackSplitter::EndTrack() {
  if (track_.empty()) return;
  if (holdTracks_) {
    held_.push_back(std::move(track_));
  } else {
    WriteTrack(track_);
  }
  track_.clear();
}

void TrackSplitter::WriteHeld() {
  for (auto& track : held_) WriteTrack(track);
  held_.clear();
}

void TrackSplitter::WriteTrack(std::vector<ImportedPoint>& track) {
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
  if (auto opened = store_.OpenNewTrackFile(entry); !opened) {
    result_.failure =
        "Cannot write a track file into " + store_.DataFolder() + ": " +
        (opened.Error().reason.empty() ? opened.Error().SystemText() : opened.Error().reason) +
        ". Check the data folder and its free space, then import again.";
    writeFailed_ = true;
    return;
  }
  store_.AppendPoint(points.front());
  for (size_t i = 1; i < points.size(); ++i) entry.header.distance += store_.AppendPoint(points[i]);
  const TrackSaved saved =
      store_.CloseTrackFile(entry, static_cast<uint32_t>(points.size()), TrackEnd::Complete);
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
  if (repeated_ > 0) {
    result_.notes.push_back(file + ": " + std::to_string(repeated_) +
                            (repeated_ == 1 ? " point repeats" : " points repeat") +
                            " the time of a point before, or go back before it, and " +
                            (repeated_ == 1 ? "is" : "are") + " left out.");
  }
}

}  // namespace tavrin::imports
