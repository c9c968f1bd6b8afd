// SPDX-License-Identifier: GPL-3.0-or-later
// Importing other programs' track files (GPX, KML, NMEA text) into the track store. Made to be
// run off the window's thread: progress goes to a callback and a stop flag is read between
// pieces of a file. A stop leaves every track file either written whole or not at all.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "import/file_import.h"
#include "store/track_store.h"

namespace tavrin::imports {

enum class TrackFormat { Gpx, Kml, Nmea };

// Bytes read so far of all files, and all their bytes.
using ImportProgressFn = std::function<void(uint64_t done, uint64_t total)>;

struct ImportOptions {
  // A file with any point that had to be skipped gives no track at all.
  bool allOrNothing = false;
  // Read before each 1 MiB piece and each file; set from any thread.
  const std::atomic<bool>* stop = nullptr;
  // Called on the importing thread after each piece.
  ImportProgressFn progress;
};

// What the file holds, from its first bytes; empty, with the reason, for none of ours.
Result<TrackFormat> SniffFormat(std::string_view start);

// Imports each file in turn into `store`, whose data folder must be prepared. The store's
// message box and problem reporter hear of bad stored track files met by the duplicate check.
std::vector<FileImport> ImportFiles(TrackStore& store, std::span<const std::string> files,
                                    const ImportOptions& options = {});

}  // namespace tavrin::imports
