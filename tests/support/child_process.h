// SPDX-License-Identifier: GPL-3.0-or-later
// The fork and exec that the test helpers starting our programs share: a child with its standard
// streams on the descriptors given, and its exit status told the way a shell tells it.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

namespace tavrin::test {

// Descriptors for the child's standard streams; -1 leaves the parent's in place.
struct ChildStreams {
  int in = -1;
  int out = -1;
  int err = -1;
};

// Starts argv[0] (a path, not looked up) with `argv`; `inChild` runs in the new process just
// before the program starts (to set a resource limit or an environment variable, say). The
// child exits with 127 when the program cannot be started, as a shell's does.
inline pid_t StartChild(const std::vector<std::string>& argv, ChildStreams streams,
                        const std::function<void()>& inChild = nullptr) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  if (streams.in >= 0) ::dup2(streams.in, 0);
  if (streams.out >= 0) ::dup2(streams.out, 1);
  if (streams.err >= 0) ::dup2(streams.err, 2);
  if (inChild) inChild();
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  ::execv(args[0], args.data());
  ::_exit(127);
}

// The exit code, or 128 + the signal that ended the child.
inline int ExitCode(int waitStatus) {
  return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
}

}  // namespace tavrin::test
