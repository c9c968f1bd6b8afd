// SPDX-License-Identifier: GPL-3.0-or-later
// tavrin geotag as a user runs it: real JPEGs (ImageMagick draws them, exiv2 sets the capture
// time) over real track files, the positions read back by exiftool.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <exiv2/exiv2.hpp>

#include <cmath>
#include <map>

#include "../support/photo_samples.h"
#include "../support/program_run.h"
#include "exiftool_tags.h"
#include "export_test_support.h"
#include "photos/photo_time.h"

namespace tavrin {
namespace {

// Track A: 2024-05-01 10:00:00 to 10:05:00 UTC, a point every 5 s; track B: 12:00:00 to
// 12:02:00. Each point moves north-east, at 36 km/h heading 90 (A) or 54 km/h heading 180 (B).
struct StoredTrack {
  int hour;
  int points;
  float latitude;
  float longitude;
  int speed;
  int heading;
};
constexpr StoredTrack kTrackA{10, 61, 37.5f, 127.0f, 36, 90};
constexpr StoredTrack kTrackB{12, 25, 40.0f, 10.0f, 54, 180};

TrackPoint PointOf(const StoredTrack& track, int index) {
  return MakePoint(DateTime{24, 5, 1, track.hour, index * 5 / 60, index * 5 % 60}, kFix3D,
                   track.latitude + 0.0001f * static_cast<float>(index),
                   track.longitude + 0.0002f * static_cast<float>(index), track.speed,
                   track.heading);
}

struct Expected {
  double latitude;
  double longitude;
};

// Where a photo at `seconds` after the track's start is, worked out from the stored floats.
Expected ExpectedAt(const StoredTrack& track, double seconds) {
  const int index = static_cast<int>(seconds / 5);
  const double share = (seconds - index * 5) / 5;
  const TrackPoint a = PointOf(track, index);
  const TrackPoint b = share > 0 ? PointOf(track, index + 1) : a;
  return {a.latitude + share * (static_cast<double>(b.latitude) - a.latitude),
          a.longitude + share * (static_cast<double>(b.longitude) - a.longitude)};
}

using test::ExiftoolTags;
using test::OtherTags;

class CliGeotag : public ::testing::Test {
 protected:
  CliGeotag() {
    std::filesystem::create_directories(dir / "DataLog");
    std::filesystem::create_directories(dir / "photos");
    std::ofstream(dir / "TVR.ini") << "[MAIN]\r\nLocalTimeOffset=60\r\nDaylightsaving=1\r\n"
                                      "TimeZoneName=Europe/Berlin\r\n";
    StoreTrack(kTrackA, "20240501_100000.bt0");
    StoreTrack(kTrackB, "20240501_120000.bt0");
  }

  void StoreTrack(const StoredTrack& track, const std::string& name) {
    std::vector<TrackPoint> points;
    for (int i = 0; i < track.points; ++i) points.push_back(PointOf(track, i));
    test::WriteTrackFile(dir / ("DataLog/" + name),
                         test::Header(points[0], static_cast<uint32_t>(points.size()),
                                      static_cast<uint32_t>(track.points * 5 - 5), 0),
                         points);
  }

  // A photo in photos/ taken at `time` by the camera's clock.
  std::string Photo(const std::string& name, const test::CaptureTime& time,
                    const std::string& size = "64x48") {
    const std::string path = dir / ("photos/" + name);
    EXPECT_TRUE(test::MakePhoto(path, time, size))
        << "ImageMagick's convert could not draw " << path << " (Debian package imagemagick)";
    return path;
  }

  std::vector<std::string> Command(const std::vector<std::string>& words) {
    std::vector<std::string> argv = {TAVRIN_CLI, "--data",        dir / "DataLog",
                                     "--config", dir / "TVR.ini", "geotag"};
    argv.insert(argv.end(), words.begin(), words.end());
    return argv;
  }
  test::ProgramResult Geotag(const std::vector<std::string>& words) {
    return test::RunProgram(Command(words), dir.Path());
  }

  // The line tavrin printed for the photo.
  static std::string LineOf(const test::ProgramResult& run, const std::string& path) {
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind(path + "\t", 0) == 0) return line.substr(path.size() + 1);
    }
    return "(no line for " + path + ")";
  }

