#!/usr/bin/env bash
# Screenshot of the report control.
#   report-shot.sh OUT.png
#     a list with columns, grid lines and checks beside a lobby tree with
#     groups and a selection (tools/reportshot)
#   report-shot.sh OUT.png demo [list|tree] [reportdemo options...]
#     the demo's frame with a report view (tools/reportdemo), e.g.
#     report-shot.sh edit.png demo list --select 3 --edit 3 1
#     report-shot.sh tip.png demo tree --select 2 --hover 4 0
# Runs on a private Xvfb display when there is no DISPLAY.
set -u
if [ $# -lt 1 ] || { [ $# -gt 1 ] && [ "$2" != demo ]; }; then
  echo "usage: report-shot.sh OUT.png [demo [list|tree] [reportdemo options...]]" >&2
  exit 2
fi
out=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
shift
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/flavour.sh"
pick_flavour report-shot >&2 || exit 1
build="$root/build/$FLAVOUR"
if [ $# -gt 0 ]; then
  shift
  target=reportdemo
  # In a desktop of Wine's own the frame gets the caption and border that a
  # window manager would draw.
  launch=(explorer /desktop=reportdemo,720x560)
  args=("$@" --seconds 30)
  # A tip fades in over half a second; the frame sits at (40,40), 640 x 480.
  settle=1.5 crop=660x500+30+30
else
  target=reportshot
  launch=()
  args=(6)
  # The window sits at (20,20) and is 600 x 280.
  settle=0.5 crop=620x300+10+10
fi
bash "$root/tools/build.sh" --"$FLAVOUR" "$target" || exit 1
command -v import >/dev/null || { echo "report-shot: 'import' (imagemagick) is missing" >&2; exit 1; }
. "$root/tools/wine-env.sh" "$build"
wine_begin || exit 1

log=$(mktemp)
"$WINE" "${launch[@]}" "$build/tools/$target/$target.exe" "${args[@]}" >"$log" 2>/dev/null &
demo=$!
WINE_STARTED_PIDS+=($demo)
for _ in $(seq 1 300); do
  grep -q ready "$log" && break
  kill -0 "$demo" 2>/dev/null || break
  sleep 0.1
done
status=1
if grep -q ready "$log"; then
  grep -v ready "$log" >&2
  sleep "$settle"
  import -window root -crop "$crop" +repage "$out" && status=0 && echo "report-shot: $out"
else
  echo "report-shot: $target did not get ready" >&2
  cat "$log" >&2
fi
kill "$demo" 2>/dev/null
wait "$demo" 2>/dev/null
rm -f "$log"
exit $status
