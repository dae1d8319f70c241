#!/usr/bin/env bash
# Draws the programs' icons (desktop/icons/SIZE/ID.png) from the demo
# pictures of assets/demo with imagemagick. The drawn icons are committed, so
# building and installing need no imagemagick.
#   Pictray: three pictures standing in an open folder (sorting into folders).
#   Twinscan: a picture and its copy, one behind the other, with an equals badge.
set -euo pipefail
command -v convert >/dev/null || { echo "make-icons: convert (imagemagick) is missing" >&2; exit 1; }
root="$(cd "$(dirname "$0")/.." && pwd)"
demo="$root/assets/demo"
out="$root/desktop/icons"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# A demo picture as a 96 x 80 print with a white border and a thin outline.
print() {  # SOURCE DEST
  convert "$1" -resize 96x80^ -gravity center -extent 96x80 \
    -bordercolor white -border 7 -bordercolor '#5a5a5a' -border 1 "$2"
}
# A print turned by ANGLE degrees, on a transparent ground.
turned() {  # SOURCE ANGLE DEST
  convert "$1" -background none -rotate "$2" "$3"
}

print "$demo/IMG_0003.jpg" "$tmp/a.png"
print "$demo/colour_mixed.jpg" "$tmp/b.png"
print "$demo/IMG_0001.jpg" "$tmp/c.png"
turned "$tmp/a.png" -14 "$tmp/a_t.png"
turned "$tmp/c.png" 12 "$tmp/c_t.png"

convert -size 256x256 xc:none \
  -fill '#c77d1e' -draw "roundrectangle 20,92 236,236 14,14" \
  -fill '#b06a12' -draw "roundrectangle 20,78 110,110 10,10" \
  "$tmp/a_t.png" -geometry +22+28 -composite \
  "$tmp/c_t.png" -geometry +126+26 -composite \
  "$tmp/b.png" -geometry +77+12 -composite \
  -fill '#f0a53a' -stroke '#9a5a0c' -strokewidth 3 -draw "polygon 12,128 244,128 228,240 28,240" \
  "$tmp/pictray.png"

print "$demo/IMG_0001.jpg" "$tmp/p.png"
convert "$tmp/p.png" -resize 150% "$tmp/p_big.png"
convert -size 256x256 xc:none \
  "$tmp/p_big.png" -geometry +14+18 -composite \
  "$tmp/p_big.png" -geometry +86+92 -composite \
  -fill '#1e5aa0' -stroke white -strokewidth 6 -draw "circle 196,62 196,16" \
  -fill white -stroke none -draw "rectangle 172,46 220,56" -draw "rectangle 172,68 220,78" \
  "$tmp/twinscan.png"

for size in 32 48 64 128 256; do
  mkdir -p "$out/$size"
  convert "$tmp/pictray.png" -filter Lanczos -resize "${size}x${size}" -strip "$out/$size/org.pictray.Pictray.png"
  convert "$tmp/twinscan.png" -filter Lanczos -resize "${size}x${size}" -strip "$out/$size/org.pictray.Twinscan.png"
done
