// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/port_claim.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <utility>

#include "serial/port_discovery.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;

// The claim file of a port: its path with the slashes made part of one name.
fs::path ClaimFileOf(const std::string& port) {
  std::string name = port;
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  return UserRuntimeFolder() / "claims" / (name + ".claim");
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
  const fs::path file = ClaimFileOf(port);
  std::error_code error;
  fs::create_directories(file.parent_path(), error);
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return PortClaim(-1);  // no runtime folder to claim in: the port's own lock serves
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

PortClaim::PortClaim(PortClaim&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

PortClaim& PortClaim::operator=(PortClaim&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

PortClaim::~PortClaim() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace tavrin
