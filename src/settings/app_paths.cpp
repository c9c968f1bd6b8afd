// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/app_paths.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace tavrin {
namespace {

constexpr char kAppFolder[] = "tavrin-lite";

std::filesystem::path XdgFolder(const std::string& xdgValue, const std::string& home,
                                const char* homeRelative) {
  // Only absolute values count; a relative one is ignored as the XDG rules ask.
  if (!xdgValue.empty() && xdgValue[0] == '/') return xdgValue;
  return std::filesystem::path(home.empty() ? "/tmp" : home) / homeRelative;
}

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// A program installed beside share/tavrin-lite lives in a folder of the system's (/usr/bin), where
// even root must not keep a user's tracks.
bool IsInstalled(const std::filesystem::path& programFolder) {
  std::error_code ignored;
  return !std::filesystem::is_directory(programFolder / "kml_icons", ignored) &&
         std::filesystem::is_directory(programFolder.parent_path() / "share" / kAppFolder, ignored);
}

}  // namespace

std::filesystem::path ProgramFolder() {
  std::error_code error;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::filesystem::current_path(error);
  return exe.parent_path();
}

AppPaths ResolveAppPaths(const std::filesystem::path& programFolder, const std::string& home,
                         const std::string& xdgDataHome, const std::string& xdgConfigHome) {
  AppPaths paths;
  paths.programFolder = programFolder;
  if (::access(programFolder.c_str(), W_OK) == 0 && !IsInstalled(programFolder)) {
    paths.dataFolder = programFolder / "DataLog";
    paths.settingsFile = programFolder / "TVR.ini";
  } else {
    const auto data = XdgFolder(xdgDataHome, home, ".local/share") / kAppFolder;
    paths.dataFolder = data / "DataLog";
    paths.settingsFile = XdgFolder(xdgConfigHome, home, ".config") / kAppFolder / "TVR.ini";
  }
  return paths;
}

std::filesystem::path ResourceFolder(const std::filesystem::path& programFolder) {
  std::error_code ignored;
  if (std::filesystem::is_directory(programFolder / "kml_icons", ignored)) return programFolder;
  return programFolder.parent_path() / "share" / kAppFolder;
}

AppPaths DefaultAppPaths() {
  return ResolveAppPaths(ProgramFolder(), Env("HOME"), Env("XDG_DATA_HOME"),
                         Env("XDG_CONFIG_HOME"));
}

}  // namespace tavrin
