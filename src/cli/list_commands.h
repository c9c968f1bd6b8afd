// SPDX-License-Identifier: GPL-3.0-or-later
// tavrin list, tavrin points: the stored tracks and their points as tab-separated rows.
#pragma once

#include <CLI/CLI.hpp>

#include "cli/cli_context.h"

namespace tavrin::cli {

// Adds the commands to `app`; each sets `run` to what it does when chosen.
void AddListCommands(CLI::App& app, const GlobalOptions& global, std::function<int()>& run);

}  // namespace tavrin::cli
