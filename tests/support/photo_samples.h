// SPDX-License-Identifier: GPL-3.0-or-later
// Real photo files for the geotagging tests and the benchmark: ImageMagick draws a JPEG (or a
// TIFF standing in for a raw file), exiv2 gives it a camera's tags and capture time. No
// GoogleTest here: the benchmark shares it.
#pragma once

#include <cstdlib>
#include <exiv2/exiv2.hpp>
#include <filesystem>
#include <string>

namespace tavrin::test {

struct CaptureTime {
  std::string dateTime;  // "2024:05:01 10:00:05", DateTimeOriginal
  std::string subSec;    // SubSecTimeOriginal, none when empty
  std::string offset;    // OffsetTimeOriginal, none when empty
};

// Draws `path` (its extension picks the format: .jpg, .tif) at `size` ("64x48"); false when
// ImageMagick failed or is missing.
inline bool DrawImage(const std::string& path, const std::string& size = "64x48") {
  const std::string command = "convert -size " + size +
                              " -seed 7 plasma:navy-orange -quality 90 '" + path +
                              "' >/dev/null 2>&1";
  return std::system(command.c_str()) == 0 && std::filesystem::exists(path);
}

// Gives the image a camera's tags and the capture time.
inline void SetCaptureTime(const std::string& path, const CaptureTime& time) {
  auto image = Exiv2::ImageFactory::open(path);
  image->readMetadata();
  Exiv2::ExifData& exif = image->exifData();
  exif["Exif.Image.Make"] = "Tavrin Test Camera";
  exif["Exif.Image.Model"] = "TT-1";
  exif["Exif.Image.Orientation"] = uint16_t(1);
  exif["Exif.Photo.ExposureTime"] = Exiv2::URational(1, 250);
  exif["Exif.Photo.FNumber"] = Exiv2::URational(28, 10);
  exif["Exif.Photo.DateTimeOriginal"] = time.dateTime;
  if (!time.subSec.empty()) exif["Exif.Photo.SubSecTimeOriginal"] = time.subSec;
  if (!time.offset.empty()) exif["Exif.Photo.OffsetTimeOriginal"] = time.offset;
  image->writeMetadata();
}

// A photo taken at `time`; false when it could not be drawn.
inline bool MakePhoto(const std::string& path, const CaptureTime& time,
                      const std::string& size = "64x48") {
  if (!DrawImage(path, size)) return false;
  SetCaptureTime(path, time);
  return true;
}

}  // namespace tavrin::test
