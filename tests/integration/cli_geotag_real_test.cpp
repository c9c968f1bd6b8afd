// SPDX-License-Identifier: GPL-3.0-or-later
// tavrin geotag on real cameras' photos (tests/data/photos, see its PROVENANCE.md), each over a
// track stored at its own capture time: nothing but the GPS block may change, as exiftool reads
// them, and a dry run must say what the run will do.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <optional>

#include "../support/program_run.h"
#include "base/civil_date.h"
#include "exiftool_tags.h"
#include "export_test_support.h"
#include "photos/photo_time.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;
using test::ExiftoolTags;
using test::OtherTags;

const fs::path kRealPhotos = fs::path(TAVRIN_TEST_DATA) / "photos";

// The GPS tags a tagged photo holds, and nothing else.
const std::set<std::string> kWrittenGpsTags = {
    "[GPS] GPSVersionID", "[GPS] GPSLatitudeRef", "[GPS] GPSLatitude", "[GPS] GPSLongitudeRef",
    "[GPS] GPSLongitude", "[GPS] GPSTimeStamp",   "[GPS] GPSSpeedRef", "[GPS] GPSSpeed",
    "[GPS] GPSTrackRef",  "[GPS] GPSTrack",       "[GPS] GPSMapDatum", "[GPS] GPSDateStamp"};

std::vector<std::string> RealPhotoNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kRealPhotos)) {
    if (entry.path().extension() != ".md") names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Where the EXIF segment lies in the file, from its marker to its end; none where it has none.
std::optional<std::pair<size_t, size_t>> ExifSegment(const std::vector<uint8_t>& bytes) {
  size_t at = 2;
  while (at + 4 <= bytes.size() && bytes[at] == 0xFF && bytes[at + 1] != 0xDA) {
    const size_t end = at + 2 + (static_cast<size_t>(bytes[at + 2]) << 8 | bytes[at + 3]);
    if (bytes[at + 1] == 0xE1 && end <= bytes.size() &&
        std::equal(bytes.begin() + static_cast<long>(at) + 4,
                   bytes.begin() + static_cast<long>(at) + 8, "Exif")) {
      return std::pair{at, end};
    }
    at = end;
  }
  return std::nullopt;
}

// The file's bytes less its EXIF segment: what tagging leaves byte for byte.
std::vector<uint8_t> OutsideExifSegment(const std::vector<uint8_t>& bytes) {
  const auto segment = ExifSegment(bytes);
  if (!segment) {
    ADD_FAILURE() << "no EXIF segment";
    return bytes;
  }
  std::vector<uint8_t> outside(bytes.begin(), bytes.begin() + static_cast<long>(segment->first));
  outside.insert(outside.end(), bytes.begin() + static_cast<long>(segment->second), bytes.end());
  return outside;
}

size_t ExifSegmentSize(const std::string& path) {
  const auto segment = ExifSegment(test::ReadBytes(path));
  return segment ? segment->second - segment->first : 0;
}

DateTime DateTimeAt(long long utcSeconds) {
  const CivilDate date = CivilDateOfDays(utcSeconds / 86400);
  const long long ofDay = utcSeconds % 86400;
  return DateTime{static_cast<int>(date.year % 100),
                  date.month,
                  date.day,
                  static_cast<int>(ofDay / 3600),
                  static_cast<int>(ofDay / 60 % 60),
                  static_cast<int>(ofDay % 60)};
}

class CliGeotagRealPhotos : public ::testing::Test {
 protected:
  CliGeotagRealPhotos() {
    fs::create_directories(dir / "DataLog");
    fs::create_directories(dir / "photos");
    std::ofstream(dir / "TVR.ini") << "[MAIN]\r\nLocalTimeOffset=0\r\nDaylightsaving=0\r\n";
  }

  // The real photo copied into `folder`, with a track stored around its time (read as UTC) that
  // stands still at its own place: the position tagged is that place.
  std::string Take(const std::string& name, const std::string& folder = "photos") {
    const std::string path = dir / (folder + "/" + name);
    fs::create_directories(dir / folder);
    fs::copy_file(kRealPhotos / name, path, fs::copy_options::overwrite_existing);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read);
    const auto facts = photos::ReadPhotoFacts(path);
    EXPECT_TRUE(facts && facts->time) << name;
    if (!facts || !facts->time) return path;
    const auto utc = static_cast<long long>(photos::CameraTimeToUtc(*facts->time, LocalZone()));
    const Place place = PlaceAt(utc);
    ++stored_;
    std::vector<TrackPoint> points;
    for (int i = 0; i < 61; ++i) {
      points.push_back(MakePoint(DateTimeAt(utc - 150 + 5 * i), kFix3D, place.latitude,
                                 place.longitude, 20, 45));
    }
    test::WriteTrackFile(dir / ("DataLog/track" + std::to_string(stored_) + ".bt0"),
                         test::Header(points[0], 61, 300, 0), points);
    places_[path] = place;
    return path;
  }

  struct Place {
    float latitude;
    float longitude;
  };
  // Somewhere on every side of both zero lines; photos taken at one time were at one place.
  static Place PlaceAt(long long utc) {
    return {static_cast<float>(utc / 7 % 160) - 80.25f,
            static_cast<float>(utc / 13 % 340) - 170.5f};
  }

  test::ProgramResult Geotag(std::vector<std::string> words) {
    std::vector<std::string> argv = {TAVRIN_CLI,      "--data", dir / "DataLog", "--config",
                                     dir / "TVR.ini", "geotag", "--zone",        "+00:00"};
    argv.insert(argv.end(), words.begin(), words.end());
    return test::RunProgram(argv, dir.Path());
  }

  void ExpectPlace(const std::string& path) {
    const auto tags = ExiftoolTags(path, "-GPS:all");
    ASSERT_TRUE(tags.count("[GPS] GPSLatitude")) << path;
    const double latitude = std::stod(tags.at("[GPS] GPSLatitude"));
    const double longitude = std::stod(tags.at("[GPS] GPSLongitude"));
    EXPECT_NEAR(tags.at("[GPS] GPSLatitudeRef") == "S" ? -latitude : latitude,
                places_.at(path).latitude, 1e-6)
        << path;
    EXPECT_NEAR(tags.at("[GPS] GPSLongitudeRef") == "W" ? -longitude : longitude,
                places_.at(path).longitude, 1e-6)
        << path;
  }

  test::TempDir dir;
  int stored_ = 0;
  std::map<std::string, Place> places_;
};

