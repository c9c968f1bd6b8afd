// SPDX-License-Identifier: GPL-3.0-or-later
// What the catalogue remembers of each track file's records, so that a listing shows what a file
// really holds without reading every record of every file each time: the verdict of the point
// reader's own checks, kept with the file's size, modification time and inode, and taken again
// only when one of them changed.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <unordered_map>

#include "store/track_file_checks.h"
#include "store/track_point.h"

namespace tavrin {

struct RecordVerdict {
  // The file as it was when its records were checked; a failed read matches no file.
  off_t size = -1;
  long long mtimeNs = 0;
  ino_t inode = 0;
  uint32_t counted = 0;  // the records checked: the header's count, bounded by the file
  RecordTally tally;
  uint32_t points = 0;  // the points among them (deleted ones left out)
  // The figures of those points, taken only when some records are no points (the header's
  // figures count the others too) or when asked for (a header whose distance cannot be).
  bool hasFigures = false;
  bool crossesDateLine = false;  // a step between points crosses the 180th meridian
  uint32_t distance = 0;
  uint32_t elapsedSeconds = 0;
  DateTime6 lastDateTime{};

  bool Clean() const { return tally.NotPoints() == 0; }
};

class RecordVerdicts {
 public:
  // The verdict on the first `counted` records of the open file at `path`: the one remembered
  // when the file has not changed since, else a new one. `withFigures` sums the points' figures
  // even when every record is a point.
  const RecordVerdict& Of(const std::string& path, const OpenedTrackFile& file, uint32_t counted,
                          bool withFigures = false);
  // A listing of the whole folder begins; after it, ForgetUnmet drops the files it did not meet
  // (deleted, moved away), so that the memory holds no more than the folder.
  void BeginListing() { ++generation_; }
  void ForgetUnmet();

 private:
  struct Known {
    RecordVerdict verdict;
    unsigned generation = 0;
  };
  RecordVerdict Check(int fd, uint32_t counted, bool withFigures);

  std::unordered_map<std::string, Known> known_;
  PointVector chunk_;  // reused: a listing checks thousands of files
  unsigned generation_ = 0;
};

}  // namespace tavrin
