#!/usr/bin/env bash
# One Wine session per test lane for a whole test run, so that each test
# starts in a running session instead of making its own (about 2 s each).
#   wine-session.sh up BUILD_DIR LANES    a display, the prefix and a wineserver
#                                         for lanes 1..LANES, left running
#   wine-session.sh down BUILD_DIR LANES  stops them by their ids
# ctest runs these as the setup and cleanup fixtures of the Windows tests;
# tools/wine-test.sh joins the session of the lane that ctest gives a test.
set -u
here=$(cd "$(dirname "$0")" && pwd)
action=$1 build=$2 lanes=${3:-2}
status=0
mkdir -p "$build/wine-session"
for lane in $(seq 1 "$lanes"); do
  (
    . "$here/wine-env.sh" "$build" "$lane"
    session=$WINE_SESSION_FILE
    if [ -f "$session" ]; then
      read -r _ pids <"$session"
      timeout 30 wineserver -k >/dev/null 2>&1
      for p in $pids; do kill "$p" 2>/dev/null; done
      rm -f "$session"
    fi
    [ "$action" = down ] && exit 0
    wine_check || exit 1
    unset DISPLAY
    wine_display detached || exit 1
    wine_prefix || { kill "${WINE_STARTED_PIDS[@]}"; exit 1; }
    setsid wineserver -f -p </dev/null >/dev/null 2>&1 &
    WINE_STARTED_PIDS+=($!)
    # Wine's own services start with the first program; start them now.
    timeout 120 "$WINE" cmd /c exit </dev/null >/dev/null 2>&1
    echo "$DISPLAY ${WINE_STARTED_PIDS[*]}" >"$session"
    echo "wine-session: lane $lane on $DISPLAY, prefix $WINEPREFIX"
  ) || status=1
done
exit $status
