// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/photo_writing.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>

#include "photos/exif_gps_block.h"
#include "photos/photo_files.h"
#include "photos/photo_tags.h"
#include "store/posix_file.h"

namespace tavrin::photos {
namespace {

// Far above the rounding of the written rationals, far below a metre.
constexpr double kReadBackTolerance = 1e-7;

bool SamePosition(const std::optional<LatLon>& read, const GeoPosition& written) {
  return read && std::fabs(read->latitude - written.latitude) <= kReadBackTolerance &&
         std::fabs(read->longitude - written.longitude) <= kReadBackTolerance;
}

std::string WriteFailure(const std::string& path, const Failure& failure) {
  return path + " could not be written (" + failure.reason +
         "); it was left as it is. Free some space or check the folder's permissions, then run "
         "again.";
}

constexpr char kPhotoAdvice[] = "to tag it, or write a sidecar with --sidecar";
constexpr char kFolderAdvice[] = "to tag the photos in it";

// Root may write anything, so the permission bits are read as well as tried: a photo or a
// folder nobody may write is one its owner wants left alone.
Result<void> MayWrite(const std::string& path, const struct stat& status, const std::string& what,
                      const char* advice) {
  if ((status.st_mode & 0222) == 0) {
    return Failure{what + " is read-only and was left as it is. Make it writable (chmod u+w) " +
                   advice + "."};
  }
  if (::access(path.c_str(), W_OK) != 0) {
    const int error = errno;
    return SystemFailure(error, what + " cannot be written (" + ErrnoText(error) +
                                    "); it was left as it is. Make it writable " + advice + ".");
  }
  return {};
}

Result<struct stat> WritableFile(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    return SystemFailure(errno, path + " cannot be read: " + ErrnoText(errno) + ".");
  }
  if (!S_ISREG(status.st_mode)) return Failure{path + " is not a regular file; it was left alone."};
  if (auto writable = MayWrite(path, status, path, kPhotoAdvice); !writable) {
    return writable.Error();
  }
  return status;
}

std::string FolderOf(const std::string& path) {
  const std::string folder = std::filesystem::path(path).parent_path().string();
  return folder.empty() ? "." : folder;
}

// The tagged copy is written beside the photo and renamed over it: its folder must take it.
Result<void> FolderTakesCopy(const std::string& path, size_t copySize) {
  const std::string folder = FolderOf(path);
  struct stat status {};
  if (::stat(folder.c_str(), &status) != 0) {
    return SystemFailure(errno, path + " cannot be tagged: its folder " + folder +
                                    " cannot be read (" + ErrnoText(errno) + ").");
  }
  if (auto writable = MayWrite(folder, status, path + "'s folder " + folder, kFolderAdvice);
      !writable) {
    return writable.Error();
  }
  struct statvfs space {};
  if (::statvfs(folder.c_str(), &space) == 0) {
    const auto blocks = ::geteuid() == 0 ? space.f_bfree : space.f_bavail;
    if (static_cast<unsigned long long>(blocks) * space.f_frsize < copySize) {
      return SystemFailure(ENOSPC, WriteFailure(path, SystemFailure(ENOSPC, ErrnoText(ENOSPC))));
    }
  }
  return {};
}

// What exiv2 reads of every EXIF tag outside the GPS block: what tagging must leave as it was.
// Two tags are ours to change: the pointer to the GPS block, and Canon's pointer to its decision
// data, which moves with the data it points at.
std::map<std::string, std::string> OtherExif(const Exiv2::ExifData& exif) {
  std::map<std::string, std::string> tags;
  for (const Exiv2::Exifdatum& datum : exif) {
    const std::string key = datum.key();
    if (datum.groupName() == "GPSInfo" || key == "Exif.Image.GPSTag" ||
        key == "Exif.Canon.OriginalDecisionDataOffset") {
      continue;
    }
    tags[key] += datum.toString() + "\n";
  }
  return tags;
}

// The first tag that does not read as before, in words; empty where every tag the photo had
// reads as before. A photo without EXIF gains only the first directory's required tags.
std::string ChangedTag(const Exiv2::ExifData& before, const Exiv2::ExifData& after) {
  auto was = OtherExif(before);
  auto is = OtherExif(after);
  // Canon's notes as a whole hold the moved pointer; exiv2 reads each of their tags, which are
  // compared one by one.
  if (before.findKey(Exiv2::ExifKey("Exif.Canon.OriginalDecisionDataOffset")) != before.end()) {
    was.erase("Exif.Photo.MakerNote");
    is.erase("Exif.Photo.MakerNote");
  }
  if (was.empty()) {
    for (const char* added : {"Exif.Image.XResolution", "Exif.Image.YResolution",
                              "Exif.Image.ResolutionUnit", "Exif.Image.YCbCrPositioning"}) {
      is.erase(added);
    }
  }
  for (const auto& [key, value] : was) {
    const auto now = is.find(key);
    if (now == is.end()) return "its tag " + key + " was lost";
    if (now->second != value) return "its tag " + key + " changed";
  }
  for (const auto& [key, value] : is) {
    if (!was.count(key)) return "it gained a tag " + key;
  }
  return {};
}

// The image data, and the parts of a trailer that finds them by their place in the file (which
// the trailer's places lead to, wherever they moved), as they were.
bool SameImageData(std::span<const uint8_t> tagged, std::span<const uint8_t> original) {
  const auto scan = JpegScanStart(original);
  const auto taggedScan = JpegScanStart(tagged);
  if (!scan || !taggedScan || tagged.size() - *taggedScan != original.size() - *scan) return false;
  const auto trailer = ReadAfcpTrailer(original);
  if (!trailer || trailer->start < *scan) {
    return std::equal(tagged.begin() + static_cast<long>(*taggedScan), tagged.end(),
                      original.begin() + static_cast<long>(*scan));
  }
  const auto taggedTrailer = ReadAfcpTrailer(tagged);
  if (!taggedTrailer || taggedTrailer->parts.size() != trailer->parts.size() ||
      !std::equal(original.begin() + static_cast<long>(*scan),
                  original.begin() + static_cast<long>(trailer->start),
                  tagged.begin() + static_cast<long>(*taggedScan))) {
    return false;
  }
  for (size_t i = 0; i < trailer->parts.size(); ++i) {
    const auto& was = trailer->parts[i];
    const auto& is = taggedTrailer->parts[i];
    if (was.size != is.size || !std::equal(original.begin() + static_cast<long>(was.at),
                                           original.begin() + static_cast<long>(was.at + was.size),
                                           tagged.begin() + static_cast<long>(is.at))) {
      return false;
    }
  }
  return true;
}

std::string Degrees(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.7f", value);
  return text;
}

// What of the tagged photo does not read back as written, in words; empty where all of it does.
std::string WhatDidNotReadBack(std::span<const uint8_t> tagged, std::span<const uint8_t> original,
                               const Exiv2::ExifData& before, const Exiv2::ExifData& after,
                               const GeoPosition& position) {
  if (!SameImageData(tagged, original)) return "its image data would change";
  const auto read = ExifPosition(after);
  if (!read) return "no position read back from its GPS block";
  if (!SamePosition(read, position)) {
    return "its position read back as " + Degrees(read->latitude) + " " + Degrees(read->longitude) +
           " instead of " + Degrees(position.latitude) + " " + Degrees(position.longitude);
  }
  return ChangedTag(before, after);
}

}  // namespace

