// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/duplicate_check.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace tavrin::imports {
namespace {

// The track files whose names start with the stem of `base` ("20240305_120000"): the track of
// that first second and its numbered namesakes ("_02").
std::vector<std::string> Namesakes(const std::string& base) {
  const std::filesystem::path path(base);
  const std::string stem = path.stem().string();
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& item : std::filesystem::directory_iterator(path.parent_path(), error)) {
    const std::string name = item.path().filename().string();
    if (name.starts_with(stem) && name.ends_with(".bt0")) names.push_back(item.path().string());
  }
  return names;
}

}  // namespace

bool SamePoint(const TrackPoint& a, const TrackPoint& b) {
  return a.GetDateTime() == b.GetDateTime() &&
         std::fabs(a.latitude - b.latitude) <= kSamePositionDegrees &&
         std::fabs(a.longitude - b.longitude) <= kSamePositionDegrees;
}

std::optional<std::string> FindStoredCopy(TrackStore& store, std::span<const TrackPoint> points) {
  if (points.empty()) return std::nullopt;
  TrackHeader header;
  header.firstDateTime = ToDateTime6(points.front().GetDateTime());
  for (const std::string& name : Namesakes(store.TrackFileName(header))) {
    TrackEntry entry;
    entry.path = name;
    // Only the count is compared before any point is read.
    const auto stored = store.Files().ReadTrackHeader(name);
    if (!stored || stored->header.pointCount < points.size()) continue;
    PointVector storedPoints;
    if (!store.Files().ReadTrackPoints(*stored, storedPoints)) continue;
    // A stored track that begins with these points holds them: a file cut short, imported
    // after the whole one, adds nothing.
    if (storedPoints.size() < points.size()) continue;
    if (std::equal(points.begin(), points.end(), storedPoints.begin(), SamePoint)) return name;
  }
  return std::nullopt;
}

}  // namespace tavrin::imports
