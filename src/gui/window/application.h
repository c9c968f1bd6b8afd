// SPDX-License-Identifier: GPL-3.0-or-later
// The program: one instance per user, its main window, and the end when the window closes.
#pragma once

#include <optional>
#include <string>

namespace tavrin::gui {

// Holds the single-instance lock while it lives. The lock is an flock on a file in the user's
// runtime folder, so the system lets go of it when a run ends, even by a crash.
class InstanceLock {
 public:
  // Empty when another run holds the lock at `path`.
  static std::optional<InstanceLock> Acquire(const std::string& path);
  InstanceLock(InstanceLock&& other) noexcept;
  InstanceLock& operator=(InstanceLock&&) = delete;
  ~InstanceLock();

 private:
  explicit InstanceLock(int fd) : fd_(fd) {}
  int fd_ = -1;
};

// "<runtime folder>/Venbrook Project.lock"
std::string InstanceLockPath();

// What the map view's web engine needs before the QApplication exists: a shared OpenGL context,
// and, for root (which its sandbox refuses), no sandbox.
void PrepareWebEngine();

// Some texts of the program are Korean: a Korean font stands behind the desktop's own, which
// draws every Latin text.
void UseKoreanFallbackFont();

class Application {
 public:
  // Shows "Running program" and returns 1 when another run is on; otherwise runs the main
  // window until it closes. A QApplication must exist. With `selfTest` the window closes as soon
  // as it has been painted (0), or after 30 s without a paint (1): the package checks use it.
  int Run(bool selfTest = false);
};

}  // namespace tavrin::gui