Result<std::vector<uint8_t>> TaggedJpeg(const std::string& path, std::span<const uint8_t> original,
                                        const GeoPosition& position, double utcSeconds) {
  if (!JpegIsWhole(original)) {
    return Failure{path +
                   " is not a whole JPEG (its image data is missing or cut short); it was left "
                   "as it is."};
  }
  auto tagged = WithGpsBlock(original, GpsFields(position, utcSeconds));
  if (!tagged) {
    return Failure{path + " cannot be tagged in place: " + tagged.Error().reason +
                   "; it was left as it is. To place it anyway, write a sidecar with --sidecar."};
  }
  // Read back by exiv2, which knows the makers' notes: every tag but the GPS block as before.
  SilenceExiv2();
  try {
    auto before = Exiv2::ImageFactory::open(original.data(), static_cast<long>(original.size()));
    before->readMetadata();
    auto after = Exiv2::ImageFactory::open(tagged->data(), static_cast<long>(tagged->size()));
    after->readMetadata();
    const std::string problem =
        WhatDidNotReadBack(*tagged, original, before->exifData(), after->exifData(), position);
    if (!problem.empty()) {
      return Failure{
          path + " did not read back as written (" + problem +
          "); it was left as it is. To place it anyway, write a sidecar with --sidecar."};
    }
  } catch (const Exiv2::AnyError& error) {
    return Failure{path + " cannot be tagged (" + error.what() + "); it was left as it is."};
  } catch (const std::exception& error) {
    return Failure{path + " cannot be tagged (" + error.what() + "); it was left as it is."};
  }
  return tagged;
}

namespace {

struct PreparedPhoto {
  struct stat status {};
  std::vector<uint8_t> tagged;
};

// Everything writing the photo will meet, short of writing it.
Result<PreparedPhoto> PreparePhoto(const std::string& path, const GeoPosition& position,
                                   double utcSeconds) {
  auto status = WritableFile(path);
  if (!status) return status.Error();
  auto original = ReadWholeFile(path);
  if (!original) {
    return SystemFailure(original.Error().systemError,
                         path + " cannot be read: " + original.Error().reason + ".");
  }
  auto tagged = TaggedJpeg(path, *original, position, utcSeconds);
  if (!tagged) return tagged.Error();
  if (auto room = FolderTakesCopy(path, tagged->size()); !room) return room.Error();
  return PreparedPhoto{*status, std::move(*tagged)};
}

}  // namespace