TEST_F(CliGeotagRealPhotos, EveryCamerasPhotoChangesInItsGpsBlockAlone) {
  if (!test::ReaderInstalled("exiftool", "libimage-exiftool-perl")) GTEST_SKIP();
  struct Before {
    std::map<std::string, std::string> tags;
    std::set<std::string> warnings;
    std::vector<uint8_t> outside;
  };
  std::map<std::string, Before> before;
  std::map<std::string, std::string> secondImages;  // an MPO's second image
  for (const std::string& name : RealPhotoNames()) {
    const std::string path = Take(name);
    before[path] = {OtherTags(path, "-u"), test::ValidationWarnings(path),
                    OutsideExifSegment(test::ReadBytes(path))};
    ASSERT_GT(before[path].tags.size(), 40u) << path;
    if (before[path].tags.count("[MPImage2] MPImageStart")) {
      secondImages[path] =
          test::RunTool("exiftool -b -MPImage2 " + test::Quote(path) + " | md5sum").output;
    }
  }
  ASSERT_GE(before.size(), 13u);
  // A camera that fills its EXIF segment to 64 KB with padding: the GPS block goes into it.
  const std::string paddedPath = dir / "photos/mde__Nikon_D90.jpg";
  const size_t paddedSize = ExifSegmentSize(paddedPath);
  ASSERT_EQ(paddedSize, 2u + 65534u);

  // --overwrite, so that the photo with a position of its own is tagged too.
  const auto run = Geotag({"--overwrite", dir / "photos"});
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("Tagged: " + std::to_string(before.size()) + ", "), std::string::npos)
      << run.out;
  for (const auto& [path, was] : before) {
    SCOPED_TRACE(path);
    ExpectPlace(path);
    const auto tags = OtherTags(path, "-u");
    for (const auto& [name, value] : was.tags) {
      // Where a second image starts in the file moves with the EXIF segment before it; the
      // image itself is compared below, as the bytes outside that segment.
      if (name.ends_with(" MPImageStart")) continue;
      EXPECT_EQ(tags.count(name) ? tags.at(name) : "(gone)", value) << name;
    }
    for (const auto& [name, value] : tags) EXPECT_TRUE(was.tags.count(name)) << "new: " << name;
    for (const std::string& warning : test::ValidationWarnings(path)) {
      EXPECT_TRUE(was.warnings.count(warning)) << "new warning: " << warning;
    }
    EXPECT_TRUE(OutsideExifSegment(test::ReadBytes(path)) == was.outside);
    if (was.tags.count("[MPImage2] MPImageStart")) {
      EXPECT_EQ(test::RunTool("exiftool -b -MPImage2 " + test::Quote(path) + " | md5sum").output,
                secondImages[path]);
    }
  }
  EXPECT_EQ(ExifSegmentSize(paddedPath), paddedSize);
}

