# Sourced by the Wine scripts: one sandboxed prefix per build directory, run by
# the Wine of the build's flavour (32- or 64-bit), a private X display when
# there is none, and cleanup of everything started here.
# Usage: . wine-env.sh BUILD_DIR ; then wine_begin ; ... ; (wine_end runs on exit)
# Scripts start Windows programs with "$WINE", the flavour's loader.

WINE_BUILD_DIR=$(cd "$1" && pwd)
. "$(dirname "${BASH_SOURCE[0]}")/flavour.sh"
# The build says which flavour it is (CMakeLists.txt writes the file).
WINE_BUILD_FLAVOUR=$(cat "$WINE_BUILD_DIR/wine-flavour" 2>/dev/null || echo win32)
export WINEPREFIX="$WINE_BUILD_DIR/wineprefix"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=$WINE_BUILD_FLAVOUR
WINE=$(wine_loader "$WINE_BUILD_FLAVOUR")
# Processes that Wine starts itself take the same loader.
[ "$WINE_BUILD_FLAVOUR" = win64 ] && export WINELOADER=$WINE
# No runtime installer may wait for a click; the HTML engine stays enabled.
export WINEDLLOVERRIDES="mscoree="
WINE_STARTED_PIDS=()

# Replace the prefix's links into the real home directory with plain folders,
# so that nothing a test does can reach the user's files.
wine_sandbox() {
  local d
  for d in "$WINEPREFIX"/drive_c/users/*/*; do
    if [ -L "$d" ]; then rm -f "$d" && mkdir -p "$d"; fi
  done
}

wine_prefix() {
  exec 9>"$WINE_BUILD_DIR/wineprefix.lock"
  flock -w 300 9 || { echo "wine-env: prefix lock timed out" >&2; return 1; }
  if [ ! -f "$WINEPREFIX/.sandboxed" ]; then
    rm -rf "$WINEPREFIX"
    timeout 300 "$WINE" wineboot -i >/dev/null 2>&1
    timeout 60 wineserver -w
    if [ ! -d "$WINEPREFIX/drive_c" ]; then
      echo "wine-env: wineboot made no prefix in $WINEPREFIX" >&2
      flock -u 9
      return 1
    fi
    wine_sandbox
    touch "$WINEPREFIX/.sandboxed" || return 1
  fi
  flock -u 9
}

wine_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  WINE_STARTED_PIDS+=($!)
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && return 0
    sleep 0.1
  done
  echo "wine-env: Xvfb did not start" >&2
  return 1
}

wine_end() {
  local p
  timeout 30 wineserver -k >/dev/null 2>&1
  for p in "${WINE_STARTED_PIDS[@]}"; do
    kill "$p" 2>/dev/null
    wait "$p" 2>/dev/null
  done
  WINE_STARTED_PIDS=()
}

wine_begin() {
  local why
  if ! why=$(wine_runs "$WINE_BUILD_FLAVOUR"); then
    echo "wine-env: $WINE_BUILD_DIR cannot run here ($why): $(wine_needs "$WINE_BUILD_FLAVOUR")" >&2
    return 1
  fi
  trap wine_end EXIT
  trap 'exit 130' INT TERM
  wine_display || return 1
  wine_prefix || return 1
  # Our own server for this run, so that it is stopped by its id at the end.
  wineserver -f -p >/dev/null 2>&1 &
  WINE_STARTED_PIDS+=($!)
}
