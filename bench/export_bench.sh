#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Export benchmark: a track of POINTS points (default 1,000,000) exported with `tavrin export` to
# KML, NMEA text and GPX, each beside gpsbabel converting the same points (read from our NMEA
# text) to the same format, and beside a plain write of as many bytes as our file has, in 1 MiB
# blocks to the same disk. Everything runs in one go on the same files; nothing is asserted.
#   bench/export_bench.sh [BUILD_DIR] [POINTS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
points=${2:-1000000}
work=$(mktemp -d "${TMPDIR:-/tmp}/tavrin-export-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/DataLog"
track="$work/DataLog/20200101_000000.bt0"
"$build/bench/make_bench_track" "$track" "$points"
printf '[MAIN]\r\nLocalTimeOffset=540\r\n' >"$work/TVR.ini"  # times to undo, as for most users

# Seconds taken by a command, best of $runs runs.
seconds() {
  local runs=$1 best="" start end took
  shift
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    best=$(awk -v s="$start" -v e="$end" -v b="$best" 'BEGIN { t = e - s; print (b == "" || t < b) ? t : b }')
  done
  echo "$best"
}

tavrin() { "$build/src/cli/tavrin" --data "$work/DataLog" --config "$work/TVR.ini" export "$@"; }
plain_write() { dd if=/dev/zero of="$work/plain" bs=1M count="$1" iflag=count_bytes status=none; }
mbps() { awk -v n="$1" -v s="$2" 'BEGIN { printf "%d", n / 1e6 / s }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a / b }'; }

tavrin nmea "$track" >/dev/null
nmea="$work/DataLog/TXT/20200101_000000.txt"
echo "export of a $points-point track; gpsbabel $(gpsbabel -V | awk 'NF {print $3; exit}') reads our NMEA text"
printf '%-6s %12s %10s %10s %10s %12s %8s\n' format bytes ours_s gpsbabel_s ratio ours_MB/s write_MB/s
for format in kml nmea gpx; do
  case $format in
    kml) ours="$work/DataLog/KML/20200101_000000.kml" babel=(-o kml) ;;
    nmea) ours="$nmea" babel=(-o nmea,gpgga=0,gpgsa=0,gpvtg=0) ;;
    gpx) ours="$work/DataLog/GPX/20200101_000000.gpx" babel=(-o gpx) ;;
  esac
  ours_s=$(seconds 3 tavrin "$format" "$track")
  bytes=$(stat -c %s "$ours")
  babel_s=$(seconds 1 gpsbabel -t -i nmea -f "$nmea" "${babel[@]}" -F "$work/babel.$format")
  write_s=$(seconds 3 plain_write "$bytes")
  rm -f "$work/babel.$format" "$work/plain"
  printf '%-6s %12d %10.2f %10.2f %9sx %12s %8s\n' "$format" "$bytes" "$ours_s" "$babel_s" \
    "$(ratio "$babel_s" "$ours_s")" "$(mbps "$bytes" "$ours_s")" "$(mbps "$bytes" "$write_s")"
  [ "$format" = nmea ] || rm -f "$ours"
done
