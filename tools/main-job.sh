#!/usr/bin/env bash
# The main job: builds the programs and runs the browser driven by the
# reference main client under Wine (on a private Xvfb display when there is no
# DISPLAY). The main client prints every command the browser sends it. It runs
# the flavour of the build that this host can run (tools/flavour.sh).
#   main-job.sh [--scenario FILE] [--seconds N] [--shots DIR]
# With a display of your own it runs until you close the browser; on Xvfb it
# plays the scenario, runs for N more seconds (default 10) and stops.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=10
scenario=""
shots=""
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds=$2; shift 2 ;;
    --scenario) scenario=$(cd "$(dirname "$2")" && pwd)/$(basename "$2"); shift 2 ;;
    --shots) mkdir -p "$2" && shots=$(cd "$2" && pwd); shift 2 ;;
    *) echo "usage: main-job.sh [--scenario FILE] [--seconds N] [--shots DIR]" >&2; exit 2 ;;
  esac
done
had_display=${DISPLAY:-}
bash "$root/tools/install-deps.sh" || exit 1
. "$root/tools/flavour.sh"
pick_flavour main-job || exit 1
bash "$root/tools/build.sh" --"$FLAVOUR" browser mainclient browsermode || exit 1

build="$root/build/$FLAVOUR"
. "$root/tools/wine-env.sh" "$build"
wine_begin || exit 1

run="$build/run"
mkdir -p "$run"
[ -f "$run/main.ini" ] || printf '[main]\r\nname=Quintara Poker\r\n' > "$run/main.ini"
args=(--workdir "$("$WINE" winepath -w "$run" 2>/dev/null)")
[ -n "$scenario" ] && args+=(--scenario "$("$WINE" winepath -w "$scenario" 2>/dev/null)")
[ -z "$had_display" ] && args+=(--seconds "$seconds")
cd "$run"
"$WINE" "$build/tools/mainclient/mainclient.exe" "${args[@]}" &
client=$!
WINE_STARTED_PIDS+=($client)
if [ -n "$shots" ]; then
  sleep 8
  bash "$root/tools/screenshots.sh" "$shots" "$build" || echo "main-job: screenshots failed" >&2
fi
wait "$client"
