#!/usr/bin/env bash
# Times the Exif run (pictray-cli FOLDER exif, both cores) over FILES HEIC
# files and over FILES TIFF-based RAW-like files against
#   exiv2 -g Exif.Photo.DateTimeOriginal -Pv
# started once with every file. The files are hard links of one picture of
# each kind (the page cache holds one copy; the work per file is the same).
# Usage: bench/meta_bench.sh [BUILD_DIR] [FILES] [WORK_DIR]
set -euo pipefail
build=${1:-build}
files=${2:-2000}
work=${3:-$(mktemp -d "${TMPDIR:-/tmp}/pictray-meta-bench-XXXXXX")}
cli="$build/bin/pictray-cli"
[ -x "$cli" ] || { echo "missing $cli (build target pictray-cli)" >&2; exit 2; }
for t in convert heif-enc exiftool exiv2; do
  command -v "$t" >/dev/null || { echo "missing $t (packages imagemagick libheif-examples libimage-exiftool-perl exiv2)" >&2; exit 2; }
done
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/base" "$work/heic" "$work/raw"

# A 12-megapixel HEIC and a 24-megapixel 16-bit TIFF with the camera's tags.
convert -size 4000x3000 plasma:fractal -seed 3 -quality 92 "$work/base/base.jpg"
heif-enc -q 60 -o "$work/base/base.heic" "$work/base/base.jpg" >/dev/null
convert -size 6000x4000 xc:gray -depth 16 -define tiff:endian=lsb "TIFF:$work/base/base.cr2"
for f in "$work/base/base.heic" "$work/base/base.cr2"; do
  exiftool -q -q -m -overwrite_original -Make=Canon "-Model=Canon EOS R5" -Software="Firmware 1.1.1" \
    "-ModifyDate=2006:01:02 15:04:05" "-DateTimeOriginal=2005:12:31 23:59:58" "$f"
done
for ((i = 0; i < files; i++)); do
  printf -v n '%05d' "$i"
  ln "$work/base/base.heic" "$work/heic/IMG_$n.HEIC"
  ln "$work/base/base.cr2" "$work/raw/IMG_$n.CR2"
done
ls -l "$work/base" | awk 'NR>1 {print "base " $9 ": " $5 " bytes"}'
cat "$work/base/base.heic" "$work/base/base.cr2" >/dev/null
printf '[Section0]\nExifSel=7\n' >"$work/Pictray.ini"

now() { date +%s.%N; }
timed() {  # label command...
  local t0 t1
  t0=$(now)
  "${@:2}" >/dev/null 2>&1 || true
  t1=$(now)
  awk -v l="$1" -v a="$t0" -v b="$t1" 'BEGIN { printf "%s %.3f\n", l, b - a }'
}
{
  for kind in heic raw; do
    timed "pictray_$kind" "$cli" --ini "$work/Pictray.ini" "$work/$kind" exif
    timed "exiv2_$kind" sh -c 'cd "$1" && exiv2 -g Exif.Photo.DateTimeOriginal -Pv ./*' sh "$work/$kind"
  done
} | tee "$work/times.txt"
# The ratio is pictray's time over exiv2's: below 1 is faster than exiv2.
awk '{ t[$1] = $2 } END {
  printf "\nHEIC: pictray %.3f s, exiv2 %.3f s, ratio %.2f\n", t["pictray_heic"], t["exiv2_heic"], t["pictray_heic"] / t["exiv2_heic"]
  printf "RAW:  pictray %.3f s, exiv2 %.3f s, ratio %.2f\n", t["pictray_raw"], t["exiv2_raw"], t["pictray_raw"] / t["exiv2_raw"]
}' "$work/times.txt"
