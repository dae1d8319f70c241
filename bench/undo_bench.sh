#!/usr/bin/env bash
# Moves 20,000 files into 100 folders through the engine and takes the move
# back, three rounds on fresh copies; prints the move, the undo and the
# journal's own share. Usage: bench/undo_bench.sh [BUILD_DIR] [WORK_DIR]
set -euo pipefail
build=${1:-build}
work=${2:-$(mktemp -d "${TMPDIR:-/tmp}/pictray-undo-bench-XXXXXX")}
files=20000
folders=100
engine="$build/bin/bench_undo_engine"
[ -x "$engine" ] || { echo "missing $engine (build target bench_undo_engine)" >&2; exit 2; }
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME="$work/state"

mkdir -p "$work/orig"
( cd "$work/orig" && for ((i = 0; i < files; i++)); do
    printf -v n 'k%02d_%05d.jpg' $((i % folders)) "$i"; printf '%s' "$n" > "$n"; done )
for round in 1 2 3; do
  rm -rf "$work/run"
  cp -a "$work/orig" "$work/run"
  sync
  echo "round $round"
  "$engine" "$work/run" 'k%%'
  diff -r "$work/orig" "$work/run" > /dev/null && echo "tree after the undo: identical"
done
