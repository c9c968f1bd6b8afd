// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/port_claim.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>
#include <utility>

#include "serial/port_discovery.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;

constexpr char kWithoutClaims[] =
    "; meanwhile loggers are read without claiming their ports (the port's own lock still keeps "
    "two reads apart).";

// The claim file's name for a port: its path with the slashes made part of one name.
std::string ClaimFileName(const std::string& port) {
  std::string name = port;
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  return name + ".claim";
}

// The claim file, opened without following a link and made when missing; -1 with the reason
// when it is anything but a plain file of this user's.
int OpenClaimFile(const fs::path& file, std::string& problem) {
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
  if (fd < 0) {
    const int error = errno;
    problem = file.string() + " cannot be opened (" + std::strerror(error) +
              (error == ELOOP ? ": it is a link" : "") + "). Remove it" + kWithoutClaims;
    return -1;
  }
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid()) {
    ::close(fd);
    problem = file.string() + " is not a plain file of this user's. Remove it" + kWithoutClaims;
    return -1;
  }
  return fd;
}

// The holder writes its name just after it takes the lock: a claim taken a moment ago may not
// name it yet.
std::string HolderOf(int fd) {
  for (int tries = 0; tries < 25; ++tries) {
    char name[128] = {};
    const ssize_t got = ::pread(fd, name, sizeof name - 1, 0);
    if (got > 0) return std::string(name, static_cast<size_t>(got));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return "another program";
}

}  // namespace

std::optional<PortClaim> PortClaim::Take(const std::string& port, const std::string& holder,
                                         std::string& heldBy) {
  const Result<fs::path> folder = OwnRuntimeFolder("claims");
  if (!folder) return PortClaim(-1, folder.Error().reason + kWithoutClaims);
  std::string problem;
  const int fd = OpenClaimFile(*folder / ClaimFileName(port), problem);
  if (fd < 0) return PortClaim(-1, problem);
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    heldBy = HolderOf(fd);
    ::close(fd);
    return std::nullopt;
  }
  if (::ftruncate(fd, 0) != 0 ||
      ::pwrite(fd, holder.data(), holder.size(), 0) != static_cast<ssize_t>(holder.size())) {
    heldBy.clear();  // the name is only for the other's message; the lock is what counts
  }
  return PortClaim(fd);
}

PortClaim::PortClaim(PortClaim&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), problem_(std::move(other.problem_)) {}

PortClaim& PortClaim::operator=(PortClaim&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    problem_ = std::move(other.problem_);
  }
  return *this;
}

PortClaim::~PortClaim() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace tavrin
