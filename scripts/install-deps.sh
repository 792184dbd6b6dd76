#!/usr/bin/env bash
# Installs every Debian package the build and the tests need, and unpacks the
# pugixml source used for the Windows target into build-deps/ (never committed).
# Safe to run again: it only installs what is missing.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
deps="$here/build-deps"

# Beside the build: Xvfb (xvfb), xwd (x11-apps), xwininfo (x11-utils) and xdotool for
# x-screenshot.sh, convert (imagemagick), socat (pty pairs), git (the file
# list of check-format.sh), clang-format.
packages=(
  cmake ninja-build make g++ pkg-config
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine64 xvfb x11-apps x11-utils xdotool imagemagick fonts-wqy-microhei socat git
  libpugixml-dev googletest libgtest-dev libgmock-dev
  dpkg-dev
  clang libclang-rt-14-dev clang-format
)

sudo_() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

need_src=0
[ -f "$deps/pugixml/src/pugixml.cpp" ] || need_src=1

if [ ${#missing[@]} -gt 0 ] || [ $need_src -eq 1 ]; then
  # Source entries are needed for pugixml's source package.
  if [ -f /etc/apt/sources.list.d/debian.sources ] && [ ! -f /etc/apt/sources.list.d/debian-src.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
      | sudo_ tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
  elif [ -f /etc/apt/sources.list ] && ! grep -q '^deb-src' /etc/apt/sources.list 2>/dev/null \
       && [ ! -f /etc/apt/sources.list.d/debian-src.list ]; then
    grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' \
      | sudo_ tee /etc/apt/sources.list.d/debian-src.list >/dev/null
  fi
  sudo_ apt-get update -qq
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_ env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if [ $need_src -eq 1 ]; then
  tmp=$(mktemp -d)
  (cd "$tmp" && apt-get source --download-only pugixml >/dev/null 2>&1)
  tarball=$(ls "$tmp"/pugixml_*.orig.tar.* | head -n 1)
  rm -rf "$deps/pugixml"
  mkdir -p "$deps/pugixml"
  tar -xf "$tarball" -C "$deps/pugixml" --strip-components=1
  rm -rf "$tmp"
fi

echo "dependencies ready"
