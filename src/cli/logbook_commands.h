// SPDX-License-Identifier: GPL-3.0-or-later
// tavrin places, tavrin logbook: the named places, and the drive logbook made from the stored
// tracks with the purposes and notes the user gives them.
#pragma once

#include <CLI/CLI.hpp>

#include "cli/cli_context.h"

namespace tavrin::cli {

void AddLogbookCommands(CLI::App& app, const GlobalOptions& global, std::function<int()>& run);

}  // namespace tavrin::cli
