#!/usr/bin/env bash
# Times `twinscan-cli -r --groups` against `jdupes -r -q` on one generated
# tree (the files of twinscan_bench.sh, 100,000 by default, in folders
# nested three deep) and checks that both find the same duplicate sets and
# that twinscan-cli's peak memory stays below jdupes'. Nothing is moved.
# The goal: at most half jdupes' time.
# Usage: bench/twinscan_tree_bench.sh [BUILD_DIR] [FILES] [TREE]
#   TREE: an existing folder to fill (kept), else a temporary one (removed).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
files=${2:-100000}
cli=$build/bin/twinscan-cli
runs=${RUNS:-5}
for tool in "$cli" jdupes python3; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 2; }
done

work=$(mktemp -d /tmp/twinscan-tree-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
dir=${3:-$work/photos}
mkdir -p "$dir"

# Unique files of 2-60 KiB; 20% of the names are copies of earlier files in
# other folders (some files get two or three copies); 20 pairs share size and
# first/last 100 bytes but differ in the middle. Ten folders of ten folders
# of ten folders, the files in the deepest.
if [ -z "$(ls -A "$dir")" ]; then
python3 - "$dir" "$files" <<'PY'
import os, random, sys
root, total = sys.argv[1], int(sys.argv[2])
rnd = random.Random(6)
dups = total // 5
near = 20
uniques = total - dups - near
def folder():
    f = os.path.join(root, f"{rnd.randrange(10):02d}", f"{rnd.randrange(10):02d}", f"{rnd.randrange(10):02d}")
    os.makedirs(f, exist_ok=True)
    return f
made = []
for i in range(uniques):
    data = rnd.randbytes(rnd.randint(2048, 60 * 1024))
    with open(os.path.join(folder(), f"IMG_{i:06d}.jpg"), "wb") as f:
        f.write(data)
    made.append(data)
for i in range(dups):
    data = made[rnd.randrange(min(len(made), dups // 2))]
    with open(os.path.join(folder(), f"copy_{i:06d}.jpg"), "wb") as f:
        f.write(data)
for i in range(near):
    data = bytearray(made[uniques - 1 - i])
    data[len(data) // 2] ^= 0xFF
    with open(os.path.join(folder(), f"near_{i:06d}.jpg"), "wb") as f:
        f.write(data)
PY
fi
echo "tree: $(find "$dir" -type f | wc -l) files in $(find "$dir" -type d | wc -l) folders, $(du -sh "$dir" | cut -f1)"

# The two take turns, $runs rounds after one that warms the page cache; per
# tool the median wall-clock and CPU time and the largest peak memory.
python3 - "$work" "$runs" "$cli" "$dir" <<'PY'
import os, statistics, subprocess, sys, time
work, runs, cli, folder = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
tools = {"twinscan": [cli, "-r", "--groups", folder], "jdupes": ["jdupes", "-r", "-q", folder]}
wall = {t: [] for t in tools}
cpu = {t: [] for t in tools}
peak = {t: 0 for t in tools}
for _ in range(runs + 1):
    for name, cmd in tools.items():
        t0 = time.perf_counter()
        with open(os.path.join(work, "out." + name), "wb") as out:
            p = subprocess.Popen(cmd, stdout=out)
            _, status, usage = os.wait4(p.pid, 0)
        t1 = time.perf_counter()
        if status != 0:
            sys.exit(f"{name} failed: {status}")
        wall[name].append(t1 - t0)
        cpu[name].append(usage.ru_utime + usage.ru_stime)
        peak[name] = max(peak[name], usage.ru_maxrss)
for name in tools:
    w, c = statistics.median(wall[name][1:]), statistics.median(cpu[name][1:])
    print(f"{name:9s} wall {w * 1000:8.1f} ms   cpu {c * 1000:8.1f} ms   peak {peak[name] / 1024:6.1f} MiB"
          f"   (median of {runs})")
    with open(os.path.join(work, "time." + name), "w") as f:
        f.write(f"{w} {c} {peak[name]}\n")
PY

# Duplicate sets as sorted lines of sorted paths relative to the tree.
python3 - "$work" "$dir" <<'PY'
import os, sys
work, root = sys.argv[1], sys.argv[2].rstrip("/") + "/"
def norm(sets):
    return sorted("\t".join(sorted(s)) for s in sets)
jd, cur = [], []
for line in open(os.path.join(work, "out.jdupes"), encoding="utf-8", errors="surrogateescape"):
    line = line.rstrip("\n")
    if line:
        cur.append(line[len(root):] if line.startswith(root) else line)
    elif cur:
        jd.append(cur); cur = []
if cur:
    jd.append(cur)
ts = [line.rstrip("\n").split("\t") for line in open(os.path.join(work, "out.twinscan"), encoding="utf-8",
                                                     errors="surrogateescape") if line.strip()]
j, t = norm(jd), norm(ts)
print(f"jdupes: {len(j)} sets, twinscan: {len(t)} sets -> {'same sets' if j == t else 'DIFFERENT sets'}")
sys.exit(0 if j == t else 1)
PY
read -r jw jc jp < "$work/time.jdupes"
read -r w c p < "$work/time.twinscan"
ratio=$(python3 -c "print(f'{$w / $jw:.2f}')")
missed=0
if python3 -c "import sys; sys.exit(0 if $w <= 0.5 * $jw else 1)"; then
  echo "goal met: twinscan -r takes ${ratio}x jdupes' wall time"
else
  echo "goal missed: twinscan -r takes ${ratio}x jdupes' wall time (goal 0.5x)"; missed=1
fi
if [ "$p" -lt "$jp" ]; then
  echo "goal met: peak memory $((p / 1024)) MiB below jdupes' $((jp / 1024)) MiB"
else
  echo "goal missed: peak memory $((p / 1024)) MiB, jdupes' $((jp / 1024)) MiB"; missed=1
fi
exit $missed
