// SPDX-License-Identifier: GPL-3.0-or-later
// Folders that refuse track files the way a user's disk does, for the tests of reads that cannot
// store what they get. Root writes through permission bits, so these use what stops root too: a
// file size limit (a full disk, always at hand) and a read-only file system mounted over the
// folder in a mount namespace of the calling thread's own (needs the right to mount).
#pragma once

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>

namespace tavrin::test {

// While it lives, no file of this process (and of the programs it starts) grows past `bytes`: a
// write beyond fails with EFBIG, as one on a full disk fails with ENOSPC, instead of raising
// SIGXFSZ.
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, old_.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~ScopedFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

 private:
  rlimit old_{};
  void (*oldHandler_)(int) = SIG_DFL;
};

// An empty read-only file system over `folder`, seen by the calling thread and the programs it
// starts from now on; the thread goes back to the machine's mounts when the object ends. When
// it cannot be made, Why() says why and nothing has changed.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const std::string& folder) {
    original_ = ::open("/proc/thread-self/ns/mnt", O_RDONLY | O_CLOEXEC);
    if (original_ < 0) {
      Fail("cannot open this thread's mount namespace");
      return;
    }
    if (::unshare(CLONE_NEWNS) != 0) {
      Fail("cannot make a mount namespace of its own (unshare)");
      return;
    }
    unshared_ = true;
    // Nothing mounted here may reach the machine's own mounts.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
      Fail("cannot make the mounts private");
      return;
    }
    if (::mount("tavrin-test", folder.c_str(), "tmpfs", MS_RDONLY, "size=64k") != 0) {
      Fail("cannot mount a read-only tmpfs over " + folder);
      return;
    }
    mounted_ = folder;
  }
  ~ReadOnlyFolder() { Leave(); }
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

  bool Ready() const { return !mounted_.empty(); }
  const std::string& Why() const { return why_; }
  // The folder is the machine's own again.
  void Leave() {
    if (!mounted_.empty()) ::umount2(mounted_.c_str(), MNT_DETACH);
    mounted_.clear();
    if (unshared_) ::setns(original_, CLONE_NEWNS);
    unshared_ = false;
    if (original_ >= 0) ::close(original_);
    original_ = -1;
  }

 private:
  void Fail(const std::string& what) {
    why_ = what + ": " + std::strerror(errno) + "; a read-only folder needs the right to mount";
    Leave();
  }

  int original_ = -1;
  bool unshared_ = false;
  std::string mounted_;
  std::string why_;
};

}  // namespace tavrin::test
