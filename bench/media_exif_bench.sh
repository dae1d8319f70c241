#!/usr/bin/env bash
# Times the Exif run (pictray-cli FOLDER exif, both cores) over FILES
# phone-like HEICs (1024 x 768 pixels with a phone's Exif block: date taken,
# model, GPS, exposure) and over FILES one-second MP4 clips (H.264 test
# pattern, creation_time set, the movie header first as phones write it)
# against the tools people use for the same tag, each started once with
# every file:
#   HEIC: exiv2 -g Exif.Photo.DateTimeOriginal -Pv (an exiv2 built without
#         BMFF support refuses HEIC at once: then a floor, not a read) and
#         exiftool -fast2 -DateTimeOriginal
#   MP4:  exiftool -fast2 -CreateDate
# The files are hard links of one file of each kind (the page cache holds
# one copy; the work per file is the same).
# Usage: bench/media_exif_bench.sh [BUILD_DIR] [FILES]
set -euo pipefail
export LC_ALL=C  # the decimal point of printf and bc
build=${1:-build}
files=${2:-2000}
cli="$build/bin/pictray-cli"
[ -x "$cli" ] || { echo "missing $cli (build target pictray-cli)" >&2; exit 2; }
for t in convert heif-enc ffmpeg exiftool exiv2; do
  command -v "$t" >/dev/null ||
    { echo "missing $t (packages imagemagick libheif-examples ffmpeg libimage-exiftool-perl exiv2)" >&2; exit 2; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/pictray-media-exif-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/base" "$work/heic" "$work/mp4"

convert -size 1024x768 plasma:fractal -seed 3 -quality 92 "$work/base/phone.jpg"
heif-enc -q 60 -o "$work/base/phone.heic" "$work/base/phone.jpg" >/dev/null
exiftool -q -q -m -overwrite_original -Make=Apple "-Model=iPhone 14" -Software=16.1 \
  "-ModifyDate=2023:01:02 15:04:05" "-DateTimeOriginal=2023:01:02 15:04:05" "-CreateDate=2023:01:02 15:04:05" \
  -GPSLatitude=35.6 -GPSLatitudeRef=N -GPSLongitude=139.7 -GPSLongitudeRef=E -ExposureTime=0.01 -FNumber=1.8 \
  -ISO=100 "$work/base/phone.heic"
ffmpeg -loglevel error -f lavfi -i testsrc=duration=1:size=320x240:rate=30 -c:v libx264 -pix_fmt yuv420p \
  -movflags +faststart -metadata creation_time=2023-01-02T15:04:05Z "$work/base/clip.mp4"
for ((i = 0; i < files; i++)); do
  printf -v n '%05d' "$i"
  ln "$work/base/phone.heic" "$work/heic/IMG_$n.HEIC"
  ln "$work/base/clip.mp4" "$work/mp4/IMG_$n.MP4"
done
ls -l "$work/base" | awk 'NR>1 {print "base " $9 ": " $5 " bytes"}'
printf '[Section0]\nExifSel=7\n' >"$work/Pictray.ini"

. "$(dirname "$0")/timing.sh"

heic=$(best_of_3 "$cli" --ini "$work/Pictray.ini" "$work/heic" exif)
heic_exiv2=$(best_of_3 sh -c 'cd "$1" && exiv2 -g Exif.Photo.DateTimeOriginal -Pv ./*' sh "$work/heic")
heic_exiftool=$(best_of_3 exiftool -fast2 -DateTimeOriginal "$work/heic")
mp4=$(best_of_3 "$cli" --ini "$work/Pictray.ini" "$work/mp4" exif)
mp4_exiftool=$(best_of_3 exiftool -fast2 -CreateDate "$work/mp4")
ratio() { echo "scale=3; $1 / $2" | bc; }
echo "$files files each, best of 3 (seconds); the ratio is pictray's time over the other's:"
printf '  HEIC: pictray %.3f, exiv2 %.3f (ratio %.3f), exiftool -fast2 %.3f (ratio %.3f)\n' \
  "$heic" "$heic_exiv2" "$(ratio "$heic" "$heic_exiv2")" "$heic_exiftool" "$(ratio "$heic" "$heic_exiftool")"
printf '  MP4:  pictray %.3f, exiftool -fast2 %.3f (ratio %.3f)\n' "$mp4" "$mp4_exiftool" "$(ratio "$mp4" "$mp4_exiftool")"
