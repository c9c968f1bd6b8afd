// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/photo_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "store/posix_file.h"

namespace tavrin::photos {
namespace {

Result<void> WriteAll(int fd, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return SystemFailure(n < 0 ? errno : ENOSPC);
    done += static_cast<size_t>(n);
  }
  return {};
}

// The copy takes the original's permissions and times before anyone can see it under its name.
Result<void> MatchOriginal(int fd, const struct stat* original, bool keepModificationTime) {
  if (original == nullptr) {
    // A new file gets the permissions the user's umask gives, not mkstemp's owner-only ones.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd, 0666 & ~mask) != 0) return SystemFailure(errno);
    return {};
  }
  if (::fchmod(fd, original->st_mode & 07777) != 0) return SystemFailure(errno);
  // Another owner is kept where we may set it; a user's own files need nothing, so a refusal
  // changes nothing.
  if (::fchown(fd, original->st_uid, original->st_gid) != 0) errno = 0;
  if (keepModificationTime) {
    const struct timespec times[2] = {original->st_atim, original->st_mtim};
    if (::futimens(fd, times) != 0) return SystemFailure(errno);
  }
  return {};
}

void SyncFolderOf(const std::string& path) {
  const std::string folder = std::filesystem::path(path).parent_path().string();
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);  // the rename is done; a folder that cannot be synced changes nothing
  ::close(fd);
}

}  // namespace

Result<std::vector<uint8_t>> ReadWholeFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return SystemFailure(errno, ErrnoText(errno));
  std::vector<uint8_t> bytes;
  uint8_t chunk[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      ::close(fd);
      return SystemFailure(error, ErrnoText(error));
    }
    if (n == 0) break;
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
  ::close(fd);
  return bytes;
}

Result<void> ReplaceFile(const std::string& path, std::span<const uint8_t> bytes,
                         const struct stat* original, bool keepModificationTime) {
  const std::filesystem::path target(path);
  std::string temporary =
      (target.parent_path() / ("." + target.filename().string() + ".tavrin-XXXXXX")).string();
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return SystemFailure(errno, ErrnoText(errno));
  Result<void> written = WriteAll(fd, bytes);
  if (written) written = MatchOriginal(fd, original, keepModificationTime);
  if (written && ::fsync(fd) != 0) written = SystemFailure(errno);
  if (::close(fd) != 0 && written) written = SystemFailure(errno);
  if (written && ::rename(temporary.c_str(), path.c_str()) != 0) written = SystemFailure(errno);
  if (!written) {
    ::unlink(temporary.c_str());
    return SystemFailure(written.Error().systemError, ErrnoText(written.Error().systemError));
  }
  SyncFolderOf(path);
  return {};
}

std::optional<JpegLayout> ReadJpegLayout(std::span<const uint8_t> bytes) {
  if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return std::nullopt;
  JpegLayout layout;
  size_t at = 2;
  while (at + 1 < bytes.size()) {
    if (bytes[at] != 0xFF) return std::nullopt;
    const uint8_t marker = bytes[at + 1];
    if (marker == 0xFF) {  // fill byte before a marker
      ++at;
      continue;
    }
    if (marker == 0xDA) {
      layout.scanStart = at;
      return layout;
    }
    if (marker == 0xD8 || marker == 0xD9) return std::nullopt;  // no image data before it
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      at += 2;
      continue;
    }
    if (at + 3 >= bytes.size()) return std::nullopt;
    const size_t length = (static_cast<size_t>(bytes[at + 2]) << 8) | bytes[at + 3];
    if (length < 2 || at + 2 + length > bytes.size()) return std::nullopt;
    layout.segments.push_back({marker, at, at + 2 + length});
    at += 2 + length;
  }
  return std::nullopt;
}

std::optional<size_t> JpegScanStart(std::span<const uint8_t> bytes) {
  const auto layout = ReadJpegLayout(bytes);
  if (!layout) return std::nullopt;
  return layout->scanStart;
}

bool JpegIsWhole(std::span<const uint8_t> bytes) {
  const auto scan = JpegScanStart(bytes);
  if (!scan) return false;
  // The coded data never holds 0xFF 0xD9 (a 0xFF there is followed by 0x00 or a restart
  // marker), so the end marker after the scan is the image's own end, wherever a camera's
  // trailer puts it.
  for (size_t at = bytes.size() - 1; at > *scan; --at) {
    if (bytes[at - 1] == 0xFF && bytes[at] == 0xD9) return true;
  }
  return false;
}

}  // namespace tavrin::photos
