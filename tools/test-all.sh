#!/usr/bin/env bash
# The one command that runs every test: installs what is missing, builds all
# three builds, runs the native tests (sanitizers) and the Windows tests (Wine)
# on the flavour this host can run (tools/flavour.sh: the 32-bit programs where
# the host runs 32-bit programs, else the 64-bit flavour; WINE_FLAVOUR forces
# one) in two lanes, then a short run of every fuzz target.
#
# The Windows tests mostly wait on windows and timers, so the other builds
# are compiled and the fuzz targets run, at a lower priority, while they run;
# of the other flavour only the two programs are built.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/install-deps.sh"
. "$root/tools/flavour.sh"
pick_flavour test-all
other=win64
[ "$FLAVOUR" = win64 ] && other=win32
start=$SECONDS
elapsed() { echo "($((SECONDS - start)) s)"; }

bash "$root/tools/build.sh" --"$FLAVOUR"
echo "build: $FLAVOUR built $(elapsed)"
windows_log="$root/build/windows-tests.log"
(cd "$root/build/$FLAVOUR" &&
   ctest --output-on-failure -j2) >"$windows_log" 2>&1 &
windows=$!

status=0
nice -n 10 bash "$root/tools/build.sh" --native || status=1
# The other flavour's two programs; its tests and tools are built and run on
# the hosts that pick it.
nice -n 10 bash "$root/tools/build.sh" --"$other" browser uninstaller || status=1
nice -n 10 bash "$root/tools/fuzz.sh" --build || status=1
echo "build: native, $other programs and fuzz built $(elapsed)"
echo "== native tests (AddressSanitizer, UBSan)"
(cd "$root/build/native" && ctest --output-on-failure -j2) || status=1
# The fuzz targets run while the Windows tests still wait on their windows.
echo "== fuzz targets (libFuzzer, 10 s each, two at a time)"
nice -n 10 bash "$root/tools/fuzz.sh" 10 || status=1
echo "$(elapsed)"

echo "== Windows tests ($FLAVOUR, Wine, two lanes)"
wait "$windows" || status=1
cat "$windows_log"
echo "test-all: done $(elapsed)"
exit $status
