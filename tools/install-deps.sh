#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
# Usage: tools/install-deps.sh [linux|windows|all]   (default: all)
set -euo pipefail

linux_packages=(
  cmake g++ make pkg-config
  libgtest-dev
  libsdl2-dev libsdl2-ttf-dev libfontconfig-dev libpng-dev
  fonts-ipafont-gothic
  xvfb xauth xdotool x11-utils imagemagick openbox
  clang-14 libclang-rt-14-dev
  binutils-mingw-w64-x86-64 python3
)
windows_packages=(
  g++-mingw-w64-x86-64-posix
  wine64 locales
)

case "${1:-all}" in
  linux) wanted=("${linux_packages[@]}") ;;
  windows) wanted=("${windows_packages[@]}") ;;
  all) wanted=("${linux_packages[@]}" "${windows_packages[@]}") ;;
  *) echo "usage: $0 [linux|windows|all]" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
