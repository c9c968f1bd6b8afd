// SPDX-License-Identifier: GPL-3.0-or-later
// tavrin index, tavrin find: the history index of the data folder, and the passages of the
// stored tracks through a place.
#pragma once

#include <CLI/CLI.hpp>

#include "cli/cli_context.h"

namespace tavrin::cli {

void AddHistoryCommands(CLI::App& app, const GlobalOptions& global, std::function<int()>& run);

}  // namespace tavrin::cli