  // The position exiftool reads from the photo's EXIF, or from a sidecar's XMP.
  static void ExpectPosition(const std::string& path, const Expected& expected) {
    const auto tags = ExiftoolTags(path, "-GPSLatitude -GPSLongitude");
    const std::string group = path.ends_with(".xmp") ? "[XMP-exif] " : "[GPS] ";
    ASSERT_TRUE(tags.count(group + "GPSLatitude")) << path << ::testing::PrintToString(tags);
    EXPECT_NEAR(std::stod(tags.at(group + "GPSLatitude")), expected.latitude, 1e-7) << path;
    EXPECT_NEAR(std::stod(tags.at(group + "GPSLongitude")), expected.longitude, 1e-7) << path;
  }

  test::TempDir dir;
};

TEST_F(CliGeotag, PositionsAreInterpolatedBetweenPointsTakenAtPointsAndFoundInEveryTrack) {
  const auto between = Photo("between.jpg", {"2024:05:01 10:00:12", "5", ""});
  const auto atPoint = Photo("at_point.jpg", {"2024:05:01 10:01:00", "", ""});
  const auto secondTrack = Photo("second_track.jpg", {"2024:05:01 12:01:02", "", ""});
  const auto run = Geotag({"--zone", "+00:00", dir / "photos"});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  ExpectPosition(between, ExpectedAt(kTrackA, 12.5));
  ExpectPosition(atPoint, ExpectedAt(kTrackA, 60));
  ExpectPosition(secondTrack, ExpectedAt(kTrackB, 62));
  EXPECT_EQ(LineOf(run, atPoint), "2024-05-01T10:01:00Z\t37.5012016 127.0024033");
  EXPECT_EQ(LineOf(run, between).substr(0, 23), "2024-05-01T10:00:12.5Z\t");
  EXPECT_NE(run.out.find("Tagged: 3, out of range: 0, already tagged: 0, failed: 0\n"),
            std::string::npos)
      << run.out;
}

TEST_F(CliGeotag, PhotosFarFromEveryPointOrOutsideEveryTrackAreReportedAndLeftAlone) {
  const auto beyondGap = Photo("beyond_gap.jpg", {"2024:05:01 10:02:30", "", ""});
  const auto before = Photo("before.jpg", {"2024:05:01 09:59:50", "", ""});
  const auto after = Photo("after.jpg", {"2024:05:01 12:02:30", "", ""});
  const auto between = Photo("between_tracks.jpg", {"2024:05:01 10:05:20", "", ""});
  std::map<std::string, std::vector<uint8_t>> bytes;
  for (const auto& path : {beyondGap, before, after, between}) bytes[path] = test::ReadBytes(path);
  // Points every 5 s: 2.5 s from the nearest is too far with --max-gap 2.
  Photo("beyond_gap.jpg", {"2024:05:01 10:02:32", "5", ""});
  bytes[beyondGap] = test::ReadBytes(beyondGap);
  const auto run = Geotag({"--zone", "UTC", "--max-gap", "2", dir / "photos"});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  for (const auto& [path, content] : bytes) EXPECT_EQ(test::ReadBytes(path), content) << path;
  EXPECT_EQ(LineOf(run, beyondGap),
            "2024-05-01T10:02:32.5Z\tnot tagged: 2 s from the nearest stored point (at most 2 s "
            "allowed with --max-gap)");
  EXPECT_EQ(LineOf(run, before),
            "2024-05-01T09:59:50Z\tnot tagged: taken 10 s before the first stored point");
  EXPECT_EQ(LineOf(run, after),
            "2024-05-01T12:02:30Z\tnot tagged: taken 30 s after the last stored point");
  EXPECT_EQ(LineOf(run, between),
            "2024-05-01T10:05:20Z\tnot tagged: taken between two stored tracks, 20 s from the "
            "nearer one");
  EXPECT_NE(run.out.find("Tagged: 0, out of range: 4, already tagged: 0, failed: 0\n"),
            std::string::npos)
      << run.out;
}

