#!/usr/bin/env bash
# Tries Tavrin Lite end to end: finds the logger (or, when none is attached, starts the built-in
# emulated logger with a few demo days), shows its figures, downloads the new tracks into the
# data folder and lists them by day.
#   scripts/run-demo.sh [BUILD_FOLDER]        DATA=folder overrides ./DataLog
set -euo pipefail
build=${1:-build}
data=${DATA:-$PWD/DataLog}
cli="$build/src/cli/tavrin"
emulator="$build/src/emulator/tavrin-emulator"

port=$("$cli" ports | awk -F'\t' '$3 == "logger" && $2 != "-" { print $1; exit }')
if [ -z "$port" ]; then
  echo "No logger attached: starting the emulated logger with three demo days." >&2
  coproc EMULATOR { exec "$emulator" --pty --demo; }
  trap 'kill "$EMULATOR_PID" 2>/dev/null || true' EXIT
  read -r port <&"${EMULATOR[0]}"
fi

echo "== the logger on $port" >&2
"$cli" --data "$data" info --port "$port"
echo "== downloading its new tracks into $data" >&2
"$cli" --data "$data" read --port "$port" --new
echo "== the stored tracks, by day" >&2
"$cli" --data "$data" list --by-day
