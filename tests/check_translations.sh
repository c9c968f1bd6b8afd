#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a text of the window has no Korean: lupdate gathers the sources' texts into a copy
# of the translation, where a text that is new, or changed, stands unfinished.
#   check_translations.sh LUPDATE TS_FILE SOURCE_FOLDER...
set -euo pipefail
lupdate=$1 ts=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$ts" "$work/check.ts"
"$lupdate" -silent -locations none -no-obsolete -source-language en -target-language ko \
  "$@" -ts "$work/check.ts" 2>/dev/null
unfinished=$(grep -c 'type="unfinished"' "$work/check.ts" || true)
if [ "$unfinished" -ne 0 ]; then
  echo "$unfinished text(s) of the window have no Korean yet. Run the build's update_translations"
  echo "target (or lupdate as above) and translate them in $ts:"
  grep -B1 'type="unfinished"' "$work/check.ts" | grep '<source>' | sed 's/^ *//'
  exit 1
fi
echo "every text of the window has its Korean"
