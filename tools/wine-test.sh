#!/usr/bin/env bash
# ctest's wrapper for Windows tests: wine-test.sh BUILD_DIR TEST.exe [args...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh" "$1"
shift
wine_begin || exit 1
cd "$(dirname "$1")"
# Inside ctest's own limit; a long benchmark may ask for more.
timeout "${WINE_TEST_TIMEOUT:-540}" "$WINE" "$@"
