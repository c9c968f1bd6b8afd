// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the real tavrin-emulator as a separate process for the life of the object.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <system_error>
#include <vector>

#include "child_process.h"

namespace tavrin::test {

// Long enough for a loaded machine; a test that waits this long has failed anyway.
constexpr int kPatienceMs = 10'000;

// Reads what is there within the patience; empty at end of file or when the line hangs up.
inline std::vector<uint8_t> ReadSome(int fd) {
  pollfd p{fd, POLLIN, 0};
  if (::poll(&p, 1, kPatienceMs) <= 0 || !(p.revents & POLLIN)) return {};
  uint8_t buffer[8192];
  const ssize_t got = ::read(fd, buffer, sizeof buffer);
  return got > 0 ? std::vector<uint8_t>(buffer, buffer + got) : std::vector<uint8_t>{};
}

class EmulatorProcess {
 public:
  EmulatorProcess(const std::string& program, const std::vector<std::string>& args,
                  const std::string& runtimeDir) {
    int out[2], err[2];
    // Thrown rather than asserted, so that the benchmarks can start the emulator without the
    // test framework; a test reports the exception as its failure.
    if (::pipe(out) != 0 || ::pipe(err) != 0) {
      throw std::system_error(errno, std::generic_category(),
                              "cannot make the pipes to read tavrin-emulator's output");
    }
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    pid_ = StartChild(argv, ChildStreams{-1, out[1], err[1]},
                      [&] { ::setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1); });
    ::close(out[1]);
    ::close(err[1]);
    stdout_ = out[0];
    stderr_ = err[0];
  }
  ~EmulatorProcess() {
    if (pid_ > 0 && status_ < 0) Stop(SIGKILL);
    ::close(stdout_);
    ::close(stderr_);
  }

  pid_t Pid() const { return pid_; }
  std::string FirstLine() {
    std::string line;
    while (line.find('\n') == std::string::npos) {
      const auto bytes = ReadSome(stdout_);
      if (bytes.empty()) break;
      line.append(bytes.begin(), bytes.end());
    }
    return line.substr(0, line.find('\n'));
  }
  // The exit status after `signal` (0 sends none and just waits).
  int Stop(int signal) {
    if (signal != 0) ::kill(pid_, signal);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    status_ = ExitCode(status);
    return status_;
  }
  std::string Errors() {
    std::string text;
    for (auto bytes = ReadSome(stderr_); !bytes.empty(); bytes = ReadSome(stderr_)) {
      text.append(bytes.begin(), bytes.end());
    }
    return text;
  }

 private:
  pid_t pid_ = -1;
  int stdout_ = -1, stderr_ = -1;
  int status_ = -1;
};

}  // namespace tavrin::test
