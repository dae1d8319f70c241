#!/usr/bin/env bash
# Times `twinscan-cli --extract --dry-run` and `twinscan-cli --groups` against
# `jdupes -r` and `fdupes -r` on one generated folder (about 20% duplicates, a
# few pairs that differ only in the middle) and checks that all find the same
# duplicate sets. Nothing is moved. The goal: at most half jdupes' time.
# Usage: bench/twinscan_bench.sh [BUILD_DIR] [FILES]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
files=${2:-5000}
cli=$build/bin/twinscan-cli
runs=${RUNS:-15}
for tool in "$cli" jdupes fdupes python3; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 2; }
done

work=$(mktemp -d /tmp/twinscan-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
dir=$work/photos
mkdir "$dir"

# Unique files of 2-60 KiB; 20% of the names are copies of earlier files
# (some files get two or three copies); 20 pairs share size and first/last
# 100 bytes but differ in the middle.
python3 - "$dir" "$files" <<'PY'
import os, random, sys
folder, total = sys.argv[1], int(sys.argv[2])
rnd = random.Random(6)
dups = total // 5
near = 20
uniques = total - dups - near
made = []
for i in range(uniques):
    data = rnd.randbytes(rnd.randint(2048, 60 * 1024))
    name = f"IMG_{i:05d}.jpg"
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)
    made.append(data)
for i in range(dups):
    data = made[rnd.randrange(min(len(made), dups // 2))]
    with open(os.path.join(folder, f"copy_{i:05d}.jpg"), "wb") as f:
        f.write(data)
for i in range(near):
    data = bytearray(made[uniques - 1 - i])
    data[len(data) // 2] ^= 0xFF
    with open(os.path.join(folder, f"near_{i:05d}.jpg"), "wb") as f:
        f.write(data)
PY
echo "folder: $(ls "$dir" | wc -l) files, $(du -sh "$dir" | cut -f1)"

# The three tools take turns, $runs rounds; per tool the median wall-clock
# time and the median CPU time (user + system) of its runs. Outputs are kept
# in $work/out.<tool>.
python3 - "$work" "$runs" "$cli" "$dir" <<'PY'
import os, resource, statistics, subprocess, sys, time
work, runs, cli, folder = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
tools = {
    "twinscan": [cli, "--extract", "--dry-run", folder],
    "groups": [cli, "--groups", folder],
    "jdupes": ["jdupes", "-r", "-q", folder],
    "fdupes": ["fdupes", "-r", "-q", folder],
}
wall = {t: [] for t in tools}
cpu = {t: [] for t in tools}
for _ in range(runs + 1):  # the first round warms the page cache and is not counted
    for name, cmd in tools.items():
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        t0 = time.perf_counter()
        with open(os.path.join(work, "out." + name), "wb") as out:
            subprocess.run(cmd, stdout=out, check=True)
        t1 = time.perf_counter()
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        wall[name].append(t1 - t0)
        cpu[name].append(after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime)
for name in tools:
    w, c = statistics.median(wall[name][1:]), statistics.median(cpu[name][1:])
    print(f"{name:9s} wall {w * 1000:7.1f} ms   cpu {c * 1000:7.1f} ms   (median of {runs})")
    with open(os.path.join(work, "time." + name), "w") as f:
        f.write(f"{w} {c}\n")
PY

# Duplicate sets as sorted lines of sorted base names.
python3 - "$work" <<'PY'
import os, sys
work = sys.argv[1]
def blocks(path):
    sets, cur = [], []
    for line in open(path, encoding="utf-8", errors="surrogateescape"):
        line = line.rstrip("\n")
        if line:
            cur.append(os.path.basename(line))
        elif cur:
            sets.append(cur); cur = []
    if cur:
        sets.append(cur)
    return sets
def twinscan(path):
    groups = {}
    for line in open(path, encoding="utf-8", errors="surrogateescape"):
        f = line.rstrip("\n").split("\t")
        if len(f) == 4 and f[0] == "would move":
            groups.setdefault(f[2], {os.path.basename(f[2])}).add(os.path.basename(f[1]))
    return list(groups.values())
def norm(sets):
    return sorted("\t".join(sorted(s)) for s in sets)
def groups(path):
    return [[os.path.basename(n) for n in line.rstrip("\n").split("\t")]
            for line in open(path, encoding="utf-8", errors="surrogateescape") if line.strip()]
t = norm(twinscan(os.path.join(work, "out.twinscan")))
g = norm(groups(os.path.join(work, "out.groups")))
if g != t:
    print(f"twinscan --groups: {len(g)} sets, the dry run: {len(t)} sets -> DIFFERENT sets")
    sys.exit(1)
for peer in ("jdupes", "fdupes"):
    p = norm(blocks(os.path.join(work, "out." + peer)))
    status = "same sets" if p == t else "DIFFERENT sets"
    print(f"{peer}: {len(p)} sets, twinscan: {len(t)} sets -> {status}")
    if p != t:
        sys.exit(1)
PY
left=$(awk -F'\t' '$1 == "left, differs" && NF == 4' "$work/out.twinscan" | wc -l)
echo "twinscan left $left files that share the key but differ in the middle"
read -r jw jc < "$work/time.jdupes"
missed=0
for run in twinscan groups; do
  read -r w c < "$work/time.$run"
  ratio=$(python3 -c "print(f'{$w / $jw:.2f}')")
  if python3 -c "import sys; sys.exit(0 if $w <= 0.5 * $jw else 1)"; then
    echo "goal met: $run takes ${ratio}x jdupes' wall time"
  else
    echo "goal missed: $run takes ${ratio}x jdupes' wall time (goal 0.5x)"; missed=1
  fi
done
exit $missed
