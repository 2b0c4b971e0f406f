#!/usr/bin/env bash
# The main job: builds the programs and runs the browser driven by the
# reference main client under Wine (on a private Xvfb display when there is no
# DISPLAY). The main client tells each step and each command the browser sends
# it. It runs the flavour of the build that this host can run (tools/flavour.sh).
#   main-job.sh [--scenario FILE] [--seconds N] [--shots DIR]
# With a display of your own it runs until you close the browser. On Xvfb it
# plays the scenario, photographs both modes into build/<flavour>/run/shots
# (or DIR), runs N more seconds (default 10), closes the browser and prints the
# pictures' paths. Bad options or a bad scenario end it with exit code 2
# before the browser starts; otherwise its exit code is the main client's.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
usage="usage: main-job.sh [--scenario FILE] [--seconds N] [--shots DIR]"
refuse() {
  echo "main-job: $1" >&2
  exit 2
}
seconds=10
scenario=""
shots=""
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds|--scenario|--shots) [ $# -ge 2 ] || refuse "$1 needs a value; $usage" ;;&
    --seconds)
      [[ $2 =~ ^[0-9]{1,6}$ ]] || refuse "--seconds takes a whole number, not \"$2\""
      seconds=$2; shift 2 ;;
    --scenario)
      [ -f "$2" ] && [ -r "$2" ] || refuse "$2: cannot read the scenario"
      scenario=$(cd "$(dirname "$2")" && pwd)/$(basename "$2"); shift 2 ;;
    --shots)
      mkdir -p "$2" 2>/dev/null || refuse "$2: cannot make the folder for the pictures"
      shots=$(cd "$2" && pwd); shift 2 ;;
    *) refuse "unknown option \"$1\"; $usage" ;;
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
[ -z "$shots" ] && [ -z "$had_display" ] && shots="$run/shots" && mkdir -p "$shots"
client_exe="$build/tools/mainclient/mainclient.exe"
args=(--workdir "$("$WINE" winepath -w "$run" 2>/dev/null)")
# The scenario keeps its Unix path, so that a bad line is named as the user
# wrote it: Windows programs read "/x/y" on the current drive, and the run
# folder, the current one, is on the drive that holds the whole file system.
[ -n "$scenario" ] && args+=(--scenario "$scenario")
cd "$run"
"$WINE" "$client_exe" --check "${args[@]}" || exit 2

transcript="$run/transcript.fifo"
rm -f "$transcript"
mkfifo "$transcript" || exit 1
"$WINE" "$client_exe" "${args[@]}" >"$transcript" &
client=$!
WINE_STARTED_PIDS+=($client)
mode="$build/tools/browsermode/browsermode.exe"
shots_taken=""
closing=""
status=0
# The transcript passes through; once the scenario is played, the pictures
# are taken, and on Xvfb the browser is closed N seconds later.
hung=""
while :; do
  if [ -n "$closing" ]; then
    IFS= read -r -t 30 line
  else
    IFS= read -r line
  fi
  got=$?
  [ $got -gt 128 ] && hung=1
  [ $got -eq 0 ] || break
  line=${line%$'\r'}
  printf '%s\n' "$line"
  [ "$line" = "== scenario played" ] || continue
  played=$SECONDS
  if [ -n "$shots" ]; then
    if bash "$root/tools/screenshots.sh" "$shots" "$build" >/dev/null; then
      shots_taken=1
    else
      echo "main-job: the screenshots failed" >&2
      status=1
    fi
  fi
  if [ -z "$had_display" ]; then
    left=$((seconds - (SECONDS - played)))
    [ $left -gt 0 ] && sleep "$left"
    timeout 30 "$WINE" "$mode" close >/dev/null 2>&1
    closing=1
  fi
done <"$transcript"
rm -f "$transcript"
if [ -n "$hung" ]; then
  echo "main-job: the browser did not close within 30 s; stopped" >&2
  exit 1
fi
wait "$client" || status=$?
if [ -n "$shots_taken" ]; then
  echo "main-job: web mode:   $shots/web-mode.png"
  echo "main-job: lobby mode: $shots/lobby-mode.png"
fi
exit $status
