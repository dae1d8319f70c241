#!/usr/bin/env python3
# Precision and recall of groups found in a generated set: files f<N>_... are
# one family each (the same picture), every other file its own. Pairs count:
# two files found in one group, against two files of one family.
# Usage: set_score.py FOLDER OURS [THEIRS]: OURS one group a line, the paths
# separated by tabs; THEIRS findimagedupes' lines (paths separated by spaces).
import itertools, os, sys
folder, ours = sys.argv[1:3]
theirs = sys.argv[3] if len(sys.argv) > 3 else ""
files = sorted(os.listdir(folder))
def family(name):
    return name.split("_")[0] if name.startswith("f") else name
truth = set()
by = {}
for f in files:
    by.setdefault(family(f), []).append(f)
for members in by.values():
    truth |= {tuple(sorted(p)) for p in itertools.combinations(members, 2)}
def pairs(path, sep):
    found = set()
    for line in open(path):
        names = [os.path.basename(p) for p in line.split(sep) if p.strip()]
        names = [n.strip() for n in names]
        found |= {tuple(sorted(p)) for p in itertools.combinations(names, 2)}
    return found
for label, path, sep in (("twinscan", ours, "\t"), ("findimagedupes -t 90%", theirs, None)):
    if not path or not os.path.getsize(path) and label != "twinscan":
        continue
    found = pairs(path, sep)
    hit = len(found & truth)
    precision = hit / len(found) if found else 1.0
    recall = hit / len(truth) if truth else 1.0
    print(f"{label}: precision {precision:.3f} recall {recall:.3f} ({hit} of {len(truth)} pairs found, {len(found) - hit} wrong)")
    missed = {}
    for a, b in truth - found:
        for n in (a, b):
            v = n.split("_", 1)[1]
            missed[v] = missed.get(v, 0) + 1
    wrong = {}
    for a, b in found - truth:
        key = "+".join(sorted(n.split("_", 1)[1] for n in (a, b)))
        wrong[key] = wrong.get(key, 0) + 1
    print("  missed (file ends):", dict(sorted(missed.items(), key=lambda kv: -kv[1])[:8]))
    print("  wrong (pairs):", dict(sorted(wrong.items(), key=lambda kv: -kv[1])[:8]))
