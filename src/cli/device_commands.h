// SPDX-License-Identifier: GPL-3.0-or-later
// tavrin ports, info, read, set-options, erase, stop, bypass: every device operation of the
// window, without one.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>

#include "cli/cli_context.h"
#include "cli/device_connection.h"
#include "protocol/session_reports.h"

namespace tavrin::cli {

struct ReadOptions {
  PortOptions port;
  bool readNew = false, readAll = false, nmea = false;
  std::vector<std::string> period;
};

struct ReadResult {
  int exitCode = kExitUsage;         // as tavrin read ends
  bool noNewTracks = false;          // the logger had none: nothing was read
  std::vector<std::string> written;  // the track files put in place, also when the read failed
  ReadFigures figures;
  std::string dataFolder;
  // Why the read could not start yet, for a reason that may pass (the port not handed to the
  // user yet, the logger still scanning its memory); told of here, not on stderr, when the port
  // options hold it back.
  std::string notReady;
};

// What tavrin read does, without printing the paths: connects, reads, disconnects. Failures are
// told on stderr.
ReadResult ReadTracks(const GlobalOptions& global, const ReadOptions& options);

void AddDeviceCommands(CLI::App& app, const GlobalOptions& global, std::function<int()>& run);

}  // namespace tavrin::cli
