#!/usr/bin/env bash
# Writes FILES camera-sized JPEGs (4000 x 3000) and times the all-colour run
# with 1,000 selected colours that no photo holds, so that every pixel is
# looked at, against a loop that only decodes the same files at full size
# (bench_selected_colour_runs), each on one worker and on two. The goal:
# the run within 1.3 times the decode loop. Then the part-colour run as
# pictray-cli runs it (every core) on all 16 cells against cell 16 alone
# (the bottom right, whose drawing alone decodes the whole file): each file
# is decoded once however many cells are matched, so the ratio stays near 1; and both against `vipsthumbnail -s 300` on the same files when it
# is installed (Debian package libvips-tools).
# Usage: bench/selected_colour_bench.sh [BUILD_DIR] [FILES]
set -euo pipefail
build=${1:-build}
files=${2:-200}
engine="$build/bin/bench_selected_colour_runs"
cli="$build/bin/pictray-cli"
[ -x "$engine" ] || { echo "missing $engine (build target bench_selected_colour_runs)" >&2; exit 2; }
[ -x "$cli" ] || { echo "missing $cli (build target pictray-cli)" >&2; exit 2; }
work=$(mktemp -d "${TMPDIR:-/tmp}/pictray-allcolour-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/photos" "$work/vips"
PICTRAY_BENCH_PHOTOS="$work/photos" "$engine" "$files" --benchmark_min_time=1
echo

. "$(dirname "$0")/timing.sh"

echo "255:255:254" > "$work/colours.txt"
one=$(best_of_3 "$cli" --ini "$work/bench.ini" "$work/photos" "partcolor=$work/colours.txt@16")
all=$(best_of_3 "$cli" --ini "$work/bench.ini" "$work/photos" "partcolor=$work/colours.txt@all")
echo "$files files, best of 3 (seconds):"
echo "  pictray-cli partcolor, cell 16     $one"
echo "  pictray-cli partcolor, all cells   $all"
echo "  ratio all cells / cell 16: $(echo "scale=2; $all / $one" | bc)"
if command -v vipsthumbnail >/dev/null; then
  vips=$(best_of_3 vipsthumbnail -s 300 -o "$work/vips/%s.jpg" "$work"/photos/*.jpg)
  echo "  vipsthumbnail -s 300               $vips"
  echo "  ratio all cells / vipsthumbnail: $(echo "scale=2; $all / $vips" | bc)"
fi
