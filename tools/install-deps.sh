#!/usr/bin/env bash
# Installs what the builds and the Wine tests need on Debian 12; skips what is
# already there, so it is cheap to run every time.
set -eu
packages=(cmake make g++ googletest libbenchmark-dev file python3 clang libclang-rt-14-dev
          g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
          g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
          wine wine32:i386 wine64 fonts-wine fonts-liberation xvfb xauth imagemagick locales)
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi
# A mirror caught mid-sync fails one index; the packages usually still come
# from the others, so a failed update is retried and then tolerated.
update() {
  for attempt in 1 2 3; do
    apt-get update -qq && return 0
    echo "install-deps: package index update failed (attempt $attempt)" >&2
    sleep 10
  done
}
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  update
  # Without one architecture's update index the two architectures' versions
  # of a library disagree; the release's own versions agree.
  apt-get install -y -qq "${missing[@]}" >/dev/null ||
    apt-get install -y -qq -t "$(. /etc/os-release && echo "$VERSION_CODENAME")" "${missing[@]}" >/dev/null
elif [ -n "${need_update:-}" ]; then
  update
fi
