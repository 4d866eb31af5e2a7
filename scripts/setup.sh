#!/usr/bin/env bash
# Installs what the build and the tests need (Debian packages), when something is missing.
#   setup.sh           the Linux build and its tests
#   setup.sh windows   also the Windows cross-build (mingw-w64) and its tests under Wine
set -euo pipefail
packages=(build-essential cmake g++ libgtest-dev googletest libgmock-dev libbenchmark-dev libncurses-dev
          tmux cups-client pkg-config libcairo2-dev libfreetype-dev libfontconfig-dev
          fonts-dejavu-core fonts-dejavu-extra poppler-utils libcups2-dev cups printer-driver-cups-pdf)
if [ "${1:-}" = windows ]; then
  packages+=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64 wine64 wine xvfb xauth
             fonts-wine fonts-liberation imagemagick ghostscript)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
