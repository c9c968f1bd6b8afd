// SPDX-License-Identifier: GPL-3.0-or-later
// tavrin cut and tavrin delete: the track editing of the Track Record page, for scripts.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>

#include "cli/cli_context.h"

namespace tavrin::cli {

void AddEditCommands(CLI::App& app, const GlobalOptions& global, std::function<int()>& run);

}  // namespace tavrin::cli
