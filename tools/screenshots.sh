#!/usr/bin/env bash
# Screenshots of a running browser in both of its modes.
#   screenshots.sh OUT_DIR BUILD_DIR
# Needs DISPLAY and the Wine environment of BUILD_DIR (WINEPREFIX), with the
# browser already running there. Writes OUT_DIR/web-mode.png and
# OUT_DIR/lobby-mode.png and leaves the browser in web mode.
set -u
if [ $# -ne 2 ]; then
  echo "usage: screenshots.sh OUT_DIR BUILD_DIR" >&2
  exit 2
fi
out=$1
build=$(cd "$2" && pwd)
mode="$build/tools/browsermode/browsermode.exe"
# The Wine of the build's flavour; the prefix is the caller's.
. "$(dirname "$0")/wine-env.sh" "$build"
[ -n "${DISPLAY:-}" ] || { echo "screenshots: no DISPLAY" >&2; exit 1; }
[ -f "$mode" ] || { echo "screenshots: $mode is not built (target browsermode)" >&2; exit 1; }
command -v import >/dev/null || { echo "screenshots: 'import' (imagemagick) is missing" >&2; exit 1; }
mkdir -p "$out"

# Waits for the browser's window; the program answers 1 while there is none.
switch_mode() {
  local i
  for i in $(seq 1 30); do
    timeout 30 "$WINE" "$mode" "$1" && return 0
    sleep 1
  done
  echo "screenshots: no browser window" >&2
  return 1
}

# The window sits at (0,0) and is 688x532.
shoot() {
  sleep 2
  import -window root -crop 688x532+0+0 +repage "$out/$1" || return 1
  echo "screenshots: $out/$1"
}

switch_mode web && shoot web-mode.png || exit 1
switch_mode lobby && shoot lobby-mode.png || exit 1
switch_mode web
exit 0
