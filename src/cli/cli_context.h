// SPDX-License-Identifier: GPL-3.0-or-later
// What every tavrin command shares: the folders, the settings and the track store.
#pragma once

#include <optional>
#include <string>

#include "logbook/logbook_store.h"
#include "settings/settings.h"
#include "store/track_store.h"

namespace tavrin::cli {

// 1: the port, the logger or a file failed; with list, points and export: a track file was bad,
// while every good one was still listed or exported. 2: the command line cannot be used as
// written. 3: a read finished, but items were damaged on the line: read again.
enum ExitCode {
  kExitOk = 0,
  kExitFailure = 1,
  kExitUsage = 2,
  kExitDamaged = 3,
};

struct GlobalOptions {
  std::string dataFolder;    // empty: the program's data folder
  std::string settingsFile;  // empty: the program's TVR.ini
  std::string tracePath;     // empty: no byte trace
  bool verbose = false;
};

// Messages of the core go to stderr, one line each; questions are never asked here.
MessageBoxFn StderrMessages();

// A --config that names no settings file is a usage error (the default file may be missing:
// then the defaults are used). False with the reason on stderr.
bool CheckSettingsOption(const GlobalOptions& options);

class CliContext {
 public:
  // Loads the settings and prints any warning about them.
  explicit CliContext(const GlobalOptions& options);
  // Makes the data folder when it is missing; false (with a reason on stderr) when it cannot be
  // made, or, with `storesTracks`, when no file can be written into it: that is found before the
  // logger is asked for anything.
  bool Prepare(bool storesTracks = false);
  // Listing never makes folders. Empty when the data folder is there to be listed; otherwise the
  // exit code to end with: kExitOk when the default folder was never made (nothing was read
  // yet), kExitUsage with the reason on stderr when --data names no folder.
  std::optional<ExitCode> FindDataFolder();
  TrackStore& Store() { return store_; }
  // The data folder's logbook (made when missing), opened at its first use and kept for the rest
  // of the command; nothing when it cannot be used, told once on stderr after `command`.
  logbook::LogbookStore* Logbook(const std::string& command);
  const Settings& GetSettings() const { return settings_; }
  // Track files that were told of as bad, or read only in part, since the start.
  int FileProblems() const { return fileProblems_; }
  // Tells of a bad track file on stderr and counts it, as the store's own reports are.
  TrackFileProblemFn ProblemReporter();
  // What the user can do about a data folder that cannot be used, by where it was named: with
  // --data, in the settings file (which is named), or nowhere (the program's own).
  std::string ChooseAnotherFolder() const;

 private:
  enum class FolderOrigin { Given, SettingsFile, Program };
  // " (named in the settings file F)" when it was, for the messages that name the folder.
  std::string FolderNamedIn() const;

  std::string dataFolder_;
  FolderOrigin origin_;
  std::string settingsFile_;
  Settings settings_;
  TrackStore store_;
  int fileProblems_ = 0;
  logbook::LogbookStore logbook_;
  bool logbookTried_ = false;
};

}  // namespace tavrin::cli
