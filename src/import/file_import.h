// SPDX-License-Identifier: GPL-3.0-or-later
// What importing one file did, for the front ends to show.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavrin::imports {

struct FileImport {
  std::string file;
  std::vector<std::string> trackFiles;  // written, in the order of their points
  uint64_t points = 0;                  // points written into them
  std::vector<std::string> duplicates;  // stored tracks that held a track of the file already
  std::vector<std::string> dropped;     // what the file held that track files cannot, once each
  // Points or sentences that were meant to be read and were lost, each kind once, with the file,
  // the first line and how many there were: the file has problems.
  std::vector<std::string> skipped;
  // Nothing lost that a track file could hold: what it cannot hold, lines that are no sentences,
  // fixes without a position, repeats, points put in time order.
  std::vector<std::string> notes;
  std::optional<std::string> failure;  // why the file, or the rest of it, was not imported
  bool stopped = false;                // the user stopped the import within this file

  bool Failed() const { return failure.has_value() || !skipped.empty(); }
};

}  // namespace tavrin::imports
