#!/usr/bin/env bash
# Makes the pictures of the sample resources that are drawn by commands
# (ImageMagick's convert); the older pictures of this folder were made by hand.
# Run from anywhere: ./make-art.sh [SECTION...]; without arguments every
# section is made again. The results are checked in, so a build needs none of this.
set -euo pipefail
cd "$(dirname "$0")"
sections=${*:-prefs}

# Windows bitmaps without an alpha channel or colour-space chunks, as windres
# and LoadImage take them.
# bmp INPUT-AND-OPTIONS... OUTPUT
bmp() { convert "${@:1:$#-1}" -alpha off -type TrueColor "BMP3:${@: -1}"; }

prefs() {
  local tmp
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' RETURN

  # 400: the state images of the notification list, 16 x 16 each, on the
  # mask colour (0,0,128): 0 a bell that is off (grey, struck through),
  # 1 a bell that rings (amber, with sound waves).
  local bell='path "M8,2 C5,2 4,4 4,7 L4,10 L2.5,12 L13.5,12 L12,10 L12,7 C12,4 11,2 8,2 Z"'
  convert -size 16x16 xc:'rgb(0,0,128)' \
    -fill 'rgb(160,160,160)' -stroke 'rgb(96,96,96)' -strokewidth 1 -draw "$bell" \
    -fill 'rgb(96,96,96)' -stroke none -draw 'rectangle 7,13 9,14' \
    -stroke 'rgb(200,0,0)' -strokewidth 2 -draw 'line 2,14 14,2' "$tmp/off.png"
  convert -size 16x16 xc:'rgb(0,0,128)' \
    -fill 'rgb(255,190,0)' -stroke 'rgb(150,90,0)' -strokewidth 1 -draw "$bell" \
    -fill 'rgb(150,90,0)' -stroke none -draw 'rectangle 7,13 9,14' "$tmp/on.png"
  bmp "$tmp/off.png" "$tmp/on.png" +append -filter point notify_states.bmp

  # 611: the taskbar icon of the tray group; 612: the loudspeaker of the sound box.
  convert -size 16x16 xc:none \
    -fill 'rgb(58,110,165)' -stroke 'rgb(20,50,90)' -draw 'rectangle 0,9 15,15' \
    -fill 'rgb(212,208,200)' -stroke 'rgb(128,128,128)' -draw 'rectangle 8,10 14,14' \
    -fill 'rgb(30,160,90)' -stroke none -draw 'rectangle 10,11 12,13' \
    -fill 'rgb(255,255,255)' -stroke 'rgb(90,90,90)' -draw 'rectangle 2,1 12,7' \
    -fill 'rgb(90,90,90)' -stroke none -draw 'rectangle 4,3 10,3' -draw 'rectangle 4,5 8,5' \
    "$tmp/tray16.png"
  convert -size 32x32 xc:none \
    -fill 'rgb(58,110,165)' -stroke 'rgb(20,50,90)' -strokewidth 2 -draw 'rectangle 1,18 30,30' \
    -fill 'rgb(212,208,200)' -stroke 'rgb(128,128,128)' -draw 'rectangle 16,20 28,28' \
    -fill 'rgb(30,160,90)' -stroke none -draw 'rectangle 20,22 24,26' \
    -fill 'rgb(255,255,255)' -stroke 'rgb(90,90,90)' -draw 'rectangle 4,2 24,14' \
    -fill 'rgb(90,90,90)' -stroke none -draw 'rectangle 8,6 20,7' -draw 'rectangle 8,10 16,11' \
    "$tmp/tray32.png"
  convert "$tmp/tray16.png" "$tmp/tray32.png" tray_group.ico
  convert -size 16x16 xc:none \
    -fill 'rgb(70,70,70)' -stroke none -draw 'rectangle 1,5 4,10' -draw 'polygon 4,5 9,1 9,14 4,10' \
    -fill none -stroke 'rgb(40,110,200)' -strokewidth 1 -draw 'arc 7,4 13,11 -60,60' -draw 'arc 8,1 16,14 -60,60' \
    "$tmp/sound16.png"
  convert -size 32x32 xc:none \
    -fill 'rgb(70,70,70)' -stroke none -draw 'rectangle 3,11 9,20' -draw 'polygon 9,11 18,3 18,28 9,20' \
    -fill none -stroke 'rgb(40,110,200)' -strokewidth 2 -draw 'arc 14,9 25,22 -60,60' -draw 'arc 16,3 31,28 -60,60' \
    "$tmp/sound32.png"
  convert "$tmp/sound16.png" "$tmp/sound32.png" sound.ico

  # 500 to 503: previews of the notification area, twice the screen size: the
  # taskbar's end with a volume icon, a network icon and the clock area, and
  # (501 to 503) the printer's status icon of design 0, 1 or 2 in front of them.
  local w=78 h=38
  convert -size ${w}x${h} gradient:'rgb(58,110,165)-rgb(40,80,130)' \
    -fill 'rgb(212,208,200)' -stroke none -draw "rectangle 0,14 $((w-1)),$((h-1))" \
    -stroke 'rgb(255,255,255)' -draw "line 0,15 $((w-1)),15" \
    -stroke 'rgb(128,128,128)' -fill 'rgb(212,208,200)' -draw "rectangle 14,18 $((w-3)),$((h-4))" \
    -stroke none -fill 'rgb(255,255,255)' -draw "line 15,$((h-4)) $((w-3)),$((h-4))" -draw "line $((w-3)),18 $((w-3)),$((h-4))" \
    "$tmp/bar.png"
  convert "$tmp/sound16.png" -background 'rgb(212,208,200)' -flatten "$tmp/volume.png"
  convert -size 16x16 xc:'rgb(212,208,200)' \
    -fill 'rgb(40,40,40)' -draw 'rectangle 2,3 9,8' -fill 'rgb(120,200,255)' -draw 'rectangle 3,4 8,7' \
    -fill 'rgb(40,40,40)' -draw 'rectangle 6,8 7,10' -draw 'rectangle 3,11 13,12' -draw 'rectangle 10,6 14,10' \
    "$tmp/network.png"
  # The clock: bars and a colon instead of digits, so that no font is needed.
  convert "$tmp/bar.png" \
    "$tmp/volume.png" -geometry +$((w-58))+19 -composite \
    "$tmp/network.png" -geometry +$((w-41))+19 -composite \
    -fill 'rgb(0,0,0)' -draw "rectangle $((w-22)),25 $((w-21)),30" -draw "rectangle $((w-19)),25 $((w-18)),30" \
    -draw "rectangle $((w-15)),26 $((w-15)),26" -draw "rectangle $((w-15)),29 $((w-15)),29" \
    -draw "rectangle $((w-13)),25 $((w-12)),30" -draw "rectangle $((w-10)),25 $((w-9)),30" \
    "$tmp/area.png"
  bmp "$tmp/area.png" -filter point -scale 200% preview_none.bmp
  local n=1
  for icon in icon_ready.ico icon_warning.ico icon_error.ico; do
    convert "$icon" -background 'rgb(212,208,200)' -flatten "$tmp/design.png"
    bmp "$tmp/area.png" "$tmp/design.png" -geometry +$((w-75))+19 -composite -filter point -scale 200% "preview_$n.bmp"
    n=$((n + 1))
  done
}

for section in $sections; do "$section"; done
