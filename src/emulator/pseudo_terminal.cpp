// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/pseudo_terminal.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace tavrin::emulator {

namespace {

std::string Reason(const char* step) {
  return std::string(step) + ": " + std::strerror(errno);
}

}  // namespace

std::optional<PseudoTerminal> PseudoTerminal::Open(std::string& error) {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master < 0) {
    error = Reason("cannot open a pseudo-terminal (posix_openpt)");
    return std::nullopt;
  }
  const char* name = nullptr;
  if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || (name = ::ptsname(master)) == nullptr) {
    error = Reason("cannot prepare the pseudo-terminal");
    ::close(master);
    return std::nullopt;
  }
  const std::string path = name;
  const int slave = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios tio{};
  if (slave < 0 || ::tcgetattr(slave, &tio) != 0) {
    error = Reason(("cannot open " + path).c_str());
    if (slave >= 0) ::close(slave);
    ::close(master);
    return std::nullopt;
  }
  // Raw: a host that never sets the line up must still see the bytes exactly as sent, and must
  // not get its own commands echoed back.
  ::cfmakeraw(&tio);
  if (::tcsetattr(slave, TCSANOW, &tio) != 0) {
    error = Reason(("cannot put " + path + " into raw mode").c_str());
    ::close(slave);
    ::close(master);
    return std::nullopt;
  }
  return PseudoTerminal(master, slave, path);
}

PseudoTerminal::PseudoTerminal(int master, int slave, std::string slavePath)
    : master_(master), slave_(slave), slavePath_(std::move(slavePath)) {}

PseudoTerminal::PseudoTerminal(PseudoTerminal&& other) noexcept
    : master_(std::exchange(other.master_, -1)),
      slave_(std::exchange(other.slave_, -1)),
      slavePath_(std::move(other.slavePath_)) {}

PseudoTerminal::~PseudoTerminal() {
  Close();
}

int PseudoTerminal::UnreadByHost() const {
  int count = 0;
  return slave_ >= 0 && ::ioctl(slave_, FIONREAD, &count) == 0 ? count : 0;
}

void PseudoTerminal::Close() {
  if (slave_ >= 0) ::close(std::exchange(slave_, -1));
  if (master_ >= 0) ::close(std::exchange(master_, -1));
}

}  // namespace tavrin::emulator
