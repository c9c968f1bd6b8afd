// SPDX-License-Identifier: GPL-3.0-or-later
// The GPS block written into real cameras' JPEGs (tests/data/photos) where their layout asks for
// care: no EXIF at all, data a maker note finds by its place in the file, and blocks that cannot
// grow without moving something. exiv2 is the reader that checks.
#include <gtest/gtest.h>

#include <exiv2/exiv2.hpp>
#include <filesystem>
#include <fstream>

#include "photos/photo_tags.h"
#include "photos/photo_writing.h"

namespace tavrin::photos {
namespace {

const std::filesystem::path kPhotos = std::filesystem::path(TAVRIN_TEST_DATA) / "photos";
const GeoPosition kPlace{37.5665, 126.978, 42.5, 271.0};
constexpr double kTime = 1'700'000'000.25;

std::vector<uint8_t> Bytes(const std::string& name) {
  std::ifstream in(kPhotos / name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

struct Found {
  size_t start = 0;  // the segment's 0xFF
  size_t end = 0;
};
// The first APP1 segment that holds EXIF.
Found ExifSegment(const std::vector<uint8_t>& jpeg) {
  size_t at = 2;
  while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF && jpeg[at + 1] != 0xDA) {
    const size_t end = at + 2 + (static_cast<size_t>(jpeg[at + 2]) << 8 | jpeg[at + 3]);
    if (jpeg[at + 1] == 0xE1 && jpeg[at + 4] == 'E') return {at, end};
    at = end;
  }
  return {};
}

Exiv2::ExifData ExifOf(const std::vector<uint8_t>& jpeg) {
  auto image = Exiv2::ImageFactory::open(jpeg.data(), static_cast<long>(jpeg.size()));
  image->readMetadata();
  return image->exifData();
}

TEST(ExifGpsBlock, APhotoWithoutExifGetsABlockOfItsOwnAndNothingElseMoves) {
  auto jpeg = Bytes("exiv2__exiv2-nikon-d70.jpg");
  const Found exif = ExifSegment(jpeg);
  ASSERT_GT(exif.end, 0u);
  jpeg.erase(jpeg.begin() + static_cast<long>(exif.start),
             jpeg.begin() + static_cast<long>(exif.end));

  const auto tagged = TaggedJpeg("bare.jpg", jpeg, kPlace, kTime);
  ASSERT_TRUE(tagged) << tagged.Error().reason;
  const auto data = ExifOf(*tagged);
  const auto position = ExifPosition(data);
  ASSERT_TRUE(position);
  EXPECT_NEAR(position->latitude, kPlace.latitude, 1e-7);
  EXPECT_NEAR(position->longitude, kPlace.longitude, 1e-7);
  // The first directory carries the tags a JPEG's must.
  for (const char* key :
       {"Exif.Image.XResolution", "Exif.Image.ResolutionUnit", "Exif.Image.YCbCrPositioning"}) {
    EXPECT_NE(data.findKey(Exiv2::ExifKey(key)), data.end()) << key;
  }
  const Found added = ExifSegment(*tagged);
  ASSERT_EQ(added.start, exif.start);  // where the camera had its own, after the JFIF header
  EXPECT_TRUE(std::equal(tagged->begin() + static_cast<long>(added.end), tagged->end(),
                         jpeg.begin() + static_cast<long>(exif.start), jpeg.end()));
}

// Canon points at its original decision data, after the image, from the start of the file.
TEST(ExifGpsBlock, CanonsDecisionDataIsFoundWhereItMoved) {
  const std::string path = (std::filesystem::temp_directory_path() / "tavrin-canon.jpg").string();
  std::filesystem::copy_file(kPhotos / "exiv2__exiv2-canon-eos-20d.jpg", path,
                             std::filesystem::copy_options::overwrite_existing);
  uint32_t trailerAt = 0;
  for (int pass = 0; pass < 2; ++pass) {  // the second pass knows where the trailer will start
    auto image = Exiv2::ImageFactory::open(path);
    image->readMetadata();
    image->exifData()["Exif.Canon.OriginalDecisionDataOffset"] = trailerAt;
    image->writeMetadata();
    trailerAt = static_cast<uint32_t>(std::filesystem::file_size(path));
  }
  std::ofstream(path, std::ios::binary | std::ios::app) << "DECISION";
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> original{std::istreambuf_iterator<char>(in), {}};
  std::filesystem::remove(path);

  const auto tagged = TaggedJpeg(path, original, kPlace, kTime);
  ASSERT_TRUE(tagged) << tagged.Error().reason;
  const auto data = ExifOf(*tagged);
  const auto pointer = data.findKey(Exiv2::ExifKey("Exif.Canon.OriginalDecisionDataOffset"));
  ASSERT_NE(pointer, data.end());
  const auto at = static_cast<size_t>(pointer->toLong());
  EXPECT_EQ(at, trailerAt + tagged->size() - original.size());
  ASSERT_LE(at + 8, tagged->size());
  EXPECT_EQ(std::string(tagged->begin() + static_cast<long>(at), tagged->end()), "DECISION");
}

// What would move or break when the block grows is refused, and the photo left alone.
TEST(ExifGpsBlock, BlocksThatCannotGrowSafelyAreRefused) {
  const auto canon = Bytes("exiv2__exiv2-canon-eos-20d.jpg");
  const Found exif = ExifSegment(canon);
  const size_t tiff = exif.start + 10;
  struct Row {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> spoil;
    const char* reason;
  };
  const std::vector<Row> rows = {
      {"a thumbnail past the EXIF segment",
       [&](std::vector<uint8_t>& jpeg) {
         // The thumbnail's length, pushed past the segment's end.
         auto data = ExifOf(jpeg);
         const auto length =
             data.findKey(Exiv2::ExifKey("Exif.Thumbnail.JPEGInterchangeFormatLength"));
         const auto offset = data.findKey(Exiv2::ExifKey("Exif.Thumbnail.JPEGInterchangeFormat"));
         ASSERT_NE(length, data.end());
         const uint32_t wanted = static_cast<uint32_t>(exif.end - tiff - offset->toLong() + 100);
         const uint32_t now = static_cast<uint32_t>(length->toLong());
         // Find the entry: tag 0x0202, type LONG, count 1, the value as it stands (Intel order).
         const uint8_t entry[] = {0x02,
                                  0x02,
                                  4,
                                  0,
                                  1,
                                  0,
                                  0,
                                  0,
                                  static_cast<uint8_t>(now),
                                  static_cast<uint8_t>(now >> 8),
                                  static_cast<uint8_t>(now >> 16),
                                  static_cast<uint8_t>(now >> 24)};
         const auto found = std::search(jpeg.begin(), jpeg.end(), entry, entry + 12);
         ASSERT_NE(found, jpeg.end());
         for (int i = 0; i < 4; ++i) found[8 + i] = static_cast<uint8_t>(wanted >> (8 * i));
       },
       "outside its EXIF segment"},
      {"maker notes that point past the EXIF segment",
       [&](std::vector<uint8_t>& jpeg) {
         // Canon's ImageType: tag 6, ASCII, 32 bytes, found past the segment's end.
         const uint8_t entry[] = {0x06, 0x00, 0x02, 0x00, 0x20, 0x00, 0x00, 0x00};
         const auto found = std::search(jpeg.begin(), jpeg.end(), entry, entry + 8);
         ASSERT_NE(found, jpeg.end());
         found[8] = 0xF0;
         found[9] = 0xFF;
       },
       "outside its EXIF segment"},
      {"a segment that would pass 64 KB",
       [&](std::vector<uint8_t>& jpeg) {
         const size_t grow = 0xFFFF - (exif.end - exif.start - 2) - 10;
         jpeg.insert(jpeg.begin() + static_cast<long>(exif.end), grow, 0);
         const size_t length = exif.end - exif.start - 2 + grow;
         jpeg[exif.start + 2] = static_cast<uint8_t>(length >> 8);
         jpeg[exif.start + 3] = static_cast<uint8_t>(length);
       },
       "past the 64 KB"},
      {"no TIFF header", [&](std::vector<uint8_t>& jpeg) { jpeg[tiff] = 'X'; },
       "not laid out as a JPEG's should be"},
      {"a first directory past the end", [&](std::vector<uint8_t>& jpeg) { jpeg[tiff + 7] = 0x7F; },
       "not laid out as a JPEG's should be"},
      {"an EXIF header of another kind",
       [&](std::vector<uint8_t>& jpeg) { jpeg[exif.start + 8] = 'X'; },
       "not laid out as a JPEG's should be"},
  };
  for (const Row& row : rows) {
    auto jpeg = canon;
    row.spoil(jpeg);
    const auto tagged = TaggedJpeg("photo.jpg", jpeg, kPlace, kTime);
    ASSERT_FALSE(tagged) << row.name;
    EXPECT_NE(tagged.Error().reason.find(row.reason), std::string::npos)
        << row.name << ": " << tagged.Error().reason;
  }
}

}  // namespace
}  // namespace tavrin::photos