// An AFCP trailer (after the image) finds its parts by their place in the file: header, two
// entries, their values, and the closing record, big-endian, as exiftool reads it.
void AppendAfcpTrailer(const std::string& path) {
  auto bytes = test::ReadBytes(path);
  const auto start = static_cast<uint32_t>(bytes.size());
  const std::string text = "Shot from the ridge";
  const std::string other = "AXS trailer part";
  const auto put32 = [&](uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
      bytes.push_back(static_cast<uint8_t>(value >> shift));
  };
  const auto put = [&](const std::string& text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
  };
  put("AXS!");
  bytes.insert(bytes.end(), {0, 1, 0, 2});  // version, two entries
  put32(0);                                 // no checksum
  const uint32_t values = start + 12 + 2 * 12;
  put("TEXT");
  put32(static_cast<uint32_t>(text.size()));
  put32(values);
  put("Note");
  put32(static_cast<uint32_t>(other.size()));
  put32(values + static_cast<uint32_t>(text.size()));
  put(text);
  put(other);
  put("AXS!");
  put32(start);
  put32(0);
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

// Trailers that point into the file from its start keep pointing at their data when the EXIF
// segment before them grows.
TEST_F(CliGeotagRealPhotos, ATrailersOffsetsMoveWithIt) {
  if (!test::ReaderInstalled("exiftool", "libimage-exiftool-perl")) GTEST_SKIP();
  const std::string photo = Take("exiv2__exiv2-nikon-d70.jpg");
  AppendAfcpTrailer(photo);
  const size_t segmentSize = ExifSegmentSize(photo);
  ASSERT_EQ(ExiftoolTags(photo).at("[AFCP] Text"), "Shot from the ridge");
  const auto warnings = test::ValidationWarnings(photo);
  ASSERT_EQ(warnings.size(), 0u) << *warnings.begin();

  const auto run = Geotag({photo});
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  ASSERT_GT(ExifSegmentSize(photo), segmentSize);  // the segment grew: the trailer moved
  ExpectPlace(photo);
  EXPECT_EQ(ExiftoolTags(photo).at("[AFCP] Text"), "Shot from the ridge");
  for (const std::string& warning : test::ValidationWarnings(photo)) {
    ADD_FAILURE() << "new warning: " << warning;
  }
}

TEST_F(CliGeotagRealPhotos, OverwriteLeavesNoTagOfTheEarlierFix) {
  if (!test::ReaderInstalled("exiftool", "libimage-exiftool-perl")) GTEST_SKIP();
  const std::string photo = Take("exiv2__FurnaceCreekInn.jpg");
  ASSERT_TRUE(ExiftoolTags(photo).count("[GPS] GPSAltitude"));
  auto run = Geotag({photo});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("already tagged: it has a position"), std::string::npos) << run.out;

  run = Geotag({"--overwrite", photo});
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  std::set<std::string> gps;
  for (const auto& [name, value] : ExiftoolTags(photo)) {
    if (name.rfind("[GPS]", 0) == 0) gps.insert(name);
  }
  EXPECT_EQ(gps, kWrittenGpsTags);
  ExpectPlace(photo);
}

