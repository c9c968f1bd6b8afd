#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The history map's yardstick: Viking, a desktop track viewer, opening the same tracks as GPX
# files, one file a track, as a user would hand them to it. For a year (1,000 tracks, 2 million
# points) and for a decade (10,000 tracks, 20 million points) of the store `history_bench` makes:
# the time from starting Viking to its going idle with every file loaded (its CPU time standing
# still for a second and a half), and the memory of its processes then. Nothing is asserted.
#   bench/history_viking.sh [BUILD_DIR] [STORE]   (STORE: a folder history_bench made and kept)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
command -v viking >/dev/null || { echo "history_viking: viking is missing (scripts/install-deps.sh bench)" >&2; exit 1; }
command -v xvfb-run >/dev/null || { echo "history_viking: xvfb-run is missing (Debian package xvfb)" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/tavrin-viking-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
store=${2:-$work/store/DataLog}
[ -d "$store" ] || "$build/bench/history_bench" "$store" >/dev/null

# CPU ticks (user + system) of a process and its children so far.
ticks() { awk '{ print $14 + $15 + $16 + $17 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
# Proportional set size of a process and every process under it, in MiB.
pss_tree() {
  local total=0 pid
  for pid in $1 $(pgrep -P "$1" 2>/dev/null); do
    kb=$(awk '/^Pss:/ { print $2 }' "/proc/$pid/smaps_rollup" 2>/dev/null || echo 0)
    total=$((total + kb))
  done
  echo $((total / 1024))
}

open_in_viking() {
  local what=$1 count=$2
  local gpx="$work/gpx-$count"
  mkdir -p "$gpx"
  # The first COUNT tracks, exported as GPX by our own tool.
  mapfile -t tracks < <(ls "$store"/*.bt0 | head -n "$count")
  "$build/src/cli/tavrin" --data "$store" export gpx --out "$gpx" "${tracks[@]}" >/dev/null
  local start end last now viking
  # A settings file of its own: without one Viking asks its first-run question and waits.
  mkdir -p "$work/home/.config/viking"
  touch "$work/home/.config/viking/viking.prefs"
  start=$(date +%s.%N)
  HOME="$work/home" xvfb-run -a -s "-screen 0 1280x1024x24" viking "$gpx"/*.gpx >/dev/null 2>&1 &
  local runner=$!
  viking=""
  for _ in $(seq 100); do  # the virtual X server starts first
    viking=$(pgrep -P "$runner" -x viking || true)
    [ -n "$viking" ] && break
    sleep 0.1
  done
  last=-1
  end=$start
  while kill -0 "$runner" 2>/dev/null && [ -n "$viking" ]; do
    now=$(ticks "$viking")
    if [ "$now" != "$last" ]; then
      last=$now
      end=$(date +%s.%N)
    elif awk -v e="$end" -v n="$(date +%s.%N)" 'BEGIN { exit !(n - e > 1.5) }'; then
      break
    fi
    sleep 0.1
  done
  local memory
  memory=$(pss_tree "$viking")
  kill -9 "$viking" 2>/dev/null || true
  wait "$runner" 2>/dev/null || true  # xvfb-run ends with Viking
  awk -v s="$start" -v e="$end" -v w="$what" -v m="$memory" \
    'BEGIN { printf "  viking, %s: loaded and idle after %.1f s, %d MiB\n", w, e - s, m }'
}

echo "Viking $(dpkg-query -W -f='${Version}' viking 2>/dev/null) opening the tracks as GPX files:"
open_in_viking "a year (1,000 tracks, 2 million points)" 1000
open_in_viking "a decade (10,000 tracks, 20 million points)" 10000
