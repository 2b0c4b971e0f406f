#!/usr/bin/env bash
# Installs what the builds and the Wine tests need on Debian 12; skips what is
# already there, so it is cheap to run every time.
set -eu
packages=(cmake make g++ googletest libbenchmark-dev file python3 clang libclang-rt-14-dev
          g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-tools
          wine wine32:i386 wine64 fonts-wine fonts-liberation xvfb xauth imagemagick)
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
elif [ -n "${need_update:-}" ]; then
  apt-get update -qq
fi
