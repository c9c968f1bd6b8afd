#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what Tavrin Lite needs on a Debian machine, in groups:
#
#   scripts/install-deps.sh [core|gui|package|fuzz|bench|all]...
#
#   core  the core library, the command-line tool and the emulator: compiler, build tools,
#         libraries, the test and benchmark frameworks, clang-format, and the outside readers
#         that the export, geotagging and logbook tests run (gpsbabel, xmllint, exiftool,
#         pdftotext, Python's csv module), with ImageMagick, which draws the tests' photos, and
#         a D-Bus daemon, the private session bus of the desktop notices' tests
#   gui   what the desktop window adds: Qt 6 with its translation tools and translations, OpenGL, fonts, and a virtual X server for its tests,
#         with a notification daemon (dunst) to see the desktop notices on it
#   package  what building and checking the Debian package adds: the checkers of desktop
#         entries, AppStream files, packages, udev rules and systemd units
#   fuzz  what the libFuzzer targets add: clang and its runtime
#   bench what the benchmarks compare with: Viking, a desktop track viewer, for the history map
#   all   every group
#
# With no group it installs core, gui and package, what `make test` needs.
# Safe to run again: packages already present are left alone.
set -euo pipefail

core=(
  build-essential cmake ninja-build pkg-config git clang-format
  libcli11-dev nlohmann-json3-dev libcctz-dev tzdata libexiv2-dev libexpat1-dev libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  gpsbabel libxml2-utils libimage-exiftool-perl imagemagick libjs-leaflet help2man poppler-utils python3
  dbus-daemon dbus-bin
)
gui=(
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev libgl-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  fonts-dejavu-core fonts-nanum fonts-symbola xvfb xauth dunst
)
package=(dpkg-dev desktop-file-utils appstream lintian udev systemd)
fuzz=(clang libclang-rt-14-dev)
bench=(viking)

usage() {
  echo "usage: $0 [core|gui|package|fuzz|bench|all]...  (no group: core, gui and package)"
}

[ $# -gt 0 ] || set -- core gui package
packages=()
for group in "$@"; do
  case "$group" in
    core) packages+=("${core[@]}") ;;
    gui) packages+=("${gui[@]}") ;;
    package) packages+=("${package[@]}") ;;
    fuzz) packages+=("${fuzz[@]}") ;;
    bench) packages+=("${bench[@]}") ;;
    all) packages+=("${core[@]}" "${gui[@]}" "${package[@]}" "${fuzz[@]}" "${bench[@]}") ;;
    -h | --help) usage; exit 0 ;;
    *) echo "install-deps: there is no group '$group'." >&2; usage >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages of $* present"
  exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
echo "install-deps: installed ${missing[*]}"
