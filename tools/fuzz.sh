#!/usr/bin/env bash
# Builds the fuzz build (build/fuzz: clang, libFuzzer, AddressSanitizer, UBSan)
# and runs every fuzz target: first over its committed seeds
# (tests/fuzz/corpus/NAME), then for SECONDS of fuzzing (default 20) each,
# with the options of tests/fuzz/NAME.options when there is one.
#   fuzz.sh [SECONDS]
# New inputs go to build/fuzz/corpus/NAME, never into the committed seeds; an
# input that fails is kept as build/fuzz/artifacts/NAME-crash-... and named here.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
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

status=0
while read -r name; do
  [ -n "$name" ] || continue
  program="$build/tests/fuzz/$name"
  mkdir -p "$build/corpus/$name" "$build/artifacts"
  options=(-max_len=4096 -timeout=10 -rss_limit_mb=1024 -print_final_stats=1
           "-artifact_prefix=$build/artifacts/$name-")
  [ -f "$seeds/$name.dict" ] && options+=("-dict=$seeds/$name.dict")
  # A target's own options (a shorter -max_len for a slow one) come last and win.
  [ -f "$seeds/$name.options" ] && read -r -a own <"$seeds/$name.options" && options+=("${own[@]}")
  output="$build/$name.log"
  if ! "$program" "${options[@]}" -runs=0 "$seeds/corpus/$name" >"$output" 2>&1 ||
     ! "$program" "${options[@]}" -max_total_time="$seconds" "$build/corpus/$name" "$seeds/corpus/$name" \
       >>"$output" 2>&1; then
    tail -n 40 "$output"
    echo "fuzz: $name FAILED (log $output)"
    status=1
    continue
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$output" | tail -n 1)
  echo "fuzz: $name passed $runs runs in ${seconds}s over its seeds and $(ls "$build/corpus/$name" | wc -l) new inputs"
done <"$build/fuzz_targets.txt"
exit $status
