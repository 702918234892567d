#!/usr/bin/env bash
# Renders the desktop icon's PNG sizes from its SVG into dist/icons/hicolor/NxN/apps/, and
# the Windows icon dist/windows/tarvel.ico (16 to 64 px as bitmaps, 256 px as PNG, as
# Explorer and the Start menu pick them) that the installer carries for its shortcut and
# its entry in the installed programs.
# The results are committed; run this again after changing the SVG.
# Needs rsvg-convert and icotool (Debian packages librsvg2-bin and icoutils).
set -euo pipefail
cd "$(dirname "$0")/.."
# The icon is named after the app ID (dist/CMakeLists.txt): the one SVG gives the name.
svgs=(dist/icons/hicolor/scalable/apps/*.svg)
if [ "${#svgs[@]}" -ne 1 ]; then echo "make-icons.sh: expected one SVG, found ${svgs[*]}" >&2; exit 1; fi
svg=${svgs[0]}
id=$(basename "$svg" .svg)
for size in 16 32 48 64 128 256; do
  out=dist/icons/hicolor/${size}x${size}/apps/$id.png
  mkdir -p "$(dirname "$out")"
  rsvg-convert --width "$size" --height "$size" --format png "$svg" --output "$out"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
small=()
for size in 16 24 32 48 64; do
  rsvg-convert --width "$size" --height "$size" --format png "$svg" --output "$work/$size.png"
  small+=("$work/$size.png")
done
rsvg-convert --width 256 --height 256 --format png "$svg" --output "$work/256.png"
mkdir -p dist/windows
icotool --create --output dist/windows/tarvel.ico "${small[@]}" --raw="$work/256.png"
