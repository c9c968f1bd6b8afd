// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/posix_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>

namespace tavrin {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) Reset(other.Release());
  return *this;
}

int UniqueFd::Release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

void UniqueFd::Reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

UniqueFd OpenFile(const std::string& path, int flags, mode_t mode) {
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return UniqueFd(fd);
}

ssize_t ReadAt(int fd, void* buffer, size_t size, off_t offset) {
  size_t done = 0;
  auto* bytes = static_cast<char*>(buffer);
  while (done < size) {
    const ssize_t n = ::pread(fd, bytes + done, size - done, offset + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

Result<void> WriteAt(int fd, const void* buffer, size_t size, off_t offset) {
  size_t done = 0;
  const auto* bytes = static_cast<const char*>(buffer);
  while (done < size) {
    const ssize_t n = ::pwrite(fd, bytes + done, size - done, offset + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return SystemFailure(n == 0 ? EIO : errno);
    done += static_cast<size_t>(n);
  }
  return {};
}

void SyncFolderOf(const std::string& path) {
  const std::string folder = std::filesystem::path(path).parent_path().string();
  UniqueFd dir = OpenFile(folder.empty() ? "." : folder, O_RDONLY | O_DIRECTORY);
  if (dir.Valid()) ::fsync(dir.Get());
}

Result<HiddenFile> CreateHiddenFileBeside(const std::string& path) {
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  static std::atomic<uint64_t> sequence{0};
  const std::filesystem::path target(path);
  const std::string prefix =
      (target.parent_path() / ("." + target.filename().string() + ".tmp-")).string();
  // Seeded per call so that two programs, or two threads, exporting the same name at once do
  // not keep trying the same names.
  std::mt19937_64 random(
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (static_cast<uint64_t>(::getpid()) << 32) ^ sequence.fetch_add(1));
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = prefix;
    for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    // O_EXCL, so an existing file is never taken over; the mode of a new export, under umask.
    UniqueFd fd = OpenFile(name, O_WRONLY | O_CREAT | O_EXCL);
    if (fd.Valid()) return HiddenFile{std::move(fd), std::move(name)};
    if (errno != EEXIST) return SystemFailure(errno);
  }
  return SystemFailure(EEXIST);
}

Result<void> ReplaceFileAtomically(const std::string& path, const void* data, size_t size) {
  const std::string temporary = path + ".new";
  UniqueFd fd = OpenFile(temporary, O_WRONLY | O_CREAT | O_TRUNC);
  int error = fd.Valid() ? 0 : errno;
  if (error == 0) {
    if (auto written = WriteAt(fd.Get(), data, size, 0); !written) {
      error = written.Error().systemError;
    } else if (::fsync(fd.Get()) != 0) {
      error = errno;
    }
  }
  if (fd.Valid() && ::close(fd.Release()) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    return SystemFailure(error);
  }
  SyncFolderOf(path);
  return {};
}

std::string ErrnoText(int error) {
  return std::strerror(error);
}

}  // namespace tavrin
