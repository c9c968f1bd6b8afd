// SPDX-License-Identifier: GPL-3.0-or-later
// The program: one instance per user, its main window, and the end when the window closes.
#pragma once

#include <QLocalServer>
#include <QStringList>
#include <optional>
#include <string>

namespace tavrin::gui {

class MainWindow;

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

// "<runtime folder>/tavrin-lite.files": where the running window takes the files that a second
// run was asked to open.
std::string FileHandOverPath();

// Hands `files` to the window that runs already, through the socket at `path`; false when no
// window took them.
bool HandFilesToRunningWindow(const QStringList& files, const std::string& path);

// While it lives, the files handed over at `path` are opened in `window` (OpenTrackFiles), which
// comes to the front.
class FileHandOver : public QObject {
 public:
  FileHandOver(MainWindow& window, const std::string& path);

 private:
  MainWindow& window_;
  QLocalServer server_;
};

class Application {
 public:
  // When another run is on, hands it `files` and returns 0, or without files (or when it cannot
  // take them) shows "Running program" and returns 1. Otherwise runs the main window until it
  // closes, having imported `files` (GPX, KML, NMEA) into it. A QApplication must exist. With
  // `selfTest` the window closes as soon as it has been painted (0), or after 30 s without a
  // paint (1): the package checks use it.
  int Run(bool selfTest = false, const QStringList& files = {});
};

}  // namespace tavrin::gui
