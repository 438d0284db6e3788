#!/usr/bin/env bash
# Renders the program icon and the splash picture from their SVG drawings into
# the PNG files kept in icons/ (run again after changing a drawing; needs
# rsvg-convert from librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../icons"
command -v rsvg-convert >/dev/null || { echo "rsvg-convert missing: apt install librsvg2-bin" >&2; exit 1; }
mkdir -p png
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" kordavina.svg -o "png/kordavina-$size.png"
done
# The splash embeds the icon's drawing by a relative reference.
rsvg-convert -w 450 -h 250 splash.svg -o png/splash.png
# The Windows icon (program and .upl file type): the same pictures as PNG entries.
python3 ../scripts/make-ico.py kordavina.ico png/kordavina-{16,24,32,48,64,128,256}.png
