// SPDX-License-Identifier: GPL-3.0-or-later
// The index's view of the data folder: which track files are there, as they are now, and what a
// file's records sum up to.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "index/point_runs.h"
#include "store/store_messages.h"

namespace tavrin::index {

// What tells whether a file changed since it was looked at.
struct FileStamp {
  long long size = 0;
  long long mtimeNs = 0;
  long long inode = 0;

  bool operator==(const FileStamp&) const = default;
};

// The names of the track files (*.bt0) in the folder, in order; none when it cannot be read.
// Entries the folder itself says are no regular files or links are left out.
std::vector<std::string> TrackFileNames(int folderFd);

// The stamp of `name` in the folder as it is now; nothing when it is gone or no regular file.
std::optional<FileStamp> StampOf(int folderFd, const std::string& name);

// A track file's summary, or nothing when it cannot be read or holds no point, with the stamp of
// the file that was read and the problems met, which the caller tells.
struct SummarisedFile {
  FileStamp stamp;
  std::optional<TrackSummary> summary;
  std::vector<TrackFileProblem> problems;
};

SummarisedFile SummariseTrackFile(int folderFd, const std::string& folder, const std::string& name);

// The same with the problems told to `reporter` at once.
std::optional<TrackSummary> SummariseTrackFile(int folderFd, const std::string& folder,
                                               const std::string& name,
                                               const TrackFileProblemFn& reporter);

// Sums up the named files on as many threads as the machine has cores and hands the summaries
// over in the names' order, each as soon as it is made, so that the caller can store one while
// the next are read. The names must outlive the stream.
class SummaryStream {
 public:
  SummaryStream(int folderFd, std::string folder, std::span<const std::string* const> names);
  ~SummaryStream();  // the files being read are finished, the others are not begun
  SummaryStream(const SummaryStream&) = delete;
  SummaryStream& operator=(const SummaryStream&) = delete;

  // The summary of names[i], waiting for it; each i once, in order.
  SummarisedFile Take(size_t i);

 private:
  void Work();

  int folderFd_;
  std::string folder_;
  std::span<const std::string* const> names_;
  std::vector<SummarisedFile> done_;
  std::unique_ptr<std::atomic<bool>[]> ready_;
  std::atomic<size_t> next_{0};
  std::vector<std::thread> workers_;
};

// Calls `use` with the points of records [first, first + count) of a track file, each with its
// record number; returns false when the file cannot be read.
bool ReadRunPoints(int fd, uint32_t first, uint32_t count,
                   const std::function<void(const TrackPoint&, uint32_t)>& use);

}  // namespace tavrin::index
