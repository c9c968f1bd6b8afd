// SPDX-License-Identifier: GPL-3.0-or-later
// Makes the photos of the geotagging benchmark: COUNT copies of one JPEG in FOLDER, the k-th
// taken at FIRST + k * STEP seconds (UTC, given as seconds since 1970) and half a second, its
// DateTimeOriginal, SubSecTimeOriginal and OffsetTimeOriginal set by exiv2.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exiv2/exiv2.hpp>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: make_bench_photos SOURCE.jpg FOLDER COUNT FIRST STEP\n");
    return 2;
  }
  const std::filesystem::path source = argv[1], folder = argv[2];
  const long count = std::atol(argv[3]);
  const long long first = std::atoll(argv[4]), step = std::atoll(argv[5]);
  std::filesystem::create_directories(folder);
  for (long k = 0; k < count; ++k) {
    char name[32];
    std::snprintf(name, sizeof name, "IMG_%04ld.jpg", k);
    const std::filesystem::path photo = folder / name;
    std::filesystem::copy_file(source, photo, std::filesystem::copy_options::overwrite_existing);
    const std::time_t taken = static_cast<std::time_t>(first + k * step);
    std::tm utc{};
    gmtime_r(&taken, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y:%m:%d %H:%M:%S", &utc);
    auto image = Exiv2::ImageFactory::open(photo.string());
    image->readMetadata();
    image->exifData()["Exif.Photo.DateTimeOriginal"] = std::string(text);
    image->exifData()["Exif.Photo.SubSecTimeOriginal"] = std::string("5");
    image->exifData()["Exif.Photo.OffsetTimeOriginal"] = std::string("+00:00");
    image->writeMetadata();
  }
  return 0;
}
