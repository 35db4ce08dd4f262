#!/bin/sh
# Makes the pictures of the sample resource libraries that are drawn by
# command (ImageMagick's convert). The older pictures in this folder were made
# by hand and are not made here. Run from anywhere: sh make-art.sh
set -eu
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# entry_icon.ico (32 x 32 and 16 x 16): the tray icon question's picture, the
# printer with the green "ready" status icon on its lower right corner, on a
# transparent ground.
convert printer.bmp -alpha set -fill none -draw "color 0,0 floodfill" "$work/printer.png"
convert "$work/printer.png" \( icon_ready.ico -filter point -resize 16x16 \) -gravity southeast -composite \
  "$work/entry32.png"
convert "$work/entry32.png" -resize 16x16 "$work/entry16.png"
convert "$work/entry32.png" "$work/entry16.png" entry_icon.ico
