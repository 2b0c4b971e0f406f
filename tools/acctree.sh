#!/usr/bin/env bash
# Prints the accessible tree of a running browser (tools/acctree), in the
# browser's prefix and on its display: run it beside tools/main-job.sh with the
# same DISPLAY. Its arguments go to the tool (see README.md).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/win32"
[ -n "${DISPLAY:-}" ] || { echo "acctree: set DISPLAY to the browser's display" >&2; exit 2; }
bash "$root/tools/build.sh" --win32 acctree || exit 1
# The browser's own server stays: nothing here starts or stops one.
export WINEPREFIX="$build/wineprefix" WINEDEBUG=${WINEDEBUG:--all} WINEARCH=win32 WINEDLLOVERRIDES="mscoree="
exec timeout 120 wine "$build/tools/acctree/acctree.exe" "$@"
