// SPDX-License-Identifier: GPL-3.0-or-later
// The history index on a decade of tracks: 10,000 daily drives of 2,000 points (20 million
// points) around one town. Prints, each beside its baseline measured in the same run:
//   - building the index from nothing, beside reading every track file once;
//   - bringing it up to date after a read adds 10 tracks;
//   - "when was I here?" for places on the drives and off them, in the process and as the
//     whole `tavrin find` command.
//   history_bench [FOLDER]   the store is made in FOLDER (kept) or in a temporary folder
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "base/civil_date.h"
#include "bench_tracks.h"
#include "index/history_index.h"
#include "store/posix_file.h"
#include "store/track_store.h"

namespace {

using namespace tavrin;
namespace fs = std::filesystem;
using bench::Clock;
using bench::MillisecondsSince;
using bench::PointAt;

constexpr int kTracks = 10000;
constexpr int kPointsPerTrack = 2000;
constexpr double kHomeLat = 37.55, kHomeLon = 126.98;

// Day n's drive leaves home, wanders the town at about 40 km/h and comes back.
std::string WriteDrive(TrackStore& store, int day, std::mt19937& random) {
  std::normal_distribution<double> turn(0, 0.3);
  const long long start = (DaysOfCivilDate(2015, 1, 1) + day) * 86400LL + 8 * 3600;
  std::vector<TrackPoint> points;
  double lat = kHomeLat, lon = kHomeLon, heading = random() % 628 / 100.0;
  for (int i = 0; i < kPointsPerTrack; ++i) {
    if (i == kPointsPerTrack / 2) heading += 3.14159;  // and back
    heading += turn(random) * 0.1;
    lat += 0.0001 * std::cos(heading);
    lon += 0.000126 * std::sin(heading);
    points.push_back(PointAt(start + i, lat, lon));
  }
  return bench::WriteTrackFile(store, points);
}

double ReadEveryFileOnce(const std::string& folder) {
  const auto start = Clock::now();
  std::vector<char> buffer(1 << 20);
  long long bytes = 0;
  for (const auto& item : fs::directory_iterator(folder)) {
    const UniqueFd fd = OpenFile(item.path().string(), O_RDONLY);
    off_t at = 0;
    for (ssize_t got; (got = ReadAt(fd.Get(), buffer.data(), buffer.size(), at)) > 0;) at += got;
    bytes += at;
  }
  const double ms = MillisecondsSince(start);
  std::printf("  (read %.0f MB in %.0f ms)\n", static_cast<double>(bytes) / 1e6, ms);
  return ms;
}

double Middle(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double FindMs(index::HistoryIndex& history, const index::Place& place, size_t& found) {
  const auto start = Clock::now();
  found = history.Find(place, std::nullopt).size();
  return MillisecondsSince(start);
}

}  // namespace

int main(int argc, char** argv) {
  const bool keep = argc > 1;
  const std::string folder =
      keep ? argv[1] : (fs::temp_directory_path() / "tavrin-history-bench/DataLog").string();
  const std::string cache = fs::path(folder).parent_path() / "cache";
  ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
  TrackStore store;
  if (!store.PrepareDataFolder(folder)) return 1;
  std::mt19937 random(2015);
  if (std::distance(fs::directory_iterator(folder), fs::directory_iterator{}) < kTracks) {
    std::printf("making %d tracks of %d points in %s...\n", kTracks, kPointsPerTrack,
                folder.c_str());
    for (int day = 0; day < kTracks; ++day) WriteDrive(store, day, random);
  }
  fs::remove_all(cache);
  std::printf("the history index of %d tracks, %d million points:\n", kTracks,
              kTracks * kPointsPerTrack / 1000000);
  // Each figure is the middle one of three runs: the first run of anything meets a colder cache.
  std::vector<double> reads, builds;
  index::HistoryIndex history(folder, nullptr);
  index::IndexUpdate built;
  for (int run = 0; run < 3; ++run) {
    reads.push_back(ReadEveryFileOnce(folder));
    fs::remove_all(cache);
    const auto start = Clock::now();
    history = index::HistoryIndex(folder, nullptr);
    if (!history.Open(index::IndexFileFor(folder))) return 1;
    built = history.Update();
    builds.push_back(MillisecondsSince(start));
  }
  const double readMs = Middle(reads), buildMs = Middle(builds);
  std::printf("  reading every track file once: %.0f ms\n", readMs);
  std::printf("  building the index from nothing: %.0f ms (%.2fx the reading; %zu tracks)\n",
              buildMs, buildMs / readMs, built.indexed);

  std::vector<std::string> added;
  for (int day = kTracks; day < kTracks + 10; ++day)
    added.push_back(WriteDrive(store, day, random));
  auto start = Clock::now();
  const index::IndexUpdate update = history.Update();
  std::printf("  up to date after a read added %zu tracks: %.0f ms\n", update.indexed,
              MillisecondsSince(start));

  struct Asked {
    const char* what;
    index::Place place;
  };
  const Asked places[] = {
      {"a street 3 km from home, 100 m", index::Place::Near(kHomeLat + 0.027, kHomeLon, 100)},
      {"a corner 1 km away, 50 m", index::Place::Near(kHomeLat - 0.006, kHomeLon + 0.008, 50)},
      {"another town, 100 m", index::Place::Near(35.1, 129.0, 100)},
      {"home itself, 100 m (every drive)", index::Place::Near(kHomeLat, kHomeLon, 100)},
  };
  for (const Asked& asked : places) {
    size_t found = 0;
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) times.push_back(FindMs(history, asked.place, found));
    std::sort(times.begin(), times.end());
    std::printf("  find near %s: %.1f ms (median of 5), %zu passages\n", asked.what, times[2],
                found);
  }
  const std::string command = std::string(TAVRIN_CLI) + " --data " + folder + " find --near " +
                              std::to_string(kHomeLat + 0.027) + "," + std::to_string(kHomeLon) +
                              " > /dev/null";
  start = Clock::now();
  const int status = std::system(command.c_str());
  std::printf("  the whole command tavrin find --near (a street): %.0f ms%s\n",
              MillisecondsSince(start), status == 0 ? "" : " (it failed)");
  for (const std::string& path : added) fs::remove(path);  // a kept store stays a decade
  if (!keep) fs::remove_all(fs::path(folder).parent_path());
  return 0;
}
