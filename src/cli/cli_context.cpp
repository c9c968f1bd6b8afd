#include "cli/cli_context.h"

#include <iostream>

#include "app/app_paths.h"

namespace tavrin::cli {

MessageBoxFn StderrMessages() {
  return [](const std::string& text, MsgIcon, MsgButtons buttons) {
    std::cerr << "tavrin: " << text << "\n";
    return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
  };
}

CliContext::CliContext(const GlobalOptions& options) : store_(StderrMessages()) {
  const AppPaths defaults = DefaultAppPaths();
  dataFolder_ = options.dataFolder.empty() ? defaults.dataFolder.string() : options.dataFolder;
  const std::string settingsFile =
      options.settingsFile.empty() ? defaults.settingsFile.string() : options.settingsFile;
  settings_ = LoadSettings(settingsFile);
  store_.SetTimeZoneOffset(settings_.StoreOffset());
}

bool CliContext::Prepare() {
  if (store_.PrepareDataFolder(dataFolder_)) return true;
  std::cerr << "tavrin: cannot create the data folder " << dataFolder_
            << ". Choose another one with --data.\n";
  return false;
}

}  // namespace tavrin::cli
