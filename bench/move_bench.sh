#!/usr/bin/env bash
# Moves 20,000 files into 100 folders three ways on identical copies of one
# folder: through the engine, by a shell loop of mv, and by find -exec mv -t.
# Usage: bench/move_bench.sh [BUILD_DIR] [WORK_DIR]
set -euo pipefail
build=${1:-build}
work=${2:-$(mktemp -d "${TMPDIR:-/tmp}/pictray-move-bench-XXXXXX")}
files=20000
folders=100
engine="$build/bin/bench_move_engine"
[ -x "$engine" ] || { echo "missing $engine (build target bench_move_engine)" >&2; exit 2; }
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME="$work/state"  # the move run's journals

# Names k00_00000.jpg .. k99_19999.jpg: the pattern k%% sorts them into k00 .. k99.
mkdir -p "$work/orig"
( cd "$work/orig" && for ((i = 0; i < files; i++)); do
    printf -v n 'k%02d_%05d.jpg' $((i % folders)) "$i"; printf '%s' "$n" > "$n"; done )
for c in engine loop find; do cp -a "$work/orig" "$work/$c"; done
sync

rate() { awk -v n="$files" -v s="$1" 'BEGIN { printf "%.3f s, %.0f files/s", s, n / s }'; }
now() { date +%s.%N; }

"$engine" "$work/engine" 'k%%'

t0=$(now)
( cd "$work/loop"
  for ((k = 0; k < folders; k++)); do printf -v d 'k%02d' "$k"; mkdir "$d"; done
  for f in k*_*.jpg; do mv -- "$f" "${f:0:3}/"; done )
t1=$(now)
echo "shell loop of mv:                   $files files, $(rate "$(echo "$t1 - $t0" | bc)")"

t0=$(now)
( cd "$work/find"
  for ((k = 0; k < folders; k++)); do
    printf -v d 'k%02d' "$k"; mkdir "$d"
    find . -maxdepth 1 -type f -name "${d}_*" -exec mv -t "$d" {} +
  done )
t1=$(now)
echo "find -exec mv -t (one per folder):  $files files, $(rate "$(echo "$t1 - $t0" | bc)")"

# The three results must agree: same folders, same files, nothing left over.
for c in engine loop find; do
  left=$(find "$work/$c" -maxdepth 1 -type f | wc -l)
  moved=$(find "$work/$c" -mindepth 2 -type f | wc -l)
  [ "$left" -eq 0 ] && [ "$moved" -eq "$files" ] || { echo "$c: $left left, $moved moved" >&2; exit 1; }
done
diff <(cd "$work/engine" && find . -type f | sort) <(cd "$work/loop" && find . -type f | sort) >/dev/null
echo "all three agree: $folders folders, $files files"
