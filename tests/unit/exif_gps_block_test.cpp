// SPDX-License-Identifier: GPL-3.0-or-later
// The GPS block written into real cameras' JPEGs (tests/data/photos) where their layout asks for
// care: no EXIF at all, data a maker note finds by its place in the file, and blocks that cannot
// grow without moving something. exiv2 is the reader that checks.
#include <gtest/gtest.h>

#include <exiv2/exiv2.hpp>
#include <filesystem>
#include <fstream>

#include "photos/exif_gps_block.h"
#include "photos/photo_tags.h"
#include "photos/photo_writing.h"
#include "test_support.h"

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
  const test::TempDir dir;
  const std::string path = dir / "canon.jpg";
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
         jpeg.insert(jpeg.begin() + static_cast<long>(exif.end), grow, 0x55);  // no padding
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

// Bytes in one byte order, for EXIF blocks made up here.
struct Bytes16 {
  bool little = true;
  std::vector<uint8_t> bytes;
  void Text(std::string_view text) { bytes.insert(bytes.end(), text.begin(), text.end()); }
  void U16(uint32_t value) {
    bytes.push_back(static_cast<uint8_t>(little ? value : value >> 8));
    bytes.push_back(static_cast<uint8_t>(little ? value >> 8 : value));
  }
  void U32(uint32_t value) {
    U16(little ? value & 0xFFFF : value >> 16);
    U16(little ? value >> 16 : value & 0xFFFF);
  }
  void Entry(uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
    U16(tag);
    U16(type);
    U32(count);
    U32(value);
  }
};

// A maker's notes as one maker lays them out: its header, then a directory of two entries (the
// second a text too long for its entry, `textAt` from where the notes count their offsets).
struct Notes {
  std::string_view make;
  std::string header;          // all the bytes before the directory
  bool little = true;          // the notes' own byte order
  std::optional<size_t> base;  // where the notes count offsets from; none: the block's start
  bool blockLittle = true;     // the byte order of the block around them
};

constexpr uint32_t kText = 24;

std::vector<uint8_t> NoteBytes(const Notes& notes, uint32_t textAt) {
  Bytes16 out{notes.little, {}};
  out.Text(notes.header);
  out.U16(2);
  out.Entry(0x0001, 3, 1, 7);
  out.Entry(0x0002, 2, kText, textAt);
  out.U32(0);
  out.Text(std::string(kText, 'n'));
  return out.bytes;
}

// An EXIF block (little-endian unless asked) of a first directory (Make, the EXIF pointer), an EXIF
// directory holding `notes` as its maker note at `notesAt`, and `padding` zero bytes after.
std::vector<uint8_t> BlockWithNotes(std::string_view make, const std::vector<uint8_t>& notes,
                                    size_t padding, uint32_t extraTag = 0, uint32_t extra = 0,
                                    bool little = true) {
  Bytes16 block{little, {}};
  const uint32_t makeAt = 8 + 2 + 3 * 12 + 4;
  const uint32_t exifAt = makeAt + 16;
  block.Text(little ? "II" : "MM");
  block.U16(42);
  block.U32(8);
  block.U16(3);
  if (make.size() < 4) {  // the text in the entry itself
    block.U16(0x010F);
    block.U16(2);
    block.U32(static_cast<uint32_t>(make.size() + 1));
    block.Text(std::string(make) + std::string(4 - make.size(), '\0'));
  } else {
    block.Entry(0x010F, 2, static_cast<uint32_t>(make.size() + 1), makeAt);
  }
  block.Entry(0x8769, 4, 1, exifAt);
  block.Entry(static_cast<uint16_t>(extraTag ? extraTag : 0xC000), 4, 1, extra);
  block.U32(0);
  std::string makeText(make);
  makeText.resize(16, '\0');
  block.Text(makeText);
  block.U16(1);
  block.Entry(0x927C, 7, static_cast<uint32_t>(notes.size()), exifAt + 2 + 12 + 4);
  block.U32(0);
  block.bytes.insert(block.bytes.end(), notes.begin(), notes.end());
  block.bytes.resize(block.bytes.size() + padding, 0);
  return block.bytes;
}

