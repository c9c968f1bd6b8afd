// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the program's settings and data folder, as the window, `tavrin` and whatever else runs
// without the window all do it: the settings file, the zone the lists show times in, and the
// folder of the track files.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "settings/settings.h"

namespace tavrin {

struct ProgramSettings {
  Settings settings;
  LocalZone zone;                     // for the track store
  std::vector<std::string> warnings;  // values of the file that could not be used
};

// Reads the settings file and chooses the zone. `listedZone` gives the zone the window's Software
// Options list shows for the file's values (see ChooseLocalZone); a program without that list
// gives none.
ProgramSettings OpenProgramSettings(
    const std::filesystem::path& file,
    const std::function<std::string(const Settings&)>& listedZone = nullptr);

// The folder of the track files: the one given for this run, else the one Software Options
// chose, else the program's own, so that the window and `tavrin` see the same tracks.
std::filesystem::path ChosenDataFolder(const Settings& settings,
                                       const std::filesystem::path& programDefault,
                                       const std::string& given = {});

}  // namespace tavrin
