// SPDX-License-Identifier: GPL-3.0-or-later
// tavrin ports, info, read, set-options, erase, stop, bypass: every device operation of the
// window, without one.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>

#include "cli/cli_context.h"

namespace tavrin::cli {

void AddDeviceCommands(CLI::App& app, const GlobalOptions& global, std::function<int()>& run);

}  // namespace tavrin::cli
