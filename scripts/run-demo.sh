#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Tries Tavrin Lite. With a display it opens the desktop window; when no logger is attached it
# first starts the emulated logger with a few demo days, which the window lists among the USB
# ports. Without a display it runs end to end in the terminal instead: the logger's figures, a
# download of its new tracks into the data folder, and the stored tracks by day.
#   scripts/run-demo.sh [BUILD_FOLDER]        DATA=folder overrides ./DataLog (terminal demo)
set -euo pipefail
build=${1:-build}
data=${DATA:-$PWD/DataLog}
cli="$build/src/cli/tavrin"
emulator="$build/src/emulator/tavrin-emulator"
window="$build/src/gui/tavrin-lite"

port=$("$cli" ports | awk -F'\t' '$3 == "logger" && $2 != "-" { print $1; exit }')
if [ -z "$port" ]; then
  echo "No logger attached: starting the emulated logger with three demo days." >&2
  coproc EMULATOR { exec "$emulator" --pty --demo; }
  trap 'kill "$EMULATOR_PID" 2>/dev/null || true' EXIT
  read -r port <&"${EMULATOR[0]}"
fi

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$window" ]; then
  echo "== the window: choose $port under USB Port, then Connect and Read New Tracks" >&2
  "$window"
  exit
fi

echo "== no display: the terminal demo instead of the window" >&2
echo "== the logger on $port" >&2
"$cli" --data "$data" info --port "$port"
echo "== downloading its new tracks into $data" >&2
"$cli" --data "$data" read --port "$port" --new
echo "== the stored tracks, by day" >&2
"$cli" --data "$data" list --by-day
