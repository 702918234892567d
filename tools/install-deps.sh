#!/usr/bin/env bash
# Installs the Debian packages one purpose needs, only those missing.
# Usage: tools/install-deps.sh run|windows|package|arm64|release|test|coverage
#   run      build the game and play it
#   windows  cross-compile tarvel.exe
#   package  build the game and its Debian package
#   arm64    build the Debian package for ARM
#   release  all of the above, the Windows installer and zip, and the source tarball
#   test     all of the above and everything the tests use
#   coverage the tests and gcovr, which reports what they reach
set -euo pipefail

# Each package is named once, in the list of the first purpose that needs it.
tools=(cmake make git)   # git: the build's time stamps are the commit's date
game=(
  g++ pkg-config
  libsdl2-dev libsdl2-ttf-dev libfontconfig-dev libx11-dev
  binutils-mingw-w64-x86-64   # windres compiles the resource script for the Linux build too
  fonts-ipafont-gothic
)
windows=(g++-mingw-w64-x86-64-posix)
package=(dpkg-dev file)
arm64=(debootstrap python3)  # the arm64 package is built in a Debian 12 chroot of its own
release=(
  wixl           # builds the installer
  faketime msitools  # the installer's time and package code, the same in every build
)
tests=(
  libgtest-dev libpng-dev
  xvfb openbox xdotool   # the X harness: a private server, a window manager, mouse and keys
  x11-utils              # xmessage, another program's window in the failure tests
  x11-xserver-utils libxss1  # xset and the screen saver's state, for the idle program
  weston xwayland        # a Wayland compositor and its X server
  fontconfig             # fc-list: a font without Japanese for the failure tests
  clang libclang-rt-dev  # the fuzzer: clang 14 on Debian 12, 19 on Debian 13
  wine64 locales
  desktop-file-utils appstream lintian
  qemu-user-static       # the arm64 program, installed in a chroot, run on this machine
)
coverage=(gcovr)

case "${1:-}" in
  run) wanted=("${tools[@]}" "${game[@]}") ;;
  windows) wanted=("${tools[@]}" "${windows[@]}") ;;
  package) wanted=("${tools[@]}" "${game[@]}" "${package[@]}") ;;
  arm64) wanted=("${tools[@]}" "${arm64[@]}") ;;
  release) wanted=("${tools[@]}" "${game[@]}" "${windows[@]}" "${package[@]}" "${arm64[@]}" "${release[@]}") ;;
  test) wanted=("${tools[@]}" "${game[@]}" "${windows[@]}" "${package[@]}" "${arm64[@]}" "${release[@]}"
                "${tests[@]}") ;;
  coverage) wanted=("${tools[@]}" "${game[@]}" "${windows[@]}" "${package[@]}" "${arm64[@]}" "${release[@]}"
                    "${tests[@]}" "${coverage[@]}") ;;
  *) echo "usage: $0 run|windows|package|arm64|release|test|coverage" >&2; exit 2 ;;
esac

missing=()
for name in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$name")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
