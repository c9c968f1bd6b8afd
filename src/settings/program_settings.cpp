// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/program_settings.h"

namespace tavrin {

ProgramSettings OpenProgramSettings(const std::filesystem::path& file,
                                    const std::function<std::string(const Settings&)>& listedZone) {
  ProgramSettings opened;
  opened.settings = LoadSettings(file, SystemStandardOffsetMinutes(), opened.warnings);
  opened.zone = ChooseLocalZone(opened.settings, listedZone ? listedZone(opened.settings) : "",
                                opened.warnings);
  return opened;
}

std::filesystem::path ChosenDataFolder(const Settings& settings,
                                       const std::filesystem::path& programDefault,
                                       const std::string& given) {
  if (!given.empty()) return given;
  if (!settings.userDataPath.empty()) return settings.userDataPath;
  return programDefault;
}

}  // namespace tavrin
