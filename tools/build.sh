#!/usr/bin/env bash
# Configures and builds both targets: build/win32 (cross) and build/native.
#   build.sh                 everything, both builds
#   build.sh --win32 T...    only targets T of the Windows build
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=${JOBS:-2}
log="$root/build/build.log"
mkdir -p "$root/build"
quiet() { "$@" >"$log" 2>&1 || { cat "$log"; return 1; }; }

quiet cmake -S "$root" -B "$root/build/win32" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw32.cmake" \
      -DCMAKE_BUILD_TYPE=Release
if [ "${1:-}" = "--win32" ]; then
  shift
  targets=()
  for t in "$@"; do targets+=(--target "$t"); done
  quiet cmake --build "$root/build/win32" -j"$jobs" "${targets[@]}"
  exit 0
fi
quiet cmake --build "$root/build/win32" -j"$jobs"
quiet cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Debug
quiet cmake --build "$root/build/native" -j"$jobs"
echo "build: both targets built"
