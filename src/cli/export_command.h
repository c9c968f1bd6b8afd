// SPDX-License-Identifier: GPL-3.0-or-later
// tavrin export: writes track files as KML, NMEA text, track logs, GPX or the map page.
#pragma once

#include <CLI/CLI.hpp>

#include "cli/cli_context.h"

namespace tavrin::cli {

// Adds the command to `app`; it sets `run` to what it does when chosen.
void AddExportCommand(CLI::App& app, const GlobalOptions& global, std::function<int()>& run);

}  // namespace tavrin::cli
