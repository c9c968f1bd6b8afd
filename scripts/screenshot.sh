#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Pictures of the window for a person to look at: starts the emulated logger with its demo days
# and the window under a virtual X server, connects, downloads, and saves PNGs of the Device
# Control page, the device settings dialog, the Software Options dialog and a Korean message box.
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
coproc EMULATOR { exec "$emulator" --pty --demo; }
read -r port <&"${EMULATOR[0]}"
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1280x1024x24" "$tool" "$(realpath -m "$out")" "$port" "$work/DataLog"
ls -l "$out"/*.png
