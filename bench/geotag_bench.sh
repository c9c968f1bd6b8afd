#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Geotagging benchmark: PHOTOS photos (default 1,000) tagged from a track of POINTS points
# (default 1,000,000, one a second) by `tavrin geotag` from the stored track, and by
# `exiftool -geotag` from the same track exported as GPX, each on its own copy of the photos, in
# the same run. Prints both times, the speed-up, our peak memory (maximum resident set), and how
# many photos got the same position from both (within 1e-6 degrees). Nothing is asserted.
#   bench/geotag_bench.sh [BUILD_DIR] [PHOTOS] [POINTS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
photos=${2:-1000}
points=${3:-1000000}
work=$(mktemp -d "${TMPDIR:-/tmp}/tavrin-geotag-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/DataLog"
track="$work/DataLog/20200101_000000.bt0"
"$build/bench/make_bench_track" "$track" "$points"
printf '[MAIN]\r\nLocalTimeOffset=0\r\n' >"$work/TVR.ini"
tavrin() { "$build/src/cli/tavrin" --data "$work/DataLog" --config "$work/TVR.ini" "$@"; }
tavrin export gpx "$track" >/dev/null
gpx="$work/DataLog/GPX/20200101_000000.gpx"

# The photos spread over the track, each half a second past a point, so that every one is
# interpolated.
convert -size 640x480 -seed 3 plasma:navy-orange -quality 85 "$work/source.jpg"
first=$((1577836800 + 50))
step=$(((points - 100) / photos))
"$build/bench/make_bench_photos" "$work/source.jpg" "$work/ours" "$photos" "$first" "$step"
cp -a "$work/ours" "$work/exiftool"

now() { date +%s.%N; }
start=$(now)
/usr/bin/time -f '%M' -o "$work/ours.rss" \
  "$build/src/cli/tavrin" --data "$work/DataLog" --config "$work/TVR.ini" geotag --zone UTC \
  "$work/ours" >"$work/ours.out"
ours_s=$(awk -v s="$start" -v e="$(now)" 'BEGIN { print e - s }')
start=$(now)
TZ=UTC exiftool -q -q -overwrite_original -geotag "$gpx" '-Geotime<SubSecDateTimeOriginal' \
  "$work/exiftool"
exiftool_s=$(awk -v s="$start" -v e="$(now)" 'BEGIN { print e - s }')

positions() { exiftool -q -q -n -p '$FileName $GPSLatitude $GPSLongitude' "$1" | sort; }
positions "$work/ours" >"$work/ours.pos"
positions "$work/exiftool" >"$work/exiftool.pos"
same=$(join "$work/ours.pos" "$work/exiftool.pos" |
  awk 'function abs(x) { return x < 0 ? -x : x }
       abs($2 - $4) <= 1e-6 && abs($3 - $5) <= 1e-6 { n++ } END { print n + 0 }')
worst=$(join "$work/ours.pos" "$work/exiftool.pos" |
  awk 'function abs(x) { return x < 0 ? -x : x }
       { d = abs($2 - $4); if (abs($3 - $5) > d) d = abs($3 - $5); if (d > w) w = d }
       END { printf "%.2g", w + 0 }')

echo "geotagging $photos photos from a $points-point track; exiftool $(exiftool -ver) reads it as GPX"
printf '%-10s %10s %12s\n' program seconds peak_MB
printf '%-10s %10.2f %12.1f\n' tavrin "$ours_s" "$(awk '{ print $1 / 1024 }' "$work/ours.rss")"
printf '%-10s %10.2f %12s\n' exiftool "$exiftool_s" -
echo "speed-up over exiftool: $(awk -v a="$exiftool_s" -v b="$ours_s" 'BEGIN { printf "%.1f", a / b }')x"
echo "tagged by tavrin: $(grep -c . "$work/ours.pos"), by exiftool: $(grep -c . "$work/exiftool.pos")," \
  "same position within 1e-6 degrees: $same (largest difference $worst degrees)"
tail -1 "$work/ours.out"
