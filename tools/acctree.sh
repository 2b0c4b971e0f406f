#!/usr/bin/env bash
# Prints the accessible tree of a running browser (tools/acctree), in the
# browser's prefix and on its display: run it beside tools/main-job.sh with the
# same DISPLAY. Its arguments go to the tool (see README.md). It runs the
# flavour this host can run (tools/flavour.sh), as main-job.sh does.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
[ -n "${DISPLAY:-}" ] || { echo "acctree: set DISPLAY to the browser's display" >&2; exit 2; }
. "$root/tools/flavour.sh"
pick_flavour acctree >&2 || exit 1
build="$root/build/$FLAVOUR"
bash "$root/tools/build.sh" --"$FLAVOUR" acctree || exit 1
# The browser's own server stays: nothing here starts or stops one.
. "$root/tools/wine-env.sh" "$build"
exec timeout 120 "$WINE" "$build/tools/acctree/acctree.exe" "$@"