Result<void> CheckPositionInPhoto(const std::string& path, const GeoPosition& position,
                                  double utcSeconds) {
  auto prepared = PreparePhoto(path, position, utcSeconds);
  if (!prepared) return prepared.Error();
  return {};
}

Result<void> WritePositionInPhoto(const std::string& path, const GeoPosition& position,
                                  double utcSeconds, bool keepModificationTime) {
  auto prepared = PreparePhoto(path, position, utcSeconds);
  if (!prepared) return prepared.Error();
  if (auto replaced = ReplaceFile(path, prepared->tagged, &prepared->status, keepModificationTime);
      !replaced) {
    return SystemFailure(replaced.Error().systemError, WriteFailure(path, replaced.Error()));
  }
  return {};
}

std::string SidecarPath(const std::string& photoPath) {
  return std::filesystem::path(photoPath).replace_extension(".xmp").string();
}

namespace {

Result<Exiv2::XmpData> ReadSidecar(const std::string& sidecar) {
  Exiv2::XmpData xmp;
  std::error_code error;
  if (!std::filesystem::exists(sidecar, error)) return xmp;
  auto bytes = ReadWholeFile(sidecar);
  if (!bytes) {
    return SystemFailure(bytes.Error().systemError,
                         sidecar + " cannot be read: " + bytes.Error().reason + ".");
  }
  SilenceExiv2();
  try {
    const std::string packet(bytes->begin(), bytes->end());
    if (Exiv2::XmpParser::decode(xmp, packet) != 0) {
      return Failure{sidecar + " is not an XMP file that can be read; it was left as it is."};
    }
  } catch (const Exiv2::AnyError& problem) {
    return Failure{sidecar + " is not an XMP file that can be read (" + problem.what() +
                   "); it was left as it is."};
  }
  return xmp;
}

}  // namespace

bool SidecarHasPosition(const std::string& photoPath) {
  const auto xmp = ReadSidecar(SidecarPath(photoPath));
  return xmp && XmpPosition(*xmp).has_value();
}

namespace {

struct PreparedSidecar {
  std::optional<struct stat> existing;
  std::string packet;
};

Result<PreparedSidecar> PrepareSidecar(const std::string& photoPath, const GeoPosition& position,
                                       double utcSeconds) {
  PreparedSidecar prepared;
  const std::string sidecar = SidecarPath(photoPath);
  std::error_code error;
  if (std::filesystem::exists(sidecar, error)) {
    auto status = WritableFile(sidecar);
    if (!status) return status.Error();
    prepared.existing = *status;
  }
  auto xmp = ReadSidecar(sidecar);
  if (!xmp) return xmp.Error();
  try {
    SetXmpPosition(*xmp, position, utcSeconds);
    if (Exiv2::XmpParser::encode(
            prepared.packet, *xmp,
            Exiv2::XmpParser::omitPacketWrapper | Exiv2::XmpParser::useCompactFormat) != 0) {
      return Failure{sidecar + " could not be made; nothing was written."};
    }
    Exiv2::XmpData check;
    if (Exiv2::XmpParser::decode(check, prepared.packet) != 0 ||
        !SamePosition(XmpPosition(check), position)) {
      return Failure{sidecar + " did not read back as written; nothing was written."};
    }
  } catch (const Exiv2::AnyError& problem) {
    return Failure{sidecar + " could not be made (" + problem.what() + "); nothing was written."};
  }
  if (auto room = FolderTakesCopy(sidecar, prepared.packet.size()); !room) return room.Error();
  return prepared;
}

}  // namespace

Result<void> CheckSidecar(const std::string& photoPath, const GeoPosition& position,
                          double utcSeconds) {
  auto prepared = PrepareSidecar(photoPath, position, utcSeconds);
  if (!prepared) return prepared.Error();
  return {};
}

Result<void> WriteSidecar(const std::string& photoPath, const GeoPosition& position,
                          double utcSeconds) {
  auto prepared = PrepareSidecar(photoPath, position, utcSeconds);
  if (!prepared) return prepared.Error();
  const std::string sidecar = SidecarPath(photoPath);
  const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(prepared->packet.data()),
                                       prepared->packet.size());
  if (auto replaced =
          ReplaceFile(sidecar, bytes, prepared->existing ? &*prepared->existing : nullptr, false);
      !replaced) {
    return SystemFailure(replaced.Error().systemError, WriteFailure(sidecar, replaced.Error()));
  }
  return {};
}

}  // namespace tavrin::photos
