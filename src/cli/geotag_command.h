// SPDX-License-Identifier: GPL-3.0-or-later
// tavrin geotag: writes where each photo was taken, from the stored tracks, into the photo or
// its XMP sidecar.
#pragma once

#include <CLI/CLI.hpp>

#include "cli/cli_context.h"

namespace tavrin::cli {

// Adds the command to `app`; it sets `run` to what it does when chosen.
void AddGeotagCommand(CLI::App& app, const GlobalOptions& global, std::function<int()>& run);

}  // namespace tavrin::cli
