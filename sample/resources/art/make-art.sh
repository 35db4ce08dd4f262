#!/usr/bin/env bash
# Makes the pictures of the sample resources that are drawn by commands
# (ImageMagick's convert); the older pictures of this folder were made by hand.
# Run from anywhere: ./make-art.sh [SECTION...]; without arguments every
# section is made again. The results are checked in, so a build needs none of this.
set -euo pipefail
cd "$(dirname "$0")"
sections=${*:-status prefs icon window}

# Windows bitmaps without an alpha channel or colour-space chunks, as windres
# and LoadImage take them.
# bmp INPUT-AND-OPTIONS... OUTPUT
bmp() { convert "${@:1:$#-1}" -alpha off -type TrueColor "BMP3:${@: -1}"; }

# The status window: status pictures, the printing animation, the maker's
# picture over the job area and the ink gauge's state icons.
status() {
  local tmp
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' RETURN

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
}

# The monitoring preferences.
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

# The tray icon question.
icon() {
  local tmp
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' RETURN
  # entry_icon.ico (32 x 32 and 16 x 16): the tray icon question's picture, the
  # printer with the green "ready" status icon on its lower right corner, on a
  # transparent ground.
  convert printer.bmp -alpha set -fill none -draw "color 0,0 floodfill" "$tmp/printer.png"
  convert "$tmp/printer.png" \( icon_ready.ico -filter point -resize 16x16 \) -gravity southeast -composite \
    "$tmp/entry32.png"
  convert "$tmp/entry32.png" -resize 16x16 "$tmp/entry16.png"
  convert "$tmp/entry32.png" "$tmp/entry16.png" entry_icon.ico
}

# The status window: its icon and the sounds of its statuses.
window() {
  local tmp
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' RETURN
  # window_621.ico (48, 32 and 16 pixels): a printer with a round "i" badge,
  # drawn at 48 pixels and made smaller.
  convert -size 48x48 xc:none \
    -fill white -stroke '#7a8591' -strokewidth 2 -draw "polygon 13,17 16,4 32,4 35,17" \
    -fill '#dfe3e8' -stroke '#55606c' -strokewidth 2.5 -draw "roundrectangle 3,17 45,38 5,5" \
    -fill '#3c4650' -stroke none -draw "rectangle 11,31 37,33" \
    -fill '#1d4f91' -stroke white -strokewidth 2 -draw "circle 36,36 36,46" \
    -fill white -stroke none -draw "rectangle 35,30 37,32" -draw "rectangle 35,34 37,42" \
    "$tmp/window48.png"
  convert "$tmp/window48.png" -resize 32x32 "$tmp/window32.png"
  convert "$tmp/window48.png" -resize 16x16 "$tmp/window16.png"
  convert "$tmp/window48.png" "$tmp/window32.png" "$tmp/window16.png" window_621.ico

  # The status sounds (WAVE resources, 8 kHz, 8-bit mono): 510 a short
  # attention chime of two rising notes, 511 a soft single note, 512 two
  # falling notes for an error.
  wav() {
    local out=$1
    shift
    LC_ALL=C awk -v notes="$*" 'BEGIN {
      rate = 8000; n = split(notes, part, " "); total = 0
      for (i = 1; i <= n; i += 2) total += int(rate * part[i + 1] / 1000)
      printf "RIFF"; le32(36 + total); printf "WAVEfmt "; le32(16); le16(1); le16(1); le32(rate); le32(rate); le16(1); le16(8)
      printf "data"; le32(total)
      for (i = 1; i <= n; i += 2) {
        len = int(rate * part[i + 1] / 1000)
        for (t = 0; t < len; t++) {
          fade = (len - t) / len; if (t < 40) fade *= t / 40
          printf "%c", int(128 + 90 * fade * sin(2 * 3.14159265 * part[i] * t / rate))
        }
      }
    }
    function le16(v) { printf "%c%c", v % 256, int(v / 256) % 256 }
    function le32(v) { le16(v % 65536); le16(int(v / 65536)) }' > "$out"
  }
  wav sound_510.wav 660 90 880 140
  wav sound_511.wav 740 160
  wav sound_512.wav 520 120 390 180
}

for section in $sections; do "$section"; done
