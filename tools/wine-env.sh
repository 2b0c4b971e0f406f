# Sourced by the Wine scripts: sandboxed prefixes per build directory, run by
# the Wine of the build's flavour (32- or 64-bit), a private X display when
# there is none, and cleanup of everything started here.
#   . wine-env.sh BUILD_DIR [LANE] ; wine_begin ; ... ; (wine_end runs on exit)
# Scripts start Windows programs with "$WINE", the flavour's loader.
#
# Lanes: the Windows tests run in two lanes at once (ctest -j2), each with its
# own prefix, display and wineserver, because tests share HKLM, the window
# list and the pointer. tools/wine-session.sh brings a lane's session up once
# for the whole test run; wine_begin then joins it instead of starting its own.

WINE_BUILD_DIR=$(cd "$1" && pwd)
WINE_LANE=${2:-1}
. "$(dirname "${BASH_SOURCE[0]}")/flavour.sh"
# The build says which flavour it is (CMakeLists.txt writes the file).
WINE_BUILD_FLAVOUR=$(cat "$WINE_BUILD_DIR/wine-flavour" 2>/dev/null || echo win32)
# Lane 1 keeps the prefix that the main job and the demos use.
if [ "$WINE_LANE" = 1 ]; then
  export WINEPREFIX="$WINE_BUILD_DIR/wineprefix"
else
  export WINEPREFIX="$WINE_BUILD_DIR/wineprefix$WINE_LANE"
fi
WINE_SESSION_FILE="$WINE_BUILD_DIR/wine-session/$WINE_LANE"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=$WINE_BUILD_FLAVOUR
WINE=$(wine_loader "$WINE_BUILD_FLAVOUR")
# Processes that Wine starts itself take the same loader.
[ "$WINE_BUILD_FLAVOUR" = win64 ] && export WINELOADER=$WINE
# No runtime installer may wait for a click; the HTML engine stays enabled.
export WINEDLLOVERRIDES="mscoree="
WINE_STARTED_PIDS=()
WINE_IN_SESSION=""
# What a prefix is made with; a prefix made otherwise is made again.
WINE_PREFIX_RECIPE="sandboxed, unmanaged windows, no crash dialog"

