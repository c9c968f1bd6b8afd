#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the files of tests/data/import/ that other programs wrote: gpsbabel turns points.csv (two
# short drives, 700 seconds apart) into GPX 1.0, GPX 1.1, KML and NMEA text. The import tests
# read them and compare with points.csv; they never run this script, whose output is committed.
set -eu
cd "$(dirname "$0")/../tests/data/import"
command -v gpsbabel >/dev/null || { echo "gpsbabel is not installed: run scripts/install-deps.sh" >&2; exit 1; }

# lat,lon,date,time (UTC),speed (m/s),course (degrees),fix
awk 'BEGIN {
  OFS = ","
  print "lat,lon,utc_d,utc_t,speed,course,fix"
  lat = 48.137154; lon = 11.576124
  for (i = 0; i < 30; i++) {
    t = (i < 15) ? 43200 + i : 43200 + 700 + i
    if (i == 15) { lat += 0.01 }
    speed = 5 + (i % 7) * 1.5
    course = (i * 23) % 360
    lat += 0.00004 * (i % 3 + 1); lon += 0.00006
    printf "%.6f,%.6f,2024/03/05,%02d:%02d:%02d,%.2f,%d,3d\n", lat, lon, t / 3600, (t % 3600) / 60, t % 60, speed, course
  }
}' > points.csv

gpsbabel -t -i unicsv -f points.csv -o gpx,gpxver=1.0 -F gpsbabel-1.0.gpx
gpsbabel -t -i unicsv -f points.csv -o gpx,gpxver=1.1 -F gpsbabel-1.1.gpx
gpsbabel -t -i unicsv -f points.csv -o kml -F gpsbabel.kml
gpsbabel -t -i unicsv -f points.csv -o nmea -F gpsbabel.nmea
