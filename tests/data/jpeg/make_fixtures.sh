#!/usr/bin/env bash
# Makes the small JPEG fixtures of the engine tests with real tools:
# cjpeg (libjpeg-turbo-progs), ImageMagick convert and exiftool
# (libimage-exiftool-perl). The camera files are not from cameras: they
# carry the Make/Model/Software/date tags and byte orders that the named
# makers' cameras write, set with exiftool on a small picture.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# 3x2: top row red, green, blue; bottom row white, black, grey.
printf 'P6\n3 2\n255\n\377\000\000\000\377\000\000\000\377\377\377\377\000\000\000\200\200\200' >"$tmp/p3x2.ppm"
# 4x2: top row red, bottom row blue.
printf 'P6\n4 2\n255\n\377\000\000\377\000\000\377\000\000\377\000\000\000\000\377\000\000\377\000\000\377\000\000\377' >"$tmp/p4x2.ppm"
convert -size 64x48 gradient:'#c04020-#2040c0' "$tmp/base.ppm"

cjpeg -quality 100 -sample 1x1 "$tmp/p3x2.ppm" >rgb_3x2.jpg
cjpeg -quality 100 -sample 1x1 "$tmp/p4x2.ppm" >rgb_4x2.jpg
cjpeg -quality 100 -grayscale "$tmp/p3x2.ppm" >grey_3x2.jpg
cjpeg -quality 90 -progressive "$tmp/base.ppm" >progressive_64x48.jpg
# Adobe CMYK (stored inverted), as ImageMagick writes it.
convert "$tmp/p4x2.ppm" -colorspace CMYK -quality 100 -sampling-factor 1x1 cmyk_4x2.jpg
convert -size 1024x768 xc:'#336699' -quality 20 size_1024x768.jpg
convert "$tmp/base.ppm" png:plain.png

# Camera-like files: maker, model, software, byte order, layout (A: Exif
# APP1 right after the start of image; B: after the JFIF APP0).
camera() {  # name make model software order layout
  cjpeg -quality 75 "$tmp/base.ppm" >"$1"
  local jfif=()
  [ "$6" = A ] && jfif=(-JFIF:all=)
  exiftool -q -overwrite_original "${jfif[@]}" -ExifByteOrder="$5" \
    -Make="$2" -Model="$3" -Software="$4" \
    -ModifyDate='2006:01:02 15:04:05' -DateTimeOriginal='2005:12:31 23:59:58' "$1"
}
camera cam_canon_II_A.jpg "Canon" "Canon EOS 5D" "Firmware 1.1.1" II A
camera cam_nikon_MM_A.jpg "NIKON CORPORATION" "NIKON D70" "Ver.2.00" MM A
camera cam_sony_II_B.jpg "SONY" "DSC-W55" "DSC-W55 v1.00" II B
camera cam_apple_MM_B.jpg "Apple" "iPhone 4S" "5.1.1" MM B
camera cam_fuji_II_A.jpg "FUJIFILM" "FinePix S5Pro" "Digital Camera S5Pro Ver1.00" II A
# Values of 4 bytes or fewer stand inside the entry itself.
camera cam_short_MM_A.jpg "RIM" "X1" "OS" MM A
# Exif with Make and Model only: no dates, no software.
cjpeg -quality 75 "$tmp/base.ppm" >cam_nodate_II_A.jpg
exiftool -q -overwrite_original -JFIF:all= -ExifByteOrder=II -Make="Panasonic" -Model="DMC-FZ8" cam_nodate_II_A.jpg
