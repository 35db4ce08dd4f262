#!/bin/sh
# Makes the pictures of this folder with ImageMagick (convert): run it here
# after changing a drawing. Pictures that are not made here were drawn by hand.
set -e
cd "$(dirname "$0")"

# --- Status window -----------------------------------------------------------
# Status pictures (111 x 88, icons of the bitmap library): a printer with a
# badge that says how it is.
W=111
H=88
# printer OUTPUT LED BADGE GLYPH [drawing under the badge...]: GLYPH is "!",
# "check", "x" or "-" (no badge).
printer() {
  out=$1 led=$2 badge=$3 glyph=$4
  shift 4
  set -- -fill white -stroke '#7a8591' -strokewidth 1.5 -draw "polygon 30,30 36,8 76,8 82,30" \
    -stroke '#c5ccd4' -strokewidth 1 -draw "line 42,14 70,14" -draw "line 41,19 72,19" -draw "line 40,24 73,24" \
    -fill '#dfe3e8' -stroke '#55606c' -strokewidth 2 -draw "roundrectangle 10,30 100,70 8,8" \
    -fill '#b9c1ca' -stroke none -draw "rectangle 12,60 98,68" \
    -fill '#3c4650' -draw "rectangle 24,56 86,59" \
    -fill "$led" -draw "circle 90,38 90,41" "$@"
  if [ "$glyph" != "-" ]; then
    set -- "$@" -fill "$badge" -stroke white -strokewidth 2 -draw "circle 92,20 92,6"
    case $glyph in
      check) set -- "$@" -stroke white -strokewidth 4 -fill none -draw "polyline 85,20 90,26 99,14" ;;
      x) set -- "$@" -stroke white -strokewidth 4 -draw "line 86,14 98,26" -draw "line 98,14 86,26" ;;
      *) set -- "$@" -stroke none -fill white -font DejaVu-Sans-Bold -pointsize 20 -annotate +86+28 "$glyph" ;;
    esac
  fi
  convert -size ${W}x${H} xc:none "$@" "$out"
}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# 759 the printer as it is (ready, printing, busy, out of paper: the message
# tells); 760 and 770 attention (two frames: the badge blinks); 777 the same
# with the paper sheet raised; 758 error; 752 paper jam; 750 not reachable.
printer "$tmp/759.png" '#4caf50' - -
printer "$tmp/760.png" '#f08c00' '#f08c00' '!'
printer "$tmp/770.png" '#f08c00' '#fbd29a' '!'
printer "$tmp/777.png" '#f08c00' '#fbd29a' '!' -fill white -stroke '#7a8591' -strokewidth 1.5 -draw "rectangle 38,2 74,10"
printer "$tmp/758.png" '#d32f2f' '#d32f2f' '!'
printer "$tmp/752.png" '#d32f2f' '#d32f2f' '!' \
  -fill white -stroke '#7a8591' -strokewidth 1.5 -draw "polygon 30,58 38,74 46,64 54,80 62,66 70,78 80,58"
printer "$tmp/750.png" '#9aa3ad' '#d32f2f' x \
  -fill none -stroke '#55606c' -strokewidth 3 -draw "path 'M 10,52 C 1,52 1,80 16,80'" \
  -fill '#55606c' -stroke none -draw "rectangle 16,75 27,85" -draw "rectangle 27,77 32,78" -draw "rectangle 27,82 32,83"
# 761 inks: four cartridges and a drop.
convert -size ${W}x${H} xc:none -stroke '#55606c' -strokewidth 1.5 \
  -fill '#00aeef' -draw "roundrectangle 8,30 28,80 3,3" -fill '#ec008c' -draw "roundrectangle 32,30 52,80 3,3" \
  -fill '#ffde00' -draw "roundrectangle 56,30 76,80 3,3" -fill '#282828' -draw "roundrectangle 80,30 100,80 3,3" \
  -fill '#dfe3e8' -draw "rectangle 12,24 24,30" -draw "rectangle 36,24 48,30" -draw "rectangle 60,24 72,30" -draw "rectangle 84,24 96,30" \
  -fill '#1565c0' -stroke white -strokewidth 2 -draw "path 'M 55,2 C 55,2 42,18 42,24 C 42,31 48,35 55,35 C 62,35 68,31 68,24 C 68,18 55,2 55,2 Z'" \
  "$tmp/761.png"
# 589 to 591: printing, the sheet comes out.
for n in 1 2 3; do
  end=$((66 + n * 7))
  printer "$tmp/$((588 + n)).png" '#4caf50' - - -fill white -stroke '#7a8591' -strokewidth 1.5 \
    -draw "rectangle 30,58 80,$end" -stroke '#c5ccd4' -strokewidth 1 -draw "line 36,$((end - 4)) 74,$((end - 4))"
done
for n in 589 590 591 750 752 758 759 760 761 770 777; do convert "$tmp/$n.png" "status_$n.ico"; done

# 595: the maker's name over the job area (120 x 42 bitmap).
convert -size 120x42 xc:white -fill '#1d4f91' -font DejaVu-Sans-Bold -pointsize 22 -gravity center -annotate +0-3 'TALMER' \
  -fill '#f0a000' -stroke none -draw "rectangle 18,33 102,35" -type TrueColor BMP3:status_595.bmp

# The ink gauge's state icons (32 x 32): 15110 warning, 15111 error.
convert -size 32x32 xc:none -fill '#f08c00' -stroke white -strokewidth 1.5 -draw "polygon 16,2 30,29 2,29" \
  -stroke none -fill white -font DejaVu-Sans-Bold -pointsize 18 -annotate +12+27 '!' gauge_15110.ico
convert -size 32x32 xc:none -fill '#d32f2f' -stroke white -strokewidth 1.5 -draw "circle 16,16 16,2" \
  -stroke white -strokewidth 4 -draw "line 10,10 22,22" -draw "line 22,10 10,22" gauge_15111.ico

# --- Tray icon question ------------------------------------------------------
# entry_icon.ico (32 x 32 and 16 x 16): the printer with the green "ready"
# status icon on its lower right corner, on a transparent ground.
convert printer.bmp -alpha set -fill none -draw "color 0,0 floodfill" "$tmp/printer.png"
convert "$tmp/printer.png" \( icon_ready.ico -filter point -resize 16x16 \) -gravity southeast -composite \
  "$tmp/entry32.png"
convert "$tmp/entry32.png" -resize 16x16 "$tmp/entry16.png"
convert "$tmp/entry32.png" "$tmp/entry16.png" entry_icon.ico