constexpr uint32_t kNotesAt = 8 + 2 + 3 * 12 + 4 + 16 + 2 + 12 + 4;

// A real JPEG (its own EXIF segment taken out) with `block` as its EXIF.
std::vector<uint8_t> JpegWith(const std::vector<uint8_t>& block) {
  auto jpeg = Bytes("exiv2__DSC_3079.jpg");
  const Found exif = ExifSegment(jpeg);
  std::vector<uint8_t> segment = {0xFF,
                                  0xE1,
                                  static_cast<uint8_t>((block.size() + 8) >> 8),
                                  static_cast<uint8_t>(block.size() + 8),
                                  'E',
                                  'x',
                                  'i',
                                  'f',
                                  0,
                                  0};
  segment.insert(segment.end(), block.begin(), block.end());
  jpeg.erase(jpeg.begin() + static_cast<long>(exif.start),
             jpeg.begin() + static_cast<long>(exif.end));
  jpeg.insert(jpeg.begin() + static_cast<long>(exif.start), segment.begin(), segment.end());
  return jpeg;
}

const std::vector<TiffField> kGps = {{0x0000, TiffType::Byte, {2, 3, 0, 0}, {}},
                                     {0x0001, TiffType::Ascii, {}, "N"},
                                     {0x0002, TiffType::Rational, {37, 1, 34, 1, 0, 1}, {}},
                                     {0x0003, TiffType::Ascii, {}, "E"},
                                     {0x0004, TiffType::Rational, {126, 1, 58, 1, 0, 1}, {}}};

// Each maker's notes are read where the maker puts them, from the base it counts from: their
// value is found inside the segment, and the same offset counted from there past the segment is
// refused (counted from anywhere else it would lie inside).
TEST(ExifGpsBlock, MakersNotesAreReadWhereEachMakerPutsThem) {
  const std::string nikonTiff("MM\0\x2a\0\0\0\x08", 8);
  const std::vector<Notes> makers = {
      // A big-endian block, as the iPhone writes it: there, the header read as a directory
      // points far outside.
      {"Apple", std::string("Apple iOS\0\0\x01MM", 14), false, 0, false},
      {"Apple", std::string("Apple iOS\0\0\x01MM", 14), false, 0, true},
      {"NIKON CORPORATION", std::string("Nikon\0\x02\x10\0\0", 10) + nikonTiff, false, 10},
      {"SIGMA", std::string("SIGMA\0\0\0\x01\0", 10), true, {}},
      {"FOVEON", std::string("FOVEON\0\0\x01\0", 10), true, {}},
      {"OLYMPUS", std::string("OLYMPUS\0II\x03\0", 12), true, 0},
      {"OM Digital", std::string("OM SYSTEM\0\0\0II\x04\0", 16), true, 0},
      {"OLYMPUS OPTICAL", std::string("OLYMP\0\x01\0", 8), true, {}},
      {"Panasonic", std::string("Panasonic\0\0\0", 12), true, {}},
      {"PENTAX", std::string("AOC\0MM", 6), false, {}},
      {"RICOH IMAGING", std::string("PENTAX \0II", 10), true, 0},
      {"FUJIFILM", std::string("FUJIFILM\x0c\0\0\0", 12), true, 0},
      {"SONY", std::string("SONY DSC \0\0\0", 12), true, {}},
      {"SAMSUNG", "", true, {}},
      {"Canon", "", true, {}},
      {"DJI", "", true, {}},
  };
  for (const Notes& notes : makers) {
    SCOPED_TRACE(notes.make);
    const size_t textInNotes = notes.header.size() + 2 + 2 * 12 + 4;
    const uint32_t base = notes.base ? kNotesAt + static_cast<uint32_t>(*notes.base) : 0;
    const uint32_t textAt = kNotesAt + static_cast<uint32_t>(textInNotes) - base;
    const auto block = [&](uint32_t at) {
      return BlockWithNotes(notes.make, NoteBytes(notes, at), 0, 0, 0, notes.blockLittle);
    };
    const auto sound = JpegWith(block(textAt));
    const auto tagged = WithGpsBlock(sound, kGps);
    EXPECT_TRUE(tagged) << tagged.Error().reason;

    const size_t blockSize = block(0).size();
    const auto pastEnd = static_cast<uint32_t>(blockSize - base + 4);
    const auto outside = JpegWith(block(pastEnd));
    const auto refused = WithGpsBlock(outside, kGps);
    ASSERT_FALSE(refused) << "read elsewhere than its maker puts it";
    EXPECT_NE(refused.Error().reason.find("outside its EXIF segment"), std::string::npos)
        << refused.Error().reason;
  }
}

