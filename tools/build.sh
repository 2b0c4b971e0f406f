#!/usr/bin/env bash
# Configures and builds every target: build/win32 (the 32-bit programs we
# ship), build/win64 (the same code for 64-bit Windows) and build/native.
#   build.sh                       everything, all three builds
#   build.sh --win32|--win64 T...  only targets T of that Windows build
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=${JOBS:-2}
log="$root/build/build.log"
mkdir -p "$root/build"
quiet() { "$@" >"$log" 2>&1 || { cat "$log"; return 1; }; }

windows() {
  quiet cmake -S "$root" -B "$root/build/$1" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw${1#win}.cmake" \
        -DCMAKE_BUILD_TYPE=Release
  local targets=()
  for t in "${@:2}"; do targets+=(--target "$t"); done
  quiet cmake --build "$root/build/$1" -j"$jobs" "${targets[@]}"
}

case "${1:-}" in
  --win32|--win64)
    flavour=${1#--}
    shift
    windows "$flavour" "$@"
    exit 0
    ;;
esac
windows win32
windows win64
quiet cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Debug
quiet cmake --build "$root/build/native" -j"$jobs"
echo "build: all three builds built"
