// SPDX-License-Identifier: GPL-3.0-or-later
// tavrin: the command-line front end of Tavrin Lite.
#include <CLI/CLI.hpp>
#include <csignal>
#include <iostream>

#include "base/version.h"
#include "cli/cli_context.h"
#include "cli/command_line.h"
#include "cli/device_commands.h"
#include "cli/edit_commands.h"
#include "cli/export_command.h"
#include "cli/geotag_command.h"
#include "cli/history_commands.h"
#include "cli/import_command.h"
#include "cli/list_commands.h"
#include "cli/logbook_commands.h"
#include "cli/watch_command.h"

int main(int argc, char** argv) {
  using namespace tavrin::cli;
  // Past a file-size limit a write should fail and be reported, not kill the program.
  std::signal(SIGXFSZ, SIG_IGN);
  CLI::App app{
      "Tavrin Lite command line: download, list, cut, delete and export the tracks of a GPS "
      "logger, import track files of other devices, and geotag photos from them.",
      "tavrin"};
  app.set_version_flag("--version",
                       std::string("tavrin ") + tavrin::kVersionAndBuild + tavrin::kLicenceNotice);
  // Every command's options at once: the manual page is made from it, so it cannot fall behind.
  app.set_help_all_flag("--help-all", "Print the help of every command and exit");
  app.formatter(std::make_shared<HelpAllFormatter>());
  GlobalOptions global;
  app.add_option("--data", global.dataFolder,
                 "Folder of the track files (default: DataLog of the program)");
  app.add_option("--config", global.settingsFile,
                 "Settings file (default: TVR.ini of the program)");
  app.add_option("--trace", global.tracePath, "Append every byte sent and received to FILE");
  app.add_flag("-v,--verbose", global.verbose, "Show the exchange with the logger on stderr");
  app.require_subcommand(1);

  std::function<int()> run;
  AddListCommands(app, global, run);
  AddDeviceCommands(app, global, run);
  AddExportCommand(app, global, run);
  AddEditCommands(app, global, run);
  AddGeotagCommand(app, global, run);
  AddImportCommand(app, global, run);
  AddHistoryCommands(app, global, run);
  AddLogbookCommands(app, global, run);
  AddWatchCommand(app, global, run);

  app.footer(
      "Exit status: 0 when everything was done; 1 when the port, the logger or a file failed, "
      "or when list, points, export, find or index met a bad track file (every good one is still "
      "listed or "
      "exported), import skipped a point or a file, geotag failed to tag a photo, cut found no "
      "point in its window or delete no "
      "track on its day; 2 when the "
      "command line cannot be used as written; 3 when read finished but "
      "items were damaged on the line (read again).");

  const std::vector<std::string> args(argv + 1, argv + argc);
  if (const auto unknown = UnknownCommand(app, args)) {
    std::cerr << "tavrin: " << *unknown << "\n";
    return kExitUsage;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (app.exit(error) == 0) return kExitOk;
    if (const auto hint = GlobalOptionAfterCommand(app, args)) {
      std::cerr << "tavrin: " << *hint << "\n";
    }
    return kExitUsage;
  }
  if (!CheckSettingsOption(global)) return kExitUsage;
  return run ? run() : kExitUsage;
}
