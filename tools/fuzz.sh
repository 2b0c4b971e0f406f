#!/usr/bin/env bash
# Builds the fuzz build (build/fuzz: clang, libFuzzer, AddressSanitizer, UBSan)
# and runs every fuzz target, JOBS (default 2) at a time: first over its
# committed seeds (tests/fuzz/corpus/NAME), then for SECONDS of fuzzing
# (default 20) each, with the options of tests/fuzz/NAME.options when there is one.
#   fuzz.sh [SECONDS]
#   fuzz.sh --build      only builds them
# New inputs go to build/fuzz/corpus/NAME, never into the committed seeds; an
# input that fails is kept as build/fuzz/artifacts/NAME-crash-... and named here.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build_only=""
[ "${1:-}" = --build ] && build_only=1 && shift
seconds=${1:-20}
jobs=${JOBS:-2}
build="$root/build/fuzz"
seeds="$root/tests/fuzz"
mkdir -p "$build"
log="$build/build.log"
quiet() { "$@" >"$log" 2>&1 || { cat "$log"; return 1; }; }
quiet cmake -S "$root" -B "$build" -DFUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
quiet cmake --build "$build" -j"$jobs"
[ -z "$build_only" ] || exit 0

# One target: its seeds, then SECONDS of fuzzing; prints one line.
fuzz_target() {
  local name=$1 program="$build/tests/fuzz/$1" output="$build/$1.log" options own runs
  mkdir -p "$build/corpus/$name" "$build/artifacts"
  options=(-max_len=4096 -timeout=10 -rss_limit_mb=1024 -print_final_stats=1
           "-artifact_prefix=$build/artifacts/$name-")
  [ -f "$seeds/$name.dict" ] && options+=("-dict=$seeds/$name.dict")
  # A target's own options (a shorter -max_len for a slow one) come last and win.
  [ -f "$seeds/$name.options" ] && read -r -a own <"$seeds/$name.options" && options+=("${own[@]}")
  if ! "$program" "${options[@]}" -runs=0 "$seeds/corpus/$name" >"$output" 2>&1 ||
     ! "$program" "${options[@]}" -max_total_time="$seconds" "$build/corpus/$name" "$seeds/corpus/$name" \
       >>"$output" 2>&1; then
    tail -n 40 "$output"
    echo "fuzz: $name FAILED (log $output)"
    return 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$output" | tail -n 1)
  echo "fuzz: $name passed $runs runs in ${seconds}s over its seeds and $(ls "$build/corpus/$name" | wc -l) new inputs"
}

# JOBS targets at a time (two on this project's 2-core machines).
status=0
running=0
while read -r name; do
  [ -n "$name" ] || continue
  fuzz_target "$name" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n || status=1
    running=$((running - 1))
  fi
done <"$build/fuzz_targets.txt"
while [ "$running" -gt 0 ]; do
  wait -n || status=1
  running=$((running - 1))
done
exit $status
