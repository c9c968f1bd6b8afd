// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/photo_writing.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>

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

// Root may write anything, so the permission bits are read rather than tried: a photo nobody
// may write is one its owner wants left alone.
Result<struct stat> WritableFile(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    return SystemFailure(errno, path + " cannot be read: " + ErrnoText(errno) + ".");
  }
  if (!S_ISREG(status.st_mode)) return Failure{path + " is not a regular file; it was left alone."};
  if ((status.st_mode & 0222) == 0) {
    return Failure{path +
                   " is read-only and was left as it is. Make it writable (chmod u+w) to tag it, "
                   "or write a sidecar with --sidecar."};
  }
  return status;
}

std::vector<uint8_t> BytesOf(Exiv2::BasicIo& io) {
  io.open();
  io.seek(0, Exiv2::BasicIo::beg);
  const Exiv2::DataBuf buffer = io.read(io.size());
  io.close();
  return std::vector<uint8_t>(buffer.pData_, buffer.pData_ + buffer.size_);
}

// The tagged copy, made and checked in memory.
Result<std::vector<uint8_t>> TaggedJpeg(const std::string& path,
                                        const std::vector<uint8_t>& original,
                                        const GeoPosition& position, double utcSeconds) {
  const auto scan = JpegScanStart(original);
  if (!JpegIsWhole(original)) {
    return Failure{path +
                   " is not a whole JPEG (its image data is missing or cut short); it was left "
                   "as it is."};
  }
  SilenceExiv2();
  try {
    auto image = Exiv2::ImageFactory::open(original.data(), static_cast<long>(original.size()));
    image->readMetadata();
    SetExifPosition(image->exifData(), position, utcSeconds);
    image->writeMetadata();
    std::vector<uint8_t> tagged = BytesOf(image->io());

    auto check = Exiv2::ImageFactory::open(tagged.data(), static_cast<long>(tagged.size()));
    check->readMetadata();
    const auto taggedScan = JpegScanStart(tagged);
    const bool sameImage = taggedScan && tagged.size() - *taggedScan == original.size() - *scan &&
                           std::equal(tagged.begin() + static_cast<long>(*taggedScan), tagged.end(),
                                      original.begin() + static_cast<long>(*scan));
    if (!sameImage || !SamePosition(ExifPosition(check->exifData()), position)) {
      return Failure{path + " did not read back as written; it was left as it is."};
    }
    return tagged;
  } catch (const Exiv2::AnyError& error) {
    return Failure{path + " cannot be tagged (" + error.what() + "); it was left as it is."};
  } catch (const std::exception& error) {
    return Failure{path + " cannot be tagged (" + error.what() + "); it was left as it is."};
  }
}

std::string WriteFailure(const std::string& path, const Failure& failure) {
  return path + " could not be written (" + failure.reason +
         "); it was left as it is. Free some space or check the folder's permissions, then run "
         "again.";
}

}  // namespace

Result<void> WritePositionInPhoto(const std::string& path, const GeoPosition& position,
                                  double utcSeconds, bool keepModificationTime) {
  auto status = WritableFile(path);
  if (!status) return status.Error();
  auto original = ReadWholeFile(path);
  if (!original) {
    return SystemFailure(original.Error().systemError,
                         path + " cannot be read: " + original.Error().reason + ".");
  }
  auto tagged = TaggedJpeg(path, *original, position, utcSeconds);
  if (!tagged) return tagged.Error();
  if (auto replaced = ReplaceFile(path, *tagged, &*status, keepModificationTime); !replaced) {
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

Result<void> WriteSidecar(const std::string& photoPath, const GeoPosition& position,
                          double utcSeconds) {
  const std::string sidecar = SidecarPath(photoPath);
  std::optional<struct stat> existing;
  std::error_code error;
  if (std::filesystem::exists(sidecar, error)) {
    auto status = WritableFile(sidecar);
    if (!status) return status.Error();
    existing = *status;
  }
  auto xmp = ReadSidecar(sidecar);
  if (!xmp) return xmp.Error();
  std::string packet;
  try {
    SetXmpPosition(*xmp, position, utcSeconds);
    if (Exiv2::XmpParser::encode(
            packet, *xmp,
            Exiv2::XmpParser::omitPacketWrapper | Exiv2::XmpParser::useCompactFormat) != 0) {
      return Failure{sidecar + " could not be made; nothing was written."};
    }
    Exiv2::XmpData check;
    if (Exiv2::XmpParser::decode(check, packet) != 0 ||
        !SamePosition(XmpPosition(check), position)) {
      return Failure{sidecar + " did not read back as written; nothing was written."};
    }
  } catch (const Exiv2::AnyError& problem) {
    return Failure{sidecar + " could not be made (" + problem.what() + "); nothing was written."};
  }
  const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(packet.data()),
                                       packet.size());
  if (auto replaced = ReplaceFile(sidecar, bytes, existing ? &*existing : nullptr, false);
      !replaced) {
    return SystemFailure(replaced.Error().systemError, WriteFailure(sidecar, replaced.Error()));
  }
  return {};
}

}  // namespace tavrin::photos
