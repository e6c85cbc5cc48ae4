#!/usr/bin/env bash
# Draws the wizard window's pictures with ImageMagick (convert, version 6 or later):
#   top.jpg     banner, shown at 584 x 70 (drawn at twice that size, resampled when shown)
#   left.jpg    side picture, shown at 241 x 277 (drawn at twice that size)
#   folder.ico  16 x 16 folder symbol of the folder buttons, 32 bits with alpha
# Usage: tools/make-pictures.sh [output folder]   (default: resources/)
# The window writes the white step title over the banner's left part (at 16, 24 of the banner
# as shown, about 13 pixels high), so that part stays deep blue and the product name sits right.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/resources}"
command -v convert >/dev/null || { echo "make-pictures: ImageMagick's convert is missing" >&2; exit 1; }
bold=/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf
regular=/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf
for f in "$bold" "$regular"; do
  [ -f "$f" ] || { echo "make-pictures: font $f missing (package fonts-liberation)" >&2; exit 1; }
done
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Palette: the sky scheme of the bottom bar (white -> 193,224,255; light 77,150,240; dark
# 0,89,179) plus a deep blue for the banner.
navy='#0a2a5e' banner_right='#2f78c6' sky='#c1e0ff' light='#4d96f0' dark='#0059b3'
route='#8fc3f5' window='#123d7a'

# A bus seen from the side, facing right, 200 x 90: body, stripe, windows, windscreen, wheels.
draw_bus() { # draw_bus <outline colour> <file>
  convert -size 200x90 xc:none \
    -fill '#f4f9ff' -stroke "$1" -strokewidth 1.5 \
    -draw "path 'M 8,14 Q 8,6 18,6 L 168,6 Q 182,6 186,18 L 194,52 Q 196,66 184,66 L 8,66 Z'" \
    -stroke none -fill "$light" -draw "rectangle 9,50 194,56" \
    -fill "$window" -draw "roundrectangle 18,16 46,38 3,3" -draw "roundrectangle 52,16 80,38 3,3" \
    -draw "roundrectangle 86,16 114,38 3,3" -draw "roundrectangle 120,16 148,38 3,3" \
    -draw "path 'M 156,16 L 174,16 Q 180,16 182,22 L 186,40 L 156,40 Z'" \
    -fill '#ffd35c' -draw "roundrectangle 184,58 192,62 1,1" \
    -fill "$window" -draw "circle 44,66 44,80" -draw "circle 150,66 150,80" \
    -fill '#c9d8ec' -draw "circle 44,66 44,72" -draw "circle 150,66 150,72" \
    "$2"
}

# ImageMagick 6 strokes a line that follows a curve in the same path from the wrong point, so
# every curve ends its subpath and the next part starts with a move.

# Banner 1168 x 140: deep blue to mid blue, two soft light bands, a route line with stops, the
# bus on the route, product name and version on the right.
draw_bus none "$work/bus.png"
convert -size 140x1168 gradient:"$navy"-"$banner_right" -rotate -90 \
  -fill '#ffffff0c' -draw "polygon 560,0 700,0 560,140 420,140" \
  -draw "polygon 720,0 760,0 620,140 580,140" \
  -fill none -stroke "$route" -strokewidth 4 \
  -draw "path 'M -10,121 C 160,121 300,109 470,109 M 470,109 L 720,109 M 720,109 C 860,109 1000,121 1180,121'" \
  -stroke "$navy" -strokewidth 4 -fill white \
  -draw "circle 230,115 230,123" -draw "circle 880,113 880,121" \
  "$work/bus.png" -geometry +452+28 -compose over -composite \
  -stroke none -gravity northeast \
  -font "$bold" -pointsize 42 -fill white -annotate +34+22 'Drivona2 Ostrauwen' \
  -font "$regular" -pointsize 24 -fill "$sky" -annotate +36+74 'Version 1.2' \
  -strip -sampling-factor 1x1 -quality 90 "$out/top.jpg"

# Side picture 482 x 554: white to sky blue with pale city blocks, a route line winding down to
# a last stop, a bus stop sign and the bus on the road.
draw_bus "$dark" "$work/bus-outlined.png"
convert "$work/bus-outlined.png" -resize 170% "$work/bus-big.png"
convert -size 482x554 gradient:'#ffffff'-"$sky" \
  -fill '#ffffffbb' -stroke none \
  -draw "roundrectangle 20,30 150,120 10,10" -draw "roundrectangle 175,30 330,120 10,10" \
  -draw "roundrectangle 355,30 470,120 10,10" -draw "roundrectangle 20,145 200,250 10,10" \
  -draw "roundrectangle 225,145 330,250 10,10" -draw "roundrectangle 355,145 470,250 10,10" \
  -draw "roundrectangle 20,275 120,350 10,10" -draw "roundrectangle 145,275 330,350 10,10" \
  -draw "roundrectangle 355,275 470,350 10,10" \
  -fill none -stroke "$light" -strokewidth 14 -draw "stroke-linecap round" -draw "stroke-linejoin round" \
  -draw "path 'M 85,-20 L 85,110 Q 85,132 107,132 M 107,132 L 320,132 Q 342,132 342,154 M 342,154 L 342,240 Q 342,262 320,262 M 320,262 L 170,262 Q 132,262 132,296 M 132,296 L 132,312'" \
  -stroke "$dark" -strokewidth 6 -fill white \
  -draw "circle 85,60 85,73" -draw "circle 215,132 215,145" -draw "circle 342,200 342,213" \
  -draw "circle 240,262 240,275" \
  -stroke none -fill white -draw "circle 132,312 132,330" -fill "$dark" -draw "circle 132,312 132,322" \
  -fill '#2d5f96' -draw "rectangle 0,470 482,554" -fill "$route" -draw "rectangle 0,466 482,472" \
  -fill white -draw "rectangle 20,512 80,517" -draw "rectangle 130,512 190,517" \
  -draw "rectangle 240,512 300,517" -draw "rectangle 350,512 410,517" -draw "rectangle 460,512 482,517" \
  -fill '#7d8fa6' -draw "rectangle 48,330 56,470" \
  -fill white -stroke "$dark" -strokewidth 6 -draw "circle 52,330 52,364" -stroke none \
  -font "$bold" -pointsize 40 -fill "$dark" -gravity northwest -annotate +39+310 'H' \
  "$work/bus-big.png" -geometry +110+332 -compose over -composite \
  -strip -quality 90 "$out/left.jpg"

# Folder symbol, pixel by pixel: tab and back in darker yellow, front with a light top edge.
cat >"$work/folder.xpm" <<'XPM'
/* XPM */
static char *folder[] = {
"16 16 6 1",
". c None",
"O c #A26C14",
"D c #E3A935",
"L c #EFC053",
"F c #F9D26A",
"H c #FFEDB8",
"................",
"................",
".OOOOO..........",
"OLLLLLOOOOOOOOO.",
"ODDDDDDDDDDDDDDO",
"ODDDDDDDDDDDDDDO",
"OOOOOOOOOOOOOOOO",
"OHHHHHHHHHHHHHHO",
"OFFFFFFFFFFFFFFO",
"OFFFFFFFFFFFFFFO",
"OFFFFFFFFFFFFFFO",
"OFFFFFFFFFFFFFFO",
"OFFFFFFFFFFFFFFO",
".OOOOOOOOOOOOOO.",
"................",
"................"};
XPM
convert "$work/folder.xpm" "PNG32:$work/folder.png"
convert "$work/folder.png" -define icon:auto-resize=16 "$out/folder.ico"
echo "make-pictures: wrote $out/top.jpg, $out/left.jpg, $out/folder.ico"
