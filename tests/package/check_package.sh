#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from a build folder and checks it as a user's machine would meet it:
# unpacked anywhere, its programs run and find their files; its desktop entry, AppStream file,
# udev rule and the package itself pass their checkers.
#   tests/package/check_package.sh BUILD_FOLDER
set -euo pipefail
build=$(realpath "${1:?usage: check_package.sh BUILD_FOLDER}")
work=$(mktemp -d)
udev_copy=""
cleanup() {
  [ -n "${EMULATOR_PID:-}" ] && kill "$EMULATOR_PID" 2>/dev/null || true
  [ -n "$udev_copy" ] && rm -f "$udev_copy"
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "check_package: $*" >&2; exit 1; }
need() { command -v "$1" >/dev/null || fail "$1 is missing (Debian package $2): run scripts/install-deps.sh package"; }
need dpkg-deb dpkg; need desktop-file-validate desktop-file-utils; need appstreamcli appstream
need lintian lintian; need udevadm udev; need systemd-analyze systemd

echo "== building the package"
cpack --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null
deb=$(ls "$work"/package/tavrin-lite_*.deb)
dpkg-deb -x "$deb" "$work/root"
bin="$work/root/usr/bin"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_DATA_HOME="$work/home/data"
export XDG_CONFIG_HOME="$work/home/config"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

echo "== the unpacked programs"
for program in tavrin tavrin-lite tavrin-emulator; do
  "$bin/$program" --version | grep -q "^$program 1\.1\.0 (commit " || fail "$program --version"
done
coproc EMULATOR { exec "$bin/tavrin-emulator" --pty --demo; }
read -r port <&"${EMULATOR[0]}"
data="$work/DataLog"
"$bin/tavrin" --data "$data" read --port "$port" --all >/dev/null 2>&1 || fail "tavrin read from the demo logger"
listed=$("$bin/tavrin" --data "$data" list | wc -l)
[ "$listed" -ge 2 ] || fail "tavrin list shows $listed lines for the demo folder"
# The KML export names its icons where the package put them, beside the unpacked programs.
first=$(ls "$data"/*.bt0 | head -1)
kml=$("$bin/tavrin" --data "$data" export kml "$first")
icon=$(grep -o '<href>[^<]*kml_icons[^<]*</href>' "$kml" | head -1 | sed 's/<[^>]*>//g')
case "$icon" in "$work/root/usr/share/tavrin-lite/kml_icons/"*) ;; *) fail "the KML names $icon";; esac
[ -f "$icon" ] || fail "the KML's icon $icon is missing"
QT_QPA_PLATFORM=offscreen "$bin/tavrin-lite" --self-test >/dev/null 2>&1 || fail "tavrin-lite --self-test"
# Geotagging reads and writes photos through exiv2's shared library: the package must depend on it.
depends=$(dpkg-deb -f "$deb" Depends)
echo "$depends" | grep -q "libexiv2-" || fail "the package does not depend on exiv2's library: $depends"
"$bin/tavrin" geotag --help | grep -q -- "--clock-photo" || fail "tavrin geotag --help"
# Imported GPX and KML files are read by expat's shared library.
echo "$depends" | grep -q "libexpat1" || fail "the package does not depend on expat's library: $depends"
"$bin/tavrin" import --help | grep -q -- "--all-or-nothing" || fail "tavrin import --help"

echo "== the desktop entry and the AppStream file"
desktop-file-validate "$work"/root/usr/share/applications/*.desktop
appstreamcli validate --no-net "$work"/root/usr/share/metainfo/*.metainfo.xml

echo "== lintian"
report=$(lintian "$deb" 2>&1 | grep -v "root privileges" || true)
echo "$report"
if echo "$report" | grep -q "^E: "; then fail "lintian reports errors"; fi
if echo "$report" | grep -qiE "^W: .*(copyright|licen)"; then fail "lintian warns about the licence"; fi
grep -q "^License: GPL-3.0-or-later" "$work/root/usr/share/doc/tavrin-lite/copyright" ||
  fail "the copyright file does not name GPL-3.0-or-later"

echo "== the user service"
unit="$work/root/usr/lib/systemd/user/tavrin-watch.service"
[ -f "$unit" ] || fail "the package holds no tavrin-watch.service"
grep -q '^ExecStart=/usr/bin/tavrin watch$' "$unit" || fail "the service does not run tavrin watch"
# Checked with its program where the package was unpacked: /usr/bin/tavrin need not be installed.
sed "s|/usr/bin/tavrin|$bin/tavrin|" "$unit" >"$work/tavrin-watch.service"
# Its manual page is the package's own, not yet installed: looked for there instead.
[ -f "$work/root/usr/share/man/man1/tavrin.1.gz" ] || fail "the service names a missing manual"
systemd-analyze --user --man=no verify "$work/tavrin-watch.service"

echo "== the udev rule"
rule="$work/root/usr/lib/udev/rules.d/70-tavrin-lite.rules"
if udevadm verify --help >/dev/null 2>&1; then
  udevadm verify "$rule"
elif [ "$(id -u)" = 0 ] && mkdir -p /run/udev/rules.d 2>/dev/null; then
  # udevadm before version 253 has no verify: it reads the rule while testing an event, and names
  # every line it cannot take.
  udev_copy=/run/udev/rules.d/70-tavrin-lite-check.rules
  cp "$rule" "$udev_copy"
  device=$(ls -d /sys/class/tty/* | head -1)
  out=$(udevadm test --action=add "$device" 2>&1 || true)
  echo "$out" | grep -q "Reading rules file: $udev_copy" || fail "udevadm did not read the rule"
  if echo "$out" | grep "^$udev_copy:"; then fail "udevadm rejects lines of the rule"; fi
  echo "udevadm test read the rule and found nothing wrong"
else
  echo "the udev rule is not checked: udevadm verify is missing and checking it without needs root"
fi
echo "== the package is good: $(basename "$deb")"