TEST_F(CliGeotag, TheCameraClockIsCorrectedByAnOffsetOrByAPhotoOfAClock) {
  // The camera runs 90 s slow: it says 10:00:30 when the logger says 10:02:00.
  const auto slow = Photo("slow.jpg", {"2024:05:01 10:00:30", "", ""});
  const auto run = Geotag({"--zone", "+00:00", "--offset", "+00:01:30", slow});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  ExpectPosition(slow, ExpectedAt(kTrackA, 120));
  EXPECT_EQ(LineOf(run, slow).substr(0, 21), "2024-05-01T10:02:00Z\t");

  // The same error from a photo of a clock showing 12:01:37 (Berlin), which the camera took at
  // what it called 09:59:57 UTC+00:00 (in the photo's own offset).
  const auto slowToo = Photo("slow_too.jpg", {"2024:05:01 10:00:40", "", ""});
  const std::string clock = dir / "clock.jpg";
  ASSERT_TRUE(test::MakePhoto(clock, {"2024:05:01 09:59:57", "", "+00:00"}));
  const auto byClock = Geotag({"--zone", "+00:00", "--clock-photo", clock, "--clock-time",
                               "2024-05-01 12:01:27+02:00", slowToo});
  EXPECT_EQ(byClock.exitCode, 0) << byClock.out << byClock.err;
  ExpectPosition(slowToo, ExpectedAt(kTrackA, 130));
}

TEST_F(CliGeotag, TheZoneComesFromThePhotoElseFromZoneElseFromTheSettings) {
  // OffsetTimeOriginal wins over --zone: 12:00:20 at +02:00 is 10:00:20 UTC.
  const auto ownOffset = Photo("own_offset.jpg", {"2024:05:01 12:00:20", "", "+02:00"});
  // Berlin keeps summer time on 1 May: 12:00:40 there is 10:00:40 UTC.
  const auto berlin = Photo("berlin.jpg", {"2024:05:01 12:00:40", "", ""});
  auto run = Geotag({"--zone", "Europe/Berlin", ownOffset, berlin});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  ExpectPosition(ownOffset, ExpectedAt(kTrackA, 20));
  ExpectPosition(berlin, ExpectedAt(kTrackA, 40));

  // Tokyo is 9 hours ahead: 19:01:10 there is 10:01:10 UTC; the offset photo stays as it was.
  const auto tokyo = Photo("tokyo.jpg", {"2024:05:01 19:01:10", "", ""});
  const auto ownOffsetToo = Photo("own_offset_too.jpg", {"2024:05:01 12:01:20", "", "+02:00"});
  run = Geotag({"--zone", "Asia/Tokyo", tokyo, ownOffsetToo});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  ExpectPosition(tokyo, ExpectedAt(kTrackA, 70));
  ExpectPosition(ownOffsetToo, ExpectedAt(kTrackA, 80));

  // Without --zone the settings' zone, Berlin in summer time.
  const auto settings = Photo("settings.jpg", {"2024:05:01 12:01:30", "", ""});
  run = Geotag({settings});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(LineOf(run, settings).substr(0, 21), "2024-05-01T10:01:30Z\t");
  ExpectPosition(settings, ExpectedAt(kTrackA, 90));
}

