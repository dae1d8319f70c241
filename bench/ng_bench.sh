#!/usr/bin/env bash
# The NG run with the decoder and zero-run checks against `jpeginfo -c` on
# the same 12-megapixel JPEG files (one in ten progressive, one in ten
# without chroma subsampling), on a warm cache: user+system CPU seconds of
# each, in pairs (ours, then jpeginfo), with one worker, then pinned to one
# core with `taskset -c 0`. Prints each pair's CPU ratio and their median.
# jpeginfo is Debian's package jpeginfo.
# Usage: bench/ng_bench.sh [BUILD_DIR] [FILES] [PAIRS] [WORK_DIR]
set -euo pipefail
build=${1:-build}
files=${2:-200}
pairs=${3:-3}
work=${4:-$(mktemp -d "${TMPDIR:-/tmp}/pictray-ng-bench-XXXXXX")}
cli="$build/bin/pictray-cli"
[ -x "$cli" ] || { echo "missing $cli (build target pictray-cli)" >&2; exit 2; }
for t in convert jpeginfo taskset; do
  command -v "$t" >/dev/null || { echo "missing $t (packages imagemagick jpeginfo util-linux)" >&2; exit 2; }
done
[ -x /usr/bin/time ] || { echo "missing /usr/bin/time (package time)" >&2; exit 2; }
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/base" "$work/jpegs"
convert -size 4000x3000 plasma:fractal -seed 5 -quality 90 "$work/base/s.jpg"
convert "$work/base/s.jpg" -interlace JPEG -quality 90 "$work/base/p.jpg"
convert -size 4000x3000 plasma:fractal -seed 9 -quality 90 -sampling-factor 1x1 "$work/base/f.jpg"
for ((i = 0; i < files; i++)); do
  b=s; (( i % 10 == 0 )) && b=p; (( i % 10 == 5 )) && b=f
  cp "$work/base/$b.jpg" "$(printf '%s/jpegs/img_%04d.jpg' "$work" "$i")"
done
printf '[Section0]\nNullCheck=1\nNullByte=10\nJlibCheck=1\nPoolMax=1\n' >"$work/ng.ini"
cat "$work/jpegs"/* >/dev/null

cpu() {  # command... : user+system seconds
  /usr/bin/time -f '%U %S' -o "$work/t" "$@" >/dev/null 2>&1 || true
  awk '{ printf "%.2f", $1 + $2 }' "$work/t"
}
uptime
for pin in "" "taskset -c 0"; do
  ratios=()
  for ((r = 0; r < pairs; r++)); do
    ours=$(cpu $pin "$cli" --ini "$work/ng.ini" "$work/jpegs" ng)
    peer=$(cpu $pin jpeginfo -c "$work"/jpegs/*.jpg)
    ratio=$(awk -v a="$ours" -v b="$peer" 'BEGIN { printf "%.3f", a / b }')
    echo "${pin:-one worker}: NG run ${ours} s, jpeginfo -c ${peer} s, ratio ${ratio}"
    ratios+=("$ratio")
  done
  printf '%s\n' "${ratios[@]}" | sort -n | awk -v l="${pin:-one worker}" '{ r[NR] = $1 } END { print l ": median ratio " r[int((NR + 1) / 2)] }'
done
uptime
