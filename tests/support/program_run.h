// Runs a program of ours as a user would, with its output caught in files.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace tavrin::test {

struct ProgramResult {
  int exitCode = -1;
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
    pid_ = ::fork();
    if (pid_ == 0) {
      const int out = ::open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int err = ::open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int none = ::open("/dev/null", O_RDONLY);
      ::dup2(none, 0);
      ::dup2(out, 1);
      ::dup2(err, 2);
      if (inChild) inChild();
      std::vector<char*> args;
      for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      ::execv(args[0], args.data());
      ::_exit(127);
    }
  }
  ~Program() {
    if (pid_ > 0 && !finished_) Signal(SIGKILL), Wait();
  }

  void Signal(int signal) { ::kill(pid_, signal); }
  ProgramResult Wait() {
    int status = 0;
    if (!finished_) ::waitpid(pid_, &status, 0);
    finished_ = true;
    ProgramResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = Read(outPath_);
    result.err = Read(errPath_);
    return result;
  }

 private:
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

}  // namespace tavrin::test
