#!/usr/bin/env bash
# The runs that read files on their worker pool, against one worker and the
# usual single-threaded tools, and the row list at a million files:
#   ng     NG with "JlibCheck" 1 on PHOTOS 4000 x 3000 JPEGs, one and two
#          workers, against `jpeginfo -c` (the same files must be NG);
#   exif   the Exif and size runs on FILES JPEGs with Exif, warm and cold
#          (page cache dropped before every timed command; needs root), one
#          and two workers, against `exiv2 -g Exif.Photo.DateTimeOriginal -Pv`;
#   rows   peak memory of `pictray-cli` listing ROWS empty files with short
#          names, against listing an empty folder, and sorting ROWS rows.
# Every timed command runs ROUNDS times, the tools taking turns; the median
# is printed. Usage: bench/scale_bench.sh [BUILD_DIR] [ng|exif|rows|all]
# Environment: PHOTOS (200), FILES (10000), ROWS (1000000), ROUNDS (3), WORK.
set -euo pipefail
build=${1:-build}
what=${2:-all}
photos=${PHOTOS:-200}
files=${FILES:-10000}
rows=${ROWS:-1000000}
rounds=${ROUNDS:-3}
bench="$build/bin/bench_pool_runs"
cli="$build/bin/pictray-cli"
for t in "$bench" "$cli"; do [ -x "$t" ] || { echo "missing $t" >&2; exit 2; }; done
work=${WORK:-$(mktemp -d "${TMPDIR:-/var/tmp}/pictray-scale-bench-XXXXXX")}
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

now() { date +%s.%N; }
# seconds of one command, its output thrown away
timed() {
  local t0 t1
  t0=$(now)
  "$@" >/dev/null 2>&1 || true
  t1=$(now)
  echo "$t1 - $t0" | bc
}
drop_caches() {
  sync
  echo 3 >/proc/sys/vm/drop_caches 2>/dev/null || { echo "cannot drop the page cache (not root?)" >&2; exit 2; }
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# label, cold (1/0), command...: the median of `rounds` runs
record() {
  local label=$1 cold=$2
  shift 2
  for ((r = 0; r < rounds; r++)); do
    [ "$cold" = 1 ] && drop_caches
    timed "$@"
  done | median | awk -v l="$label" '{ printf "%-28s %8.3f s\n", l, $1 }' | tee -a "$work/times"
}
ratio() {  # "name a / name b"
  awk -v a="$1" -v b="$2" '$1 == a { x = $2 } $1 == b { y = $2 } END { printf "%-28s %8.2fx\n", b " / " a, y / x }' "$work/times"
}

ng() {
  mkdir -p "$work/photos" "$work/base"
  # Ten different pictures, each copied to a tenth of the names.
  "$bench" photos "$work/base" 10
  for ((i = 0; i < photos; i++)); do
    printf -v n '%s/photos/photo_%04d.jpg' "$work" "$i"
    cp "$work/base/photo_000$((i % 10)).jpg" "$n"
  done
  # A fifth of them cut short: the NG files of both tools.
  for f in "$work"/photos/photo_*[01].jpg; do truncate -s $(($(stat -c %s "$f") * 6 / 10)) "$f"; done
  echo "NG: $(ls "$work/photos" | wc -l) files, $(du -sh "$work/photos" | cut -f1)"
  cat "$work"/photos/* >/dev/null
  record ng_1_worker 0 "$bench" run "$work/photos" ng 1
  record ng_2_workers 0 "$bench" run "$work/photos" ng 2
  record jpeginfo_c 0 sh -c "jpeginfo -c '$work'/photos/*.jpg"
  ratio ng_2_workers jpeginfo_c
  ratio ng_2_workers ng_1_worker
  local ours theirs
  ours=$("$bench" run "$work/photos" ng 2 | awk '{ print $4 }')
  theirs=$(jpeginfo -c "$work"/photos/*.jpg | grep -c -E 'ERROR|WARNING' || true)
  echo "NG files: run $ours, jpeginfo $theirs"
  rm -rf "$work/photos" "$work/base"
}

exif() {
  mkdir -p "$work/base" "$work/exif"
  convert -size 1280x960 plasma:fractal -seed 3 -quality 85 "$work/base/p.jpg"
  exiftool -q -overwrite_original -Make=Canon "-Model=Canon EOS 5D" \
    "-DateTimeOriginal=2005:12:31 23:59:58" "$work/base/p.jpg"
  for ((i = 0; i < files; i++)); do printf -v n '%s/exif/img_%05d.jpg' "$work" "$i"; cp "$work/base/p.jpg" "$n"; done
  echo "Exif/size: $files files, $(du -sh "$work/exif" | cut -f1)"
  local e="$work/exif"
  for cold in 0 1; do
    local c=warm
    [ "$cold" = 1 ] && c=cold
    [ "$cold" = 0 ] && cat "$e"/* >/dev/null
    record "exif_1_worker_$c" "$cold" "$bench" run "$e" exif 1
    record "exif_2_workers_$c" "$cold" "$bench" run "$e" exif 2
    record "size_1_worker_$c" "$cold" "$bench" run "$e" size 1
    record "size_2_workers_$c" "$cold" "$bench" run "$e" size 2
    record "exiv2_$c" "$cold" sh -c "cd '$e' && exiv2 -g Exif.Photo.DateTimeOriginal -Pv ./*.jpg"
    ratio "exif_2_workers_$c" "exiv2_$c"
    ratio "size_2_workers_$c" "exiv2_$c"
    ratio "exif_2_workers_$c" "exif_1_worker_$c"
  done
  rm -rf "$work/exif" "$work/base"
}

rows() {
  mkdir -p "$work/empty" "$work/rows"
  (cd "$work/rows" && seq -f 'IMG_%07g.jpg' 1 "$rows" | xargs touch)
  local names base peak
  names=$(ls -f "$work/rows" | awk '$0 != "." && $0 != ".." { n += length($0) } END { print n }')
  base=$(/usr/bin/time -f %M "$cli" "$work/empty" 2>&1 >/dev/null | tail -1)
  peak=$(/usr/bin/time -f %M "$cli" "$work/rows" 2>&1 >/dev/null | tail -1)
  echo "rows: $rows files, names $names bytes; pictray-cli peak RSS $peak KiB, empty folder $base KiB"
  awk -v p="$peak" -v b="$base" -v n="$rows" -v s="$names" \
    'BEGIN { printf "bytes a row beyond the names: %.1f\n", ((p - b) * 1024 - s) / n }'
  record listup_cli 0 "$cli" "$work/rows"
  "$bench" sort "$rows"
  rm -rf "$work/rows" "$work/empty"
}

case $what in
  ng) ng ;;
  exif) exif ;;
  rows) rows ;;
  all) ng; exif; rows ;;
  *) echo "unknown part: $what" >&2; exit 2 ;;
esac
