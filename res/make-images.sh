#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws the button images and the window icon from their descriptions, reproducibly, with
# ImageMagick and the fonts Debian ships (fonts-dejavu-core, fonts-ipafont-gothic).
# The output in res/images/ is committed; run this only to change the artwork.
set -euo pipefail
cd "$(dirname "$0")/images"
convert=${CONVERT:-/usr/bin/convert}
latin=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
japanese=/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf

# 16-colour, 4 bits per pixel, no anti-aliasing: every pixel is one of the standard 16
# colours (bmp16.py refuses anything else).
bmp() { "$convert" "$@" -depth 8 ppm:- | python3 ../bmp16.py > "$out"; }

# A raised frame: light edges top and left, dark edges bottom and right.
raised() {  # w h -> draw arguments in the array "frame"
  local w=$1 h=$2
  frame=(-fill none
    -stroke white -draw "line 0,0 $((w - 2)),0" -draw "line 0,0 0,$((h - 2))"
    -stroke '#C0C0C0' -draw "line 1,1 $((w - 3)),1" -draw "line 1,1 1,$((h - 3))"
    -stroke '#808080' -draw "line 1,$((h - 2)) $((w - 2)),$((h - 2))"
    -draw "line $((w - 2)),1 $((w - 2)),$((h - 2))"
    -draw "line 0,$((h - 1)) $((w - 1)),$((h - 1))" -draw "line $((w - 1)),0 $((w - 1)),$((h - 1))")
}

text() {  # out w h background colour font size text frame(yes/no)
  local w=$2 h=$3 bg=$4 fg=$5 font=$6 size=$7 label=$8
  out=$1
  frame=()
  [ "$9" = yes ] && raised "$w" "$h"
  bmp -size "${w}x${h}" "xc:$bg" +antialias -font "$font" -pointsize "$size" \
    -fill "$fg" -gravity center -annotate +0+0 "$label" -gravity northwest "${frame[@]}"
}

text ON_BU.bmp 41 22 black white "$latin" 13 ON yes
text ON_BD.bmp 41 22 black blue "$latin" 13 ON no
text STOP_BU.bmp 41 22 black '#00FF00' "$latin" 12 OFF no
text STOP_BD.bmp 41 22 black blue "$latin" 12 OFF no
text WAVU.bmp 41 22 black white "$latin" 11 WAV no
text WAVX.bmp 41 22 yellow red "$latin" 10 work no
text OFFU.bmp 41 22 black white "$japanese" 14 戻る yes
text OFFD.bmp 41 22 black white "$japanese" 14 戻る no

greek() {  # letter name
  local letter=$1 name=$2
  text "${name}U.bmp" 21 22 black red "$latin" 15 "$letter" yes
  text "${name}D.bmp" 21 22 black blue "$latin" 15 "$letter" no
  local w=21
  [ "$name" = IDB_B1 ] && w=22
  out="${name}X.bmp"
  bmp -size "${w}x22" xc:black +antialias -font "$latin" -pointsize 15 -fill yellow \
    -gravity center -annotate +0+0 "$letter" -gravity northwest -fill none -stroke yellow \
    -strokewidth 1 -draw "stroke-dasharray 2 2 rectangle 0,0 $((w - 1)),21"
}
greek α IDB_B1
greek θ IDB_B2

# A quaver with a curved line running through, '#FF00FF'.
note() {  # out background
  out=$1
  bmp -size 41x22 "xc:$2" +antialias -fill '#FF00FF' -stroke '#FF00FF' \
    -draw "ellipse 14,16 4,3 0,360" -draw "line 18,16 18,3" -draw "line 18,3 23,7" \
    -fill none -draw "bezier 2,12 12,2 28,22 38,10"
}
note MIDIU.bmp black
note MIDID.bmp '#000080'

# Icon 110: a yellow alpha on a transparent ground, 32x32; small icons are this one scaled.
"$convert" -size 32x32 xc:none +antialias -font "$latin" -pointsize 24 -fill yellow \
  -gravity center -annotate +0+0 α -type PaletteAlpha PNG8:icon110_32.png

# The same icon for software centres and docks, in whole pixels of the artwork (nearest
# neighbour, as the window scales its images), so that none of them is blurred.
for size in 48 64 128 256; do
  "$convert" icon110_32.png -filter point -resize "${size}x${size}" -type PaletteAlpha \
    "PNG8:icon110_$size.png"
done
