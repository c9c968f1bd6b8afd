// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/history/history_lines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <future>
#include <limits>
#include <numbers>
#include <thread>

#include "base/longitude.h"
#include "export/exportable_points.h"
#include "gui/history/history_times.h"
#include "index/track_scan.h"
#include "map/map_line.h"
#include "map/track_simplify.h"
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
    return std::max<double>(std::fabs(LongitudeStep(a.longitude, b.longitude)),
                            std::fabs(a.latitude - b.latitude) * stretch);
  }
};

// Leaves out each point within `step` (FlatStep) of the last one kept, the step taken long enough
// that at most about `most` points stay; the last point stays. `used` grows to the step taken.
std::vector<TrackPoint> Thinned(std::span<const TrackPoint> points, double step, size_t most,
                                double& used) {
  if (points.empty()) return {};
  const double latitude = points.front().latitude * std::numbers::pi / 180;
  const FlatStep flat{1 / std::max(std::cos(latitude), 0.01)};
  double length = 0;
  for (size_t i = 1; i < points.size(); ++i) length += flat.Length(points[i - 1], points[i]);
  step = std::max(step, length / static_cast<double>(std::max<size_t>(most, 2)));
  used = std::max(used, step);
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
  double step = 0;  // the longest step a line was thinned with
};

// Half a pixel at `zoom`, in degrees of longitude.
double HalfPixelAt(int zoom) {
  return kDetailTolerancePixels / std::ldexp(1.0, std::min(zoom, kDeepestDetailZoom)) * 360 / 256;
}

// The closest zoom at which lines thinned with `step` look as all their points would.
int ZoomOfStep(double step) {
  if (step <= 0) return kDeepestDetailZoom;
  const double zoom = std::floor(std::log2(HalfPixelAt(0) / step));
  return static_cast<int>(std::clamp(zoom, 0.0, static_cast<double>(kDeepestDetailZoom)));
}

// Runs `slice(first, end)` over parts of [0, count) on as many threads as the machine has cores
// and makes one script array of what they made, in order.
HistoryLines JoinSlices(size_t count, const std::function<Slice(size_t, size_t)>& slice) {
  const size_t threads = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 8);
  const size_t each = std::max<size_t>((count + threads - 1) / threads, 1);
  std::vector<std::future<Slice>> slices;
  for (size_t first = 0; first < count; first += each) {
    const size_t end = std::min(first + each, count);
    slices.push_back(
        std::async(std::launch::async, [&slice, first, end] { return slice(first, end); }));
  }
  HistoryLines lines;
  lines.wholeUpTo = kDeepestDetailZoom;
  lines.script = "[";
  for (auto& work : slices) {
    Slice part = work.get();
    lines.script += part.script;
    lines.points += part.points;
    lines.drawn += part.drawn;
    lines.wholeUpTo = std::min(lines.wholeUpTo, ZoomOfStep(part.step));
  }
  lines.script += "]";
  return lines;
}

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
            ? Thinned(exportable.Points(), thinning.step, thinning.most, slice.step)
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
                              int width, int height, const std::atomic<bool>* stop,
                              size_t pointsDrawnWhole) {
  size_t total = 0;
  for (const index::IndexedTrack& track : tracks) total += track.points;
  Thinning thinning;
  const int fitting = ZoomFitting(BoxOfAll(tracks), width, height);
  if (total > pointsDrawnWhole) {
    // Half a pixel four zooms closer than the view of them all; and the points shared out
    // among the tracks.
    thinning.step = HalfPixelAt(std::min(fitting + 4, kDeepestDetailZoom));
    thinning.most = std::max<size_t>(pointsDrawnWhole / tracks.size(), 32);
  }
  HistoryLines lines = JoinSlices(tracks.size(), [&](size_t first, size_t end) {
    return MakeSlice(tracks, first, end, zone, thinning, stop);
  });
  // The view of them all (which the map may fit half a zoom closer) is what they are made for,
  // however many share the points.
  lines.wholeUpTo = std::max(lines.wholeUpTo, std::min(fitting + 1, kDeepestDetailZoom));
  return lines;
}

