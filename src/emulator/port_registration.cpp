// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/port_registration.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tavrin::emulator {

namespace fs = std::filesystem;

std::optional<PortRegistration> PortRegistration::Create(const fs::path& folder,
                                                         const std::string& slavePath,
                                                         std::string& error) {
  const fs::path file = folder / (std::to_string(::getpid()) + ".port");
  // Never through a link, nor into anything but a plain file of this user's.
  const int fd =
      ::open(file.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
  if (fd < 0) {
    error = "cannot write " + file.string() + " to register the port (" + std::strerror(errno) +
            "); remove it and start again";
    return std::nullopt;
  }
  const std::string line = slavePath + '\n';
  struct stat status {};
  const bool written = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
                       status.st_uid == ::geteuid() && ::ftruncate(fd, 0) == 0 &&
                       ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  ::close(fd);
  if (!written) {
    error = "cannot write " + file.string() +
            " to register the port: it is not a plain file of this user's; remove it and start "
            "again";
    return std::nullopt;
  }
  return PortRegistration(file);
}

PortRegistration::PortRegistration(PortRegistration&& other) noexcept
    : file_(std::move(other.file_)) {
  other.file_.clear();
}

PortRegistration::~PortRegistration() {
  Remove();
}

void PortRegistration::Remove() {
  if (file_.empty()) return;
  std::error_code ignored;
  fs::remove(file_, ignored);
  file_.clear();
}

}  // namespace tavrin::emulator
