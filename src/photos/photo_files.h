// SPDX-License-Identifier: GPL-3.0-or-later
// The file work behind tagging a photo without ever damaging it: the whole file read at once, a
// new copy written beside it and renamed over it only once it is complete on the disk.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"

namespace tavrin::photos {

Result<std::vector<uint8_t>> ReadWholeFile(const std::string& path);

// Writes `bytes` into a temporary file beside `path`, makes them durable and renames the file
// over `path`. With `original` (the stat of the file being replaced) the copy gets its
// permissions and, with `keepModificationTime`, its access and modification times. On failure
// the temporary file is removed and `path` is as it was; the reason gives the system's words.
Result<void> ReplaceFile(const std::string& path, std::span<const uint8_t> bytes,
                         const struct stat* original, bool keepModificationTime);

// A segment of a JPEG's header, from its 0xFF marker byte to the end of its payload.
struct JpegSegment {
  uint8_t marker = 0;
  size_t start = 0;
  size_t end = 0;
  size_t PayloadStart() const { return start + 4; }
};
// The segments before a JPEG's image data, and where that data starts (its first start-of-scan
// marker); empty when the file is no JPEG or its segments do not lead there.
struct JpegLayout {
  std::vector<JpegSegment> segments;
  size_t scanStart = 0;
};
std::optional<JpegLayout> ReadJpegLayout(std::span<const uint8_t> bytes);
std::optional<size_t> JpegScanStart(std::span<const uint8_t> bytes);
// A JPEG whose image data is all there: a start of scan, and an end-of-image marker after it.
bool JpegIsWhole(std::span<const uint8_t> bytes);

}  // namespace tavrin::photos
