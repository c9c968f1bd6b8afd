// SPDX-License-Identifier: GPL-3.0-or-later
// Track store benchmarks, each beside the bare cost of the same file work with plain POSIX
// calls: listing 10,000 track files (the first listing of a store, which checks every record,
// and later ones), loading a 1,000,000-point track, showing its times in a
// zone, compacting it.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "store/track_store.h"

namespace {

using namespace tavrin;
namespace fs = std::filesystem;

constexpr int kTrackFiles = 10000;
constexpr uint32_t kBigTrackPoints = 1000000;

// Bytes this process has read through read-like calls so far (/proc/self/io "rchar").
long long BytesRead() {
  std::ifstream io("/proc/self/io");
  std::string key;
  long long value = 0;
  while (io >> key >> value) {
    if (key == "rchar:") return value;
  }
  return -1;
}

class CountingRows : public IEntryRows {
 public:
  void RemoveAllRows() override { rows_ = 0; }
  int RowCount() const override { return rows_; }
  void InsertRow(int, const RowFigures& entry, int number) override {
    benchmark::DoNotOptimize(&entry);
    benchmark::DoNotOptimize(number);
    ++rows_;
  }

 private:
  int rows_ = 0;
};

// A point `second` seconds after 2020-01-01 00:00:00 UTC.
TrackPoint PointAt(long long second) {
  const std::time_t t = 1577836800 + second;
  std::tm utc{};
  gmtime_r(&t, &utc);
  const DateTime dt{utc.tm_year - 100, utc.tm_mon + 1, utc.tm_mday,
                    utc.tm_hour,       utc.tm_min,     utc.tm_sec};
  // The position steps on with each second and starts again every 1,000,000, so that a track
  // over years stays on the globe.
  const float step = static_cast<float>(second % 1000000) * 1e-6f;
  return MakePoint(dt, kFix3D, 37.5f + step, 127.0f + step, 50, 90);
}

void WriteTrack(const std::string& path, const std::vector<TrackPoint>& points) {
  TrackHeader h;
  h.marker = kTrackMarker;
  h.pointCount = static_cast<uint32_t>(points.size());
  h.firstDateTime = ToDateTime6(points.front().GetDateTime());
  h.lastDateTime = ToDateTime6(points.back().GetDateTime());
  h.elapsedSeconds = static_cast<uint32_t>(points.size() - 1);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(&h), sizeof h);
  out.write(reinterpret_cast<const char*>(points.data()),
            static_cast<std::streamsize>(points.size() * sizeof(TrackPoint)));
}

struct Fixture {
  fs::path root;
  fs::path manyFolder;
  std::vector<std::string> manyPaths;
  fs::path bigFile;
  std::vector<TrackPoint> bigPoints;

  Fixture() {
    char pattern[] = "/tmp/tavrin-bench-XXXXXX";
    root = ::mkdtemp(pattern);
    manyFolder = root / "many";
    fs::create_directories(manyFolder);
    // 10,000 short tracks, four a day.
    for (int i = 0; i < kTrackFiles; ++i) {
      const long long start = static_cast<long long>(i) * 6 * 3600;
      std::vector<TrackPoint> points;
      for (int k = 0; k < 20; ++k) points.push_back(PointAt(start + k));
      TrackHeader h;
      h.firstDateTime = ToDateTime6(points[0].GetDateTime());
      TrackStore names;
      if (!names.PrepareDataFolder(manyFolder)) std::abort();
      const std::string path = names.TrackFileName(h);
      WriteTrack(path, points);
      manyPaths.push_back(path);
    }
    std::sort(manyPaths.begin(), manyPaths.end());
    bigFile = root / "big" / "20240101_000000.bt0";
    fs::create_directories(bigFile.parent_path());
    bigPoints.reserve(kBigTrackPoints);
    for (uint32_t k = 0; k < kBigTrackPoints; ++k) bigPoints.push_back(PointAt(k));
    WriteTrack(bigFile, bigPoints);
  }
  ~Fixture() { fs::remove_all(root); }
};

Fixture& Data() {
  static Fixture fixture;
  return fixture;
}

