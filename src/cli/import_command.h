// SPDX-License-Identifier: GPL-3.0-or-later
// tavrin import: reads other devices' and programs' track files (GPX, KML, NMEA text) into the
// stored tracks.
#pragma once

#include <CLI/CLI.hpp>

#include "cli/cli_context.h"

namespace tavrin::cli {

// Adds the command to `app`; it sets `run` to what it does when chosen.
void AddImportCommand(CLI::App& app, const GlobalOptions& global, std::function<int()>& run);

}  // namespace tavrin::cli
