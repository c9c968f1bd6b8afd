// SPDX-License-Identifier: GPL-3.0-or-later
#include "index/track_scan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <thread>

#include "store/posix_file.h"
#include "store/track_file_checks.h"

namespace tavrin::index {
namespace {

constexpr size_t kBatchRecords = 4096;

bool IsTrackFileName(const char* name) {
  const std::string_view text(name);
  return text.size() > 4 && text.substr(text.size() - 4) == ".bt0" && text.front() != '.';
}

}  // namespace

std::vector<FolderFile> ScanTrackFiles(const std::string& folder) {
  std::vector<FolderFile> files;
  const UniqueFd fd = OpenFile(folder, O_RDONLY | O_DIRECTORY);
  if (!fd.Valid()) return files;
  DIR* dir = ::fdopendir(::dup(fd.Get()));
  if (dir == nullptr) return files;
  while (const dirent* item = ::readdir(dir)) {
    if (!IsTrackFileName(item->d_name)) continue;
    struct stat status {};
    if (::fstatat(fd.Get(), item->d_name, &status, 0) != 0 || !S_ISREG(status.st_mode)) continue;
    files.push_back(
        {item->d_name, static_cast<long long>(status.st_size),
         static_cast<long long>(status.st_mtim.tv_sec) * 1000000000LL + status.st_mtim.tv_nsec,
         static_cast<long long>(status.st_ino)});
  }
  ::closedir(dir);
  std::sort(files.begin(), files.end(),
            [](const FolderFile& a, const FolderFile& b) { return a.name < b.name; });
  return files;
}

namespace {

// Feeds the first `count` records of the file to the summariser in batches; false on a failed
// read. A file shorter than its count ends the records there.
bool SummariseRecords(int fd, uint32_t count, TrackSummariser& summariser) {
  std::vector<TrackPoint> batch(std::min<uint32_t>(count, kBatchRecords));
  for (uint32_t at = 0; at < count;) {
    const uint32_t wanted = std::min<uint32_t>(kBatchRecords, count - at);
    const ssize_t got = ReadAt(fd, batch.data(), wanted * sizeof(TrackPoint),
                               kTrackHeaderBytes + static_cast<off_t>(at) * kTrackRecordBytes);
    if (got < 0) return false;
    const auto records = static_cast<uint32_t>(static_cast<size_t>(got) / sizeof(TrackPoint));
    summariser.Add(batch.data(), records, at);
    if (records < wanted) break;
    at += records;
  }
  return true;
}

}  // namespace

std::optional<TrackSummary> SummariseTrackFile(int folderFd, const std::string& folder,
                                               const std::string& name,
                                               const TrackFileProblemFn& reporter) {
  const std::string path = folder + "/" + name;
  OpenedTrackFile file =
      OpenTrackFileChecked(folderFd, name.c_str(), path, O_RDONLY, kFileOpenError);
  TrackEntry entry;
  std::optional<TrackFileProblem> problem;
  const bool readable = ReadTrackFileHeader(file, path, entry, problem);
  if (problem && reporter) reporter(*problem);
  if (!readable) return std::nullopt;
  TrackSummariser summariser;
  if (!SummariseRecords(file.fd.Get(), entry.header.pointCount, summariser)) return std::nullopt;
  TrackSummary summary = summariser.Finish();
  if (summary.points == 0) return std::nullopt;
  return summary;
}

std::vector<SummarisedFile> SummariseFiles(int folderFd, const std::string& folder,
                                           std::span<const FolderFile* const> files) {
  std::vector<SummarisedFile> results(files.size());
  std::atomic<size_t> nextFile{0};
  const auto work = [&] {
    for (size_t i; (i = nextFile++) < files.size();) {
      SummarisedFile& result = results[i];
      result.summary = SummariseTrackFile(
          folderFd, folder, files[i]->name,
          [&result](const TrackFileProblem& problem) { result.problems.push_back(problem); });
    }
  };
  const unsigned helpers =
      std::min<unsigned>(std::max(1u, std::thread::hardware_concurrency()), 8) - 1;
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < helpers && t + 1 < files.size(); ++t) threads.emplace_back(work);
  work();
  for (std::thread& thread : threads) thread.join();
  return results;
}

bool ReadRunPoints(int fd, uint32_t first, uint32_t count,
                   const std::function<void(const TrackPoint&, uint32_t)>& use) {
  if (!use) return true;
  std::vector<TrackPoint> records(count);
  const ssize_t got = ReadAt(fd, records.data(), count * sizeof(TrackPoint),
                             kTrackHeaderBytes + static_cast<off_t>(first) * kTrackRecordBytes);
  if (got < 0) return false;
  const auto read = static_cast<uint32_t>(got / sizeof(TrackPoint));
  for (uint32_t i = 0; i < read; ++i) {
    if (IsTrackPoint(records[i]) && !records[i].IsDeleted()) use(records[i], first + i);
  }
  return true;
}

}  // namespace tavrin::index
