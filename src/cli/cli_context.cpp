// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_context.h"

#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <iostream>

#include "logbook/logbook_store.h"
#include "settings/app_paths.h"
#include "settings/program_settings.h"
#include "store/posix_file.h"

namespace tavrin::cli {

MessageBoxFn StderrMessages() {
  return [](const std::string& text, MsgIcon, MsgButtons buttons) {
    std::cerr << "tavrin: " << text << "\n";
    return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
  };
}

bool CheckSettingsOption(const GlobalOptions& options) {
  if (options.settingsFile.empty()) return true;
  const std::string& file = options.settingsFile;
  std::error_code error;
  const auto status = std::filesystem::status(file, error);
  std::string problem;
  if (!std::filesystem::exists(status)) {
    problem = "does not exist";
  } else if (std::filesystem::is_directory(status)) {
    problem = "is a folder, not a settings file";
  } else if (!std::filesystem::is_regular_file(status)) {
    problem = "is not a regular file";
  } else if (::access(file.c_str(), R_OK) != 0) {
    problem = "cannot be read: " + ErrnoText(errno);
  } else {
    return true;
  }
  std::cerr << "tavrin: the settings file " << file << " given with --config " << problem
            << ". Check the path, or leave --config out to use the default settings.\n";
  return false;
}

CliContext::CliContext(const GlobalOptions& options) : store_(StderrMessages()) {
  const AppPaths defaults = DefaultAppPaths();
  settingsFile_ =
      options.settingsFile.empty() ? defaults.settingsFile.string() : options.settingsFile;
  const std::string& settingsFile = settingsFile_;
  // The Software Options list that a file of an older version chose its zone from is the
  // window's; here such a file means the computer's zone when its offset agrees.
  ProgramSettings opened = OpenProgramSettings(settingsFile);
  settings_ = std::move(opened.settings);
  store_.SetTimeZone(std::move(opened.zone));
  for (const std::string& warning : opened.warnings) {
    std::cerr << "tavrin: " << settingsFile << ": " << warning << "\n";
  }
  dataFolder_ = ChosenDataFolder(settings_, defaults.dataFolder, options.dataFolder).string();
  origin_ = !options.dataFolder.empty()       ? FolderOrigin::Given
            : !settings_.userDataPath.empty() ? FolderOrigin::SettingsFile
                                              : FolderOrigin::Program;
  store_.NameDataFolder(dataFolder_);
  store_.SetProblemReporter(ProblemReporter());
  // Trips cut or deleted here keep their logbook entries, with the change, when the user keeps a
  // logbook; other changes (a download's tracks) leave it closed.
  store_.Catalogue().ListenForChanges([this](const TrackChangeNotice& notice) {
    std::error_code error;
    if (!logbook::LogbookFollows(notice) ||
        !std::filesystem::exists(
            std::filesystem::path(store_.DataFolder()) / logbook::kLogbookFileName, error)) {
      return;
    }
    if (logbook::LogbookStore* logbook = Logbook("tavrin")) {
      if (const Result<void> kept = logbook->FollowTrackChange(notice); !kept)
        std::cerr << "tavrin: " << kept.Error().reason << "\n";
    }
  });
}

logbook::LogbookStore* CliContext::Logbook(const std::string& command) {
  if (!logbookTried_) {
    logbookTried_ = true;
    if (const Result<void> opened = logbook_.Open(store_.DataFolder()); !opened) {
      std::cerr << command << ": " << opened.Error().reason << "\n";
    }
  }
  return logbook_.IsOpen() ? &logbook_ : nullptr;
}

TrackFileProblemFn CliContext::ProblemReporter() {
  return [this](const TrackFileProblem& problem) {
    ++fileProblems_;
    std::cerr << "tavrin: " << problem.Line() << "\n";
  };
}

std::string CliContext::FolderNamedIn() const {
  return origin_ == FolderOrigin::SettingsFile
             ? " (named in the settings file " + settingsFile_ + " as UserDataPath)"
             : "";
}

std::string CliContext::ChooseAnotherFolder() const {
  switch (origin_) {
    case FolderOrigin::Given:
      return "choose another folder with --data";
    case FolderOrigin::SettingsFile:
      return "choose another one in the window's Software Options, or as UserDataPath in " +
             settingsFile_;
    case FolderOrigin::Program:
      break;
  }
  return "give another folder with --data";
}

bool CliContext::Prepare(bool storesTracks) {
  if (auto prepared = store_.PrepareDataFolder(dataFolder_); !prepared) {
    std::cerr << "tavrin: cannot create the data folder " << dataFolder_ << FolderNamedIn() << ": "
              << prepared.Error().SystemText() << ". Check the path, or " << ChooseAnotherFolder()
              << ".\n";
    return false;
  }
  if (!storesTracks) return true;
  if (auto writable = store_.CheckTracksCanBeWritten(); !writable) {
    std::cerr << "tavrin: cannot store tracks in the data folder " << dataFolder_ << FolderNamedIn()
              << " (a test file could not be written there: "
              << ErrnoText(writable.Error().systemError)
              << "). Make it writable or free some space, or " << ChooseAnotherFolder()
              << "; nothing was read from the logger.\n";
    return false;
  }
  return true;
}

std::optional<ExitCode> CliContext::FindDataFolder() {
  std::error_code error;
  if (std::filesystem::is_directory(dataFolder_, error)) {
    (void)store_.PrepareDataFolder(dataFolder_);  // it exists, so nothing is made
    return std::nullopt;
  }
  if (!std::filesystem::exists(dataFolder_, error)) {
    // Before the first read the program's own data folder does not exist: nothing to list.
    if (origin_ != FolderOrigin::Given) return kExitOk;
    std::cerr << "tavrin: the data folder " << dataFolder_
              << " does not exist. Check the --data path; tavrin read makes the folder when it "
                 "stores tracks.\n";
    return kExitUsage;
  }
  std::cerr << "tavrin: the data folder " << dataFolder_ << FolderNamedIn()
            << " is not a folder. Move that file away, or " << ChooseAnotherFolder() << ".\n";
  return kExitUsage;
}

}  // namespace tavrin::cli
