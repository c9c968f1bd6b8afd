// SPDX-License-Identifier: GPL-3.0-or-later
// The GPS tags a tagged photo carries, as EXIF (in the photo) and as XMP (in a sidecar), and the
// position read back from them.
#pragma once

#include <optional>

#include "photos/exif_gps_block.h"
#include "photos/exiv2_access.h"
#include "photos/photo_matching.h"

namespace tavrin::photos {

// GPSVersionID, GPSLatitude/Ref, GPSLongitude/Ref, GPSMapDatum, GPSDateStamp, GPSTimeStamp,
// GPSSpeed/Ref and GPSTrack/Ref: the whole GPS block a tagged photo carries.
std::vector<TiffField> GpsFields(const GeoPosition& position, double utcSeconds);
// The same tags in the exif namespace of XMP.
void SetXmpPosition(Exiv2::XmpData& xmp, const GeoPosition& position, double utcSeconds);

struct LatLon {
  double latitude = 0;
  double longitude = 0;
};
// The position the tags hold; empty when they hold none, one that cannot be read, or a camera's
// placeholder (no reference letters, zero denominators, or 0° 0°).
std::optional<LatLon> ExifPosition(const Exiv2::ExifData& exif);
std::optional<LatLon> XmpPosition(const Exiv2::XmpData& xmp);

}  // namespace tavrin::photos
