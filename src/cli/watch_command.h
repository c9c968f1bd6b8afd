// SPDX-License-Identifier: GPL-3.0-or-later
// tavrin watch: reads each logger that is plugged in, and goes on waiting.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>

#include "cli/cli_context.h"

namespace tavrin::cli {

void AddWatchCommand(CLI::App& app, const GlobalOptions& global, std::function<int()>& run);

}  // namespace tavrin::cli
