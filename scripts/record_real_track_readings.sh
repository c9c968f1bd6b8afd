#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Records gpsbabel's reading of the tracks of each real log in tests/data/real_tracks/ as
# FILE.gpsbabel.csv (unicsv, times in UTC). The import tests compare the points `tavrin import`
# stores with these; they never run gpsbabel themselves, whose reading may differ from one
# version to the next. Run again, and look at the differences, after adding a file.
set -eu
cd "$(dirname "$0")/../tests/data/real_tracks"
command -v gpsbabel >/dev/null || { echo "gpsbabel is not installed: run scripts/install-deps.sh" >&2; exit 1; }

for file in *; do
  case "$file" in
    *.gpsbabel.csv | PROVENANCE.md) continue ;;
    *.gpx) format=gpx ;;
    *.kml) format=kml ;;
    *) format=nmea ;;
  esac
  gpsbabel -t -i "$format" -f "$file" -o unicsv,utc=0 -F "$file.gpsbabel.csv"
done
