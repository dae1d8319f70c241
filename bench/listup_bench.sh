#!/usr/bin/env bash
# Lists a generated folder of 1,000,000 files through the engine and, on the
# same folder, with `find FOLDER -maxdepth 1 -type f | wc -l`; best of 5 each,
# one after the other. Prints the engine's time over find's and the engine's
# peak memory a row beyond the names (from /usr/bin/time, against an empty
# folder).
# Usage: bench/listup_bench.sh [BUILD_DIR] [FILES]
set -euo pipefail
build=${1:-build}
files=${2:-1000000}
engine="$build/bin/bench_listup_engine"
[ -x "$engine" ] || { echo "missing $engine (build target bench_listup_engine)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "missing /usr/bin/time (package time)" >&2; exit 2; }
work=$(mktemp -d "${TMPDIR:-/tmp}/pictray-listup-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

mkdir "$work/files" "$work/empty"
( cd "$work/files" && seq -f 'IMG_%07g.jpg' 1 "$files" | xargs touch && mkdir sub1 sub2 )
name_bytes=$(ls -f "$work/files" | awk '$0 != "." && $0 != ".." && $0 !~ /^sub/ { n += length($0) } END { print n }')
find "$work/files" -maxdepth 1 -type f | wc -l >/dev/null  # warm the cache

best=1000
for _ in 1 2 3 4 5; do
  t0=$(date +%s.%N)
  n=$(find "$work/files" -maxdepth 1 -type f | wc -l)
  t1=$(date +%s.%N)
  best=$(echo "t = $t1 - $t0; if (t < $best) t else $best" | bc)
done
echo "find | wc -l:   $n files, best $best s"
out=$("$engine" "$work/files" 5)
echo "$out"
engine_s=$(echo "$out" | sed -E 's/.*best ([0-9.]+) s.*/\1/')
echo "list-up / find: $(echo "scale=2; $engine_s / $best" | bc)x"

peak() { /usr/bin/time -f %M "$engine" "$1" 1 2>&1 >/dev/null | tail -1; }
full_kib=$(peak "$work/files")
empty_kib=$(peak "$work/empty")
echo "peak memory a row beyond the names: $(echo "($full_kib - $empty_kib) * 1024 / $n - $name_bytes / $n" | bc) bytes"
