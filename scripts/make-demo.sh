#!/usr/bin/env bash
# Makes the demo folder assets/demo, of which ./pictray.sh opens a copy. Every
# picture is drawn here; the camera tags are written with exiftool, with the
# makes, models, software texts and byte orders those cameras write. The
# made files are committed, so building and running need none of the tools:
# imagemagick (convert), libjpeg-turbo-progs (cjpeg) and libimage-exiftool-perl.
#
# What each file is there to show:
#   IMG_0001..0006.jpg, DSC_0101/0102.jpg, DSC01234.JPG  camera shots: Exif
#       dates, models and software, byte orders II and MM, the Exif block
#       right after the start of image or after a JFIF header; name patterns
#       (IMG_%%## sorts the IMG_ files together); ".JPG" for the extension run
#   x1_abc07.jpg, x1_abc12.jpg  the names the pattern help's ???abc##.jpg sorts
#   scan_2024.jpg, colour_*.jpg, panorama_wide.jpg  no Exif; colours told
#       apart: flat red, green and blue, a mix, a dark one, a wide picture
#       that the square thumbnail pads with white
#   DSC_0102.jpg  the large one (640x426) for the pixel-size run
#   broken_cut_short.jpg  a JPEG cut short: no end marker, the NG run finds it
#   "... (copy).jpg"  byte-identical copies for Twinscan
#   "IMG_0002 (same size).jpg"  no copy: same size, same first and last 100
#       bytes as IMG_0002.jpg, another second in its Exif date
#   夏休み_01.png, 夏休み_02.png, notes.txt  a non-ASCII name, a PNG, no picture
set -euo pipefail
for tool in convert cjpeg exiftool; do
  command -v "$tool" >/dev/null || { echo "make-demo: $tool is missing" >&2; exit 1; }
done
demo="$(cd "$(dirname "$0")/.." && pwd)/assets/demo"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$demo"
find "$demo" -maxdepth 1 -type f -delete
cd "$demo"

# jpeg FILE QUALITY CONVERT-ARGS...: draws with convert, encodes with cjpeg,
# whose output is the same on every run (plasma takes a fixed seed).
jpeg() {
  local file=$1 quality=$2
  shift 2
  convert "$@" -depth 8 "ppm:$tmp/p.ppm"
  cjpeg -quality "$quality" -optimize "$tmp/p.ppm" >"$file"
}

# camera FILE LAYOUT ORDER MAKE MODEL SOFTWARE TAKEN [MODIFIED]: Exif tags on
# a drawn picture. Layout A: Exif right after the start of image (the JFIF
# header removed); B: Exif after the JFIF header.
camera() {
  local file=$1 layout=$2 order=$3 make=$4 model=$5 software=$6 taken=$7 modified=${8:-$7}
  local jfif=()
  [ "$layout" = A ] && jfif=(-JFIF:all=)
  exiftool -q -overwrite_original "${jfif[@]}" -ExifByteOrder="$order" \
    -Make="$make" -Model="$model" -Software="$software" \
    -DateTimeOriginal="$taken" -CreateDate="$taken" -ModifyDate="$modified" "$file"
}

# A summer trip: three shots and one edited later (Canon, II, layout A).
jpeg IMG_0001.jpg 80 -size 160x120 -seed 11 plasma:skyblue-seagreen -blur 0x1.5
jpeg IMG_0002.jpg 80 -size 160x120 -seed 12 plasma:lightblue-sandybrown -blur 0x1.5
jpeg IMG_0003.jpg 80 -size 160x120 -seed 13 plasma:gold-darkorange -blur 0x1.5
jpeg IMG_0006.jpg 80 -size 160x120 -seed 16 plasma:plum-steelblue -blur 0x1.5 -modulate 100,140
camera IMG_0001.jpg A II "Canon" "Canon EOS 5D" "Firmware 1.1.1" "2024:07:14 09:12:03"
camera IMG_0002.jpg A II "Canon" "Canon EOS 5D" "Firmware 1.1.1" "2024:07:14 09:15:40"
camera IMG_0003.jpg A II "Canon" "Canon EOS 5D" "Firmware 1.1.1" "2024:07:15 17:02:11"
camera IMG_0006.jpg A II "Canon" "Canon EOS 5D" "GIMP 2.10.34" "2024:07:15 17:05:52" "2024:09:01 20:30:00"
# Two phone shots, upright (Apple, MM, layout B).
jpeg IMG_0004.jpg 82 -size 90x120 -seed 14 plasma:tomato-khaki -blur 0x1.5
jpeg IMG_0005.jpg 82 -size 90x120 -seed 15 plasma:palegreen-slateblue -blur 0x1.5
camera IMG_0004.jpg B MM "Apple" "iPhone 4S" "5.1.1" "2024:08:03 12:00:09"
camera IMG_0005.jpg B MM "Apple" "iPhone 4S" "5.1.1" "2024:08:03 12:01:30"
# Winter (NIKON, MM, layout A): a square one and a large one.
jpeg DSC_0101.jpg 80 -size 80x80 -seed 21 plasma:midnightblue-orange -blur 0x1
jpeg DSC_0102.jpg 60 -size 640x426 gradient:'#0b1d4a-#f3a25b' \
  -fill '#fff6d0' -draw 'circle 470,300 470,262' -fill '#10141c' -draw 'polygon 0,426 0,340 160,300 330,352 460,318 640,360 640,426'