// Cameras write zeros and empty references before they have a fix: that is no position.
TEST_F(CliGeotagRealPhotos, APlaceholderGpsBlockIsTaggedWithoutOverwrite) {
  if (!test::ReaderInstalled("exiftool", "libimage-exiftool-perl")) GTEST_SKIP();
  const std::string photo = Take("exiv2__exiv2-nikon-d70.jpg");
  const auto placeholder = test::RunTool(
      "exiftool -q -overwrite_original -GPSVersionID='2 2 0 0' -GPSLatitude=0 -GPSLatitudeRef= "
      "-GPSLongitude=0 -GPSLongitudeRef= -GPSAltitude=0 " +
      test::Quote(photo));
  ASSERT_EQ(placeholder.exitCode, 0) << placeholder.output;
  ASSERT_TRUE(ExiftoolTags(photo).count("[GPS] GPSLatitude"));

  const auto run = Geotag({photo});
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("Tagged: 1, out of range: 0, already tagged: 0, failed: 0"),
            std::string::npos)
      << run.out;
  ExpectPlace(photo);
}

TEST_F(CliGeotagRealPhotos, ADryRunSaysWhatTheRunWillDoInTheSameWords) {
  const std::string good = Take("exiv2__exiv2-canon-eos-20d.jpg");
  const std::string cut = Take("exiv2__DSC_3079.jpg");
  auto bytes = test::ReadBytes(cut);
  bytes.resize(bytes.size() * 2 / 3);
  std::ofstream(cut, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
  const std::string locked = Take("exiv2__exiv2-olympus-c8080wz.jpg", "locked");
  ASSERT_EQ(::chmod((dir / "locked").c_str(), 0555), 0);
  const std::vector<std::string> paths = {dir / "photos", dir / "locked"};
  std::map<std::string, std::vector<uint8_t>> original;
  for (const auto& path : {good, cut, locked}) original[path] = test::ReadBytes(path);

  auto words = paths;
  words.insert(words.begin(), "--dry-run");
  const auto dry = Geotag(words);
  EXPECT_EQ(dry.exitCode, 1) << dry.out << dry.err;
  EXPECT_NE(dry.out.find("Would tag: 1, out of range: 0, already tagged: 0, failed: 2 (dry run"),
            std::string::npos)
      << dry.out;
  EXPECT_NE(
      dry.out.find(cut + "\t2018-01-04T11:42:41Z\twould fail: " + cut + " is not a whole JPEG"),
      std::string::npos)
      << dry.out;
  EXPECT_NE(dry.out.find("would fail: " + locked + "'s folder " + dir / "locked" + " is read-only"),
            std::string::npos)
      << dry.out;
  for (const auto& [path, content] : original) EXPECT_EQ(test::ReadBytes(path), content) << path;

  const auto run = Geotag(paths);
  ASSERT_EQ(::chmod((dir / "locked").c_str(), 0755), 0);
  EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
  EXPECT_NE(run.out.find("Tagged: 1, out of range: 0, already tagged: 0, failed: 2\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.err, dry.err);  // each failure in the same words
  EXPECT_EQ(test::ReadBytes(cut), original[cut]);
  EXPECT_EQ(test::ReadBytes(locked), original[locked]);
  ExpectPlace(good);
}

}  // namespace
}  // namespace tavrin
