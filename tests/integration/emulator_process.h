// Runs the real tavrin-emulator on a pseudo-terminal for the life of the object.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

extern char** environ;

namespace tavrin::test {

class EmulatorProcess {
 public:
  // `arguments` follow "--pty"; the slave path is read from the first line of its output.
  explicit EmulatorProcess(const std::vector<std::string>& arguments) {
    int out[2];
    if (::pipe(out) != 0) return;
    std::vector<std::string> words = {TAVRIN_EMULATOR_BINARY, "--pty"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    output_ = ::fdopen(out[0], "r");
    char line[512];
    if (pid_ > 0 && output_ && std::fgets(line, sizeof line, output_)) {
      path_ = line;
      while (!path_.empty() && (path_.back() == '\n' || path_.back() == '\r')) path_.pop_back();
    }
  }
  ~EmulatorProcess() {
    Stop();
    if (output_) std::fclose(output_);
  }

  const std::string& PtyPath() const { return path_; }
  bool Running() const { return pid_ > 0 && !path_.empty(); }

  // Ends it and returns its exit status (-1 when it had not started).
  int Stop() {
    if (pid_ <= 0) return status_;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return status_;
  }

 private:
  pid_t pid_ = -1;
  int status_ = -1;
  FILE* output_ = nullptr;
  std::string path_;
};

}  // namespace tavrin::test
