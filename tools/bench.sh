#!/usr/bin/env bash
# Builds and runs every benchmark under Wine, on the flavour this host can run
# (tools/flavour.sh), one after the other, and prints
# one table: each figure beside its anchor measured in the same run, the ratio
# and the target. A benchmark's own lines go to build/bench/NAME.log.
#   bench.sh [NAME...]     NAME: one of the benchmarks below (default: all)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/flavour.sh"
pick_flavour bench >&2 || exit 1
build="$root/build/$FLAVOUR"
out="$root/build/bench"

# name  target  program (under the build) and its arguments
benchmarks=(
  "uninstaller uninstaller_bench tests/uninstaller/uninstaller_bench.exe"
  "tree_inserts report_bench tests/controls/report/report_bench.exe"
  "repaint report_repaint_bench tests/controls/report/report_repaint_bench.exe"
  "access report_access_bench tests/controls/report/report_access_bench.exe"
  "access_joins report_access_bench tests/controls/report/report_access_bench.exe --joins"
  "lobby lobby_bench tests/lobby/lobby_bench.exe"
)

chosen=()
for b in "${benchmarks[@]}"; do
  read -r name _ _ <<<"$b"
  if [ $# -eq 0 ] || [[ " $* " == *" $name "* ]]; then chosen+=("$b"); fi
done
[ ${#chosen[@]} -gt 0 ] || { echo "bench: no benchmark named $*" >&2; exit 2; }

targets=()
for b in "${chosen[@]}"; do
  read -r _ target _ <<<"$b"
  [[ " ${targets[*]} " == *" $target "* ]] || targets+=("$target")
done
bash "$root/tools/build.sh" --"$FLAVOUR" "${targets[@]}" || exit 1
mkdir -p "$out"

status=0
rows=()
for b in "${chosen[@]}"; do
  read -r name _ program args <<<"$b"
  echo "bench: running $name" >&2
  # shellcheck disable=SC2086 # the arguments are words
  if ! WINE_TEST_TIMEOUT=3600 bash "$root/tools/wine-test.sh" "$build" "$build/$program" $args >"$out/$name.log" 2>"$out/$name.err"; then
    echo "bench: $name FAILED (see $out/$name.log)" >&2
    status=1
  fi
  while IFS= read -r line; do rows+=("$line"); done < <(tr -d '\r' <"$out/$name.log" | grep '^bench-row')
done

# One table, columns as wide as their widest cell.
{
  printf 'bench-row\tbenchmark\tours\tanchor\tratio\ttarget\n'
  printf '%s\n' "${rows[@]}"
} | awk -F'\t' '
  { for (i = 2; i <= NF; i++) { cell[NR, i] = $i; if (length($i) > w[i]) w[i] = length($i) } n = NR; f = NF }
  END {
    for (r = 1; r <= n; r++) {
      line = ""
      for (i = 2; i <= f; i++) line = line sprintf("%-*s  ", w[i], cell[r, i])
      sub(/ +$/, "", line); print line
      if (r == 1) { rule = ""; for (i = 2; i <= f; i++) rule = rule sprintf("%s  ", substr("----------------------------------------------------------------------", 1, w[i])); sub(/ +$/, "", rule); print rule }
    }
  }'
exit $status
