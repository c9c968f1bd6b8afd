// SPDX-License-Identifier: GPL-3.0-or-later
// Puts a position into a photo (a JPEG's GPS block, written by our own code) or into its XMP
// sidecar (through exiv2). A photo is never damaged: the tagged copy is made in memory, read back
// by exiv2 (the new position, every other tag and the image data as before),
// written beside the photo and only then renamed over it. Every failure names the file and
// leaves it as it was.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"
#include "photos/photo_matching.h"

namespace tavrin::photos {

// Writes the GPS block into the photo's EXIF; every other byte of the EXIF block, every other
// segment and the image data stay as they are. With `keepModificationTime` the file keeps its
// modification time.
Result<void> WritePositionInPhoto(const std::string& path, const GeoPosition& position,
                                  double utcSeconds, bool keepModificationTime);
// Meets everything WritePositionInPhoto would (the photo and its folder writable, the photo whole
// and taggable, room for the copy) and fails with the same words, but writes nothing.
Result<void> CheckPositionInPhoto(const std::string& path, const GeoPosition& position,
                                  double utcSeconds);

// The tagged copy of a JPEG's bytes, checked: exiv2 reads the new position, every other EXIF
// tag as before and the same image data; else the reason, naming `path`.
Result<std::vector<uint8_t>> TaggedJpeg(const std::string& path, std::span<const uint8_t> original,
                                        const GeoPosition& position, double utcSeconds);

// "photo.xmp" for "photo.CR2": the sidecar beside the photo.
std::string SidecarPath(const std::string& photoPath);
// Whether the photo's sidecar exists and holds a position already.
bool SidecarHasPosition(const std::string& photoPath);
// Writes the position into the photo's sidecar, made when missing; an existing sidecar keeps its
// other properties. The photo itself is not touched.
Result<void> WriteSidecar(const std::string& photoPath, const GeoPosition& position,
                          double utcSeconds);
// Meets everything WriteSidecar would, with the same words, and writes nothing.
Result<void> CheckSidecar(const std::string& photoPath, const GeoPosition& position,
                          double utcSeconds);

}  // namespace tavrin::photos
