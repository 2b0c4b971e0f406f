#!/usr/bin/env bash
# The message storm by hand: builds browser.exe and the storm, then runs the
# storm under Wine (on a private Xvfb display when there is no DISPLAY) with
# no time limit, for the long runs the test command does not make. It runs
# the flavour this host can run (tools/flavour.sh).
#   storm.sh [--seed N] [--count N] [--warmup N] [--trace] [--keep]
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/flavour.sh"
pick_flavour storm || exit 1
bash "$root/tools/build.sh" --"$FLAVOUR" browser storm || exit 1
build="$root/build/$FLAVOUR"
. "$root/tools/wine-env.sh" "$build"
wine_begin || exit 1
cd "$build/tools/storm"
"$WINE" "$build/tools/storm/storm.exe" "$@"
