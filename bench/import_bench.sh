#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Import benchmark: a GPX file of POINTS points (default 1,000,000; our GPX export of
# make_bench_track's track) imported by `tavrin import` into an empty data folder, beside gpsbabel
# reading the same file (`gpsbabel -t -i gpx -f FILE -o unicsv -F /dev/null`), in the same run.
# Prints the seconds and the peak resident memory of both (GNU time); nothing is asserted.
#   bench/import_bench.sh [BUILD_DIR] [POINTS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
points=${2:-1000000}
work=$(mktemp -d "${TMPDIR:-/tmp}/tavrin-import-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/DataLog" "$work/Imported"
track="$work/DataLog/20200101_000000.bt0"
"$build/bench/make_bench_track" "$track" "$points"
printf '[MAIN]\r\nLocalTimeOffset=0\r\n' >"$work/TVR.ini"
"$build/src/cli/tavrin" --data "$work/DataLog" --config "$work/TVR.ini" export --out "$work" gpx \
  "$track" >/dev/null
gpx="$work/20200101_000000.gpx"

# "seconds peak_kB" of one run of a command, from GNU time.
measure() {
  /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null 2>"$work/stderr" ||
    { cat "$work/stderr" >&2; exit 1; }
  cat "$work/time"
}

read -r ours_s ours_kb < <(measure "$build/src/cli/tavrin" --data "$work/Imported" \
  --config "$work/TVR.ini" import "$gpx")
read -r babel_s babel_kb < <(measure gpsbabel -t -i gpx -f "$gpx" -o unicsv -F /dev/null)
imported=$(find "$work/Imported" -name '*.bt0' | wc -l)
echo "import of a $points-point GPX ($(stat -c %s "$gpx") bytes) into $imported track file(s);" \
  "gpsbabel $(gpsbabel -V | awk 'NF {print $3; exit}') reads the same file"
printf '%-10s %10s %12s\n' reader seconds peak_MB
printf '%-10s %10.2f %12.1f\n' tavrin "$ours_s" "$(awk -v k="$ours_kb" 'BEGIN { print k / 1024 }')"
printf '%-10s %10.2f %12.1f\n' gpsbabel "$babel_s" "$(awk -v k="$babel_kb" 'BEGIN { print k / 1024 }')"
awk -v a="$babel_s" -v b="$ours_s" 'BEGIN { printf "speed-up: %.1fx\n", (b > 0) ? a / b : 0 }'