TEST_F(CliGeotag, OnlyTheGpsTagsChangeTheImageDataAndTheModificationTimeStay) {
  const auto photo = Photo("photo.jpg", {"2024:05:01 10:00:12", "5", ""}, "320x240");
  const struct timespec old[2] = {{1'600'000'000, 0}, {1'600'000'000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, photo.c_str(), old, 0), 0);
  const auto before = test::ReadBytes(photo);
  const auto otherTags = OtherTags(photo);
  ASSERT_FALSE(otherTags.empty());
  ASSERT_EQ(otherTags.at("[ExifIFD] DateTimeOriginal"), "2024:05:01 10:00:12");
  const auto pixels = test::RunTool("identify -format %# " + test::Quote(photo));

  const auto run = Geotag({"--zone", "+00:00", photo});
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  ExpectPosition(photo, ExpectedAt(kTrackA, 12.5));
  const auto tags = ExiftoolTags(photo);
  EXPECT_EQ(tags.at("[GPS] GPSVersionID"), "2 3 0 0");
  EXPECT_EQ(tags.at("[GPS] GPSLatitudeRef"), "N");
  EXPECT_EQ(tags.at("[GPS] GPSLongitudeRef"), "E");
  EXPECT_EQ(tags.at("[GPS] GPSMapDatum"), "WGS-84");
  EXPECT_EQ(tags.at("[GPS] GPSDateStamp"), "2024:05:01");
  EXPECT_EQ(tags.at("[GPS] GPSTimeStamp"), "10:00:12.5");
  EXPECT_EQ(tags.at("[GPS] GPSSpeedRef"), "K");
  EXPECT_EQ(tags.at("[GPS] GPSSpeed"), "36");
  EXPECT_EQ(tags.at("[GPS] GPSTrackRef"), "T");
  EXPECT_EQ(tags.at("[GPS] GPSTrack"), "90");
  EXPECT_EQ(OtherTags(photo), otherTags);
  // The coded image is the same, byte for byte, at the end of the file, and decodes the same.
  const auto after = test::ReadBytes(photo);
  const uint8_t scanMarker[] = {0xFF, 0xDA};
  const auto scan = std::search(before.begin(), before.end(), scanMarker, scanMarker + 2);
  ASSERT_NE(scan, before.end());
  const size_t imageBytes = static_cast<size_t>(before.end() - scan);
  ASSERT_GE(after.size(), imageBytes);
  EXPECT_TRUE(std::equal(scan, before.end(), after.end() - static_cast<long>(imageBytes)));
  EXPECT_EQ(test::RunTool("identify -format %# " + test::Quote(photo)).output, pixels.output);
  struct stat status {};
  ASSERT_EQ(::stat(photo.c_str(), &status), 0);
  EXPECT_EQ(status.st_mtim.tv_sec, 1'600'000'000);

  // Asked to, the file takes the present time.
  const auto again = Geotag({"--zone", "+00:00", "--overwrite", "--touch", photo});
  EXPECT_EQ(again.exitCode, 0) << again.out << again.err;
  ASSERT_EQ(::stat(photo.c_str(), &status), 0);
  EXPECT_GT(status.st_mtim.tv_sec, 1'600'000'000);
}

TEST_F(CliGeotag, ADryRunShowsWhatWouldBeWrittenAndWritesNothing) {
  const auto photo = Photo("photo.jpg", {"2024:05:01 10:01:00", "", ""});
  const auto before = test::ReadBytes(photo);
  const auto run = Geotag({"--zone", "+00:00", "--dry-run", dir / "photos"});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(LineOf(run, photo), "2024-05-01T10:01:00Z\twould write 37.5012016 127.0024033");
  EXPECT_NE(run.out.find("Would tag: 1, out of range: 0, already tagged: 0, failed: 0 (dry run: "
                         "nothing was written)"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(test::ReadBytes(photo), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "photos"), {}), 1);
}

TEST_F(CliGeotag, ATaggedPhotoIsSkippedUnlessOverwriteIsAsked) {
  const auto photo = Photo("photo.jpg", {"2024:05:01 10:01:00", "", ""});
  ASSERT_EQ(Geotag({"--zone", "+00:00", photo}).exitCode, 0);
  const auto tagged = test::ReadBytes(photo);
  // Read as Berlin time, 10:01:00 is 08:01 UTC: no track then, yet the photo is not touched.
  auto run = Geotag({"--zone", "+00:00", "--offset", "+00:01:00", photo});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(LineOf(run, photo),
            "2024-05-01T10:02:00Z\talready tagged: it has a position (--overwrite replaces it)");
  EXPECT_NE(run.out.find("Tagged: 0, out of range: 0, already tagged: 1, failed: 0"),
            std::string::npos);
  EXPECT_EQ(test::ReadBytes(photo), tagged);
  ExpectPosition(photo, ExpectedAt(kTrackA, 60));

  run = Geotag({"--zone", "+00:00", "--offset", "+00:01:00", "--overwrite", photo});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  ExpectPosition(photo, ExpectedAt(kTrackA, 120));
}

// The bytes of the rationals of a GPS tag as the photo holds them, in either byte order.
std::vector<std::vector<uint8_t>> RationalBytes(const std::string& photo, const std::string& key) {
  auto image = Exiv2::ImageFactory::open(photo);
  image->readMetadata();
  const auto datum = image->exifData().findKey(Exiv2::ExifKey(key));
  if (datum == image->exifData().end()) return {};
  std::vector<uint8_t> little, big;
  for (long i = 0; i < static_cast<long>(datum->count()); ++i) {
    const Exiv2::Rational rational = datum->toRational(i);
    for (const uint32_t number :
         {static_cast<uint32_t>(rational.first), static_cast<uint32_t>(rational.second)}) {
      for (int byte = 0; byte < 4; ++byte) {
        little.push_back(static_cast<uint8_t>(number >> (8 * byte)));
        big.push_back(static_cast<uint8_t>(number >> (8 * (3 - byte))));
      }
    }
  }
  return {little, big};
}

bool HoldsAny(const std::vector<uint8_t>& file, const std::vector<std::vector<uint8_t>>& parts) {
  return std::any_of(parts.begin(), parts.end(), [&](const std::vector<uint8_t>& part) {
    return std::search(file.begin(), file.end(), part.begin(), part.end()) != file.end();
  });
}

// A position replaced must not stay in the photo as unused bytes, to be read out of it later.
TEST_F(CliGeotag, AnOverwrittenPositionLeavesNoTraceOfTheOldOne) {
  const auto photo = Photo("photo.jpg", {"2024:05:01 10:01:00", "", ""}, "320x240");
  ASSERT_EQ(Geotag({"--zone", "+00:00", photo}).exitCode, 0);
  const auto warnings = test::ValidationWarnings(photo);
  std::vector<std::vector<uint8_t>> old;
  for (const char* key : {"Exif.GPSInfo.GPSLatitude", "Exif.GPSInfo.GPSLongitude"}) {
    const auto bytes = RationalBytes(photo, key);
    ASSERT_EQ(bytes.size(), 2u) << key;
    old.insert(old.end(), bytes.begin(), bytes.end());
  }
  ASSERT_TRUE(HoldsAny(test::ReadBytes(photo), old));

  const auto run = Geotag({"--zone", "+00:00", "--offset", "+00:01:00", "--overwrite", photo});
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  ExpectPosition(photo, ExpectedAt(kTrackA, 120));
  EXPECT_FALSE(HoldsAny(test::ReadBytes(photo), old));
  EXPECT_EQ(test::ValidationWarnings(photo), warnings);
}

TEST_F(CliGeotag, ASidecarIsWrittenForARawFileAndWhenAsked) {
  // A TIFF-based raw file, as DNG is.
  const auto tiff = Photo("raw.tif", {"2024:05:01 10:00:25", "", ""});
  const std::string raw = dir / "photos/raw.dng";
  std::filesystem::rename(tiff, raw);
  const auto jpeg = Photo("photo.jpg", {"2024:05:01 10:00:35", "", ""});
  const auto rawBytes = test::ReadBytes(raw);
  const auto jpegBytes = test::ReadBytes(jpeg);
  auto run = Geotag({"--zone", "+00:00", raw});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(LineOf(run, raw),
            "2024-05-01T10:00:25Z\t37.5004997 127.0009995 in " + (dir / "photos/raw.xmp"));
  ExpectPosition(dir / "photos/raw.xmp", ExpectedAt(kTrackA, 25));
  EXPECT_EQ(test::ReadBytes(raw), rawBytes);

  run = Geotag({"--zone", "+00:00", "--sidecar", jpeg});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  ExpectPosition(dir / "photos/photo.xmp", ExpectedAt(kTrackA, 35));
  EXPECT_EQ(test::ReadBytes(jpeg), jpegBytes);
  // A sidecar with a position counts as the photo's.
  run = Geotag({"--zone", "+00:00", "--sidecar", jpeg});
  EXPECT_NE(LineOf(run, jpeg).find("already tagged"), std::string::npos) << run.out;
}

TEST_F(CliGeotag, PhotosThatCannotBeTaggedAreNamedAndStayByteForByte) {
  const auto readOnly = Photo("read_only.jpg", {"2024:05:01 10:00:10", "", ""});
  ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
  const auto truncated = Photo("truncated.jpg", {"2024:05:01 10:00:20", "", ""}, "200x150");
  auto whole = test::ReadBytes(truncated);
  whole.resize(whole.size() * 2 / 3);
  std::ofstream(truncated, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(whole.data()), static_cast<long>(whole.size()));
  const std::string notImage = dir / "photos/notes.jpg";
  std::ofstream(notImage) << "shopping list: bread, milk\n";
  const auto good = Photo("good.jpg", {"2024:05:01 10:00:30", "", ""});
  std::map<std::string, std::vector<uint8_t>> bytes;
  for (const auto& path : {readOnly, truncated, notImage}) bytes[path] = test::ReadBytes(path);

  const auto run = Geotag({"--zone", "+00:00", dir / "photos"});
  EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
  for (const auto& [path, content] : bytes) {
    EXPECT_EQ(test::ReadBytes(path), content) << path;
    EXPECT_NE(run.err.find("tavrin geotag: " + path), std::string::npos) << path << run.err;
    EXPECT_NE(LineOf(run, path).find("failed: " + path), std::string::npos) << run.out;
  }
  EXPECT_NE(run.err.find(readOnly + " is read-only"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(truncated + " is not a whole JPEG"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(notImage + " cannot be read as a photo"), std::string::npos) << run.err;
  // The run went on with the others.
  ExpectPosition(good, ExpectedAt(kTrackA, 30));
  EXPECT_NE(run.out.find("Tagged: 1, out of range: 0, already tagged: 0, failed: 3"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "photos"), {}), 4);
}

// A named pipe given as a photo would wait for a writer for ever: it is refused at once.
TEST_F(CliGeotag, APipeOrADeviceNamedAsAPhotoIsRefusedWithoutWaiting) {
  const std::string pipe = dir / "photos/camera.jpg";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
  const auto run = test::RunProgramWithin(Command({"--zone", "+00:00", pipe, "/dev/null"}),
                                          dir.Path(), std::chrono::seconds(20));
  ASSERT_FALSE(run.timedOut) << "tavrin geotag waited on the pipe";
  EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
  EXPECT_NE(run.err.find(pipe + " is not a photo file"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("/dev/null is not a photo file"), std::string::npos) << run.err;
}

TEST_F(CliGeotag, AFullDiskLeavesThePhotoAsItWas) {
  const auto photo = Photo("photo.jpg", {"2024:05:01 10:00:10", "", ""}, "400x300");
  const auto before = test::ReadBytes(photo);
  ASSERT_GT(before.size(), 16'384u);
  // Files may grow to 16 KiB: the photo's copy cannot be written whole.
  const auto run = test::Program(Command({"--zone", "+00:00", photo}), dir.Path(), [] {
                     ::signal(SIGXFSZ, SIG_IGN);
                     const struct rlimit limit = {16'384, 16'384};
                     ::setrlimit(RLIMIT_FSIZE, &limit);
                   }).Wait();
  EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
  EXPECT_EQ(test::ReadBytes(photo), before);
  EXPECT_NE(run.err.find(photo + " could not be written (File too large)"), std::string::npos)
      << run.err;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "photos"), {}), 1);
}

TEST_F(CliGeotag, FoldersAreSearchedForPhotosAndTheirSubfoldersWithRecursive) {
  std::filesystem::create_directories(dir / "photos/day2");
  const auto top = Photo("top.JPG", {"2024:05:01 10:00:10", "", ""});
  const auto deeper = Photo("day2/deeper.jpeg", {"2024:05:01 10:00:20", "", ""});
  std::ofstream(dir / "photos/readme.txt") << "not a photo\n";
  auto run = Geotag({"--zone", "+00:00", "--dry-run", dir / "photos"});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_NE(LineOf(run, top).find("would write"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find(deeper), std::string::npos) << run.out;
  run = Geotag({"--zone", "+00:00", "--recursive", dir / "photos"});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  ExpectPosition(deeper, ExpectedAt(kTrackA, 20));
  EXPECT_EQ(run.out.find("readme.txt"), std::string::npos) << run.out;
}

TEST_F(CliGeotag, ABadCommandLineEndsWithTwoAndTouchesNothing) {
  const auto photo = Photo("photo.jpg", {"2024:05:01 10:00:10", "", ""});
  const auto before = test::ReadBytes(photo);
  for (const auto& words : std::vector<std::vector<std::string>>{
           {"--offset", "00:01:30", photo},
           {"--zone", "Mars/Olympus", photo},
           {"--zone", "../../etc/passwd", photo},
           {"--clock-photo", photo, photo},
           {"--offset", "+00:00:01", "--clock-photo", photo, "--clock-time", "2024-05-01 10:00:00",
            photo},
           {"--clock-photo", photo, "--clock-time", "yesterday", photo},
           {"--max-gap", "0", photo},
           {}}) {
    const auto run = Geotag(words);
    EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(words) << run.out << run.err;
    EXPECT_EQ(test::ReadBytes(photo), before);
  }
  const auto missing = Geotag({dir / "photos/missing.jpg"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find(dir / "photos/missing.jpg" + " does not exist"), std::string::npos)
      << missing.err;
}

}  // namespace
}  // namespace tavrin