camera DSC_0101.jpg A MM "NIKON CORPORATION" "NIKON D70" "Ver.2.00" "2023:12:24 18:30:00"
camera DSC_0102.jpg A MM "NIKON CORPORATION" "NIKON D70" "Ver.2.00" "2023:12:31 23:59:30"
# New year (SONY, II, layout B), with the upper-case extension it writes.
jpeg DSC01234.JPG 80 -size 120x90 -seed 31 plasma:crimson-gold -blur 0x1
camera DSC01234.JPG B II "SONY" "DSC-W55" "DSC-W55 v1.00" "2024:01:01 00:00:15"

# Names for the pattern help's example; pictures without Exif.
jpeg x1_abc07.jpg 75 -size 64x64 -seed 41 plasma:wheat-peru -blur 0x1
jpeg x1_abc12.jpg 75 -size 64x64 -seed 42 plasma:lavender-teal -blur 0x1
jpeg scan_2024.jpg 75 -size 120x80 gradient:'#f4efe4-#d9cfb8' -fill '#3a3a3a' \
  -draw 'rectangle 12,14 108,18' -draw 'rectangle 12,26 96,29' -draw 'rectangle 12,36 102,39' -draw 'rectangle 12,46 70,49'

# Colours: flat, mixed, dark, and wide.
jpeg colour_red.jpg 85 -size 100x100 xc:'#e01010'
jpeg colour_green.jpg 85 -size 100x100 xc:'#10c020'
jpeg colour_blue.jpg 85 -size 100x100 xc:'#1030e0'
jpeg colour_mixed.jpg 85 -size 40x120 xc:'#e01010' xc:'#f0e020' xc:'#1030e0' +append \
  -fill '#10c020' -draw 'rectangle 0,80 119,119'
jpeg colour_dark.jpg 85 -size 100x100 xc:'#0a0a14' -fill '#202040' -draw 'circle 70,30 70,38' -fill '#141420' -draw 'rectangle 0,80 99,99'
jpeg panorama_wide.jpg 85 -size 300x60 gradient:'#ff8c1a-#c03000'

# Cut short: the first 60 % of a picture, so no end marker FF D9.
jpeg "$tmp/whole.jpg" 80 -size 120x90 -seed 51 plasma:orchid-olive -blur 0x1
head -c $(($(stat -c %s "$tmp/whole.jpg") * 6 / 10)) "$tmp/whole.jpg" >broken_cut_short.jpg

# PNGs under a Japanese name, without the time chunks that change each run.
png() {
  local file=$1
  shift
  convert "$@" -strip -define png:exclude-chunks=date,time "png:$file"
}
png 夏休み_01.png -size 64x64 -seed 61 plasma:aqua-coral -blur 0x1
png 夏休み_02.png -size 64x64 -seed 62 plasma:yellow-forestgreen -blur 0x1
printf 'not a picture\n' >notes.txt

# Copies, and one that only looks like a copy: another second in the date
# is a same-length text in the middle of the Exif block.
cp IMG_0001.jpg "IMG_0001 (copy).jpg"
cp IMG_0001.jpg "IMG_0001 (copy 2).jpg"
cp DSC_0101.jpg "DSC_0101 (copy).jpg"
cp 夏休み_01.png "夏休み_01 (copy).png"
cp IMG_0002.jpg "IMG_0002 (same size).jpg"
exiftool -q -overwrite_original -DateTimeOriginal="2024:07:14 09:15:41" "IMG_0002 (same size).jpg"
a=IMG_0002.jpg b="IMG_0002 (same size).jpg"
size=$(stat -c %s "$a")
if [ "$size" != "$(stat -c %s "$b")" ] || cmp -s "$a" "$b" ||
  ! cmp -s <(head -c 100 "$a") <(head -c 100 "$b") || ! cmp -s <(tail -c 100 "$a") <(tail -c 100 "$b"); then
  echo "make-demo: \"$b\" is not a same-size, same-ends, different file" >&2
  exit 1
fi
echo "make-demo: $(find . -maxdepth 1 -type f | wc -l) files, $(du -sk . | cut -f1) KB in $demo"
