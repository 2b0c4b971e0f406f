#!/usr/bin/env bash
# Screenshot of the report control: a list with columns, grid lines and
# checks beside a lobby tree with groups and a selection.
#   report-shot.sh OUT.png
# Runs on a private Xvfb display when there is no DISPLAY.
set -u
if [ $# -ne 1 ]; then
  echo "usage: report-shot.sh OUT.png" >&2
  exit 2
fi
out=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/build.sh" --win32 reportshot || exit 1
build="$root/build/win32"
command -v import >/dev/null || { echo "report-shot: 'import' (imagemagick) is missing" >&2; exit 1; }
. "$root/tools/wine-env.sh" "$build"
wine_begin || exit 1

log=$(mktemp)
wine "$build/tools/reportshot/reportshot.exe" 6 >"$log" 2>/dev/null &
demo=$!
WINE_STARTED_PIDS+=($demo)
for _ in $(seq 1 300); do
  grep -q ready "$log" && break
  kill -0 "$demo" 2>/dev/null || break
  sleep 0.1
done
status=1
if grep -q ready "$log"; then
  sleep 0.5
  # The window sits at (20,20) and is 600 x 280.
  import -window root -crop 620x300+10+10 +repage "$out" && status=0 && echo "report-shot: $out"
else
  echo "report-shot: the demo did not show its controls" >&2
fi
wait "$demo" 2>/dev/null
rm -f "$log"
exit $status
