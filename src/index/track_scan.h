// SPDX-License-Identifier: GPL-3.0-or-later
// The index's view of the data folder: which track files are there, as they are now, and what a
// file's records sum up to.
#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "index/point_runs.h"
#include "store/store_messages.h"

namespace tavrin::index {

struct FolderFile {
  std::string name;
  long long size = 0;
  long long mtimeNs = 0;
  long long inode = 0;
};

// The track files (*.bt0) of the folder, by name; none when it cannot be read.
std::vector<FolderFile> ScanTrackFiles(const std::string& folder);

// The summary of the track file `name` in the folder, or nothing (reported) when it cannot be
// read or holds no point.
std::optional<TrackSummary> SummariseTrackFile(int folderFd, const std::string& folder,
                                               const std::string& name,
                                               const TrackFileProblemFn& reporter);

// A file's summary as a worker thread made it, with the problems it met, which the calling
// thread tells.
struct SummarisedFile {
  std::optional<TrackSummary> summary;
  std::vector<TrackFileProblem> problems;
};

// Summarises the files on as many threads as the machine has cores, in their order.
std::vector<SummarisedFile> SummariseFiles(int folderFd, const std::string& folder,
                                           std::span<const FolderFile* const> files);

// Calls `use` with the points of records [first, first + count) of a track file, each with its
// record number; returns false when the file cannot be read.
bool ReadRunPoints(int fd, uint32_t first, uint32_t count,
                   const std::function<void(const TrackPoint&, uint32_t)>& use);

}  // namespace tavrin::index
