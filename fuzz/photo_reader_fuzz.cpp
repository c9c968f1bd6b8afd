// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a photo file: exiv2 reads its metadata and the capture time is taken apart,
// and the check of a JPEG's image data walks its segments; nothing may crash, hang or read
// outside the bytes. The seed corpus holds photos as the tests make them.
#include <cstdint>
#include <span>

#include "photos/photo_files.h"
#include "photos/photo_time.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  const auto facts = tavrin::photos::ReadPhotoFacts(bytes);
  if (facts && facts->time) {
    (void)tavrin::photos::CameraTimeToUtc(*facts->time, tavrin::LocalZone::Fixed(90));
  }
  (void)tavrin::photos::JpegIsWhole(bytes);
  return 0;
}
