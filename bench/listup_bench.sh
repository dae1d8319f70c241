#!/usr/bin/env bash
# Lists a generated folder of 100,000 files through the engine and, on the
# same folder, with `find FOLDER -maxdepth 1 -type f | wc -l`; best of 5 each.
# Usage: bench/listup_bench.sh [BUILD_DIR] [FILES]
set -euo pipefail
build=${1:-build}
files=${2:-100000}
engine="$build/bin/bench_listup_engine"
[ -x "$engine" ] || { echo "missing $engine (build target bench_listup_engine)" >&2; exit 2; }
work=$(mktemp -d "${TMPDIR:-/tmp}/pictray-listup-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

( cd "$work" && seq -f 'IMG_%06g.jpg' 1 "$files" | xargs touch && mkdir sub1 sub2 )
find "$work" -maxdepth 1 -type f | wc -l >/dev/null  # warm the cache

best=1000
for _ in 1 2 3 4 5; do
  t0=$(date +%s.%N)
  n=$(find "$work" -maxdepth 1 -type f | wc -l)
  t1=$(date +%s.%N)
  best=$(echo "t = $t1 - $t0; if (t < $best) t else $best" | bc)
done
echo "find | wc -l:   $n files, best $best s, $(echo "$n / $best" | bc) files/s"
out=$("$engine" "$work" 5)
echo "$out"
engine_s=$(echo "$out" | sed -E 's/.*best ([0-9.]+) s.*/\1/')
echo "ratio (find time / engine time): $(echo "scale=2; $best / $engine_s" | bc)"
