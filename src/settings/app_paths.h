// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program keeps its files: the track folder DataLog and TVR.ini live beside the
// program when its folder is writable and not an installation's bin folder, otherwise in the
// user's XDG data and config folders.
#pragma once

#include <filesystem>

namespace tavrin {

struct AppPaths {
  std::filesystem::path programFolder;
  std::filesystem::path dataFolder;    // DataLog
  std::filesystem::path settingsFile;  // TVR.ini
};

// The folder of the running program file.
std::filesystem::path ProgramFolder();

// The folder that holds the program's own files (the KML icons in kml_icons): the program's
// folder in a build tree, <prefix>/share/tavrin-lite beside an installed program's bin folder.
std::filesystem::path ResourceFolder(const std::filesystem::path& programFolder);

// Chooses the folders for a program in `programFolder`; `home`, `xdgDataHome` and
// `xdgConfigHome` are the environment's values (empty when unset).
AppPaths ResolveAppPaths(const std::filesystem::path& programFolder, const std::string& home,
                         const std::string& xdgDataHome, const std::string& xdgConfigHome);
// The same with this process's program folder and environment.
AppPaths DefaultAppPaths();

}  // namespace tavrin
