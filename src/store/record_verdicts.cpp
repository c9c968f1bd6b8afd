// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/record_verdicts.h"

#include <algorithm>
#include <cerrno>
#include <cmath>

#include "store/posix_file.h"

namespace tavrin {
namespace {

constexpr size_t kChunkPoints = 4096;

// Reads the first `counted` records in chunks through `chunk` and hands the points of each chunk
// to `use`, filtered by KeepPoints as every reader filters them.
template <typename Use>
void ForEachPointChunk(int fd, size_t counted, PointVector& chunk, RecordTally& tally, Use use) {
  chunk.resize(std::min(counted, kChunkPoints));
  while (tally.records < counted) {
    const size_t batch = std::min(counted - tally.records, kChunkPoints);
    const ssize_t got =
        ReadAt(fd, chunk.data(), batch * sizeof(TrackPoint),
               kTrackHeaderBytes + static_cast<off_t>(tally.records) * kTrackRecordBytes);
    if (got < 0) tally.readError = errno;
    const size_t records = got > 0 ? static_cast<size_t>(got) / sizeof(TrackPoint) : 0;
    use(chunk.data(), KeepPoints(chunk.data(), records, tally.records, tally));
    tally.records += records;
    if (records < batch) break;  // a read error, or the file shrank since it was opened
  }
}

// Count, distance, first and last of points in track order, as compaction sums them.
struct PointFigures {
  uint32_t points = 0;
  uint32_t distance = 0;
  bool crossesDateLine = false;
  TrackPoint first{};
  TrackPoint last{};

  void Add(const TrackPoint* p, size_t count) {
    for (size_t i = 0; i < count; ++i) {
      if (points == 0) first = p[i];
      if (points > 0 && std::fabs(p[i].longitude - last.longitude) > 180) crossesDateLine = true;
      distance += points > 0 ? DistanceMeters(last, p[i]) : 0;
      last = p[i];
      ++points;
    }
  }
};

}  // namespace

const RecordVerdict& RecordVerdicts::Of(const std::string& path, const OpenedTrackFile& file,
                                        uint32_t counted, bool withFigures) {
  Known& known = known_[path];
  known.generation = generation_;
  const RecordVerdict& kept = known.verdict;
  if (kept.size == file.size && kept.mtimeNs == file.mtimeNs && kept.inode == file.inode &&
      kept.counted == counted && (kept.hasFigures || !withFigures)) {
    return kept;
  }
  known.verdict = Check(file.fd.Get(), counted, withFigures);
  known.verdict.size = known.verdict.tally.readError == 0 ? file.size : -1;
  known.verdict.mtimeNs = file.mtimeNs;
  known.verdict.inode = file.inode;
  return known.verdict;
}

void RecordVerdicts::ForgetUnmet() {
  std::erase_if(known_, [this](const auto& item) { return item.second.generation != generation_; });
}

RecordVerdict RecordVerdicts::Check(int fd, uint32_t counted, bool withFigures) {
  RecordVerdict verdict;
  verdict.counted = counted;
  size_t points = 0;
  ForEachPointChunk(fd, counted, chunk_, verdict.tally,
                    [&points](const TrackPoint*, size_t kept) { points += kept; });
  verdict.points = static_cast<uint32_t>(points);
  if ((verdict.Clean() && !withFigures) || points == 0) return verdict;
  // Rare: a second pass sums the figures of the points, so that a sound file costs no distances.
  RecordTally again;
  PointFigures figures;
  ForEachPointChunk(fd, counted, chunk_, again,
                    [&figures](const TrackPoint* p, size_t kept) { figures.Add(p, kept); });
  verdict.points = figures.points;
  verdict.hasFigures = true;
  verdict.crossesDateLine = figures.crossesDateLine;
  verdict.distance = figures.distance;
  verdict.lastDateTime = ToDateTime6(figures.last.GetDateTime());
  const auto first = ToCalendarSeconds(figures.first.GetDateTime());
  const auto last = ToCalendarSeconds(figures.last.GetDateTime());
  if (first && last && *last > *first)
    verdict.elapsedSeconds = static_cast<uint32_t>(*last - *first);
  return verdict;
}

}  // namespace tavrin
