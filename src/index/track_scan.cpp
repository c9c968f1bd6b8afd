// SPDX-License-Identifier: GPL-3.0-or-later
#include "index/track_scan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <thread>
#include <utility>

#include "store/posix_file.h"
#include "store/track_file_checks.h"

namespace tavrin::index {
namespace {

constexpr size_t kBatchRecords = 4096;

bool IsTrackFileName(const char* name) {
  const std::string_view text(name);
  return text.size() > 4 && text.substr(text.size() - 4) == ".bt0" && text.front() != '.';
}

FileStamp StampOfStatus(const struct stat& status) {
  return {static_cast<long long>(status.st_size),
          static_cast<long long>(status.st_mtim.tv_sec) * 1000000000LL + status.st_mtim.tv_nsec,
          static_cast<long long>(status.st_ino)};
}

}  // namespace

std::vector<std::string> TrackFileNames(int folderFd) {
  std::vector<std::string> names;
  DIR* dir = folderFd < 0 ? nullptr : ::fdopendir(::dup(folderFd));
  if (dir == nullptr) return names;
  ::rewinddir(dir);
  while (const dirent* item = ::readdir(dir)) {
    if (!IsTrackFileName(item->d_name)) continue;
    // Only a link, or a folder that does not say, needs a look at what the name leads to.
    const bool regular =
        item->d_type == DT_REG || ((item->d_type == DT_LNK || item->d_type == DT_UNKNOWN) &&
                                   StampOf(folderFd, item->d_name).has_value());
    if (regular) names.emplace_back(item->d_name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<FileStamp> StampOf(int folderFd, const std::string& name) {
  struct stat status {};
  if (::fstatat(folderFd, name.c_str(), &status, 0) != 0 || !S_ISREG(status.st_mode)) {
    return std::nullopt;
  }
  return StampOfStatus(status);
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

SummarisedFile SummariseTrackFile(int folderFd, const std::string& folder,
                                  const std::string& name) {
  SummarisedFile result;
  const std::string path = folder + "/" + name;
  OpenedTrackFile file =
      OpenTrackFileChecked(folderFd, name.c_str(), path, O_RDONLY, kFileOpenError);
  // The stamp of what is read; a file that cannot be opened keeps the stamp it has, so that it
  // is told of again only once it changes.
  if (file.fd.Valid() && !file.problem) {
    result.stamp = {static_cast<long long>(file.size), file.mtimeNs,
                    static_cast<long long>(file.inode)};
  } else {
    result.stamp = StampOf(folderFd, name).value_or(FileStamp{});
  }
  TrackEntry entry;
  std::optional<TrackFileProblem> problem;
  const bool readable = ReadTrackFileHeader(file, path, entry, problem);
  if (problem) result.problems.push_back(std::move(*problem));
  if (!readable) return result;
  TrackSummariser summariser;
  if (!SummariseRecords(file.fd.Get(), entry.header.pointCount, summariser)) return result;
  TrackSummary summary = summariser.Finish();
  if (summary.points > 0) result.summary = std::move(summary);
  return result;
}

std::optional<TrackSummary> SummariseTrackFile(int folderFd, const std::string& folder,
                                               const std::string& name,
                                               const TrackFileProblemFn& reporter) {
  SummarisedFile result = SummariseTrackFile(folderFd, folder, name);
  if (reporter) {
    for (const TrackFileProblem& problem : result.problems) reporter(problem);
  }
  return std::move(result.summary);
}

SummaryStream::SummaryStream(int folderFd, std::string folder,
                             std::span<const std::string* const> names)
    : folderFd_(folderFd),
      folder_(std::move(folder)),
      names_(names),
      done_(names.size()),
      ready_(std::make_unique<std::atomic<bool>[]>(names.size())) {
  const unsigned threads = std::min<unsigned>(std::max(1u, std::thread::hardware_concurrency()), 8);
  for (unsigned t = 0; t < threads && t < names.size(); ++t)
    workers_.emplace_back([this] { Work(); });
}

SummaryStream::~SummaryStream() {
  next_ = names_.size();
  for (std::thread& worker : workers_) worker.join();
}

void SummaryStream::Work() {
  for (size_t i; (i = next_++) < names_.size();) {
    done_[i] = SummariseTrackFile(folderFd_, folder_, *names_[i]);
    ready_[i].store(true, std::memory_order_release);
    ready_[i].notify_one();
  }
}

SummarisedFile SummaryStream::Take(size_t i) {
  ready_[i].wait(false, std::memory_order_acquire);
  return std::move(done_[i]);
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
