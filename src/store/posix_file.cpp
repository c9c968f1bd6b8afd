#include "store/posix_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

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

bool WriteAt(int fd, const void* buffer, size_t size, off_t offset) {
  size_t done = 0;
  const auto* bytes = static_cast<const char*>(buffer);
  while (done < size) {
    const ssize_t n = ::pwrite(fd, bytes + done, size - done, offset + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

namespace {

void SyncFolderOf(const std::string& path) {
  const std::string folder = std::filesystem::path(path).parent_path().string();
  UniqueFd dir = OpenFile(folder.empty() ? "." : folder, O_RDONLY | O_DIRECTORY);
  if (dir.Valid()) ::fsync(dir.Get());
}

}  // namespace

bool ReplaceFileAtomically(const std::string& path, const void* data, size_t size) {
  const std::string temporary = path + ".new";
  UniqueFd fd = OpenFile(temporary, O_WRONLY | O_CREAT | O_TRUNC);
  bool ok = fd.Valid() && WriteAt(fd.Get(), data, size, 0) && ::fsync(fd.Get()) == 0;
  int error = errno;
  if (fd.Valid() && ::close(fd.Release()) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(temporary.c_str());
    errno = error;
    return false;
  }
  SyncFolderOf(path);
  return true;
}

std::string ErrnoText(int error) {
  return std::strerror(error);
}

}  // namespace tavrin
