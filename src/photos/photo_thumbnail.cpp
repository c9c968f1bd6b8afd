// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/photo_thumbnail.h"

#include "photos/exiv2_access.h"

namespace tavrin::photos {

std::string EmbeddedThumbnail(const std::string& path) {
  SilenceExiv2();
  try {
    auto image = Exiv2::ImageFactory::open(path);
    image->readMetadata();
    const Exiv2::ExifThumbC thumb(image->exifData());
    if (std::string(thumb.mimeType()) != "image/jpeg") return {};
    const Exiv2::DataBuf bytes = thumb.copy();
    return std::string(reinterpret_cast<const char*>(bytes.pData_),
                       static_cast<size_t>(bytes.size_));
  } catch (const Exiv2::AnyError&) {
    return {};
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace tavrin::photos
