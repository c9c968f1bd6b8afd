// SPDX-License-Identifier: GPL-3.0-or-later
// A pseudo-terminal for tests: the session opens the slave path like any serial device, the
// test plays the logger on the master side.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace tavrin::test {

class PtyPair {
 public:
  PtyPair() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ::grantpt(master_);
    ::unlockpt(master_);
    path_ = ::ptsname(master_);
    // Held open so the master does not see a hang-up while the session reconnects, and put in
    // raw mode so nothing is echoed or translated.
    slave_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tty{};
    ::tcgetattr(slave_, &tty);
    ::cfmakeraw(&tty);
    ::tcsetattr(slave_, TCSANOW, &tty);
  }
  ~PtyPair() {
    CloseMaster();
    if (slave_ >= 0) ::close(slave_);
  }

  const std::string& SlavePath() const { return path_; }

  void Write(const std::string& bytes) { Write(std::vector<uint8_t>(bytes.begin(), bytes.end())); }
  void Write(const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
      if (n > 0) done += static_cast<size_t>(n);
    }
  }

  // Bytes on their way to the logger, written on the host's side as the session would write
  // them; the logger does not read them until Read.
  void WriteFromHost(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(slave_, bytes.data() + done, bytes.size() - done);
      if (n > 0) done += static_cast<size_t>(n);
    }
  }

  // What the session wrote, waiting up to `timeoutMs` for the first byte and then taking what
  // follows within a short pause.
  std::string Read(int timeoutMs = 1000) {
    std::string out;
    pollfd p{master_, POLLIN, 0};
    int wait = timeoutMs;
    while (::poll(&p, 1, wait) > 0 && (p.revents & POLLIN)) {
      char buffer[4096];
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n <= 0) break;
      out.append(buffer, static_cast<size_t>(n));
      wait = 20;
    }
    return out;
  }

  // The logger goes away: the session's side sees a hang-up.
  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
    if (slave_ >= 0) ::close(slave_);
    slave_ = -1;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
};

}  // namespace tavrin::test
