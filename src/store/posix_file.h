// A file descriptor that closes itself, and whole-buffer reads and writes that survive signals
// and short transfers.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

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
// -1 with errno set.
ssize_t ReadAt(int fd, void* buffer, size_t size, off_t offset);
// Writes all of `size` bytes at `offset`; false with errno set on failure.
bool WriteAt(int fd, const void* buffer, size_t size, off_t offset);

// Writes `size` bytes to `path` through a temporary file beside it, flushed and renamed over
// the old file, so the old content survives any failure. False with errno set on failure.
bool ReplaceFileAtomically(const std::string& path, const void* data, size_t size);

// Creates a new, empty file beside `path` for content that will replace it: hidden (".name.tmp-"
// and six random characters), so that no listing takes it for the real file. Its name goes to
// `created`. Invalid with errno set when the folder does not take it.
UniqueFd CreateHiddenFileBeside(const std::string& path, std::string& created);

// Puts a rename or deletion in the folder holding `path` on the disk.
void SyncFolderOf(const std::string& path);

std::string ErrnoText(int error);

}  // namespace tavrin
