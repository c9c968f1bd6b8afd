// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a photo to tag: the GPS block is written into them, or the photo refused.
// Nothing may crash or read outside the bytes, and a copy that is handed back must differ from
// the photo in its EXIF segment alone (and in the places an AFCP trailer gives from the file's
// start), with the same image data and the position readable. The seed corpus holds real
// cameras' photos (cut short after the start of their image data), one with an AFCP trailer.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "photos/exif_gps_block.h"
#include "photos/photo_files.h"
#include "photos/photo_time.h"
#include "photos/photo_writing.h"

namespace {

// The bytes from the start of the image data to an AFCP trailer (whose places move with the
// segment before them) or the end: what tagging must never touch.
std::span<const uint8_t> ImageData(std::span<const uint8_t> bytes) {
  const auto scan = tavrin::photos::JpegScanStart(bytes);
  if (!scan) std::abort();
  const auto trailer = tavrin::photos::ReadAfcpTrailer(bytes);
  const size_t end = trailer && trailer->start >= *scan ? trailer->start : bytes.size();
  return bytes.subspan(*scan, end - *scan);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> photo(data, size);
  const tavrin::photos::GeoPosition place{-33.8688, 151.2093, 12.5, 180};
  const auto tagged = tavrin::photos::TaggedJpeg("photo.jpg", photo, place, 1'600'000'000.5);
  if (!tagged) return 0;
  const auto before = ImageData(photo);
  const auto after = ImageData(*tagged);
  if (!std::equal(before.begin(), before.end(), after.begin(), after.end())) std::abort();
  const auto facts = tavrin::photos::ReadPhotoFacts(std::span<const uint8_t>(*tagged));
  if (!facts || !facts->hasPosition) std::abort();
  return 0;
}
