#!/usr/bin/env bash
# Writes FILES camera-sized JPEGs (4000 x 3000) with the benchmark program,
# times the colour work on them (bench_colour_runs: the 300 x 300 sample on
# one core against a decode at 1/8 only; each colour run on two workers
# against one), then `vipsthumbnail -s 300` on the same files, one process
# with every file, for the same 300 x 300 thumbnails.
# Usage: bench/colour_bench.sh [BUILD_DIR] [FILES]
set -euo pipefail
build=${1:-build}
files=${2:-200}
engine="$build/bin/bench_colour_runs"
[ -x "$engine" ] || { echo "missing $engine (build target bench_colour_runs)" >&2; exit 2; }
command -v vipsthumbnail >/dev/null || { echo "missing vipsthumbnail (package libvips-tools)" >&2; exit 2; }
work=$(mktemp -d "${TMPDIR:-/tmp}/pictray-colour-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/photos" "$work/vips"

PICTRAY_BENCH_PHOTOS="$work/photos" "$engine" "$files" --benchmark_min_time=1
echo
echo "vipsthumbnail -s 300, $files files, one process (seconds, best of 3):"
best=""
for _ in 1 2 3; do
  start=$(date +%s.%N)
  vipsthumbnail -s 300 -o "$work/vips/%s.jpg" "$work"/photos/*.jpg
  end=$(date +%s.%N)
  t=$(echo "$end - $start" | bc)
  if [ -z "$best" ] || [ "$(echo "$t < $best" | bc)" = 1 ]; then best=$t; fi
done
echo "$best s, $(echo "scale=1; $best * 1000 / $files" | bc) ms a file"
