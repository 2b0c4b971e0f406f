#!/usr/bin/env bash
# The message storm by hand: builds browser.exe and the storm, then runs the
# storm under Wine (on a private Xvfb display when there is no DISPLAY) with
# no time limit, for the long runs the test command does not make.
#   storm.sh [--seed N] [--count N] [--warmup N] [--trace] [--keep]
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/build.sh" --win32 browser storm || exit 1
build="$root/build/win32"
. "$root/tools/wine-env.sh" "$build"
wine_begin || exit 1
cd "$build/tools/storm"
wine "$build/tools/storm/storm.exe" "$@"
