#!/usr/bin/env bash
# ctest's wrapper for Windows tests: wine-test.sh BUILD_DIR TEST.exe [args...]
# The test runs in the lane that ctest gives it (resource "lane"; lane 1
# without one), in that lane's session when it is up, and fails if it leaves
# a Wine program running there: the session outlives it. Without the session
# it runs in a session of its own, checked the same way before it is stopped.
set -u
here=$(cd "$(dirname "$0")" && pwd)
lane=1
case "${CTEST_RESOURCE_GROUP_0_LANE:-}" in
  id:*) lane=${CTEST_RESOURCE_GROUP_0_LANE#id:}; lane=${lane%%,*} ;;
esac
. "$here/wine-env.sh" "$1" "$lane"
shift
wine_begin || exit 1
cd "$(dirname "$1")"
# Inside ctest's own limit; a long benchmark may ask for more.
timeout "${WINE_TEST_TIMEOUT:-540}" "$WINE" "$@"
status=$?
# A program on its way out may take a moment to go.
for _ in $(seq 1 50); do
  left=$(wine_leftovers)
  [ -z "$left" ] && exit $status
  sleep 0.1
done
where="the lane's session"
[ -n "$WINE_IN_SESSION" ] || where="its own session"
echo "wine-test: left running in $where (now stopped):" >&2
echo "$left" | sed 's/^/  /' >&2
echo "$left" | while read -r pid _; do kill -9 "$pid" 2>/dev/null; done
exit 1
