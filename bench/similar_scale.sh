#!/usr/bin/env bash
# The search for the same pictures at a library's scale, as twinscan-cli
# runs it: COUNT distinct pictures of 128 x 96 with 1% of them saved again at
# 96 x 72 (bench_make_pictures), searched with an empty cache (cold) and
# again with the cache it wrote (warm). Prints the time and peak memory of
# each run (GNU time) and how many of the planted pairs were found, which
# must be all of them at any COUNT. With TILES=1 the folder holds tiles of
# one texture instead (no pair to find).
# Usage: bench/similar_scale.sh [BUILD_DIR] [COUNT] [KEEP_DIR]
#   KEEP_DIR: the pictures are made there once and kept (for more runs).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
count=${2:-5000}
cli=$build/bin/twinscan-cli
make=$build/bin/bench_make_pictures
for t in "$cli" "$make" /usr/bin/time; do [ -x "$t" ] || { echo "missing $t" >&2; exit 2; }; done
work=$(mktemp -d "${TMPDIR:-/var/tmp}/similar-scale-XXXXXX")
trap 'rm -rf "$work"' EXIT
dir=${3:-$work/pictures}
mkdir -p "$dir"
if [ -z "$(ls -A "$dir")" ]; then
  if [ "${TILES:-0}" = 1 ]; then "$make" "$dir" "$count" 0 --tiles; else "$make" "$dir" "$count" 10; fi
fi
echo "folder: $(ls "$dir" | wc -l) files in $dir"
mkdir "$work/cache"
run() {
  local label=$1
  XDG_CACHE_HOME=$work/cache /usr/bin/time -f "%e %M" -o "$work/time" "$cli" --similar --groups "$dir" \
    >"$work/groups" 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
  read -r seconds kb <"$work/time"
  local planted found
  planted=$(ls "$dir" | grep -c ' small\.jpg$' || true)
  found=$(grep -cE '^p([0-9]+)\.jpg	p\1 small\.jpg$' "$work/groups" || true)
  printf '%-5s %8.2f s %8.1f MB  groups %d  planted pairs found %d of %d\n' "$label" "$seconds" \
    "$(echo "$kb / 1024" | bc -l)" "$(wc -l <"$work/groups")" "$found" "$planted"
}
run cold
run warm
