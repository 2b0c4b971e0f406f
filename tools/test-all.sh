#!/usr/bin/env bash
# The one command that runs every test: installs what is missing, builds both
# targets, runs the native tests (sanitizers) and the Windows tests (Wine), then
# a short run of every fuzz target.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/install-deps.sh"
bash "$root/tools/build.sh"
status=0
echo "== native tests (AddressSanitizer, UBSan)"
(cd "$root/build/native" && ctest --output-on-failure -j2) || status=1
echo "== Windows tests (Wine)"
(cd "$root/build/win32" && ctest --output-on-failure) || status=1
echo "== fuzz targets (libFuzzer, 20 s each)"
bash "$root/tools/fuzz.sh" 20 || status=1
exit $status
