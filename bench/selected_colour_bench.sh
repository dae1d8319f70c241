#!/usr/bin/env bash
# Writes FILES camera-sized JPEGs (4000 x 3000) and times the all-colour run
# with 1,000 selected colours that no photo holds, so that every pixel is
# looked at, against a loop that only decodes the same files at full size
# (bench_selected_colour_runs), each on one worker and on two. The goal:
# the run within 1.3 times the decode loop.
# Usage: bench/selected_colour_bench.sh [BUILD_DIR] [FILES]
set -euo pipefail
build=${1:-build}
files=${2:-200}
engine="$build/bin/bench_selected_colour_runs"
[ -x "$engine" ] || { echo "missing $engine (build target bench_selected_colour_runs)" >&2; exit 2; }
work=$(mktemp -d "${TMPDIR:-/tmp}/pictray-allcolour-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/photos"
PICTRAY_BENCH_PHOTOS="$work/photos" "$engine" "$files" --benchmark_min_time=1
