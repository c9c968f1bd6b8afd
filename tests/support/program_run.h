// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a program of ours as a user would, with its output caught in files.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"

namespace tavrin::test {

struct ProgramResult {
  int exitCode = -1;
  bool timedOut = false;  // killed after the time it was given
  std::string out;
  std::string err;
};

class Program {
 public:
  // Starts `argv` with stdout and stderr going to files in `folder`; `inChild` runs in the new
  // process just before the program starts (to set a resource limit, say).
  Program(const std::vector<std::string>& argv, const std::filesystem::path& folder,
          const std::function<void()>& inChild = nullptr)
      : outPath_(folder / ("out-" + std::to_string(++Counter()))),
        errPath_(folder / ("err-" + std::to_string(Counter()))) {
    const ChildStreams streams{::open("/dev/null", O_RDONLY),
                               ::open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644),
                               ::open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644)};
    pid_ = StartChild(argv, streams, inChild);
    for (const int fd : {streams.in, streams.out, streams.err}) ::close(fd);
  }
  ~Program() {
    if (pid_ > 0 && !finished_) Signal(SIGKILL), Wait();
  }

  void Signal(int signal) { ::kill(pid_, signal); }
  // What the program has written to stdout up to now.
  std::string OutputSoFar() const { return Read(outPath_); }
  // Waits at most `limit`; a program still running then is killed and reported as timed out, so
  // that a hang fails the test instead of stopping it.
  ProgramResult WaitAtMost(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (!finished_ && ::waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > end) {
        Signal(SIGKILL);
        ProgramResult result = Wait();
        result.timedOut = true;
        return result;
      }
      ::usleep(20'000);
    }
    finished_ = true;
    return Result(status);
  }
  ProgramResult Wait() {
    int status = 0;
    if (!finished_) ::waitpid(pid_, &status, 0);
    finished_ = true;
    return Result(status);
  }

 private:
  ProgramResult Result(int status) const {
    ProgramResult result;
    result.exitCode = ExitCode(status);
    result.out = Read(outPath_);
    result.err = Read(errPath_);
    return result;
  }
  static int& Counter() {
    static int counter = 0;
    return counter;
  }
  static std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  pid_t pid_ = -1;
  bool finished_ = false;
  std::filesystem::path outPath_, errPath_;
};

inline ProgramResult RunProgram(const std::vector<std::string>& argv,
                                const std::filesystem::path& folder) {
  return Program(argv, folder).Wait();
}

// The same, killed after `limit`: for runs that must not hang.
inline ProgramResult RunProgramWithin(const std::vector<std::string>& argv,
                                      const std::filesystem::path& folder,
                                      std::chrono::milliseconds limit) {
  return Program(argv, folder).WaitAtMost(limit);
}

}  // namespace tavrin::test
