#!/usr/bin/env bash
# Screenshot of the flat header mid-drag: a sort arrow, the drag image and
# the red drop marker.   header-shot.sh OUT.png
# Runs on a private Xvfb display when there is no DISPLAY.
set -u
if [ $# -ne 1 ]; then
  echo "usage: header-shot.sh OUT.png" >&2
  exit 2
fi
out=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/flavour.sh"
pick_flavour header-shot >&2 || exit 1
bash "$root/tools/build.sh" --"$FLAVOUR" headerdemo || exit 1
build="$root/build/$FLAVOUR"
command -v import >/dev/null || { echo "header-shot: 'import' (imagemagick) is missing" >&2; exit 1; }
. "$root/tools/wine-env.sh" "$build"
wine_begin || exit 1

log=$(mktemp)
"$WINE" "$build/tools/headerdemo/headerdemo.exe" 6 >"$log" 2>/dev/null &
demo=$!
WINE_STARTED_PIDS+=($demo)
for _ in $(seq 1 300); do
  grep -q dragging "$log" && break
  kill -0 "$demo" 2>/dev/null || break
  sleep 0.1
done
status=1
if grep -q dragging "$log"; then
  # The demo window sits at (40,40) and is 460 x 160; the marker reaches above it.
  import -window root -crop 520x220+10+10 +repage "$out" && status=0 && echo "header-shot: $out"
else
  echo "header-shot: the demo did not reach its drag" >&2
fi
wait "$demo" 2>/dev/null
rm -f "$log"
exit $status
