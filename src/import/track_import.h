// SPDX-License-Identifier: GPL-3.0-or-later
// Importing other programs' track files (GPX, KML, NMEA text) into the track store. Made to be
// run off the window's thread: progress goes to a callback and a stop flag is read between
// pieces of a file. A stop leaves every track file either written whole or not at all.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "import/file_import.h"
#include "import/text_encoding.h"
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

struct Sniffed {
  TrackFormat format;
  TextEncoding encoding = TextEncoding::Utf8;
};

// NMEA logs may begin with anything (comments, a note, half a sentence, a receiver's binary
// messages), so their first sentence is looked for this far into the file; a file of anything
// else is refused when this much of it holds none.
constexpr size_t kMostBytesBeforeASentence = 4 << 20;

// What the file holds, from its first bytes: empty while they do not tell and more may come
// (`whole` is false), the reason for a file that is none of ours.
Result<std::optional<Sniffed>> SniffFormat(std::string_view start, bool whole);

// Imports each file in turn into `store`, whose data folder must be prepared. The store's
// message box and problem reporter hear of bad stored track files met by the duplicate check.
std::vector<FileImport> ImportFiles(TrackStore& store, std::span<const std::string> files,
                                    const ImportOptions& options = {});

}  // namespace tavrin::imports
