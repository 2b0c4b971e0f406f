#!/usr/bin/env bash
# Configures and builds: build/win32 (the 32-bit programs we ship), build/win64
# (the same code for 64-bit Windows) and build/native.
#   build.sh                       all three
#   build.sh --win32|--win64 [T...] that Windows build, or only its targets T
#   build.sh --native              the native build
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=${JOBS:-2}
mkdir -p "$root/build"
# Each build logs to a file of its own, so that two can run at once.
quiet() {
  local log="$root/build/build-$1.log"
  shift
  "$@" >"$log" 2>&1 || { cat "$log"; return 1; }
}

windows() {
  quiet "$1" cmake -S "$root" -B "$root/build/$1" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw${1#win}.cmake" \
        -DCMAKE_BUILD_TYPE=Release
  local targets=()
  for t in "${@:2}"; do targets+=(--target "$t"); done
  quiet "$1" cmake --build "$root/build/$1" -j"$jobs" "${targets[@]}"
}

native() {
  quiet native cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Debug
  quiet native cmake --build "$root/build/native" -j"$jobs"
}

case "${1:-}" in
  --win32|--win64)
    flavour=${1#--}
    shift
    windows "$flavour" "$@"
    ;;
  --native)
    native
    ;;
  *)
    windows win32
    windows win64
    native
    echo "build: all three builds built"
    ;;
esac
