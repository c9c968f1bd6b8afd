// SPDX-License-Identifier: GPL-3.0-or-later
// The small picture a camera keeps in a photo's EXIF, for showing many photos at once without
// decoding every one of them whole.
#pragma once

#include <string>

namespace tavrin::photos {

// The bytes of the photo's EXIF thumbnail when it is a JPEG; empty when the photo has none or
// cannot be read.
std::string EmbeddedThumbnail(const std::string& path);

}  // namespace tavrin::photos
