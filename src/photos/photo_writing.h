// SPDX-License-Identifier: GPL-3.0-or-later
// Puts a position into a photo (JPEG, through exiv2) or into its XMP sidecar. A photo is never
// damaged: the tagged copy is made in memory, read back (the new position, the same image data),
// written beside the photo and only then renamed over it. Every failure names the file and
// leaves it as it was.
#pragma once

#include <string>

#include "base/result.h"
#include "photos/photo_matching.h"

namespace tavrin::photos {

// Writes the GPS tags into the photo's EXIF; every other tag and the image data stay as they
// are. With `keepModificationTime` the file keeps its modification time.
Result<void> WritePositionInPhoto(const std::string& path, const GeoPosition& position,
                                  double utcSeconds, bool keepModificationTime);

// "photo.xmp" for "photo.CR2": the sidecar beside the photo.
std::string SidecarPath(const std::string& photoPath);
// Whether the photo's sidecar exists and holds a position already.
bool SidecarHasPosition(const std::string& photoPath);
// Writes the position into the photo's sidecar, made when missing; an existing sidecar keeps its
// other properties. The photo itself is not touched.
Result<void> WriteSidecar(const std::string& photoPath, const GeoPosition& position,
                          double utcSeconds);

}  // namespace tavrin::photos