# Replace the prefix's links into the real home directory with plain folders,
# so that nothing a test does can reach the user's files.
wine_sandbox() {
  local d
  for d in "$WINEPREFIX"/drive_c/users/*/*; do
    if [ -L "$d" ]; then rm -f "$d" && mkdir -p "$d"; fi
  done
}

wine_prefix_ready() { [ "$(cat "$1/.sandboxed" 2>/dev/null)" = "$WINE_PREFIX_RECIPE" ]; }

# Makes the lane's prefix when it is missing or made by an older recipe. A
# second lane copies the first lane's fresh prefix, which is much quicker than
# making one.
wine_prefix() {
  local first="$WINE_BUILD_DIR/wineprefix"
  exec 9>"$WINE_BUILD_DIR/wineprefix.lock"
  flock -w 300 9 || { echo "wine-env: prefix lock timed out" >&2; return 1; }
  if ! wine_prefix_ready "$WINEPREFIX"; then
    rm -rf "$WINEPREFIX"
    if [ "$WINEPREFIX" != "$first" ] && wine_prefix_ready "$first"; then
      cp -a "$first" "$WINEPREFIX"
    else
      timeout 300 "$WINE" wineboot -i >/dev/null 2>&1
      # Without a window manager Wine waits 2 s for one whenever a window
      # closes or comes to the front; unmanaged windows need none.
      timeout 60 "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
      # A crashed test program is reported by its test; the debugger's dialog
      # would outlive it in a shared session.
      timeout 60 "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
      timeout 60 wineserver -w
      wine_sandbox
    fi
    if [ ! -d "$WINEPREFIX/drive_c" ]; then
      echo "wine-env: wineboot made no prefix in $WINEPREFIX" >&2
      flock -u 9
      return 1
    fi
    echo "$WINE_PREFIX_RECIPE" >"$WINEPREFIX/.sandboxed" || return 1
  fi
  flock -u 9
}

# A private display, found free and held: a number another script took at the
# same moment is passed over. With "detached", the server outlives this script.
wine_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n=90 pid i
  while [ $n -lt 190 ]; do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      if [ "${1:-}" = detached ]; then
        setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
      else
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      fi
      pid=$!
      for i in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        if [ -e "/tmp/.X11-unix/X$n" ] && [ "$(tr -d ' ' <"/tmp/.X$n-lock" 2>/dev/null)" = "$pid" ]; then
          WINE_STARTED_PIDS+=("$pid")
          export DISPLAY=":$n"
          return 0
        fi
        sleep 0.1
      done
      kill "$pid" 2>/dev/null
    fi
    n=$((n + 1))
  done
  echo "wine-env: Xvfb did not start" >&2
  return 1
}

# The Wine programs still running in this lane's prefix, one "pid command line"
# a line; Wine's own system processes (C:\windows\...) are not counted.
wine_leftovers() {
  local p cmd
  for p in /proc/[0-9]*; do
    grep -qzx "WINEPREFIX=$WINEPREFIX" "$p/environ" 2>/dev/null || continue
    cmd=$(tr '\0' ' ' <"$p/cmdline" 2>/dev/null)
    case "$cmd" in
      [Cc]:\\[Ww]indows\\*) ;;
      [A-Za-z]:\\*) echo "${p#/proc/} $cmd" ;;
    esac
  done
}

wine_end() {
  local p
  if [ -z "$WINE_IN_SESSION" ]; then
    timeout 30 wineserver -k >/dev/null 2>&1
  fi
  for p in "${WINE_STARTED_PIDS[@]}"; do
    kill "$p" 2>/dev/null
    wait "$p" 2>/dev/null
  done
  WINE_STARTED_PIDS=()
}

# Joins the lane's session when tools/wine-session.sh has brought it up.
wine_session_join() {
  local display pids p
  [ -f "$WINE_SESSION_FILE" ] || return 1
  read -r display pids <"$WINE_SESSION_FILE" || return 1
  for p in $pids; do kill -0 "$p" 2>/dev/null || return 1; done
  export DISPLAY=$display
  WINE_IN_SESSION=1
}

# WINE_CODEPAGE=932, 936 or 950 runs the programs under that system code page:
# Wine takes it from the Unix locale, made here from the locales' sources
# into the build directory (the host need not have it).
wine_codepage() {
  local name
  case "${WINE_CODEPAGE:-}" in
    "") return 0 ;;
    932) name=ja_JP ;;
    936) name=zh_CN ;;
    950) name=zh_TW ;;
    *) echo "wine-env: no locale for code page $WINE_CODEPAGE" >&2; return 1 ;;
  esac
  export LOCPATH="$WINE_BUILD_DIR/locale" LC_ALL="$name.UTF-8"
  [ -d "$LOCPATH/$LC_ALL" ] && return 0
  mkdir -p "$LOCPATH"
  (
    flock -w 120 8 || exit 1
    [ -d "$LOCPATH/$LC_ALL" ] || localedef -i "$name" -f UTF-8 "$LOCPATH/$LC_ALL"
  ) 8>"$LOCPATH/.lock" || { echo "wine-env: cannot make the locale $LC_ALL (package locales)" >&2; return 1; }
}

wine_check() {
  local why
  if ! why=$(wine_runs "$WINE_BUILD_FLAVOUR"); then
    echo "wine-env: $WINE_BUILD_DIR cannot run here ($why): $(wine_needs "$WINE_BUILD_FLAVOUR")" >&2
    return 1
  fi
}

wine_begin() {
  wine_check || return 1
  wine_codepage || return 1
  trap wine_end EXIT
  trap 'exit 130' INT TERM
  wine_session_join && return 0
  wine_display || return 1
  wine_prefix || return 1
  # Our own server for this run, so that it is stopped by its id at the end.
  wineserver -f -p >/dev/null 2>&1 &
  WINE_STARTED_PIDS+=($!)
}
