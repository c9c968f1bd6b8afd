// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/history/history_lines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <future>
#include <numbers>
#include <thread>

#include "export/exportable_points.h"
#include "export/map_line.h"
#include "export/track_simplify.h"
#include "gui/history/history_times.h"
#include "index/track_scan.h"
#include "store/track_file_checks.h"

namespace tavrin::gui {
namespace {

// The points of a track file that are not deleted, in file order; none when it cannot be read
// (the index has told of such a file already).
std::vector<TrackPoint> ReadPoints(const std::string& path) {
  std::vector<TrackPoint> points;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return points;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && info.st_size > kTrackHeaderBytes) {
    const auto records =
        static_cast<uint32_t>((info.st_size - kTrackHeaderBytes) / kTrackRecordBytes);
    points.reserve(records);
    index::ReadRunPoints(fd, 0, records,
                         [&points](const TrackPoint& p, uint32_t) { points.push_back(p); });
  }
  ::close(fd);
  return points;
}

// A step in degrees of longitude, with latitudes stretched as the map stretches them near
// `latitude`: no logarithm a point, which twenty million points would feel.
struct FlatStep {
  double stretch;
  double Length(const TrackPoint& a, const TrackPoint& b) const {
    return std::max<double>(std::fabs(a.longitude - b.longitude),
                            std::fabs(a.latitude - b.latitude) * stretch);
  }
};

// Leaves out each point within `step` (FlatStep) of the last one kept, the step taken long enough
// that at most about `most` points stay; the last point stays.
std::vector<TrackPoint> Thinned(std::span<const TrackPoint> points, double step, size_t most) {
  if (points.empty()) return {};
  const double latitude = points.front().latitude * std::numbers::pi / 180;
  const FlatStep flat{1 / std::max(std::cos(latitude), 0.01)};
  double length = 0;
  for (size_t i = 1; i < points.size(); ++i) length += flat.Length(points[i - 1], points[i]);
  step = std::max(step, length / static_cast<double>(std::max<size_t>(most, 2)));
  std::vector<TrackPoint> kept{points.front()};
  for (size_t i = 1; i < points.size(); ++i) {
    if (flat.Length(kept.back(), points[i]) > step || i + 1 == points.size())
      kept.push_back(points[i]);
  }
  return kept;
}

// What the script's strings may hold: the tooltips are digits, signs and zone names.
std::string ScriptString(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'' || c == '\\') quoted += '\\';
    if (c == '<') {
      quoted += "\\x3c";
      continue;
    }
    quoted += c;
  }
  return quoted + "'";
}

struct Slice {
  std::string script;
  size_t points = 0, drawn = 0;
};

// How the tracks are thinned: no point closer than `step` degrees (FlatStep) to the one before,
// and about `most` points a track at most; nothing is left out when `most` is 0.
struct Thinning {
  double step = 0;
  size_t most = 0;
};

// Tracks [first, end) as script items, each followed by a comma.
Slice MakeSlice(const std::vector<index::IndexedTrack>& tracks, size_t first, size_t end,
                const LocalZone& zone, Thinning thinning, const std::atomic<bool>* stop) {
  Slice slice;
  for (size_t i = first; i < end && (stop == nullptr || !*stop); ++i) {
    const std::vector<TrackPoint> read = ReadPoints(tracks[i].path);
    const ExportablePoints exportable(read);
    slice.points += read.size();
    const std::vector<TrackPoint> kept =
        thinning.most > 0
            ? Thinned(exportable.Points(), thinning.step, thinning.most)
            : std::vector<TrackPoint>(exportable.Points().begin(), exportable.Points().end());
    slice.drawn += kept.size();
    slice.script += "{d:'" + EncodeMapLine(kept) +
                    "',t:" + ScriptString(ShownSpan(tracks[i].firstUtc, tracks[i].lastUtc, zone)) +
                    "},";
  }
  return slice;
}

index::GeoBox BoxOfAll(const std::vector<index::IndexedTrack>& tracks) {
  index::GeoBox all{90, -90, 180, -180};
  for (const index::IndexedTrack& track : tracks) {
    all.south = std::min(all.south, track.box.south);
    all.north = std::max(all.north, track.box.north);
    all.west = std::min(all.west, track.box.west);
    all.east = std::max(all.east, track.box.east);
  }
  return all;
}

}  // namespace

int ZoomFitting(const index::GeoBox& box, int width, int height) {
  const WorldPixel northWest = ToWorldPixel(box.north, box.west);
  const WorldPixel southEast = ToWorldPixel(box.south, box.east);
  const double wide = std::max(southEast.x - northWest.x, 1e-9);
  const double high = std::max(southEast.y - northWest.y, 1e-9);
  const double scale = std::min(std::max(width, 64) / wide, std::max(height, 64) / high);
  return std::clamp(static_cast<int>(std::floor(std::log2(scale))), 0, kDeepestDetailZoom);
}

HistoryLines MakeHistoryLines(const std::vector<index::IndexedTrack>& tracks, const LocalZone& zone,
                              int width, int height, const std::atomic<bool>* stop) {
  size_t total = 0;
  for (const index::IndexedTrack& track : tracks) total += track.points;
  Thinning thinning;
  if (total > kPointsDrawnWhole) {
    // Half a pixel four zooms closer than the view of them all, in degrees of longitude; and
    // the points shared out among the tracks.
    const int closest =
        std::min(ZoomFitting(BoxOfAll(tracks), width, height) + 4, kDeepestDetailZoom);
    thinning.step = kDetailTolerancePixels / std::ldexp(1.0, closest) * 360 / 256;
    thinning.most = std::max<size_t>(kPointsDrawnWhole / tracks.size(), 32);
  }
  const size_t threads = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 8);
  const size_t each = (tracks.size() + threads - 1) / threads;
  std::vector<std::future<Slice>> slices;
  for (size_t first = 0; first < tracks.size(); first += each) {
    const size_t end = std::min(first + each, tracks.size());
    slices.push_back(std::async(std::launch::async, [&tracks, first, end, &zone, thinning, stop] {
      return MakeSlice(tracks, first, end, zone, thinning, stop);
    }));
  }
  HistoryLines lines;
  lines.script = "[";
  for (auto& work : slices) {
    Slice slice = work.get();
    lines.script += slice.script;
    lines.points += slice.points;
    lines.drawn += slice.drawn;
  }
  lines.script += "]";
  return lines;
}

}  // namespace tavrin::gui
