#!/usr/bin/env bash
# Generates a folder of JPEG files with Exif (most of them ~100 KB, some of
# several MB) and times, in one paired run on the same warm files, the
# engine's Exif date, size and NG runs against peer tools:
#   exiv2 -g Exif.Photo.DateTimeOriginal -Pv, exiftool -q -s3 -DateTimeOriginal,
#   a plain read of the first 64 KiB, identify -ping, a jpeg_read_header loop,
#   jpeginfo -c.
# Each peer tool is started once with every file (no per-file start-up cost).
# Usage: bench/jpeg_bench.sh [BUILD_DIR] [FILES] [WORK_DIR]
set -euo pipefail
build=${1:-build}
files=${2:-2000}
work=${3:-$(mktemp -d "${TMPDIR:-/tmp}/pictray-jpeg-bench-XXXXXX")}
engine="$build/bin/bench_jpeg_runs"
[ -x "$engine" ] || { echo "missing $engine (build target bench_jpeg_runs)" >&2; exit 2; }
for t in convert exiftool exiv2 identify jpeginfo; do
  command -v "$t" >/dev/null || { echo "missing $t (packages imagemagick exiv2 libimage-exiftool-perl jpeginfo)" >&2; exit 2; }
done
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/base" "$work/jpegs"

# Two picture kinds: 1600x1200 (~0.2-0.4 MB) and 4000x3000 noisy (several MB).
convert -size 1600x1200 plasma:fractal -seed 3 -quality 85 "$work/base/small.jpg"
convert -size 4000x3000 xc:gray +noise Random -blur 0x0.6 -quality 92 "$work/base/large.jpg"
for b in small large; do
  exiftool -q -overwrite_original -Make=Canon "-Model=Canon EOS 5D" -Software="Firmware 1.1.1" \
    "-ModifyDate=2006:01:02 15:04:05" "-DateTimeOriginal=2005:12:31 23:59:58" "$work/base/$b.jpg"
done
large_every=40  # one file in 40 is a large one
for ((i = 0; i < files; i++)); do
  b=small; (( i % large_every == 0 )) && b=large
  printf -v n '%s/jpegs/img_%05d.jpg' "$work" "$i"
  cp "$work/base/$b.jpg" "$n"
done
du -sh "$work/jpegs" | awk '{print "folder size: " $1}'
ls -l "$work/base" | awk 'NR>1 {print "base " $9 ": " $5 " bytes"}'
cat "$work/jpegs"/* >/dev/null  # warm the page cache for everyone

now() { date +%s.%N; }
timed() {  # label command...
  local t0 t1
  t0=$(now)
  "${@:2}" >/dev/null 2>&1 || true
  t1=$(now)
  awk -v l="$1" -v a="$t0" -v b="$t1" 'BEGIN { printf "%s %.3f\n", l, b - a }'
}

{
  "$engine" "$work/jpegs"
  cd "$work/jpegs"
  timed exiv2_date exiv2 -g Exif.Photo.DateTimeOriginal -Pv ./*.jpg
  timed exiftool_date exiftool -q -s3 -DateTimeOriginal .
  timed identify_ping identify -ping -format '%wX%h\n' ./*.jpg
  timed jpeginfo_c jpeginfo -c ./*.jpg
} | tee "$work/times.txt"

awk '
  { t[$1] = $2 }
  END {
    printf "\nExif date run: %.3f s; vs read of first 64 KiB %.2fx; exiv2 %.1fx faster; exiftool %.1fx faster\n",
      t["exif_date_run"], t["exif_date_run"] / t["read_64k"], t["exiv2_date"] / t["exif_date_run"],
      t["exiftool_date"] / t["exif_date_run"]
    printf "Size run: %.3f s; vs jpeg_read_header loop %.2fx; identify -ping %.1fx faster\n",
      t["size_run"], t["size_run"] / t["read_header_loop"], t["identify_ping"] / t["size_run"]
    printf "NG run (JlibCheck): %.3f s; jpeginfo -c %.3f s (%.2fx)\n",
      t["ng_run_jlibcheck"], t["jpeginfo_c"], t["jpeginfo_c"] / t["ng_run_jlibcheck"]
  }' "$work/times.txt"
