#!/usr/bin/env bash
# The one command that runs every test: installs what is missing, builds all
# three builds, runs the native tests (sanitizers) and the Windows tests (Wine)
# on the flavour this host can run (tools/flavour.sh: the 32-bit programs where
# the host runs 32-bit programs, else the 64-bit flavour; WINE_FLAVOUR forces
# one), then a short run of every fuzz target.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/install-deps.sh"
. "$root/tools/flavour.sh"
pick_flavour test-all
bash "$root/tools/build.sh"
status=0
echo "== native tests (AddressSanitizer, UBSan)"
(cd "$root/build/native" && ctest --output-on-failure -j2) || status=1
echo "== Windows tests ($FLAVOUR, Wine)"
(cd "$root/build/$FLAVOUR" && ctest --output-on-failure) || status=1
echo "== fuzz targets (libFuzzer, 20 s each)"
bash "$root/tools/fuzz.sh" 20 || status=1
exit $status