namespace {

bool SegmentMeets(const TrackPoint& a, const TrackPoint& b, const index::GeoBox& box) {
  return std::max(a.latitude, b.latitude) >= box.south &&
         std::min(a.latitude, b.latitude) <= box.north &&
         std::max(a.longitude, b.longitude) >= box.west &&
         std::min(a.longitude, b.longitude) <= box.east;
}

// The parts of a track whose segments meet the box: a point is kept when the segment before or
// after it meets the box, and a point left out ends a part, so that no segment is drawn that
// the track never went along.
std::vector<std::vector<TrackPoint>> PartsMeeting(std::span<const TrackPoint> points,
                                                  const index::GeoBox& box) {
  std::vector<std::vector<TrackPoint>> parts;
  bool open = false;
  for (size_t i = 0; i < points.size(); ++i) {
    const bool kept = (i > 0 && SegmentMeets(points[i - 1], points[i], box)) ||
                      (i + 1 < points.size() && SegmentMeets(points[i], points[i + 1], box)) ||
                      (points.size() == 1 && SegmentMeets(points[0], points[0], box));
    if (kept && !open) parts.emplace_back();
    if (kept) parts.back().push_back(points[i]);
    open = kept;
  }
  return parts;
}

struct RecordRange {
  uint32_t first = 0, end = 0;
};

// The records of the runs whose box meets `box`, with a run on each side, so that a segment from
// such a run to the next is read whole; runs one after the other make one range, with any
// records that are no points between them.
std::vector<RecordRange> RangesMeeting(const std::vector<index::PointRun>& runs,
                                       const index::GeoBox& box) {
  std::vector<RecordRange> ranges;
  bool lastTaken = false;
  for (size_t r = 0; r < runs.size(); ++r) {
    const bool taken = runs[r].Meets(box) || (r > 0 && runs[r - 1].Meets(box)) ||
                       (r + 1 < runs.size() && runs[r + 1].Meets(box));
    if (taken && lastTaken) {
      ranges.back().end = runs[r].firstRecord + runs[r].records;
    } else if (taken) {
      ranges.push_back({runs[r].firstRecord, runs[r].firstRecord + runs[r].records});
    }
    lastTaken = taken;
  }
  return ranges;
}

// The parts of the track about `box`, read from its file range by range.
std::vector<std::vector<TrackPoint>> PartsAbout(const index::IndexedTrack& track,
                                                const index::GeoBox& box, size_t& read) {
  std::vector<std::vector<TrackPoint>> parts;
  const int fd = ::open(track.path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return parts;
  for (const RecordRange& range : RangesMeeting(track.runs, box)) {
    std::vector<TrackPoint> points;
    index::ReadRunPoints(fd, range.first, range.end - range.first,
                         [&points](const TrackPoint& p, uint32_t) { points.push_back(p); });
    read += points.size();
    const ExportablePoints exportable(points);
    for (std::vector<TrackPoint>& part : PartsMeeting(exportable.Points(), box))
      parts.push_back(std::move(part));
  }
  ::close(fd);
  return parts;
}

}  // namespace

HistoryLines MakeCloserLines(const std::vector<index::IndexedTrack>& tracks,
                             const std::vector<size_t>& chosen, const index::GeoBox& view, int zoom,
                             size_t pointsDrawnWhole, const std::atomic<bool>* stop) {
  const int wholeUpTo = std::min(zoom + kCloserZooms, kDeepestDetailZoom);
  const double step = HalfPixelAt(wholeUpTo);
  // More records about the view than a map takes well: each part keeps its share, worked out
  // before anything is read, so that no more than the lines drawn is ever held.
  size_t records = 0;
  for (const size_t k : chosen) {
    for (const RecordRange& range : RangesMeeting(tracks[k].runs, view))
      records += range.end - range.first;
  }
  const size_t most = pointsDrawnWhole / 4;
  HistoryLines lines = JoinSlices(chosen.size(), [&](size_t first, size_t end) {
    Slice slice;
    for (size_t k = first; k < end && (stop == nullptr || !*stop); ++k) {
      const auto parts = PartsAbout(tracks[chosen[k]], view, slice.points);
      if (parts.empty()) continue;
      slice.script += "{i:" + std::to_string(chosen[k]) + ",d:[";
      for (const std::vector<TrackPoint>& part : parts) {
        const size_t share = records > most ? std::max<size_t>(part.size() * most / records, 2)
                                            : std::numeric_limits<size_t>::max();
        const std::vector<TrackPoint> drawn = Thinned(part, step, share, slice.step);
        slice.drawn += drawn.size();
        slice.script += "'" + EncodeMapLine(drawn) + "',";
      }
      slice.script += "]},";
    }
    return slice;
  });
  // Closer lines that had to share the points out are still the best there are for this zoom.
  lines.wholeUpTo = std::max(std::min(lines.wholeUpTo, wholeUpTo), zoom);
  return lines;
}

}  // namespace tavrin::gui
