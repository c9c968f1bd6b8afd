// SPDX-License-Identifier: GPL-3.0-or-later
// A file descriptor that closes itself, and whole-buffer reads and writes that survive signals
// and short transfers.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

#include "base/result.h"

namespace tavrin {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  int Release();
  void Reset(int fd = -1);

 private:
  int fd_ = -1;
};

UniqueFd OpenFile(const std::string& path, int flags, mode_t mode = 0644);

// Reads up to `size` bytes at `offset`; returns the bytes read (short only at end of file) or
// -1 with errno set, as pread does: OpenFile and ReadAt are the system's calls made whole, and
// keep its convention.
ssize_t ReadAt(int fd, void* buffer, size_t size, off_t offset);
// Writes all of `size` bytes at `offset`. The failure carries the system's error number.
Result<void> WriteAt(int fd, const void* buffer, size_t size, off_t offset);

// Writes `size` bytes to `path` through a temporary file beside it, flushed and renamed over
// the old file, so the old content survives any failure.
Result<void> ReplaceFileAtomically(const std::string& path, const void* data, size_t size);

// A new, empty file beside `path` for content that will replace it: hidden (".name.tmp-" and
// six random characters), so that no listing takes it for the real file.
struct HiddenFile {
  UniqueFd fd;
  std::string path;
};
Result<HiddenFile> CreateHiddenFileBeside(const std::string& path);

// Puts a rename or deletion in the folder holding `path` on the disk.
void SyncFolderOf(const std::string& path);

std::string ErrnoText(int error);

}  // namespace tavrin
