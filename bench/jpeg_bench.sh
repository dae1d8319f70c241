#!/usr/bin/env bash
# Generates a folder of JPEG files with Exif (most of them ~100 KB, some of
# several MB) and times, in one paired run on the same warm files, the
# engine's Exif date, size and NG runs against peer tools:
#   exiv2 -g Exif.Photo.DateTimeOriginal -Pv, exiftool -q -s3 -DateTimeOriginal,
#   a plain read of the first 64 KiB, identify -ping, a jpeg_read_header loop,
#   jpeginfo -c.
# Each peer tool is started once with every file (no per-file start-up cost).
# Then the NG run (decoder check) and jpeginfo -c again with one core kept
# busy by `yes`, and, as root, the Exif run and exiv2 each on a cold cache.
# Prints each run's time over its peer's. jpeginfo is Debian's package
# jpeginfo (apt-get install jpeginfo).
# Usage: bench/jpeg_bench.sh [BUILD_DIR] [FILES] [WORK_DIR]
set -euo pipefail
build=$(realpath -- "${1:-build}")  # the peers run from inside the folder
files=${2:-2000}
work=${3:-$(mktemp -d "${TMPDIR:-/tmp}/pictray-jpeg-bench-XXXXXX")}
engine="$build/bin/bench_jpeg_runs"
pool="$build/bin/bench_pool_runs"
[ -x "$engine" ] || { echo "missing $engine (build target bench_jpeg_runs)" >&2; exit 2; }
[ -x "$pool" ] || { echo "missing $pool (build target bench_pool_runs)" >&2; exit 2; }
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
  local t0 t1 rc=0
  t0=$(now)
  "${@:2}" >/dev/null 2>&1 || rc=$?
  t1=$(now)
  # A command that failed is said so, not timed as if it had worked.
  [ "$rc" -eq 0 ] || { echo "$1 failed (exit $rc): ${*:2}" >&2; exit 1; }
  awk -v l="$1" -v a="$t0" -v b="$t1" 'BEGIN { printf "%s %.3f\n", l, b - a }'
}

{
  "$engine" "$work/jpegs"
  cd "$work/jpegs"
  timed exiv2_date exiv2 -g Exif.Photo.DateTimeOriginal -Pv ./*.jpg
  timed exiftool_date exiftool -q -s3 -DateTimeOriginal .
  timed identify_ping identify -ping -format '%wX%h\n' ./*.jpg
  timed jpeginfo_c jpeginfo -c ./*.jpg
  yes >/dev/null &
  busy=$!
  timed ng_run_busy "$pool" run "$work/jpegs" ng 0
  timed jpeginfo_c_busy jpeginfo -c ./*.jpg
  kill "$busy"
  if [ -w /proc/sys/vm/drop_caches ]; then
    cold() { sync; echo 3 >/proc/sys/vm/drop_caches; }
    cold
    timed exif_run_cold "$pool" run "$work/jpegs" exif 0
    cold
    timed exiv2_date_cold exiv2 -g Exif.Photo.DateTimeOriginal -Pv ./*.jpg
  fi
} | tee "$work/times.txt"

awk '
  { t[$1] = $2 }
  END {
    printf "\nExif date run: %.3f s; vs read of first 64 KiB %.2fx; / exiv2 %.3fx; / exiftool %.3fx\n",
      t["exif_date_run"], t["exif_date_run"] / t["read_64k"], t["exif_date_run"] / t["exiv2_date"],
      t["exif_date_run"] / t["exiftool_date"]
    printf "Size run: %.3f s; vs jpeg_read_header loop %.2fx; / identify -ping %.3fx\n",
      t["size_run"], t["size_run"] / t["read_header_loop"], t["size_run"] / t["identify_ping"]
    printf "NG run (JlibCheck): %.3f s; / jpeginfo -c %.3fx\n", t["ng_run_jlibcheck"], t["ng_run_jlibcheck"] / t["jpeginfo_c"]
    printf "NG run, one core busy: %.3f s; / jpeginfo -c %.3fx\n", t["ng_run_busy"], t["ng_run_busy"] / t["jpeginfo_c_busy"]
    if ("exif_run_cold" in t)
      printf "Exif run, cold cache: %.3f s; / exiv2 %.3fx\n", t["exif_run_cold"], t["exif_run_cold"] / t["exiv2_date_cold"]
  }' "$work/times.txt"
