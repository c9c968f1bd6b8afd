#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Pictures of the window for a person to look at: starts the emulated logger with its demo days
# and the window under a virtual X server, connects, downloads, and saves PNGs of the Device
# Control page, the device settings dialog, the Software Options dialog, a Korean message box,
# the Track Record page, the History page and the Logbook page. The Device Control, Track Record
# and Logbook pages are taken again on a laptop's 1366 x 768 screen
# (OUT_DIR/1366x768) and at twice the scale (QT_SCALE_FACTOR=2 on a 2732 x 1536 screen, the same
# room in the program's pixels; OUT_DIR/scale2). Then all of them in Korean with imperial units
# (OUT_DIR/korean, and OUT_DIR/korean/1366x768).
#   scripts/screenshot.sh OUT_DIR [BUILD_FOLDER]
set -euo pipefail
out=${1:?usage: scripts/screenshot.sh OUT_DIR [BUILD_FOLDER]}
build=${2:-build}
emulator="$build/src/emulator/tavrin-emulator"
tool="$build/tests/gui/gui_screenshots"
for program in "$emulator" "$tool"; do
  [ -x "$program" ] || { echo "screenshot: $program is not built; run make build first" >&2; exit 1; }
done
command -v xvfb-run >/dev/null || { echo "screenshot: xvfb-run is missing (Debian package xvfb)" >&2; exit 1; }

work=$(mktemp -d)
trap 'kill "${EMULATOR_PID:-}" 2>/dev/null || true; rm -rf "$work"' EXIT

# shoot FOLDER SCREEN [VARIABLE=VALUE... --] [TOOL OPTION...]: one run of the tool against a fresh
# demo logger, whose new tracks each run reads.
shoot() {
  local folder=$1 screen=$2
  shift 2
  local environment=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    environment+=("$1")
    shift
  done
  [ $# -gt 0 ] && shift
  rm -rf "$work/DataLog"
  coproc EMULATOR { exec "$emulator" --pty --demo; }
  local port
  read -r port <&"${EMULATOR[0]}"
  mkdir -p "$folder"
  # The History page keeps its index in a cache of the run's own, not the user's.
  xvfb-run -a -s "-screen 0 ${screen}x24" env XDG_CACHE_HOME="$work/cache" "${environment[@]}" \
    "$tool" "$(realpath -m "$folder")" "$port" "$work/DataLog" "$@"
  kill "$EMULATOR_PID" 2>/dev/null || true
  wait "$EMULATOR_PID" 2>/dev/null || true
}

shoot "$out" 1280x1024 --
shoot "$out/1366x768" 1366x768 -- --main-pages
shoot "$out/scale2" 2732x1536 QT_SCALE_FACTOR=2 -- --main-pages
# In Korean with imperial units, every page and dialog, and the main pages on a laptop's screen.
korean=$'[MAIN]\r\nLanguage=1\r\nUnits=1\r\n'
shoot "$out/korean" 1280x1024 SHOT_SETTINGS="$korean" --
shoot "$out/korean/1366x768" 1366x768 SHOT_SETTINGS="$korean" -- --main-pages
ls -l "$out"/*.png "$out"/1366x768/*.png "$out"/scale2/*.png "$out"/korean/*.png \
  "$out"/korean/1366x768/*.png
