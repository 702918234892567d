#!/usr/bin/env bash
# Renders the desktop icon's PNG sizes from its SVG into dist/icons/hicolor/NxN/apps/.
# The PNGs are committed; run this again after changing the SVG.
# Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."
svg=dist/icons/hicolor/scalable/apps/io.github.harukakitami.tarvel.svg
for size in 16 32 48 64 128 256; do
  out=dist/icons/hicolor/${size}x${size}/apps/io.github.harukakitami.tarvel.png
  mkdir -p "$(dirname "$out")"
  rsvg-convert --width "$size" --height "$size" --format png "$svg" --output "$out"
done