void ReportBytesPerFile(benchmark::State& state, long long before, int files) {
  const long long bytes = BytesRead() - before;
  state.counters["bytes_read_per_file"] =
      static_cast<double>(bytes) / static_cast<double>(state.iterations()) / files;
  state.counters["files"] = files;
}

// ---- listing

void BM_ListBaseline_OpenRead64Close(benchmark::State& state) {
  Fixture& data = Data();
  const long long before = BytesRead();
  for (auto _ : state) {
    for (const std::string& path : data.manyPaths) {
      char header[64];
      const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
      benchmark::DoNotOptimize(::read(fd, header, sizeof header));
      ::close(fd);
    }
  }
  ReportBytesPerFile(state, before, kTrackFiles);
}

// The folder read, its .bt0 names kept and sorted, as a listing finds its files.
std::vector<std::string> SortedTrackNames(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  while (const dirent* item = ::readdir(dir)) {
    const size_t n = std::strlen(item->d_name);
    if (n > 4 && std::strcmp(item->d_name + n - 4, ".bt0") == 0) names.emplace_back(item->d_name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

// The same, finding the files first: read the folder, keep the .bt0 names, sort them.
void BM_ListBaseline_ReaddirSortOpenRead64Close(benchmark::State& state) {
  Fixture& data = Data();
  const long long before = BytesRead();
  for (auto _ : state) {
    const std::vector<std::string> names = SortedTrackNames(data.manyFolder);
    const int folder = ::open(data.manyFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (const std::string& name : names) {
      char header[64];
      const int fd = ::openat(folder, name.c_str(), O_RDONLY | O_CLOEXEC);
      benchmark::DoNotOptimize(::read(fd, header, sizeof header));
      ::close(fd);
    }
    ::close(folder);
  }
  ReportBytesPerFile(state, before, kTrackFiles);
}

// Every byte of every track file, the folder read and sorted first: what a first listing, which
// checks each file's records, is measured against.
void BM_ListBaseline_ReaddirSortReadWholeFiles(benchmark::State& state) {
  Fixture& data = Data();
  const long long before = BytesRead();
  std::vector<char> buffer(1 << 16);
  for (auto _ : state) {
    const std::vector<std::string> names = SortedTrackNames(data.manyFolder);
    const int folder = ::open(data.manyFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (const std::string& name : names) {
      const int fd = ::openat(folder, name.c_str(), O_RDONLY | O_CLOEXEC);
      while (::read(fd, buffer.data(), buffer.size()) > 0) benchmark::DoNotOptimize(buffer.data());
      ::close(fd);
    }
    ::close(folder);
  }
  ReportBytesPerFile(state, before, kTrackFiles);
}

// A store's first listing: every file's records are checked.
void BM_ListTracksFirst(benchmark::State& state) {
  Fixture& data = Data();
  CountingRows rows;
  long long bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    TrackStore store;
    if (!store.PrepareDataFolder(data.manyFolder)) std::abort();
    store.SetTimeZone(*LocalZone::Named("America/New_York", true));
    const long long before = BytesRead();
    state.ResumeTiming();
    store.Catalogue().ListTracks(&rows, false);
    bytes += BytesRead() - before;
  }
  state.counters["bytes_read_per_file"] =
      static_cast<double>(bytes) / static_cast<double>(state.iterations()) / kTrackFiles;
  state.counters["rows"] = rows.RowCount();
}

// Later listings of one store: the records of files that did not change are not read again.
void BM_ListTracks(benchmark::State& state) {
  Fixture& data = Data();
  TrackStore store;
  if (!store.PrepareDataFolder(data.manyFolder)) std::abort();
  store.SetTimeZone(*LocalZone::Named("America/New_York", true));
  CountingRows rows;
  const bool byDay = state.range(0) != 0;
  store.Catalogue().ListTracks(&rows, byDay);  // the first listing, which checks the records
  const long long before = BytesRead();
  for (auto _ : state) {
    store.Catalogue().ListTracks(&rows, byDay);
  }
  ReportBytesPerFile(state, before, kTrackFiles);
  state.counters["rows"] = rows.RowCount();
  state.SetLabel(byDay ? "by day" : "by track");
}

// ---- loading

void BM_LoadBaseline_ReadWholeFile(benchmark::State& state) {
  Fixture& data = Data();
  std::vector<char> buffer(fs::file_size(data.bigFile));
  for (auto _ : state) {
    const int fd = ::open(data.bigFile.c_str(), O_RDONLY | O_CLOEXEC);
    size_t done = 0;
    while (done < buffer.size()) {
      const ssize_t n = ::read(fd, buffer.data() + done, buffer.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    ::close(fd);
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * buffer.size()));
}

// The points stay in UTC as they are loaded, whatever the zone.
void BM_LoadTrackPoints(benchmark::State& state) {
  Fixture& data = Data();
  TrackStore store;
  if (!store.PrepareDataFolder(data.bigFile.parent_path())) std::abort();
  store.SetTimeZone(*LocalZone::Named("America/New_York", true));
  const TrackEntry entry = *store.Files().ReadTrackHeader(data.bigFile.string());
  PointVector points;
  for (auto _ : state) {
    store.Files().LoadTrackPoints(entry, points);
    benchmark::DoNotOptimize(points.data());
  }
  if (points.size() != kBigTrackPoints) state.SkipWithError("points missing");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(data.bigFile)));
}

// Every point of the loaded track shown in a zone, as the KML names, the time window and a full
// printout of the points see them: New York's offsets at each date, or one offset all year.
void BM_ShowPointsInZone(benchmark::State& state) {
  Fixture& data = Data();
  const LocalZone zone =
      state.range(0) != 0 ? *LocalZone::Named("America/New_York", true) : LocalZone::Fixed(540);
  for (auto _ : state) {
    LocalTimes shown(zone);
    int minutes = 0;
    for (const TrackPoint& point : data.bigPoints) minutes += shown.Of(point).minute;
    benchmark::DoNotOptimize(minutes);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * data.bigPoints.size()));
  state.SetLabel(state.range(0) != 0 ? "America/New_York" : "fixed +09:00");
}

// ---- compacting: every tenth point deleted

void WriteBigWithDeletions(const Fixture& data, const fs::path& path) {
  std::vector<TrackPoint> points = data.bigPoints;
  for (size_t k = 0; k < points.size(); k += 10) points[k].SetDeleted(true);
  WriteTrack(path, points);
}

void BM_CompactBaseline_ReadWriteSyncRename(benchmark::State& state) {
  Fixture& data = Data();
  const fs::path path = data.root / "compact" / "20240101_000000.bt0";
  fs::create_directories(path.parent_path());
  std::vector<char> buffer;
  for (auto _ : state) {
    state.PauseTiming();
    WriteBigWithDeletions(data, path);
    buffer.resize(fs::file_size(path));
    state.ResumeTiming();
    const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    benchmark::DoNotOptimize(::read(in, buffer.data(), buffer.size()));
    ::close(in);
    const std::string temporary = path.string() + ".new";
    const int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    benchmark::DoNotOptimize(::write(out, buffer.data(), buffer.size() * 9 / 10));
    ::fsync(out);
    ::close(out);
    ::rename(temporary.c_str(), path.c_str());
  }
}

void BM_CompactTrackFile(benchmark::State& state) {
  Fixture& data = Data();
  const fs::path path = data.root / "compact" / "20240101_000000.bt0";
  fs::create_directories(path.parent_path());
  TrackStore store;
  if (!store.PrepareDataFolder(path.parent_path())) std::abort();
  for (auto _ : state) {
    state.PauseTiming();
    WriteBigWithDeletions(data, path);
    TrackEntry entry = *store.Files().ReadTrackHeader(path.string());
    state.ResumeTiming();
    if (!store.Files().CompactTrackFile(entry)) state.SkipWithError("compaction failed");
  }
}

BENCHMARK(BM_ListBaseline_OpenRead64Close)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListBaseline_ReaddirSortOpenRead64Close)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListBaseline_ReaddirSortReadWholeFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListTracksFirst)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListTracks)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBaseline_ReadWholeFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadTrackPoints)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowPointsInZone)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompactBaseline_ReadWriteSyncRename)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompactTrackFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
