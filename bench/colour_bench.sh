#!/usr/bin/env bash
# Writes FILES camera-sized JPEGs (4000 x 3000) with the benchmark program,
# times the colour work on them (bench_colour_runs: the 300 x 300 sample on
# one core against a decode at 1/8 only; each colour run on two workers
# against one), then the RGB analysis of all 16 cells as pictray-cli runs it
# (rgb=all, every core) against `vipsthumbnail -s 300` on the same files, one
# process with every file, for the same 300 x 300 thumbnails, and prints the
# ratio. Needs vipsthumbnail (Debian package libvips-tools; not needed by
# the build or the tests).
# Usage: bench/colour_bench.sh [BUILD_DIR] [FILES]
set -euo pipefail
build=${1:-build}
files=${2:-200}
engine="$build/bin/bench_colour_runs"
cli="$build/bin/pictray-cli"
[ -x "$engine" ] || { echo "missing $engine (build target bench_colour_runs)" >&2; exit 2; }
[ -x "$cli" ] || { echo "missing $cli (build target pictray-cli)" >&2; exit 2; }
command -v vipsthumbnail >/dev/null || { echo "missing vipsthumbnail (package libvips-tools)" >&2; exit 2; }
work=$(mktemp -d "${TMPDIR:-/tmp}/pictray-colour-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/photos" "$work/vips"

PICTRAY_BENCH_PHOTOS="$work/photos" "$engine" "$files" --benchmark_min_time=1
echo

. "$(dirname "$0")/timing.sh"

vips=$(best_of_3 vipsthumbnail -s 300 -o "$work/vips/%s.jpg" "$work"/photos/*.jpg)
rgb=$(best_of_3 "$cli" --ini "$work/bench.ini" "$work/photos" rgb=all)
echo "$files files, best of 3 (seconds):"
echo "  vipsthumbnail -s 300        $vips"
echo "  pictray-cli rgb=all         $rgb"
echo "  ratio rgb=all / vipsthumbnail: $(echo "scale=2; $rgb / $vips" | bc)"
