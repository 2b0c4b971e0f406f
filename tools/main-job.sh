#!/usr/bin/env bash
# The main job: builds the programs and runs the browser under Wine (on a
# private Xvfb display when there is no DISPLAY).
#   main-job.sh [--seconds N]
# With a display of your own it runs until you close the window; on Xvfb it
# runs for N seconds (default 20) and then stops everything it started.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=20
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds=$2; shift 2 ;;
    *) echo "usage: main-job.sh [--seconds N]" >&2; exit 2 ;;
  esac
done
had_display=${DISPLAY:-}
bash "$root/tools/install-deps.sh" || exit 1
bash "$root/tools/build.sh" --win32 browser || exit 1

build="$root/build/win32"
. "$root/tools/wine-env.sh" "$build"
wine_begin || exit 1

run="$build/run"
mkdir -p "$run"
[ -f "$run/main.ini" ] || printf '[main]\r\nname=Quintara Poker\r\n' > "$run/main.ini"
cd "$run"
wine "$build/app/browser.exe" &
browser=$!
WINE_STARTED_PIDS+=($browser)
if [ -n "$had_display" ]; then
  wait "$browser"
else
  for _ in $(seq 1 "$seconds"); do
    kill -0 "$browser" 2>/dev/null || break
    sleep 1
  done
  echo "main-job: ran for up to ${seconds}s on Xvfb display $DISPLAY"
fi
exit 0