// Notes of a maker not known here: a place that reads as a directory whose values lie outside
// the notes and the segment is no directory of theirs, and the one that does read is taken.
TEST(ExifGpsBlock, AnUnknownMakersNotesAreReadWhereTheirValuesLieInside) {
  Bytes16 notes{true, {}};
  notes.U16(1);  // at the start: one entry, a text 0x7000 bytes long far past the segment
  notes.Entry(0x0001, 2, 0x7000, 0x00F00000);
  notes.U16(0);
  notes.U16(0);
  notes.U16(0);
  const Notes real{"Maker", std::string(notes.bytes.begin(), notes.bytes.end()), true, {}};
  const uint32_t textAt = kNotesAt + static_cast<uint32_t>(real.header.size() + 2 + 2 * 12 + 4);
  const auto tagged =
      WithGpsBlock(JpegWith(BlockWithNotes("Maker", NoteBytes(real, textAt), 0)), kGps);
  EXPECT_TRUE(tagged) << tagged.Error().reason;
}

// Zero padding at the block's end takes the new directories, so that nothing moves; padding an
// offset points into (here one this reader does not know) is left as it is.
TEST(ExifGpsBlock, PaddingThatNothingUsesTakesTheGpsBlock) {
  const Notes canon{"Canon", "", true, {}};
  const auto notes = NoteBytes(canon, kNotesAt + 2 + 2 * 12 + 4);
  const size_t used = BlockWithNotes("Canon", notes, 0).size();

  const auto padded = JpegWith(BlockWithNotes("Canon", notes, 600));
  const auto tagged = WithGpsBlock(padded, kGps);
  ASSERT_TRUE(tagged) << tagged.Error().reason;
  EXPECT_EQ(tagged->size(), padded.size());
  const Found exif = ExifSegment(*tagged);
  EXPECT_TRUE(std::equal(padded.begin(), padded.begin() + static_cast<long>(exif.start + 10 + 4),
                         tagged->begin()));  // all before the first directory's offset
  EXPECT_TRUE(std::equal(padded.begin() + static_cast<long>(exif.start + 10 + 8),
                         padded.begin() + static_cast<long>(exif.start + 10 + used),
                         tagged->begin() + static_cast<long>(exif.start + 10 + 8)));
  const auto position = ExifPosition(ExifOf(*tagged));
  ASSERT_TRUE(position);
  EXPECT_NEAR(position->latitude, 37.0 + 34.0 / 60, 1e-9);

  const auto pointedInto =
      JpegWith(BlockWithNotes("Canon", notes, 600, 0xC000, static_cast<uint32_t>(used + 100)));
  const auto grown = WithGpsBlock(pointedInto, kGps);
  ASSERT_TRUE(grown) << grown.Error().reason;
  EXPECT_GT(grown->size(), pointedInto.size());
  const Found grownExif = ExifSegment(*grown);
  EXPECT_TRUE(std::all_of(grown->begin() + static_cast<long>(grownExif.start + 10 + used),
                          grown->begin() + static_cast<long>(grownExif.start + 10 + used + 600),
                          [](uint8_t byte) { return byte == 0; }));
}

}  // namespace
}  // namespace tavrin::photos
